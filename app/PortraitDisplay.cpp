#include "app/PortraitDisplay.h"

#include "app/ColourMeaning.h"
#include "app/VelmoraViewController.h"
#include "portrait/AuraReading.h"
#include "ui/ImageView.h"

#include <QFutureWatcher>
#include <QMenu>
#include <QPushButton>
#include <QtConcurrent>

using toolkit::Image;

void PortraitDisplay::load() {
    Ui::VelmoraViewController* ui = m_screen.ui.get();
    if (!ui)
        return;
    QWidget* view = ui->portraitView->parentWidget();
    // The composed portrait covers the photo and aura views beneath it; as an opaque view it
    // spares them their painting, and the photo view the detail it would draw for an
    // enlarged window.
    ui->portraitView->setAttribute(Qt::WA_OpaquePaintEvent);
    // Along the portrait's foot, over the body, where no face is.
    m_row = new QWidget(view);
    m_row->setObjectName(QStringLiteral("reading"));
    m_row->setGeometry(0, 440, 360, 36);
    m_row->setAccessibleName(tr("Your reading"));
    m_row->setStyleSheet(QStringLiteral(
        "QPushButton { background: rgba(20, 16, 32, 180); color: white; font-size: 8pt;"
        " border: 1px solid rgba(255, 255, 255, 110); border-radius: 9px; padding: 3px 8px; }"
        "QPushButton::menu-indicator { subcontrol-position: right center; right: 6px; }"
        "QPushButton#readingCard { padding-right: 20px; }"
        "QPushButton:focus { border: 2px solid #ffd84d; }"));
    m_colours.clear();
    QWidget* before = ui->save2;
    for (int k = 0; k < 3; ++k) {
        auto* button = new QPushButton(m_row);
        button->setObjectName(QStringLiteral("readingColour%1").arg(k + 1));
        button->setFocusPolicy(Qt::StrongFocus);
        button->setCursor(Qt::PointingHandCursor);
        QObject::connect(button, &QPushButton::clicked, &m_screen, [this, k] {
            const auto entries = reading();
            if (k < entries.size())
                m_screen.m_panels.showMeaning(entries[k].colour);
        });
        QWidget::setTabOrder(before, button);
        before = button;
        m_colours.append(button);
    }
    // What people do with a reading: keep it, print it, send it.
    m_card = new QPushButton(tr("Card"), m_row);
    m_card->setObjectName(QStringLiteral("readingCard"));
    m_card->setFocusPolicy(Qt::StrongFocus);
    m_card->setCursor(Qt::PointingHandCursor);
    m_card->setToolTip(tr("Your reading card: save, print or copy it"));
    m_card->setAccessibleName(tr("Reading card"));
    m_card->setAccessibleDescription(m_card->toolTip());
    auto* menu = new QMenu(m_card);
    menu->setObjectName(QStringLiteral("readingCardMenu"));
    QAction* saveCard = menu->addAction(tr("Save reading card"), &m_screen,
                                        [this] { m_screen.m_saving.saveReading(); });
    saveCard->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
    QAction* printCard =
        menu->addAction(tr("Print…"), &m_screen, [this] { m_screen.m_saving.print(); });
    printCard->setShortcut(QKeySequence::Print);
    menu->addAction(tr("Copy reading"), &m_screen, [this] { m_screen.m_saving.copyReading(); });
    // The keys are the window's shortcuts; the menu only shows them.
    for (QAction* action : menu->actions())
        action->setShortcutContext(Qt::WidgetShortcut);
    m_card->setMenu(menu);
    QWidget::setTabOrder(before, m_card);
    // Above the portrait, under everything laid over it: panels, notices, the framing.
    m_row->stackUnder(ui->homeview);
    m_row->hide();
    QObject::connect(ui->portraitView, &toolkit::ImageView::detailWanted, &m_screen,
                     [this] { composeSharp(); });
}

QList<AuraColourTable::Entry> PortraitDisplay::reading() const {
    if (!m_screen.hasPhoto())
        return {};
    return AuraReading::of(m_screen.m_portrait.auraNumber);
}

