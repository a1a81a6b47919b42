#include "ui/CameraChoice.h"

#include <QAbstractItemView>

#include <algorithm>

namespace toolkit {

CameraChoice::CameraChoice(const QStringList& names, const QString& current, QWidget* parent)
    : QComboBox(parent) {
    setObjectName(QStringLiteral("cameraChoice"));
    setAccessibleName(tr("Camera"));
    setAccessibleDescription(tr("Which camera takes the photo"));
    setStyleSheet(QStringLiteral(
        "QComboBox { color: white; background: rgba(21, 18, 31, 170); border: 1px solid "
        "#6d5cae; border-radius: 6px; padding: 4px 8px; }"
        "QComboBox:focus { border: 2px solid #ffd84d; }"));
    addItems(names);
    setCurrentIndex(std::max(0, int(names.indexOf(current))));
    // Camera names are long ("Integrated Camera: Integrated C"): the list opens as wide as
    // they are, and the box says the whole name in its tooltip.
    int widest = 0;
    for (const QString& name : names)
        widest = std::max(widest, fontMetrics().horizontalAdvance(name));
    view()->setMinimumWidth(widest + 32);
    setToolTip(currentText());
    connect(this, &QComboBox::activated, this, [this](int index) {
        setToolTip(itemText(index));
        emit chosen(itemText(index));
    });
}

} // namespace toolkit
