#include "ui/QtPickerPlatform.h"

#include "base/Log.h"
#include "base/Resources.h"
#include "camera/CameraBackend.h"
#include "camera/CameraModule.h"
#include "imaging/PictureFile.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
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

CameraBackend* QtPickerPlatform::loadCameraBackend() {
    const ModuleEntry module =
        loadModuleEntry(QStringLiteral("camera"), TOOLKIT_CAMERA_MODULE_ENTRY);
    switch (module.problem) {
    case ModuleEntry::Problem::None:
        return reinterpret_cast<ToolkitCameraBackendEntry>(module.entry)(this);
    case ModuleEntry::Problem::Missing:
        m_problem = tr("Camera support is not installed: %1 is missing.").arg(module.path);
        break;
    case ModuleEntry::Problem::NotLoaded:
        m_problem = tr("Camera support could not be loaded: %1").arg(module.detail);
        break;
    case ModuleEntry::Problem::NoEntry:
        m_problem =
            tr("Camera support could not be loaded: %1 is of another version.").arg(module.path);
        break;
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
