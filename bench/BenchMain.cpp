#include "BenchSession.h"
#include "PhotoFactory.h"
#include "app/VelmoraAppDelegate.h"
#include "base/Resources.h"
#include "imaging/ProcessSetup.h"
#include "ui/Application.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {
QtMessageHandler qtDefault = nullptr;

// Every launch in the loop shows a window, and the offscreen platform says each time that
// it cannot raise it; nothing else is hidden.
void quieter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message == QLatin1String("This plugin does not support raise()"))
        return;
    qtDefault(type, context, message);
}
} // namespace

int main(int argc, char** argv) {
    // The benchmarks render windows but never show one on a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qtDefault = qInstallMessageHandler(quieter);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QApplication app(argc, argv);
    toolkit::configureProcess(VelmoraAppDelegate::identity());
    toolkit::setResourcePath(QStringLiteral(VELMORA_BENCH_RESOURCES));

    benchmark::RunSpecifiedBenchmarks();

    // Widgets must go while the QApplication is still there.
    BenchSession::end();
    PhotoFactory::removeAll();
    benchmark::Shutdown();
    return 0;
}
