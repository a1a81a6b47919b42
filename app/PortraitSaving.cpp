#include "app/PortraitSaving.h"

#include "compose/ComposeCommand.h"

#include "album/PhotoAlbum.h"
#include "app/PanelStyle.h"
#include "app/VelmoraViewController.h"
#include "base/Log.h"
#include "base/Resources.h"
#include "print/CardPrintModule.h"
#include "ui/Desktop.h"
#include "ui/Window.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QToolButton>

namespace {
// Lines that fit the notice, each shortened in the middle when it is too long for it (a
// file name or folder has no spaces to wrap at); the whole path is in the tooltip and read
// out by screen readers.
void setNoticeText(QPushButton* notice, const QStringList& lines, const QString& fullPath) {
    const QFontMetrics metrics = notice->fontMetrics();
    const int room = notice->contentsRect().width() - 20;
    QStringList fitted;
    for (const QString& line : lines)
        fitted << metrics.elidedText(line, Qt::ElideMiddle, room);
    notice->setText(fitted.join(QLatin1Char('\n')));
    // Read out as it reads on screen, in full.
    QStringList spoken = lines;
    spoken.removeAll(QString());
    notice->setAccessibleName(spoken.join(QLatin1Char(' ')));
    notice->setToolTip(fullPath);
    notice->setAccessibleDescription(fullPath);
}

QString tr(const char* text) {
    return tr(text);
}
} // namespace

toolkit::AlbumSave* PortraitSaving::save(int scale) {
    // A portrait is the photo under its aura: nothing on the screen is part of it, but the
    // open panel is closed and the framing pictures of a pick under way are taken away, as
    // the user expects to see the portrait they saved.
    m_screen.setXOutPairHidden(true);
    m_screen.m_panels.close();
    m_screen.hideFramingPictures();
    toolkit::Result<QImage> composed = PortraitComposer::paint(m_screen.portraitLayers());
    if (scale > 1 && composed.ok() && m_screen.hasPhoto()) {
        // The large portrait is made from the photo at that size, not the saved one enlarged:
        // the one an enlarged window shows, or made now.
        const QImage sharp = m_screen.m_display.sharp();
        composed = !sharp.isNull()
                       ? toolkit::Result<QImage>::success(sharp)
                       : PortraitComposer::paint(PortraitComposer::frame(
                             m_screen.m_picking.photo(), m_screen.m_picking.fit(),
                             m_screen.m_portrait.auraNumber, *m_screen.m_faceDetector, scale));
    }
    if (!composed.ok()) {
        qCWarning(toolkit::programLog, "cannot compose the portrait: %s",
                  qUtf8Printable(composed.error()));
        if (toolkit::Window* window = m_screen.window())
            window->showMessage(tr("The portrait was not saved.\n%1").arg(composed.error()));
        return nullptr;
    }
    const toolkit::Image portrait(composed.value());
    toolkit::AlbumSave* saving = toolkit::imageWriteToSavedPhotosAlbum(portrait);
    m_lastPortrait = portrait;
    m_lastFolder = toolkit::PhotoAlbum::shared().folder();
    // The window as it is now: the view may be unloaded by the time the album answers.
    QPointer<toolkit::Window> window = m_screen.window();
    QObject::connect(
        saving, &toolkit::AlbumSave::finished, &m_screen,
        [this, window](const toolkit::Result<QString>& outcome) { finished(outcome, window); });
    if (Ui::VelmoraViewController* ui = m_screen.ui.get()) {
        // The file gets its name when the album has written it (showSaved).
        const QString folder = QDir::toNativeSeparators(m_lastFolder);
        setNoticeText(ui->xOut1, {tr("Saving the portrait"), QString(), tr("into %1").arg(folder)},
                      folder);
        PanelStyle::ensureApplied(m_screen.view());
    }
    m_screen.setXOutPairHidden(false);
    return saving;
}

void PortraitSaving::saveReading() {
    const auto card = cardOrSay(tr("The reading was not saved: %1"));
    if (!card)
        return;
    toolkit::AlbumSave* saving = save();
    if (!saving)
        return;
    QPointer<toolkit::Window> window = m_screen.window();
    QObject::connect(
        saving, &toolkit::AlbumSave::finished, &m_screen,
        [content = *card, window](const toolkit::Result<QString>& outcome) {
            if (!outcome.ok())
                return; // the portrait's own notice says why
            for (const auto& written : ComposeCommand::writeCard(content, outcome.value())) {
                if (written.ok())
                    continue;
                qCWarning(toolkit::programLog, "%s", qUtf8Printable(written.error()));
                if (window)
                    window->showMessage(
                        tr("The reading card was not saved.\n%1").arg(written.error()));
            }
        });
}

