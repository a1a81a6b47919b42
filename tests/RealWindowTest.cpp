#include "TestSupport.h"

#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <csignal>

namespace {

// Deadlines, not delays: a loaded machine makes the test slower, never wrong.
constexpr int kStartMs = 120000;
constexpr int kQuitMs = 60000;

} // namespace

// The real application in a real (virtual) X window: it starts, shows its window, takes a
// memory warning (SIGUSR1) and quits cleanly on SIGTERM.
TEST(RealWindow, StartsTakesAMemoryWarningAndQuitsOnSigterm) {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString xwininfo = QStandardPaths::findExecutable(QStringLiteral("xwininfo"));
    if (xvfb.isEmpty() || xwininfo.isEmpty())
        GTEST_SKIP() << "Xvfb or xwininfo is not installed";

    // The server picks a free display itself and names it (-displayfd): choosing a number
    // beforehand, as xvfb-run -a does, races with any other virtual display starting at
    // the same time, and the loser's application never gets a window.
    // -noreset: the server would otherwise reset whenever its last client leaves (each
    // xwininfo below), and an application connecting during that reset is refused.
    QProcess server;
    server.start(xvfb,
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                  QStringLiteral("0"), QStringLiteral("800x700x24"), QStringLiteral("-nolisten"),
                  QStringLiteral("tcp"), QStringLiteral("-noreset")});
    ASSERT_TRUE(waitUntil([&] { return server.canReadLine(); }, kStartMs))
        << qPrintable(server.readAllStandardError());
    const QString display = QLatin1Char(':') + QString::fromLatin1(server.readLine()).trimmed();
    auto stopServer = qScopeGuard([&] {
        server.terminate();
        server.waitForFinished(kQuitMs);
    });

    QTemporaryDir album;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("XAUTHORITY"));
    env.insert(QStringLiteral("DISPLAY"), display);
    QProcess app;
    app.setProcessEnvironment(env);
    app.start(QStringLiteral(VELMORA_BINARY), {QStringLiteral("--album"), album.path()});
    ASSERT_TRUE(app.waitForStarted(kStartMs)) << qPrintable(app.errorString());

    auto windowShown = [&] {
        QProcess query;
        query.setProcessEnvironment(env);
        query.start(xwininfo, {QStringLiteral("-root"), QStringLiteral("-tree")});
        return query.waitForFinished(kQuitMs) &&
               query.readAllStandardOutput().contains("\"Velmora\"");
    };
    ASSERT_TRUE(
        waitUntil([&] { return app.state() != QProcess::Running || windowShown(); }, kStartMs));
    ASSERT_EQ(app.state(), QProcess::Running) << "the application ended before showing its window: "
                                              << qPrintable(app.readAllStandardError());
    EXPECT_TRUE(windowShown()) << "no window named Velmora";

    ASSERT_EQ(::kill(app.processId(), SIGUSR1), 0);
    // Had the warning ended it, the window would be gone and the status below not 0.
    EXPECT_TRUE(windowShown()) << "the window went away on the memory warning";
    ASSERT_EQ(::kill(app.processId(), SIGTERM), 0);
    ASSERT_TRUE(app.waitForFinished(kQuitMs)) << "the application did not quit";
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0) << qPrintable(app.readAllStandardError());
}
