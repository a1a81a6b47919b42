#include "base/Resources.h"

#include "base/ApplicationIdentity.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace toolkit {

namespace {
QString& overridePath() {
    static QString p;
    return p;
}

QString findResourcePath() {
    const ApplicationIdentity identity = ApplicationIdentity::current();
    const QString fromEnv =
        qEnvironmentVariable(identity.environmentVariable(QStringLiteral("RESOURCES")).toLatin1());
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QString appDir = QCoreApplication::applicationDirPath();
    for (const QString& candidate :
         {appDir + QStringLiteral("/resources"),
          appDir + QStringLiteral("/../share/") + identity.name + QStringLiteral("/resources")}) {
        if (QFileInfo(candidate).isDir())
            return QDir::cleanPath(candidate);
    }
    return appDir + QStringLiteral("/resources");
}
QString& moduleFolder() {
    static QString folder;
    return folder;
}
} // namespace

QString resourcePath() {
    if (overridePath().isEmpty())
        overridePath() = findResourcePath();
    return overridePath();
}

void setResourcePath(const QString& path) {
    overridePath() = path;
}

QString modulePath(const QString& module) {
    const ApplicationIdentity identity = ApplicationIdentity::current();
    const QString file = identity.name + QLatin1Char('-') + module + QStringLiteral(".so");
    if (!moduleFolder().isEmpty())
        return QDir(moduleFolder()).filePath(file);
    const QString fromEnv =
        qEnvironmentVariable(identity.environmentVariable(QStringLiteral("MODULES")).toLatin1());
    if (!fromEnv.isEmpty())
        return QDir(fromEnv).filePath(file);
    const QString appDir = QCoreApplication::applicationDirPath();
    // Relative to the executable, so that the installed tree can move as a whole.
    const QString libDir = QStringLiteral(TOOLKIT_INSTALL_LIBDIR);
    const QString installed = QDir::isAbsolutePath(libDir)
                                  ? libDir
                                  : QDir::cleanPath(appDir + QStringLiteral("/../") + libDir);
    const QString modules =
        installed + QLatin1Char('/') + identity.name + QStringLiteral("/modules");
    const QStringList candidates = {appDir + QLatin1Char('/') + file,
                                    modules + QLatin1Char('/') + file};
    for (const QString& candidate : candidates) {
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return candidates.first();
}

void setModuleFolder(const QString& folder) {
    moduleFolder() = folder;
}

ModuleEntry loadModuleEntry(const QString& module, const char* entry) {
    ModuleEntry found;
    found.path = modulePath(module);
    // QLibrary would name the last of the names it tried, not the file that is missing.
    if (!QFileInfo::exists(found.path)) {
        found.problem = ModuleEntry::Problem::Missing;
        return found;
    }
    QLibrary library(found.path);
    if (!library.load()) {
        found.problem = ModuleEntry::Problem::NotLoaded;
    } else if (!(found.entry = library.resolve(entry))) {
        found.problem = ModuleEntry::Problem::NoEntry;
    }
    if (found.problem != ModuleEntry::Problem::None)
        found.detail = library.errorString();
    return found;
}

} // namespace toolkit
