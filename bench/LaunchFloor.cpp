// The launch floor: what any Qt Widgets window of Velmora's size costs to its first frame,
// a QApplication with one 540 x 804 widget and one label (the font database included).
// Prints "frame" at its first paint and quits, as the launch probe does.

#include "FirstPaint.h"

#include <QApplication>
#include <QLabel>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.installEventFilter(new FirstPaint(
        [] {
            std::printf("frame\n");
            std::fflush(stdout);
        },
        &app));
    QWidget window;
    window.resize(540, 804);
    auto* label = new QLabel(QStringLiteral("Velmora"), &window);
    label->move(20, 20);
    window.show();
    return app.exec();
}
