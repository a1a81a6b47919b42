#include "ui/Desktop.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

namespace toolkit {

Result<bool> openFolder(const QString& folder) {
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        return Result<bool>::success(true);
    return Result<bool>::failure(
        QCoreApplication::translate("toolkit::Desktop",
                                    "%1: no file manager could be started for it")
            .arg(QDir::toNativeSeparators(folder)));
}

void copyToClipboard(const Image& image) {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setImage(image.toQImage());
}

void copyToClipboard(const Image& image, const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    auto* data = new QMimeData;
    data->setImageData(image.toQImage());
    data->setText(text);
    clipboard->setMimeData(data); // the clipboard owns it
}

} // namespace toolkit
