#include "TestSupport.h"

#include <QProcess>
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
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    const QString xwininfo = QStandardPaths::findExecutable(QStringLiteral("xwininfo"));
    if (xvfb.isEmpty() || xwininfo.isEmpty())
        GTEST_SKIP() << "xvfb-run or xwininfo is not installed";
    QTemporaryDir album;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    // The shell says where the display is and which process to signal, then becomes the
    // application (exec keeps its process id).
    process.start(xvfb, {QStringLiteral("-a"), QStringLiteral("sh"), QStringLiteral("-c"),
                         QStringLiteral("echo \"$$ $DISPLAY $XAUTHORITY\"; exec \"$0\" --album "
                                        "\"$1\""),
                         QStringLiteral(VELMORA_BINARY), album.path()});
    ASSERT_TRUE(waitUntil([&] { return process.canReadLine(); }, kStartMs))
        << qPrintable(process.readAllStandardError());
    const QStringList where = QString::fromLocal8Bit(process.readLine()).trimmed().split(' ');
    ASSERT_EQ(where.size(), 3) << qPrintable(where.join(' '));
    const pid_t pid = where[0].toInt();
    ASSERT_GT(pid, 0);

    QProcessEnvironment display = QProcessEnvironment::systemEnvironment();
    display.insert(QStringLiteral("DISPLAY"), where[1]);
    display.insert(QStringLiteral("XAUTHORITY"), where[2]);
    auto windowShown = [&] {
        QProcess query;
        query.setProcessEnvironment(display);
        query.start(xwininfo, {QStringLiteral("-root"), QStringLiteral("-tree")});
        return query.waitForFinished(kQuitMs) &&
               query.readAllStandardOutput().contains("\"Velmora\"");
    };
    EXPECT_TRUE(waitUntil(windowShown, kStartMs)) << "no window named Velmora";

    ASSERT_EQ(::kill(pid, SIGUSR1), 0);
    // Had the warning ended it, the window would be gone and the status below not 0.
    EXPECT_TRUE(windowShown()) << "the window went away on the memory warning";
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    ASSERT_TRUE(process.waitForFinished(kQuitMs)) << "the application did not quit";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << qPrintable(process.readAllStandardError());
}
