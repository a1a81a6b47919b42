// The window's launch as main() runs it, which prints "frame" and its CPU time so far once
// the first frame has been painted, and then quits; bench/launch times it from the process's start.
// Not a test: the figure depends on the machine.

#include "app/MainInterface.h"
#include "base/Resources.h"
#include "imaging/ProcessSetup.h"
#include "ui/Application.h"
#include "ui/QtPickerPlatform.h"

#include "FirstPaint.h"

#include <QApplication>
#include <cstdio>
#include <sys/resource.h>

namespace {
// The CPU time so far, every thread's: steadier than wall time on a busy machine.
void printFrame() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    std::printf("frame %.1f\n", cpuMs);
    std::fflush(stdout);
}
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
        qApp->installEventFilter(new FirstPaint(printFrame, qApp));
        return loadMainInterface(std::make_unique<toolkit::QtPickerPlatform>());
    });
}
