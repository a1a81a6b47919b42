#include "imaging/DecodeWorker.h"
#include "imaging/ImageDecoder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using toolkit::DecodeWorker;
using toolkit::ImageDecoder;
using toolkit::PictureFile;

namespace {

PictureFile pictureOf(const QImage& image, const char* format, const QByteArray& trailer = {}) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 90);
    // Bytes after the end of a PNG are kept and ignored: the test hooks are told there.
    auto file = PictureFile::fromBytes(QStringLiteral("test.%1").arg(format), bytes + trailer);
    EXPECT_TRUE(file.ok()) << qPrintable(file.error());
    return file.value();
}

QImage gradient() {
    QImage image(300, 400, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 255 / 299, y * 255 / 399, 90));
    return image;
}

// The processes this one started that are running now (an idle worker sleeps).
QStringList runningChildren() {
    QStringList running;
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs)) {
        QFile children(QStringLiteral("/proc/self/task/%1/children").arg(task));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& pid : children.readAll().split(' ')) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(QString::fromLatin1(pid.trimmed())));
            if (pid.trimmed().isEmpty() || !stat.open(QIODevice::ReadOnly))
                continue;
            const QByteArray line = stat.readAll();
            if (line.mid(line.lastIndexOf(')') + 2, 1) == "R")
                running << QString::fromLatin1(pid.trimmed());
        }
    }
    return running;
}

class DecodeWorkers : public testing::Test {
protected:
    void SetUp() override {
        qputenv("DECODE_WORKER_TEST_HOOKS", "1");
        DecodeWorker::setProgram(QStringLiteral(DECODE_WORKER_PROGRAM));
    }
    void TearDown() override {
        DecodeWorker::setProgram(QString());
        qunsetenv("DECODE_WORKER_TEST_HOOKS");
    }
};

} // namespace

TEST_F(DecodeWorkers, DecodeEachFormatAsThisProcessWould) {
    const QImage source = gradient();
    for (const char* format : {"jpeg", "png", "bmp", "tiff", "webp"}) {
        SCOPED_TRACE(format);
        const PictureFile file = pictureOf(source, format);
        auto here = ImageDecoder::decodeInProcess(file, QSize(360, 480));
        auto there = DecodeWorker::decode(file, QSize(360, 480), 10000);
        ASSERT_TRUE(here.ok() && there.ok()) << qPrintable(there.error());
        EXPECT_EQ(there.value().convertToFormat(QImage::Format_RGB32),
                  here.value().convertToFormat(QImage::Format_RGB32));
    }
    // A large 16-bit TIFF: Qt converts it on threads of its own, which the sandbox must
    // let start.
    const PictureFile deep =
        pictureOf(source.scaled(2400, 3200).convertToFormat(QImage::Format_RGBX64), "tiff");
    auto there = DecodeWorker::decode(deep, QSize(360, 480), 10000);
    ASSERT_TRUE(there.ok()) << qPrintable(there.error());
    EXPECT_EQ(there.value().size(), QSize(360, 480));
}

// A picture that makes its worker hang, crash, or try to open a file: each is refused with
// its reason, nothing of it keeps running, and the next picture decodes in a new worker.
TEST_F(DecodeWorkers, AWorkerThatHangsCrashesOrBreaksOutIsEndedAndReplaced) {
    const struct {
        QByteArray hook;
        const char* reason;
    } cases[] = {
        {"decode-worker-test:spin", "takes too long"},
        {"decode-worker-test:abort", "crashed"},
        {"decode-worker-test:open", "may not"},
    };
    const QImage source = gradient();
    const PictureFile good = pictureOf(source, "png");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hook.constData());
#ifdef DECODE_SANDBOX_OFF
        if (c.hook.endsWith("open"))
            continue; // a sanitizer build's worker has no sandbox to stop it
#endif
        auto refused = DecodeWorker::decode(pictureOf(source, "png", c.hook), QSize(36, 48), 500);
        ASSERT_FALSE(refused.ok());
        EXPECT_TRUE(refused.error().startsWith(QStringLiteral("test.png: ")))
            << qPrintable(refused.error());
        EXPECT_TRUE(refused.error().contains(QLatin1String(c.reason)))
            << qPrintable(refused.error());
        EXPECT_EQ(runningChildren(), QStringList()) << "a refused picture still decodes";
        auto next = DecodeWorker::decode(good, QSize(36, 48), 10000);
        ASSERT_TRUE(next.ok()) << qPrintable(next.error());
        EXPECT_EQ(next.value().size(), QSize(36, 48));
        EXPECT_NEAR(qRed(next.value().pixel(35, 0)), 250, 6);
    }
}

// A decode nobody waits for any more (the photo's opening cancelled) ends its worker at once,
// rather than at its deadline, and the next picture is decoded.
TEST_F(DecodeWorkers, AnAbandonedDecodeEndsItsWorker) {
    const QImage source = gradient();
    std::atomic<bool> abandoned{false};
    toolkit::Result<QImage> outcome = toolkit::Result<QImage>::failure(QString());
    std::thread decoding([&] {
        DecodeWorker::watchAbandoned(&abandoned);
        outcome = DecodeWorker::decode(pictureOf(source, "png", "decode-worker-test:spin"),
                                       QSize(36, 48), 120000);
        DecodeWorker::watchAbandoned(nullptr);
    });
    QThread::msleep(300);
    abandoned = true;
    decoding.join();
    ASSERT_FALSE(outcome.ok());
    EXPECT_TRUE(outcome.error().contains(QLatin1String("abandoned")))
        << qPrintable(outcome.error());
    EXPECT_EQ(runningChildren(), QStringList()) << "the abandoned picture still decodes";
    EXPECT_TRUE(DecodeWorker::decode(pictureOf(source, "png"), QSize(36, 48), 10000).ok());
}

// libheif can hand back a picture's colour profile with an error; it is freed all the same
// (the sanitizer build's LeakSanitizer sees the rest), and the picture is decoded or
// refused with its name.
TEST(HeifDecoding, AColourProfileReadWithAnErrorIsFreed) {
    const QString path =
        QStringLiteral(VELMORA_SOURCE_DIR "/tests/data/avif-unfinished-colour-profile.avif");
    auto file = PictureFile::read(path);
    ASSERT_TRUE(file.ok()) << qPrintable(file.error());
    const auto decoded = ImageDecoder::decodeInProcess(file.value(), QSize(36, 48));
    if (decoded.ok())
        EXPECT_EQ(decoded.value().size(), QSize(36, 48));
    else
        EXPECT_TRUE(decoded.error().contains(QStringLiteral("avif-unfinished")))
            << qPrintable(decoded.error());
}
