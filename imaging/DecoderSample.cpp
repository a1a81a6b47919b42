#include "imaging/DecoderSample.h"

#include "imaging/PngEncoder.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace toolkit {

namespace {
constexpr int kSide = 16;

// Plain memory only: libjpeg cannot fail here but by running out of it, which ends the
// process as its default handler does.
QByteArray jpegOf(const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(rgb.width());
    info.image_height = JDIMENSION(rgb.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uchar*>(rgb.constScanLine(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(size));
    std::free(out);
    return bytes;
}
} // namespace

QByteArray DecoderSample::of(const QByteArray& format) {
    QImage picture(kSide, kSide, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    if (format == "jpeg")
        return jpegOf(picture);
    if (format == "png") {
        auto encoded = PngEncoder::encode(picture);
        return encoded.ok() ? encoded.value() : QByteArray();
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.canWrite() || !writer.write(picture))
        return QByteArray();
    return bytes;
}

} // namespace toolkit
