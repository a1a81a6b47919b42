#include "base/Resources.h"

#include "base/ApplicationIdentity.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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
} // namespace

QString resourcePath() {
    if (overridePath().isEmpty())
        overridePath() = findResourcePath();
    return overridePath();
}

void setResourcePath(const QString& path) {
    overridePath() = path;
}

} // namespace toolkit
