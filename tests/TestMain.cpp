#include "app/VelmoraAppDelegate.h"
#include "base/Resources.h"
#include "imaging/ImageDecoder.h"
#include "imaging/ProcessSetup.h"
#include "ui/Application.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Offscreen, unless a run under Xvfb asks for X11 (a drag from another program needs it).
    if (qgetenv("QT_QPA_PLATFORM") != "xcb")
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings a test makes (the fit, the camera's) never reach the user's, nor the next test.
    QTemporaryDir configuration;
    qputenv("XDG_CONFIG_HOME", configuration.path().toLocal8Bit());
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    toolkit::configureProcess(VelmoraAppDelegate::identity());
    toolkit::setResourcePath(QStringLiteral(VELMORA_TEST_RESOURCES));
    toolkit::setModuleFolder(QStringLiteral(VELMORA_MODULES));
    const int status = RUN_ALL_TESTS();
    // The leak check runs at exit and stops every thread to read its stack: background
    // decodes and pool threads still winding down make it crash now and then, so they are
    // let finish first.
    QDeadlineTimer deadline(15000);
    while (toolkit::ImageDecoder::decodesRunning() > 0 && !deadline.hasExpired())
        QThread::msleep(5);
    QThreadPool::globalInstance()->waitForDone(int(deadline.remainingTime()));
    return status;
}
