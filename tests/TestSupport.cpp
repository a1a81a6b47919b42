#include "TestSupport.h"

#include "album/PhotoAlbum.h"
#include "base/Log.h"
#include "base/Random.h"
#include "base/Resources.h"
#include "imaging/Image.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImageWriter>
#include <algorithm>
#include <cmath>

QImage fineStripes(QSize size) {
    QImage stripes(size, QImage::Format_RGB32);
    for (int y = 0; y < stripes.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(stripes.scanLine(y));
        for (int x = 0; x < stripes.width(); ++x) {
            const int v = qRound(128 + 100 * std::sin(2 * M_PI * (x / 3.1 + y / 4.3)));
            row[x] = qRgb(v, v, v);
        }
    }
    return stripes;
}

GreyLevel greyLevel(const QImage& picture) {
    double sum = 0, squares = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const double v = qGreen(picture.pixel(x, y));
            sum += v;
            squares += v * v;
        }
    }
    const double n = double(picture.width()) * picture.height();
    const double mean = sum / n;
    return {mean, std::sqrt(std::max(0.0, squares / n - mean * mean))};
}

void expectFlatPortrait(const QString& path, double level) {
    auto decoded = toolkit::Image::fromFile(path, QSize(360, 480));
    ASSERT_TRUE(decoded.ok()) << qPrintable(decoded.error());
    ASSERT_EQ(decoded.value().toQImage().size(), QSize(360, 480));
    const GreyLevel portrait = greyLevel(decoded.value().toQImage());
    EXPECT_NEAR(portrait.mean, level, 0.2);
    EXPECT_LE(portrait.rms, 1.5) << "stripes left in the portrait";
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

QString writePicture(const QString& path, QSize size, QColor color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QImageWriter writer(path);
    EXPECT_TRUE(writer.write(image)) << qPrintable(writer.errorString());
    return path;
}

ScopedRandomSource::ScopedRandomSource(std::function<std::uint32_t()> source) {
    toolkit::setRandomSource(std::move(source));
}

ScopedRandomSource::~ScopedRandomSource() {
    toolkit::setRandomSource({});
}

ScopedResourcePath::ScopedResourcePath(const QString& folder)
    : m_previous(toolkit::resourcePath()) {
    toolkit::setResourcePath(folder);
    toolkit::Image::clearNamedImageCache();
}

ScopedResourcePath::~ScopedResourcePath() {
    toolkit::setResourcePath(m_previous);
    toolkit::Image::clearNamedImageCache();
}

LogCapture::LogCapture() {
    toolkit::setLogSink([this](const QString& line) { lines << line; });
}

LogCapture::~LogCapture() {
    toolkit::setLogSink({});
}

void AppFixture::SetUp() {
    ASSERT_TRUE(scratch.isValid());
    albumFolder = scratch.filePath(QStringLiteral("album"));
    toolkit::PhotoAlbum::shared().setFolder(albumFolder);
    app = loadMainInterface();
    app->applicationDidFinishLaunching();
    screen = app->viewController();
}

void AppFixture::TearDown() {
    toolkit::PhotoAlbum::shared().waitForQueuedWrites();
    QCoreApplication::processEvents();
    app.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void AppFixture::pickFromAlbum(const QString& path) {
    platform.nextChoice = path;
    screen->getPhoto(screen->ui->choosePhotoBtn);
    ASSERT_TRUE(waitUntil([this] { return screen->modalViewController() == nullptr; }));
}

QString AppFixture::picture(const QString& name, QSize size, QColor color) {
    return writePicture(scratch.filePath(name), size, color);
}

QStringList AppFixture::albumFiles() const {
    QStringList files = QDir(albumFolder).entryList({QStringLiteral("*.png")}, QDir::Files);
    files.sort();
    return files;
}
