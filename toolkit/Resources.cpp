#include "Resources.h"

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
    const QString fromEnv = qEnvironmentVariable("VELMORA_RESOURCES");
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QString appDir = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {appDir + QStringLiteral("/resources"),
                                     appDir + QStringLiteral("/../share/velmora/resources")}) {
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