void PortraitDisplay::show() {
    ++m_requests;
    m_sharp = QImage();
    Ui::VelmoraViewController* ui = m_screen.ui.get();
    if (!ui)
        return;
    const bool shown = m_screen.hasPhoto() && !ui->auraImage->isHidden();
    ui->portraitView->setVisible(shown);
    if (!m_screen.hasPhoto()) {
        ui->portraitView->setImage(Image());
    } else {
        // The photo and its aura as one picture, the very one a save writes: the aura is
        // light over the photo and the film is over both, which stacked layers cannot show.
        const auto painted = PortraitComposer::paint(m_screen.m_portrait);
        ui->portraitView->setImage(
            Image(painted.ok() ? painted.value() : m_screen.m_portrait.photo));
    }
    if (!m_row)
        return;
    const auto entries = shown ? reading() : QList<AuraColourTable::Entry>();
    for (qsizetype k = 0; k < m_colours.size(); ++k) {
        QPushButton* button = m_colours[k];
        if (k >= entries.size()) {
            button->hide();
            continue;
        }
        const auto& entry = entries[k];
        button->setText(AuraReading::label(entry));
        button->setAccessibleName(tr("%1: open its meaning").arg(AuraReading::label(entry)));
        button->show();
    }
    m_hasReading = !entries.isEmpty();
    m_row->setVisible(m_hasReading && !m_covered);
    if (m_hasReading)
        arrange();
}

void PortraitDisplay::setCovered(bool covered) {
    m_covered = covered;
    if (m_row)
        m_row->setVisible(m_hasReading && !m_covered);
}

void PortraitDisplay::arrange() {
    // Chips are read in full: they go in centred lines along the portrait's foot, as many
    // lines as the words need (German times are long), the last line at the very foot.
    constexpr int kWidth = 360, kFoot = 476, kMargin = 6, kGap = 6;
    QList<QPushButton*> chips;
    for (QPushButton* colour : std::as_const(m_colours))
        if (!colour->isHidden())
            chips << colour;
    chips << m_card;
    QList<QList<QPushButton*>> lines{{}};
    int used = 0;
    for (QPushButton* chip : chips) {
        const int width = chip->sizeHint().width();
        if (!lines.last().isEmpty() && used + kGap + width > kWidth - 2 * kMargin) {
            lines.append(QList<QPushButton*>());
            used = 0;
        }
        used += (lines.last().isEmpty() ? 0 : kGap) + width;
        lines.last() << chip;
    }
    const int height = chips.first()->sizeHint().height();
    const int rowHeight = int(lines.size()) * (height + kGap) + kGap;
    m_row->setGeometry(0, kFoot - rowHeight, kWidth, rowHeight);
    int y = kGap;
    for (const auto& line : lines) {
        int total = -kGap;
        for (QPushButton* chip : line)
            total += kGap + chip->sizeHint().width();
        int x = qMax(kMargin, (kWidth - total) / 2);
        for (QPushButton* chip : line) {
            const int width = qMin(chip->sizeHint().width(), kWidth - kMargin - x);
            chip->setGeometry(x, y, width, height);
            x += width + kGap;
        }
        y += height + kGap;
    }
}

void PortraitDisplay::composeSharp() {
    const Image photo = m_screen.m_picking.photo();
    if (!m_screen.hasPhoto() || photo.isNull() || !m_screen.m_faceDetector)
        return;
    // The portrait made at twice the size, from the photo decoded for it and an aura drawn
    // at that size, instead of the saved one blown up.
    const int request = m_requests;
    const auto fit = m_screen.m_picking.fit();
    const int number = m_screen.m_portrait.auraNumber;
    std::shared_ptr<const toolkit::FaceDetector> detector = m_screen.m_faceDetector;
    auto* watcher = new QFutureWatcher<PortraitComposer::Layers>(&m_screen);
    QObject::connect(watcher, &QFutureWatcherBase::finished, &m_screen, [this, watcher, request] {
        watcher->deleteLater();
        if (request != m_requests || !m_screen.ui)
            return; // the portrait changed meanwhile
        const auto painted = PortraitComposer::paint(watcher->result());
        if (!painted.ok())
            return;
        m_sharp = painted.value();
        m_screen.ui->portraitView->setDetailImage(Image(m_sharp));
    });
    watcher->setFuture(QtConcurrent::run([photo, fit, number, detector] {
        return PortraitComposer::frame(photo, fit, number, *detector, 2);
    }));
}

toolkit::Result<ReadingCard::Content> PortraitDisplay::card() const {
    using Outcome = toolkit::Result<ReadingCard::Content>;
    if (!m_screen.hasPhoto())
        return Outcome::failure(tr("there is no portrait yet"));
    QImage portrait = m_sharp;
    if (portrait.isNull()) {
        const auto layers =
            PortraitComposer::frame(m_screen.m_picking.photo(), m_screen.m_picking.fit(),
                                    m_screen.m_portrait.auraNumber, *m_screen.m_faceDetector, 2);
        const auto painted = PortraitComposer::paint(layers);
        if (!painted.ok())
            return Outcome::failure(painted.error());
        portrait = painted.value();
    }
    return Outcome::success(ReadingCard::contentOf(
        std::move(portrait), m_screen.m_portrait.auraNumber, [](AuraPalette::Colour colour) {
            return QCoreApplication::translate("ColourMeaning",
                                               colourMeaningTable()[std::size_t(colour)].text);
        }));
}