void PortraitSaving::print() {
    const auto card = cardOrSay(tr("The reading was not printed: %1"));
    if (!card)
        return;
    QPointer<toolkit::Window> shown = m_screen.window();
    auto say = [shown](const QString& message, const QString& detail) {
        qCWarning(toolkit::programLog, "cannot print the reading card: %s", qUtf8Printable(detail));
        if (shown)
            shown->showMessage(message);
    };
    // Printing is a module loaded when first used: binding Qt Print Support at every start
    // would cost what no other start needs.
    const toolkit::ModuleEntry module =
        toolkit::loadModuleEntry(QStringLiteral("print"), TOOLKIT_PRINT_MODULE_ENTRY);
    if (module.problem == toolkit::ModuleEntry::Problem::Missing) {
        say(tr("Printing is not installed: %1 is missing.").arg(module.path), module.path);
        return;
    }
    if (module.problem != toolkit::ModuleEntry::Problem::None) {
        say(tr("Printing could not be loaded: %1").arg(module.detail), module.detail);
        return;
    }
    const auto entry = reinterpret_cast<ToolkitPrintCardEntry>(module.entry);
    entry(shown, *card, tr("Print your reading"), [say](const QString& reason) {
        say(tr("The reading card was not printed.\n%1").arg(reason), reason);
    });
}

void PortraitSaving::copyReading() {
    const auto card = cardOrSay(tr("The reading was not copied: %1"));
    if (!card)
        return;
    toolkit::Window* window = m_screen.window();
    toolkit::copyToClipboard(toolkit::Image(ReadingCard::paint(*card)), ReadingCard::text(*card));
    if (window)
        window->showMessage(
            tr("Your reading is on the clipboard: paste it as a picture or as text."),
            toolkit::Window::MessageKind::Information);
}

std::optional<ReadingCard::Content> PortraitSaving::cardOrSay(const QString& notDone) {
    const auto card = m_screen.m_display.card();
    if (card.ok())
        return card.value();
    if (toolkit::Window* window = m_screen.window())
        window->showMessage(notDone.arg(card.error()));
    return std::nullopt;
}

void PortraitSaving::finished(const toolkit::Result<QString>& outcome, toolkit::Window* window) {
    if (outcome.ok()) {
        showSaved(outcome.value());
        return;
    }
    // The notice says the portrait is being saved; the window's message says why it was
    // not, and the notice must not contradict it.
    m_screen.setXOutPairHidden(true);
    if (window)
        window->showMessage(tr("The portrait was not saved.\n%1").arg(outcome.error()));
}

void PortraitSaving::showSaved(const QString& path) {
    Ui::VelmoraViewController* ui = m_screen.ui.get();
    if (!ui)
        return;
    const QFileInfo file(path);
    const QString folder = QDir::toNativeSeparators(file.absolutePath());
    setNoticeText(ui->xOut1, {tr("Portrait saved as"), file.fileName(), tr("in %1").arg(folder)},
                  QDir::toNativeSeparators(file.absoluteFilePath()));
}

void PortraitSaving::addNoticeActions(QPushButton* notice) {
    auto add = [notice](const char* name, const QString& text, const QString& tip) {
        auto* button = new QToolButton(notice);
        button->setObjectName(QString::fromLatin1(name));
        button->setText(text);
        button->setAccessibleName(text);
        button->setToolTip(tip);
        return button;
    };
    QToolButton* openFolder =
        add("openFolder", tr("Open folder"), tr("Show the album folder in the file manager"));
    QToolButton* copy = add("copyPortrait", tr("Copy"), tr("Copy the portrait as a picture"));
    const int y = notice->height() - 32;
    openFolder->setGeometry(10, y, 104, 24);
    copy->setGeometry(120, y, 64, 24);
    QObject::connect(openFolder, &QToolButton::clicked, &m_screen, [this] {
        const auto opened = toolkit::openFolder(m_lastFolder);
        if (!opened.ok()) {
            qCWarning(toolkit::programLog, "cannot open the album folder: %s",
                      qUtf8Printable(opened.error()));
            if (toolkit::Window* window = m_screen.window())
                window->showMessage(tr("Cannot open the folder.\n%1").arg(opened.error()));
        }
    });
    QObject::connect(copy, &QToolButton::clicked, &m_screen,
                     [this] { toolkit::copyToClipboard(m_lastPortrait); });
}
