#include "PhotoFactory.h"

#include <QDir>
#include <QHash>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

namespace {

std::unique_ptr<QTemporaryDir>& folder() {
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}

QHash<int, QString>& written() {
    static QHash<int, QString> paths;
    return paths;
}

// A few long waves per colour channel along one axis: smooth like light falling on a scene.
std::vector<std::array<float, 3>> waves(int length, std::mt19937& rng) {
    std::uniform_real_distribution<float> cycles(0.3f, 4.0f);
    std::uniform_real_distribution<float> phase(0.0f, 2 * std::numbers::pi_v<float>);
    std::vector<std::array<float, 3>> out(size_t(length), {0, 0, 0});
    for (int c = 0; c < 3; ++c) {
        for (int k = 0; k < 3; ++k) {
            const float f = cycles(rng) * 2 * std::numbers::pi_v<float> / float(length);
            const float p = phase(rng);
            const float a = 1.0f / float(k + 1);
            for (int i = 0; i < length; ++i)
                out[size_t(i)][size_t(c)] += a * std::sin(f * float(i) + p);
        }
    }
    return out;
}

} // namespace

QSize PhotoFactory::size(Kind kind) {
    return kind == Kind::Jpeg48 ? QSize(8000, 6000) : QSize(4000, 3000);
}

QImage PhotoFactory::draw(QSize size, quint32 seed) {
    std::mt19937 rng(seed);
    const int w = size.width();
    const int h = size.height();
    QImage image(size, QImage::Format_RGB32);
    const auto alongX = waves(w, rng);
    const auto alongY = waves(h, rng);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const auto& wy = alongY[size_t(y)];
        for (int x = 0; x < w; ++x) {
            const auto& wx = alongX[size_t(x)];
            int rgb[3];
            for (int c = 0; c < 3; ++c)
                rgb[c] = int(120 + 35 * wx[size_t(c)] + 35 * wy[size_t(c)] +
                             20 * wx[size_t(c)] * wy[size_t(c)]);
            line[x] = qRgb(qBound(0, rgb[0], 255), qBound(0, rgb[1], 255), qBound(0, rgb[2], 255));
        }
    }

    // Objects: soft-edged and hard-edged shapes at every scale.
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        std::uniform_int_distribution<int> channel(0, 255);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int i = 0; i < 40; ++i) {
            const double r = std::max(w, h) * (0.01 + 0.2 * unit(rng) * unit(rng));
            const QPointF centre(w * unit(rng), h * unit(rng));
            painter.setBrush(
                QColor(channel(rng), channel(rng), channel(rng), 90 + channel(rng) / 2));
            if (i % 3 == 0)
                painter.drawRect(QRectF(centre, QSizeF(r * 1.5, r)));
            else
                painter.drawEllipse(centre, r, r * (0.5 + unit(rng)));
        }
    }

    // Sensor grain: mostly luminance, a little colour.
    std::uint32_t state = seed * 2654435761u + 1;
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int luma = (int(state & 0xff) + int((state >> 8) & 0xff) - 255) / 20;
            const int chroma = (int((state >> 16) & 0x07) - 4);
            const QRgb p = line[x];
            line[x] =
                qRgb(qBound(0, qRed(p) + luma + chroma, 255), qBound(0, qGreen(p) + luma, 255),
                     qBound(0, qBlue(p) + luma - chroma, 255));
        }
    }
    return image;
}

QString PhotoFactory::path(Kind kind) {
    const int key = int(kind);
    if (written().contains(key))
        return written().value(key);
    if (!folder()) {
        folder() = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/velmora-bench-XXXXXX");
        if (!folder()->isValid()) {
            std::fprintf(stderr, "velmora_bench: cannot make a temporary folder: %s\n",
                         qPrintable(folder()->errorString()));
            std::exit(1);
        }
    }
    const bool png = kind == Kind::Png12;
    const QString name = kind == Kind::Jpeg48 ? "photo-48mp.jpg"
                         : png                ? "photo-12mp.png"
                                              : "photo-12mp.jpg";
    const QString file = folder()->filePath(name);
    QImageWriter writer(file, png ? "png" : "jpeg");
    // Phone cameras store JPEG at about this quality; PNG at zlib's default level.
    writer.setQuality(png ? -1 : 90);
    if (!writer.write(draw(size(kind), 7 + quint32(key)))) {
        std::fprintf(stderr, "velmora_bench: cannot write %s: %s\n", qPrintable(file),
                     qPrintable(writer.errorString()));
        std::exit(1);
    }
    written().insert(key, file);
    return file;
}

void PhotoFactory::removeAll() {
    written().clear();
    folder().reset();
}
