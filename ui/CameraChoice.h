#pragma once

#include <QComboBox>
#include <QStringList>

namespace toolkit {

/// The list of cameras at the top of the camera page: their names, the one showing chosen,
/// opening as wide as the longest name; `chosen` when the person picks another.
class CameraChoice : public QComboBox {
    Q_OBJECT

public:
    CameraChoice(const QStringList& names, const QString& current, QWidget* parent);

signals:
    /// The camera named `name` was picked from the list.
    void chosen(const QString& name);
};

} // namespace toolkit
