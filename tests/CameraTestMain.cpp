#include "app/VelmoraAppDelegate.h"
#include "base/Resources.h"
#include "imaging/ProcessSetup.h"
#include "ui/Application.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The camera tests run Qt's real camera backend on the fake webcam of tests/fakecamera, on
// the platform the environment names (offscreen unless told; X11 under Xvfb as well).
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QByteArray plugins = VELMORA_FAKE_CAMERA_PLUGINS;
    qputenv("GST_PLUGIN_PATH", plugins);
    qputenv("GST_REGISTRY", plugins + "/registry.bin");
    // Only the fake camera is seen, whatever webcam the machine has.
    qputenv("GST_PLUGIN_FEATURE_RANK", "v4l2deviceprovider:NONE,pipewiredeviceprovider:NONE,"
                                       "libcameraprovider:NONE");
    const QByteArray control =
        QDir::temp().filePath(QStringLiteral("velmora-fake-camera-%1").arg(getpid())).toUtf8();
    qputenv("VELMORA_FAKE_CAMERA", control);
    // The camera page's kept choices go to a folder of the run's own, not the user's.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    toolkit::configureProcess(VelmoraAppDelegate::identity());
    toolkit::setResourcePath(QStringLiteral(VELMORA_TEST_RESOURCES));
    toolkit::setModuleFolder(QStringLiteral(VELMORA_MODULES));
    const int result = RUN_ALL_TESTS();
    QFile::remove(QString::fromUtf8(control));
    return result;
}
