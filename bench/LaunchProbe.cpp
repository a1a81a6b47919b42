// The window's launch as main() runs it, which prints "frame" and its CPU time so far once
// the first frame has been painted, and then quits; bench/launch times it from the process's start.
// Not a test: the figure depends on the machine.

#include "app/MainInterface.h"
#include "base/Resources.h"
#include "imaging/ProcessSetup.h"
#include "ui/Application.h"
#include "ui/QtPickerPlatform.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {
// Sees the first paint of any widget; the frame is whole once that paint pass has returned.
class FirstPaint : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, [] {
                // The CPU time so far, every thread's: steadier than wall time on a busy machine.
                rusage usage{};
                getrusage(RUSAGE_SELF, &usage);
                const double cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                                     (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
                std::printf("frame %.1f\n", cpuMs);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};
} // namespace

int main(int argc, char** argv) {
    static int qtArgc = 1;
    static char* qtArgv[] = {argv[0], nullptr};
    (void)argc;
    QGuiApplication::setDesktopFileName(QStringLiteral("org.velmora.Velmora"));
    toolkit::configureProcess(VelmoraAppDelegate::identity());
    return toolkit::applicationMain(qtArgc, qtArgv, [] {
        toolkit::setResourcePath(QStringLiteral(VELMORA_BENCH_RESOURCES));
        toolkit::setModuleFolder(QStringLiteral(VELMORA_MODULES));
        setApplicationIcon();
        qApp->installEventFilter(new FirstPaint(qApp));
        return loadMainInterface(std::make_unique<toolkit::QtPickerPlatform>());
    });
}
