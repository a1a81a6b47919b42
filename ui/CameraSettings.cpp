#include "ui/CameraSettings.h"

#include "base/ApplicationIdentity.h"

#include <QSettings>

namespace toolkit {

namespace {
const QString kCountdownKey = QStringLiteral("camera/countdown");
const QString kMirrorKey = QStringLiteral("camera/mirror");
const QString kNameKey = QStringLiteral("camera/name");
const QString kLiveAuraKey = QStringLiteral("camera/liveAura");
const QString kReducedMotionKey = QStringLiteral("camera/reducedMotion");

int normalised(int seconds) {
    if (seconds <= 0)
        return 0;
    return seconds <= 3 ? 3 : 10;
}
} // namespace

QString CameraSettings::cameraName() {
    return ApplicationIdentity::current().settings()->value(kNameKey).toString();
}

void CameraSettings::setCameraName(const QString& name) {
    ApplicationIdentity::current().settings()->setValue(kNameKey, name);
}

int CameraSettings::countdownSeconds() {
    bool ok = false;
    const int seconds =
        ApplicationIdentity::current().settings()->value(kCountdownKey, 3).toInt(&ok);
    return ok ? normalised(seconds) : 3;
}

void CameraSettings::setCountdownSeconds(int seconds) {
    ApplicationIdentity::current().settings()->setValue(kCountdownKey, normalised(seconds));
}

int CameraSettings::nextCountdown(int seconds) {
    switch (normalised(seconds)) {
    case 0:
        return 3;
    case 3:
        return 10;
    default:
        return 0;
    }
}

bool CameraSettings::mirrored() {
    return ApplicationIdentity::current().settings()->value(kMirrorKey, true).toBool();
}

void CameraSettings::setMirrored(bool mirrored) {
    ApplicationIdentity::current().settings()->setValue(kMirrorKey, mirrored);
}

bool CameraSettings::liveAura() {
    return ApplicationIdentity::current().settings()->value(kLiveAuraKey, false).toBool();
}

void CameraSettings::setLiveAura(bool on) {
    ApplicationIdentity::current().settings()->setValue(kLiveAuraKey, on);
}

bool CameraSettings::flashAllowed() {
    // Qt 6.4 exposes no desktop reduced-motion hint, so the choice is ours to offer.
    const QString variable =
        ApplicationIdentity::current().environmentVariable(QStringLiteral("REDUCED_MOTION"));
    if (qEnvironmentVariableIntValue(variable.toLatin1().constData()) == 1)
        return false;
    return !ApplicationIdentity::current().settings()->value(kReducedMotionKey, false).toBool();
}

} // namespace toolkit
