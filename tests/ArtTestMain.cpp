#include <QGuiApplication>
#include <gtest/gtest.h>

// The overlay tests paint with QPainter and read pictures: a GUI application, offscreen.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
