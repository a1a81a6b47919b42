#include "ui/QtPickerPlatform.h"

#include "camera/CameraMonitor.h"
#include "camera/QtCameraSource.h"
#include "imaging/PictureFile.h"

#include <QCameraDevice>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMediaDevices>
#include <QPointer>

namespace toolkit {

namespace {
PickerPlatform*& currentPlatform() {
    static PickerPlatform* platform = nullptr;
    return platform;
}

// The chooser reads a folder that does not exist as a file name to type in its parent; a
// new account has no Pictures folder yet. It starts in the nearest folder that exists.
QString existingFolder(const QString& folder) {
    if (folder.isEmpty())
        return QDir::homePath();
    QString path = QDir::cleanPath(QDir(folder).absolutePath());
    while (!QFileInfo(path).isDir()) {
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            return QDir::homePath();
        path = parent;
    }
    return path;
}
} // namespace

PickerPlatform& PickerPlatform::current() {
    if (!currentPlatform()) {
        static QtPickerPlatform* real = new QtPickerPlatform;
        currentPlatform() = real;
    }
    return *currentPlatform();
}

PickerPlatform::Scope::Scope(PickerPlatform* platform) : m_previous(currentPlatform()) {
    currentPlatform() = platform;
}

PickerPlatform::Scope::~Scope() {
    currentPlatform() = m_previous;
}

QtPickerPlatform::QtPickerPlatform(QObject* parent) : PickerPlatform(parent) {}

CameraMonitor* QtPickerPlatform::monitor() const {
    if (!m_monitor) {
        // Presence comes from a device monitor of our own, which reports from the event
        // loop: asking Qt's media backend from inside its own announcement deadlocks at
        // start-up, and its list keeps an unplugged camera.
        auto* self = const_cast<QtPickerPlatform*>(this);
        m_monitor = new CameraMonitor(self);
        connect(m_monitor, &CameraMonitor::changed, self, &PickerPlatform::camerasChanged,
                Qt::QueuedConnection);
        // Those who waited for the first answer hear it even when it is "none".
        QMetaObject::invokeMethod(self, &PickerPlatform::camerasChanged, Qt::QueuedConnection);
    }
    return m_monitor;
}

void QtPickerPlatform::lookForCameras() {
    monitor();
}

void QtPickerPlatform::chooseFile(QWidget* parent, const QString& folder,
                                  std::function<void(const QString&)> chosen) {
    // The same formats the decoder takes (those installed), so nothing offered is refused
    // for its kind.
    auto* dialog = new QFileDialog(
        parent, tr("Choose a photo"), existingFolder(folder),
        tr("Pictures (%1)").arg(PictureFile::namePatterns().join(QLatin1Char(' '))));
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
    return !monitor()->cameras().isEmpty();
}

std::unique_ptr<CameraSource> QtPickerPlatform::openCamera() {
    const QStringList present = monitor()->cameras();
    if (present.isEmpty())
        return nullptr;
    // Qt's list may hold a stale entry for a camera unplugged and plugged in again under the
    // same name; the entry it added last is the live one.
    const QList<QCameraDevice> inputs = QMediaDevices::videoInputs();
    QCameraDevice device;
    for (const QCameraDevice& input : inputs) {
        if (present.contains(input.description()))
            device = input;
    }
    if (device.isNull() && !inputs.isEmpty())
        device = inputs.last();
    if (device.isNull())
        return nullptr;
    auto source = std::make_unique<QtCameraSource>(device);
    QPointer<QtCameraSource> opened(source.get());
    connect(m_monitor, &CameraMonitor::changed, source.get(),
            [this, opened, name = device.description()] {
                if (opened && !m_monitor->cameras().contains(name))
                    opened->deviceRemoved();
            });
    return source;
}

} // namespace toolkit
