#include "imaging/PixelFile.h"

#include <QFile>
#include <QtEndian>
#include <cstring>

namespace toolkit {

namespace {
constexpr quint32 kTag = 0x31584950; // "PIX1" as it lies in the file
constexpr qsizetype kHeaderBytes = 16;
// Larger than any picture the program ships.
constexpr quint32 kMaxSide = 8192;
} // namespace

QImage PixelFile::read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    quint32 header[4];
    if (file.read(reinterpret_cast<char*>(header), kHeaderBytes) != kHeaderBytes)
        return QImage();
    const quint32 width = qFromLittleEndian(header[1]), height = qFromLittleEndian(header[2]);
    if (qFromLittleEndian(header[0]) != kTag || header[3] != 0 || width == 0 || height == 0 ||
        width > kMaxSide || height > kMaxSide)
        return QImage();
    const qint64 rowBytes = qint64(width) * 4;
    if (file.size() != kHeaderBytes + rowBytes * height)
        return QImage();
    QImage image(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return QImage();
    // One read when the rows lie end to end in memory, as they do at four bytes a pixel.
    if (image.bytesPerLine() == rowBytes) {
        const qint64 bytes = rowBytes * height;
        if (file.read(reinterpret_cast<char*>(image.bits()), bytes) != bytes)
            return QImage();
    } else {
        for (int y = 0; y < image.height(); ++y)
            if (file.read(reinterpret_cast<char*>(image.scanLine(y)), rowBytes) != rowBytes)
                return QImage();
    }
    if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN) {
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<quint32*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                row[x] = qFromLittleEndian(row[x]);
        }
    }
    return image;
}

QByteArray PixelFile::encode(const QImage& image) {
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QByteArray bytes;
    if (pixels.isNull())
        return bytes;
    const quint32 header[4] = {qToLittleEndian(kTag), qToLittleEndian(quint32(pixels.width())),
                               qToLittleEndian(quint32(pixels.height())), 0};
    bytes.reserve(kHeaderBytes + qsizetype(pixels.width()) * pixels.height() * 4);
    bytes.append(reinterpret_cast<const char*>(header), kHeaderBytes);
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* row = reinterpret_cast<const quint32*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            const quint32 value = qToLittleEndian(row[x]);
            bytes.append(reinterpret_cast<const char*>(&value), 4);
        }
    }
    return bytes;
}

} // namespace toolkit
