#include "app/Preferences.h"

#include "base/ApplicationIdentity.h"
#include "base/Log.h"

#include <QSettings>

#include <memory>

namespace {

std::unique_ptr<QSettings> open() {
    return toolkit::ApplicationIdentity::current().settings();
}

const QString kFit = QStringLiteral("portrait/fit");

} // namespace

std::optional<PortraitComposer::Fit> Preferences::fit() {
    const QString value = open()->value(kFit).toString();
    if (value == QLatin1String("face"))
        return PortraitComposer::Fit::Face;
    if (value == QLatin1String("stretch"))
        return PortraitComposer::Fit::Stretch;
    return std::nullopt;
}

void Preferences::setFit(PortraitComposer::Fit fit) {
    const std::unique_ptr<QSettings> settings = open();
    settings->setValue(kFit, fit == PortraitComposer::Fit::Face ? QStringLiteral("face")
                                                                : QStringLiteral("stretch"));
    settings->sync();
    if (settings->status() != QSettings::NoError)
        toolkit::log(QStringLiteral("the fit could not be kept for the next run: %1 "
                                    "cannot be written")
                         .arg(settings->fileName()));
}
