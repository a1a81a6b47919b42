#include "app/ScreenIcons.h"

#include "imaging/Image.h"
#include "ui/ImageView.h"
#include "ui/TextView.h"
#include "ui_VelmoraViewController.h"

#include <QIcon>
#include <QPixmap>
#include <QToolButton>

#include <initializer_list>

using toolkit::Image;

void ScreenIcons::apply(Ui::VelmoraViewController& ui) {
    auto icon = [](const char* name) {
        const Image image = Image::imageNamed(QString::fromLatin1(name));
        return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image.toQImage()));
    };
    const struct {
        const char* file;
        std::initializer_list<QToolButton*> buttons;
    } icons[] = {
        {"icon-camera.png", {ui.takePhotoBtn, ui.takePhotoBtn2}},
        {"icon-meanings.png", {ui.meanings, ui.meanings2}},
        {"icon-about.png", {ui.about, ui.about2}},
        {"icon-save.png", {ui.save, ui.save2}},
        {"icon-album.png", {ui.choosePhotoBtn}},
        {"icon-fit-to-face.png", {ui.fitToFace, ui.fitToFaceHome}},
        {"icon-close.png", {ui.closeB}},
    };
    for (const auto& [file, buttons] : icons) {
        const QIcon shown = icon(file);
        for (QToolButton* button : buttons) {
            button->setIcon(shown);
            if (button != ui.closeB)
                button->setIconSize(QSize(24, 24));
        }
    }
}
