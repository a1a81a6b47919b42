// The window's launch as main() runs it, which prints "frame" and its CPU time so far once
// the first frame has been painted, and then quits; bench/launch times it from the process's start.
// Not a test: the figure depends on the machine.

#include "app/Program.h"
#include "app/WindowModule.h"
#include "base/Resources.h"
#include "face/HogFaceDetector.h"
#include "imaging/ProcessSetup.h"

#include "FirstPaint.h"

#include <QCoreApplication>
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

// Linked and started as the program is: the window comes from its module.
int main(int argc, char** argv) {
    // The build tree's pictures and modules, for the module's copy of the resources too.
    qputenv("VELMORA_RESOURCES", VELMORA_BENCH_RESOURCES);
    qputenv("VELMORA_MODULES", VELMORA_MODULES);
    WindowStart start;
    start.programName = argv[0];
    start.started = [] { qApp->installEventFilter(new FirstPaint(printFrame, qApp)); };
    VelmoraWindowEntry window = nullptr;
    {
        QCoreApplication finding(argc, argv);
        toolkit::configureProcess(programIdentity());
        start.faces =
            std::make_shared<toolkit::HogFaceDetector>(toolkit::HogFaceDetector::resourceFile());
        window = reinterpret_cast<VelmoraWindowEntry>(
            toolkit::loadModuleEntry(QStringLiteral("window"), VELMORA_WINDOW_MODULE_ENTRY).entry);
        if (!window) {
            std::fprintf(stderr, "velmora_launch_probe: no window module in %s\n", VELMORA_MODULES);
            return 1;
        }
    }
    return window(start);
}
