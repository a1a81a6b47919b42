#pragma once

#include "art/AuraPalette.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

class VelmoraViewController;
namespace Ui {
class VelmoraViewController;
}

/// The panels laid over the photo: the about text, the colour picker and a colour's
/// meaning, with the close bar. The keyboard goes into a panel when it opens and back to
/// where it was when the panel closes.
class ScreenPanels {
    // Its texts are the screen's, translated with them.
    Q_DECLARE_TR_FUNCTIONS(VelmoraViewController)

public:
    explicit ScreenPanels(VelmoraViewController& screen) : m_screen(screen) {}

    /// Shows the about text.
    void showAbout();
    /// Shows the colour picker.
    void showMeanings();
    /// Shows the meaning of `colour` on its background, scrolled to its start.
    void showMeaning(AuraPalette::Colour colour);
    /// Closes whatever panel is open.
    void close();
    /// Hides every panel and the close bar without moving the keyboard.
    void hideAll();
    /// Hides the texts and the colour picker, leaving the close bar (a pick begins).
    void hideContents();
    /// Whether a panel is open.
    bool isOpen() const;
    /// Closes the close bar when it has nothing left to close (a pick took the panel's
    /// contents away).
    void closeIfEmpty();

private:
    // Opens the panel area with nothing in it yet; null while the view is unloaded.
    Ui::VelmoraViewController* open();
    void setMeaningTextViewsHidden(bool hidden);
    void setColourPickerHidden(bool hidden);
    void rememberFocus();
    static void focus(QWidget* element);

    // Lays a dark veil over the photo area under an open panel, or takes it away.
    void setVeiled(bool veiled);

    VelmoraViewController& m_screen;
    // Over the photo area and under the panels while one is open: the picture beneath does
    // not show through around them. Made with the view, gone with it.
    QPointer<QWidget> m_veil;
    // Where the keyboard focus returns when the open panel closes.
    QPointer<QWidget> m_focusBefore;
};
