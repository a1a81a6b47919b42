#include "base/ApplicationIdentity.h"

#include <QCoreApplication>
#include <QSettings>

namespace toolkit {

namespace {
// Written once at start-up, before any thread runs; only read afterwards, from any thread.
// Not QGuiApplication's display name: Qt would add it to every window title.
ApplicationIdentity& recorded() {
    static ApplicationIdentity identity;
    return identity;
}
} // namespace

ApplicationIdentity ApplicationIdentity::current() {
    return recorded();
}

void ApplicationIdentity::record() const {
    recorded() = *this;
}

QString ApplicationIdentity::environmentVariable(const QString& setting) const {
    return name.toUpper() + QLatin1Char('_') + setting;
}

std::unique_ptr<QSettings> ApplicationIdentity::settings() const {
    const QString folder = name.isEmpty() ? QCoreApplication::applicationName() : name;
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, folder, folder);
}

} // namespace toolkit
