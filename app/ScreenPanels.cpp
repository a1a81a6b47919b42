#include "app/ScreenPanels.h"

#include <algorithm>

#include "app/AboutText.h"
#include "app/ColourMeaning.h"
#include "app/PanelStyle.h"
#include "app/VelmoraViewController.h"
#include "ui/Color.h"

#include <QCoreApplication>
#include <QScrollBar>

Ui::VelmoraViewController* ScreenPanels::open() {
    Ui::VelmoraViewController* ui = m_screen.ui.get();
    if (!ui)
        return nullptr;
    PanelStyle::ensureApplied(m_screen.view());
    rememberFocus();
    setVeiled(true);
    ui->close->show();
    m_screen.setXOutPairHidden(true);
    setMeaningTextViewsHidden(true);
    setColourPickerHidden(true);
    return ui;
}

void ScreenPanels::setVeiled(bool veiled) {
    Ui::VelmoraViewController* ui = m_screen.ui.get();
    if (!ui)
        return;
    if (!m_veil && veiled) {
        m_veil = new QWidget(ui->sizer->parentWidget());
        m_veil->setObjectName(QStringLiteral("panelVeil"));
        m_veil->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_veil->setAttribute(Qt::WA_StyledBackground);
        m_veil->setStyleSheet(QStringLiteral("background: rgba(16, 16, 24, 215);"));
        m_veil->setGeometry(ui->sizer->geometry());
    }
    if (!m_veil)
        return;
    m_veil->setVisible(veiled);
    // Above the photo, its aura and the home picture; below the lowest of the panels'
    // elements, whatever order the layout gives them.
    QList<QWidget*> panel{ui->close, ui->selectColor, ui->xOut1, ui->xOut2};
    for (const auto& row : VelmoraViewController::colourControls())
        panel << ui->*row.button << ui->*row.textView;
    for (QObject* child : m_veil->parentWidget()->children()) {
        if (panel.contains(child)) {
            m_veil->stackUnder(static_cast<QWidget*>(child));
            break;
        }
    }
}

void ScreenPanels::showAbout() {
    Ui::VelmoraViewController* ui = open();
    if (!ui)
        return;
    ui->auraText->show();
    ui->auraText->setText(QCoreApplication::translate("AboutText", kAboutText));
    ui->auraText->setBackgroundColor(toolkit::Color::whiteColor());
    // One text view shows the about text or a meaning: it is named for what it shows.
    ui->auraText->setAccessibleName(tr("About aura photos"));
    focus(ui->auraText);
}

void ScreenPanels::showMeanings() {
    Ui::VelmoraViewController* ui = open();
    if (!ui)
        return;
    setColourPickerHidden(false);
    // The portrait's own colours stand out in the grid, by a ring and to a screen reader.
    const auto reading = m_screen.m_display.reading();
    for (int c = 0; c < AuraPalette::Count; ++c) {
        QPushButton* button = ui->*VelmoraViewController::colourControls()[std::size_t(c)].button;
        const bool inReading = std::any_of(reading.begin(), reading.end(),
                                           [c](const auto& entry) { return entry.colour == c; });
        button->setStyleSheet(inReading ? QStringLiteral("QPushButton { border: 4px solid "
                                                         "#ffd84d; }")
                                        : QString());
        button->setAccessibleDescription(inReading ? tr("In your reading") : QString());
    }
    focus(ui->white);
}

void ScreenPanels::showMeaning(AuraPalette::Colour colour) {
    Ui::VelmoraViewController* ui = m_screen.ui.get();
    if (!ui)
        return;
    const ColourMeaning& row = colourMeaningTable()[colour];
    const VelmoraViewController::ColourControls& own =
        VelmoraViewController::colourControls()[colour];
    toolkit::TextView* text = ui->*own.textView;
    PanelStyle::ensureApplied(m_screen.view());
    rememberFocus();
    ui->close->show();
    text->show();
    setColourPickerHidden(true);
    text->setText(QCoreApplication::translate("ColourMeaning", row.text));
    if (row.background)
        text->setBackgroundColor(row.background());
    text->verticalScrollBar()->setValue(0);
    // Named after the colour as its button says it, in the user's language.
    text->setAccessibleName(tr("%1 meaning").arg((ui->*own.button)->text()));
    focus(text);
}

void ScreenPanels::close() {
    const bool wasOpen = isOpen();
    hideAll();
    if (!wasOpen)
        return;
    // The keyboard goes back to where it was before the panel opened.
    QWidget* back = m_focusBefore;
    m_focusBefore = nullptr;
    if (!back || !back->isVisible() || !back->isEnabled())
        back = m_screen.isViewLoaded() ? m_screen.view() : nullptr;
    if (back)
        back->setFocus(Qt::OtherFocusReason);
}

void ScreenPanels::hideAll() {
    if (Ui::VelmoraViewController* ui = m_screen.ui.get())
        ui->close->hide();
    setVeiled(false);
    hideContents();
}

void ScreenPanels::hideContents() {
    setMeaningTextViewsHidden(true);
    setColourPickerHidden(true);
}

void ScreenPanels::closeIfEmpty() {
    Ui::VelmoraViewController* ui = m_screen.ui.get();
    if (!ui || !isOpen())
        return;
    if (!ui->selectColor->isHidden())
        return;
    for (const auto& row : VelmoraViewController::colourControls()) {
        if (!(ui->*row.textView)->isHidden())
            return;
    }
    close();
}

bool ScreenPanels::isOpen() const {
    return m_screen.ui && !m_screen.ui->close->isHidden();
}

void ScreenPanels::setMeaningTextViewsHidden(bool hidden) {
    Ui::VelmoraViewController* ui = m_screen.ui.get();
    if (!ui)
        return;
    for (QWidget* text :
         {static_cast<QWidget*>(ui->auraText), static_cast<QWidget*>(ui->pinkText),
          static_cast<QWidget*>(ui->goldText), static_cast<QWidget*>(ui->turquoiseText),
          static_cast<QWidget*>(ui->indigoText), static_cast<QWidget*>(ui->lavenderText),
          static_cast<QWidget*>(ui->violetText)})
        text->setHidden(hidden);
}

void ScreenPanels::setColourPickerHidden(bool hidden) {
    Ui::VelmoraViewController* ui = m_screen.ui.get();
    if (!ui)
        return;
    ui->selectColor->setHidden(hidden);
    // The picker's buttons run from white to violet: the colour table read backwards.
    const auto& table = VelmoraViewController::colourControls();
    for (auto row = table.rbegin(); row != table.rend(); ++row)
        (ui->*row->button)->setHidden(hidden);
}

// The control that had the keyboard when the first panel opened; moving from panel to panel
// (meanings, then a colour) keeps it.
void ScreenPanels::rememberFocus() {
    if (isOpen())
        return;
    m_focusBefore = m_screen.isViewLoaded() ? m_screen.view()->window()->focusWidget() : nullptr;
}

void ScreenPanels::focus(QWidget* element) {
    if (element && element->isVisibleTo(element->window()))
        element->setFocus(Qt::OtherFocusReason);
}
