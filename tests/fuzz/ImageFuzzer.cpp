// Feeds untrusted bytes through the path a picked photo takes: the file is checked and
// decoded at the draw size, then drawn into a 360x480 image context.
#include "imaging/Image.h"
#include "imaging/ImageContext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {
QString inputPath;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's and libpng's warnings about broken pictures would drown libFuzzer's output.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static QGuiApplication app(*argc, *argv);
    toolkit::Image::configureDecoding();
    // No suffix: the reader must tell the format from the bytes alone.
    inputPath = QDir::tempPath() + QStringLiteral("/velmora-fuzz-%1").arg(::getpid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        QFile file(inputPath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const QSize photo(360, 480);
    auto declared = toolkit::Image::uprightSizeOfFile(inputPath);
    auto picture = toolkit::Image::fromFile(inputPath, photo);
    if (picture.ok() && !declared.ok())
        std::abort(); // a picture that decodes must have a size
    if (!picture.ok()) {
        if (picture.error().isEmpty())
            std::abort(); // every refusal says why
        return 0;
    }
    toolkit::beginImageContext(QSizeF(photo));
    picture.value().drawInRect(QRectF(QPointF(0, 0), QSizeF(photo)));
    const toolkit::Image drawn = toolkit::imageFromCurrentImageContext();
    toolkit::endImageContext();
    if (drawn.size() != photo || drawn.toQImage().size() != photo)
        std::abort();
    return 0;
}
