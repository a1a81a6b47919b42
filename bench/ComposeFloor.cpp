// The Qt-only compose floor: what composing a portrait costs with Qt alone. The photo read
// by QImageReader at a quarter of its size (libjpeg's DCT scaling), smoothly scaled to
// 360 x 480, an overlay read and painted over it with QPainter, written by Qt's PNG writer.
// A batch composes its photos on QtConcurrent's pool, the overlay read once.
//   velmora_compose_floor PHOTO OVERLAY OUT.png
//   velmora_compose_floor --batch OVERLAY OUTDIR PHOTO...

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QtConcurrent>
#include <cstdio>

namespace {
bool compose(const QString& photoPath, const QImage& overlay, const QString& out) {
    QImageReader reader(photoPath);
    const QSize stored = reader.size();
    reader.setScaledSize(stored / 4);
    QImage photo = reader.read();
    if (photo.isNull())
        return false;
    QImage portrait = photo.scaled(360, 480, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                          .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&portrait);
    painter.drawImage(0, 0, overlay);
    painter.end();
    return portrait.save(out, "PNG");
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() >= 4 && args[0] == QLatin1String("--batch")) {
        const QImage overlay(args[1]);
        const QDir out(args[2]);
        QList<int> indices;
        for (int i = 3; i < args.size(); ++i)
            indices << i;
        const QList<bool> done = QtConcurrent::blockingMapped(indices, [&](int i) {
            return compose(args[i], overlay, out.filePath(QStringLiteral("%1.png").arg(i - 3)));
        });
        return done.contains(false) ? 1 : 0;
    }
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: velmora_compose_floor PHOTO OVERLAY OUT.png\n"
                             "       velmora_compose_floor --batch OVERLAY OUTDIR PHOTO...\n");
        return 2;
    }
    return compose(args[0], QImage(args[1]), args[2]) ? 0 : 1;
}
