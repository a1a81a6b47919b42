#include "QtPickerPlatform.h"

#include "QtCameraSource.h"

#include <QFileDialog>
#include <QMediaDevices>

namespace toolkit {

namespace {
PickerPlatform*& currentPlatform() {
    static PickerPlatform* platform = nullptr;
    return platform;
}
} // namespace

PickerPlatform& PickerPlatform::current() {
    if (!currentPlatform()) {
        static QtPickerPlatform* real = new QtPickerPlatform;
        currentPlatform() = real;
    }
    return *currentPlatform();
}

void PickerPlatform::setCurrent(PickerPlatform* platform) {
    currentPlatform() = platform;
}

QtPickerPlatform::QtPickerPlatform(QObject* parent) : PickerPlatform(parent) {
    m_devices = new QMediaDevices(this);
    connect(m_devices, &QMediaDevices::videoInputsChanged, this, &PickerPlatform::camerasChanged);
}

void QtPickerPlatform::chooseFile(QWidget* parent, const QString& folder,
                                  std::function<void(const QString&)> chosen) {
    auto* dialog = new QFileDialog(parent, tr("Choose a photo"), folder,
                                   tr("Pictures (*.jpg *.jpeg *.png *.webp *.bmp *.gif *.tif "
                                      "*.tiff *.JPG *.JPEG *.PNG)"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    auto answered = std::make_shared<bool>(false);
    connect(dialog, &QFileDialog::fileSelected, dialog, [chosen, answered](const QString& path) {
        *answered = true;
        chosen(path);
    });
    connect(dialog, &QFileDialog::finished, dialog, [chosen, answered](int) {
        if (!*answered) {
            *answered = true;
            chosen(QString());
        }
    });
    dialog->open();
}

bool QtPickerPlatform::hasCamera() const {
    return !QMediaDevices::videoInputs().isEmpty();
}

std::unique_ptr<CameraSource> QtPickerPlatform::openCamera() {
    const QCameraDevice device = QMediaDevices::defaultVideoInput();
    if (device.isNull())
        return nullptr;
    return std::make_unique<QtCameraSource>(device);
}

} // namespace toolkit
