#include "ui/QtPickerPlatform.h"

#include "base/Log.h"
#include "base/Resources.h"
#include "camera/CameraBackend.h"
#include "camera/CameraModule.h"
#include "imaging/PictureFile.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibrary>
#include <QPointer>

namespace toolkit {

namespace {
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

QtPickerPlatform::QtPickerPlatform(QObject* parent) : PickerPlatform(parent) {}

// The module stays loaded for the life of the process: the backend's code is in it.
CameraBackend* QtPickerPlatform::loadCameraBackend() {
    const QString path = modulePath(QStringLiteral("camera"));
    // QLibrary would name the last of the names it tried, not the file that is missing.
    if (!QFileInfo::exists(path)) {
        m_problem = tr("Camera support is not installed: %1 is missing.").arg(path);
    } else {
        QLibrary module(path);
        if (!module.load()) {
            m_problem = tr("Camera support could not be loaded: %1").arg(module.errorString());
        } else if (auto entry = reinterpret_cast<ToolkitCameraBackendEntry>(
                       module.resolve(TOOLKIT_CAMERA_MODULE_ENTRY))) {
            return entry(this);
        } else {
            m_problem =
                tr("Camera support could not be loaded: %1 is of another version.").arg(path);
        }
    }
    qCWarning(programLog, "camera: %s", qUtf8Printable(m_problem));
    return nullptr;
}

CameraBackend* QtPickerPlatform::backend() const {
    if (!m_looked) {
        m_looked = true;
        auto* self = const_cast<QtPickerPlatform*>(this);
        m_backend = self->loadCameraBackend();
        if (m_backend)
            connect(m_backend, &CameraBackend::changed, self, &PickerPlatform::camerasChanged);
        // Those who waited for the first answer hear it even when it is "none".
        QMetaObject::invokeMethod(self, &PickerPlatform::camerasChanged, Qt::QueuedConnection);
    }
    return m_backend;
}

void QtPickerPlatform::lookForCameras() {
    backend();
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
    return backend() && !m_backend->cameras().isEmpty();
}

QStringList QtPickerPlatform::cameraNames() const {
    return backend() ? m_backend->cameras() : QStringList();
}

std::unique_ptr<CameraSource> QtPickerPlatform::openCamera(const QString& preferred) {
    return backend() ? m_backend->openCamera(preferred) : nullptr;
}

} // namespace toolkit
