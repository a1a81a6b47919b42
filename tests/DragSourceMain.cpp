// A second program that drags a file onto the screen as a file manager does, through the
// X11 drag-and-drop protocol: the drop target sees a real desktop drag, not events sent to it.
//
//   velmora_drag_source FILE X,Y [X,Y…]
//
// The pointer goes through each global point in turn, the button is released over the last.
// Prints "dropped" when the target took the drop, "refused" when not, then serves the drop's
// data until its standard input is closed; exits with 0, 1 or (bad arguments) 2 to match.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QList<QPoint> path;
    for (const QString& arg : args.mid(1)) {
        const QStringList xy = arg.split(QLatin1Char(','));
        bool okX = false, okY = false;
        if (xy.size() == 2)
            path.append(QPoint(xy[0].toInt(&okX), xy[1].toInt(&okY)));
        if (!okX || !okY) {
            std::fprintf(stderr, "velmora_drag_source: \"%s\" is not a point X,Y\n",
                         qPrintable(arg));
            return 2;
        }
    }
    if (args.isEmpty() || path.isEmpty()) {
        std::fprintf(stderr, "usage: velmora_drag_source FILE X,Y [X,Y...]\n");
        return 2;
    }

    // The drag starts from a small window of its own in the screen's corner, as from a file
    // manager's icon.
    QWidget source;
    source.setWindowFlag(Qt::FramelessWindowHint);
    source.setGeometry(0, 0, 24, 24);
    source.show();
    if (!QTest::qWaitForWindowExposed(&source))
        return 2;
    QWindow* handle = source.windowHandle();
    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(12, 12));

    // Mouse events for the source window, at points outside it: the drag follows them
    // across the screen. Each point is held a while so that the target's answer to it
    // arrives before the next.
    int step = 0;
    QTimer pointer;
    pointer.setInterval(150);
    QObject::connect(&pointer, &QTimer::timeout, [&] {
        const QPoint local = handle->mapFromGlobal(path[qMin(step, int(path.size()) - 1)]);
        if (step < path.size())
            QTest::mouseMove(handle, local);
        else
            QTest::mouseRelease(handle, Qt::LeftButton, {}, local);
        ++step;
    });
    pointer.start();

    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(args.first())});
    auto* drag = new QDrag(&source);
    drag->setMimeData(data);
    const Qt::DropAction done = drag->exec(Qt::CopyAction);
    std::printf("%s\n", done == Qt::IgnoreAction ? "refused" : "dropped");
    std::fflush(stdout);
    // The target asks for the file's name only once the drop is done, as a file manager
    // would answer it: the program serves it until its input is closed.
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[64];
        if (::read(0, buffer, sizeof buffer) <= 0)
            app.quit();
    });
    app.exec();
    return done == Qt::IgnoreAction ? 1 : 0;
}
