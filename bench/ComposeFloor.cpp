// The Qt-only compose floor: what composing a portrait costs with Qt alone. The photo read
// by QImageReader at a quarter of its size (libjpeg's DCT scaling), smoothly scaled to
// 360 x 480, an overlay read and painted over it with QPainter, written by Qt's PNG writer.
//   velmora_compose_floor PHOTO OVERLAY OUT.png

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: velmora_compose_floor PHOTO OVERLAY OUT.png\n");
        return 2;
    }
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    const QSize stored = reader.size();
    reader.setScaledSize(stored / 4);
    QImage photo = reader.read();
    if (photo.isNull())
        return 1;
    QImage portrait = photo.scaled(360, 480, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                          .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&portrait);
    painter.drawImage(0, 0, QImage(QString::fromLocal8Bit(argv[2])));
    painter.end();
    return portrait.save(QString::fromLocal8Bit(argv[3]), "PNG") ? 0 : 1;
}
