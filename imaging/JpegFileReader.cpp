#include "imaging/JpegFileReader.h"

#include <QFile>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace toolkit {

namespace {
// Larger than any picture the program ships.
constexpr JDIMENSION kMaxSide = 8192;

struct Failure {
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

[[noreturn]] void fail(j_common_ptr info) {
    std::longjmp(reinterpret_cast<Failure*>(info->err)->back, 1);
}

// Decodes `bytes` into `image`; false on any complaint. Only plain values live in this
// frame, so that the jump back from libjpeg's error handler skips no destructor.
bool decode(const QByteArray& bytes, QImage& image) {
    jpeg_decompress_struct info;
    Failure failure;
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = fail;
    // A warning is damaged data: the general reader gets to say what.
    failure.manager.emit_message = [](j_common_ptr common, int level) {
        if (level < 0)
            fail(common);
    };
    if (setjmp(failure.back)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    if (info.image_width > kMaxSide || info.image_height > kMaxSide || info.num_components != 3) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    // Straight into the screen's format: opaque premultiplied ARGB32 is B, G, R, 255 in
    // memory on a little-endian machine, A, R, G, B on a big-endian one.
    info.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;
    jpeg_start_decompress(&info);
    image = QImage(int(info.output_width), int(info.output_height),
                   QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}
} // namespace

QImage JpegFileReader::read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    const QByteArray bytes = file.readAll();
    QImage image;
    if (!decode(bytes, image))
        return QImage();
    return image;
}

} // namespace toolkit
