#include "TestSupport.h"
#include "art/AuraBlend.h"
#include "base/Log.h"
#include "base/Resources.h"
#include "imaging/ImageContext.h"
#include "imaging/PixelFile.h"
#include "imaging/PngEncoder.h"
#include "imaging/PngFileReader.h"
#include "imaging/Resampler.h"
#include "portrait/InstantFilm.h"
#include "ui/Color.h"
#include "ui/QtPickerPlatform.h"
#include "ui/TextView.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using toolkit::Color;
using toolkit::Image;

TEST(Color, NamedColoursHaveThePlatformsComponents) {
    struct Expected {
        const char* name;
        QColor color;
        float r, g, b;
    };
    const Expected table[] = {
        {"white", Color::whiteColor(), 1, 1, 1},
        {"lightGray", Color::lightGrayColor(), 2.0f / 3, 2.0f / 3, 2.0f / 3},
        {"purple", Color::purpleColor(), 0.5f, 0, 0.5f},
        {"brown", Color::brownColor(), 0.6f, 0.4f, 0.2f},
        {"orange", Color::orangeColor(), 1, 0.5f, 0},
        {"yellow", Color::yellowColor(), 1, 1, 0},
        {"green", Color::greenColor(), 0, 1, 0},
        {"blue", Color::blueColor(), 0, 0, 1},
        {"red", Color::redColor(), 1, 0, 0},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.name);
        EXPECT_NEAR(e.color.redF(), e.r, 1e-4);
        EXPECT_NEAR(e.color.greenF(), e.g, 1e-4);
        EXPECT_NEAR(e.color.blueF(), e.b, 1e-4);
        EXPECT_EQ(e.color.alpha(), 255);
    }
}

TEST(TextView, TextStaysLegibleOnEveryBackground) {
    toolkit::TextView view;
    for (const QColor& background :
         {Color::whiteColor(), Color::lightGrayColor(), Color::purpleColor(), Color::brownColor(),
          Color::orangeColor(), Color::yellowColor(), Color::greenColor(), Color::blueColor(),
          Color::redColor(), Color::blackColor(), QColor(75, 0, 130), QColor(143, 0, 255)}) {
        view.setBackgroundColor(background);
        EXPECT_EQ(view.backgroundColor(), background);
        EXPECT_GE(Color::contrastRatio(view.textColor(), background), 4.5)
            << qPrintable(background.name());
    }
    view.setText(QStringLiteral("<b>not markup</b>"));
    EXPECT_EQ(view.text(), QStringLiteral("<b>not markup</b>"));
    // Read, not edited: no text cursor over it, even after the pointer moves across it.
    view.resize(200, 100);
    view.show();
    QMouseEvent move(QEvent::MouseMove, QPointF(20, 10), QPointF(20, 10), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &move);
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(view.cursorWidth(), 0) << "a caret blinks in text that cannot be edited";
}

TEST(ImageContext, ContextsNestAndEachKeepsItsOwnPixels) {
    EXPECT_EQ(toolkit::currentContext(), nullptr);
    EXPECT_TRUE(toolkit::imageFromCurrentImageContext().isNull());

    toolkit::beginImageContext(QSizeF(10, 8));
    const QImage blank = toolkit::imageFromCurrentImageContext().toQImage();
    EXPECT_EQ(blank.size(), QSize(10, 8));
    EXPECT_EQ(qAlpha(blank.pixel(5, 5)), 0) << "a new context is not opaque";
    toolkit::currentContext()->fillRect(QRect(0, 0, 10, 8), Qt::red);

    toolkit::beginImageContext(QSizeF(4, 3));
    toolkit::currentContext()->fillRect(QRect(0, 0, 4, 3), Qt::blue);
    const QImage inner = toolkit::imageFromCurrentImageContext().toQImage();
    toolkit::endImageContext();

    const QImage outer = toolkit::imageFromCurrentImageContext().toQImage();
    toolkit::endImageContext();
    EXPECT_EQ(toolkit::currentContext(), nullptr);

    EXPECT_EQ(inner.size(), QSize(4, 3));
    EXPECT_EQ(QColor(inner.pixel(1, 1)), QColor(Qt::blue));
    EXPECT_EQ(outer.size(), QSize(10, 8));
    EXPECT_EQ(QColor(outer.pixel(9, 7)), QColor(Qt::red));
}

TEST(ImageContext, DrawInRectStretchesToFillExactly) {
    // Left half red, right half blue; drawn into a square it must fill every pixel and
    // keep the halves, i.e. stretch without keeping the aspect ratio or cropping.
    QImage source(40, 10, QImage::Format_RGB32);
    source.fill(Qt::blue);
    QPainter(&source).fillRect(QRect(0, 0, 20, 10), Qt::red);

    toolkit::beginImageContext(QSizeF(30, 30));
    Image(source).drawInRect(QRectF(0, 0, 30, 30));
    const QImage out = toolkit::imageFromCurrentImageContext().toQImage();
    toolkit::endImageContext();

    for (int y = 0; y < 30; ++y) {
        EXPECT_EQ(qAlpha(out.pixel(0, y)), 255);
        EXPECT_EQ(qAlpha(out.pixel(29, y)), 255);
    }
    EXPECT_EQ(QColor(out.pixel(5, 0)), QColor(Qt::red));
    EXPECT_EQ(QColor(out.pixel(5, 29)), QColor(Qt::red));
    EXPECT_EQ(QColor(out.pixel(24, 15)), QColor(Qt::blue));
}

TEST(Image, NamedImagesComeFromTheResourcesAndMissingOnesAreNull) {
    QTemporaryDir dir;
    QImage pixels(3, 2, QImage::Format_ARGB32);
    pixels.fill(Qt::green);
    ASSERT_TRUE(pixels.save(dir.filePath(QStringLiteral("here.png"))));
    const ScopedResourcePath resources(dir.path());

    const Image here = Image::imageNamed(QStringLiteral("here.png"));
    EXPECT_EQ(here.size(), QSize(3, 2));
    QFile::remove(dir.filePath(QStringLiteral("here.png")));
    EXPECT_FALSE(Image::imageNamed(QStringLiteral("here.png")).isNull()) << "cached";
    EXPECT_TRUE(Image::imageNamed(QStringLiteral("gone.png")).isNull());
}

TEST(Log, LinesHaveThePlatformLogForm) {
    const QString line = toolkit::formatLogLine(QStringLiteral("hello"),
                                                QDateTime(QDate(2026, 12, 8), QTime(13, 5, 7, 42)));
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral(R"(^2026-12-08 13:05:07\.042 [\w-]+\[\d+\] hello$)"))
            .match(line)
            .hasMatch())
        << qPrintable(line);
}

// Stripes far finer than a portrait can show must come out as flat grey at their average
// level: no moiré from the shrink, and no darkening from averages rounded down.
TEST(Decoding, StripesFinerThanThePortraitComeOutFlatAtTheirAverageLevel) {
    QTemporaryDir folder;
    const QImage stripes = fineStripes(QSize(2000, 1500));
    for (const char* kind : {"jpg", "png"}) {
        SCOPED_TRACE(kind);
        const QString path = folder.filePath(QStringLiteral("stripes.") + QLatin1String(kind));
        ASSERT_TRUE(stripes.save(path, nullptr, 95));
        expectFlatPortrait(path, greyLevel(QImage(path)).mean);
    }
}

// A portrait written by the album's encoder reads back as the same pixels, an opaque one
// without an alpha channel, and one with transparency with it (straight, not premultiplied).
// A flat picture stays flat to its last row and column, however its size divides into
// the boxes a large reduction averages first: a partial box at the edge is no darker.
TEST(Decoding, AFlatPictureStaysFlatToItsEdges) {
    for (const QSize size : {QSize(1003, 1003), QSize(4001, 2999), QSize(727, 1453)}) {
        QImage flat(size, QImage::Format_RGB32);
        flat.fill(QColor(200, 150, 90));
        const QImage shrunk = toolkit::Resampler::scaled(flat, QSize(100, 133));
        ASSERT_EQ(shrunk.size(), QSize(100, 133));
        int off = 0;
        for (int i = 0; i < 100; ++i)
            off += std::abs(qRed(shrunk.pixel(i, 132)) - 200) > 1;
        for (int i = 0; i < 133; ++i)
            off += std::abs(qRed(shrunk.pixel(99, i)) - 200) > 1;
        EXPECT_EQ(off, 0) << size.width() << "x" << size.height();
    }
}

// The filter's vector loops, where the processor has them, and the plain ones every
// processor runs give the same pixels, within a level of rounding, whatever the sizes.
// The aura's blend and the film, eight pixels at a time, give the plain loops' pixels to the
// bit: every alpha over every photo level, and a row whose end is not a whole eight.
TEST(Blending, TheVectorAndPlainBlendAndFilmAgree) {
    QImage photo(259, 256, QImage::Format_RGB32);
    QImage aura(photo.size(), QImage::Format_ARGB32_Premultiplied);
    quint32 state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return int(state >> 24);
    };
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x) {
            const int level = (x + y) % 256;
            photo.setPixel(x, y, qRgb(level, next(), (level * 7) % 256));
            const int a = x % 64 == 0 ? 0 : (y + x / 3) % 256;
            aura.setPixel(x, y, qPremultiply(qRgba(next(), next(), next(), a)));
        }
    QImage vector = photo;
    AuraBlend::apply(vector, aura);
    QImage plain = photo;
    AuraBlend::setVectorised(false);
    AuraBlend::apply(plain, aura);
    AuraBlend::setVectorised(true);
    EXPECT_TRUE(vector == plain);
    EXPECT_FALSE(vector == photo);
    for (const int scale : {1, 2}) {
        QImage film = vector;
        InstantFilm::develop(film, scale);
        QImage plainFilm = vector;
        InstantFilm::setVectorised(false);
        InstantFilm::develop(plainFilm, scale);
        InstantFilm::setVectorised(true);
        EXPECT_TRUE(film == plainFilm) << scale;
        EXPECT_FALSE(film == vector);
    }
}

TEST(Decoding, TheVectorAndPlainFiltersAgree) {
    QImage source(331, 247, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            const int a = (x * 3 + y * 5) % 256;
            source.setPixel(
                x, y,
                qPremultiply(qRgba((x * x + y) % 256, (x * 7 + y * y) % 256, (x ^ y) % 256, a)));
        }
    const QImage opaque = source.convertToFormat(QImage::Format_RGB32);
    for (const QImage& picture : {source, opaque}) {
        for (const QSize target :
             {QSize(101, 77), QSize(36, 48), QSize(331, 480), QSize(1, 3), QSize(700, 9)}) {
            SCOPED_TRACE(qPrintable(QStringLiteral("%1x%2 %3")
                                        .arg(target.width())
                                        .arg(target.height())
                                        .arg(picture.hasAlphaChannel())));
            const QImage vector = toolkit::Resampler::scaled(picture, target);
            toolkit::Resampler::setVectorised(false);
            const QImage plain = toolkit::Resampler::scaled(picture, target);
            toolkit::Resampler::setVectorised(true);
            ASSERT_EQ(vector.size(), target);
            ASSERT_EQ(plain.size(), target);
            int worst = 0;
            for (int y = 0; y < target.height(); ++y) {
                const auto* v = reinterpret_cast<const uchar*>(vector.constScanLine(y));
                const auto* p = reinterpret_cast<const uchar*>(plain.constScanLine(y));
                for (int i = 0; i < target.width() * 4; ++i)
                    worst = std::max(worst, std::abs(int(v[i]) - int(p[i])));
            }
            EXPECT_LE(worst, 1);
        }
    }
}

// Widths around the four pixels the opaque rows are narrowed by at a time, and its tail.
TEST(PngEncoder, WritesAPngThatReadsBackAsTheSamePixels) {
    for (const int width : {1, 6, 7, 37})
        for (const bool opaque : {true, false}) {
            SCOPED_TRACE(QStringLiteral("%1 wide, %2")
                             .arg(width)
                             .arg(opaque ? "opaque" : "with transparency")
                             .toStdString());
            QImage portrait(width, 23, QImage::Format_ARGB32);
            for (int y = 0; y < portrait.height(); ++y)
                for (int x = 0; x < portrait.width(); ++x)
                    portrait.setPixel(x, y,
                                      qRgba(x * 7 % 256, y * 11 % 256, (x * y) % 256,
                                            opaque ? 255 : (x + y) * 5 % 256));
            const auto png = toolkit::PngEncoder::encode(
                portrait.convertToFormat(QImage::Format_ARGB32_Premultiplied));
            ASSERT_TRUE(png.ok()) << qPrintable(png.error());
            const QImage back = QImage::fromData(png.value(), "png");
            ASSERT_FALSE(back.isNull());
            EXPECT_EQ(back.hasAlphaChannel(), !opaque);
            const QImage expected = portrait.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                        .convertToFormat(QImage::Format_ARGB32);
            EXPECT_EQ(back.convertToFormat(QImage::Format_ARGB32), expected);
        }
}

// A large PNG of one bit a pixel (two colours, as scanners and drawing programs write them)
// keeps its colours; the reader's own scaling turned it white.
TEST(Decoding, ALargeTwoColourPngKeepsItsColours) {
    QTemporaryDir folder;
    QImage drawing(2400, 3200, QImage::Format_Mono);
    drawing.setColorTable({qRgb(51, 170, 119), qRgb(0, 0, 0)});
    drawing.fill(0);
    const QString path = folder.filePath(QStringLiteral("drawing.png"));
    ASSERT_TRUE(drawing.save(path));
    auto decoded = Image::fromFile(path, QSize(360, 480));
    ASSERT_TRUE(decoded.ok()) << qPrintable(decoded.error());
    EXPECT_EQ(decoded.value().toQImage().pixel(180, 240), qRgb(51, 170, 119));
}

// The program's own pictures read the quick way give the very pixels of the general reader;
// a kind it does not take (palette, 16-bit, interlaced) is left to the general reader.
TEST(PngFileReader, ReadsTheShippedPicturesAsTheGeneralReaderDoes) {
    const QString resources = QStringLiteral(VELMORA_TEST_RESOURCES);
    QTemporaryDir scratch;
    // Rows that are not a whole number of eight pixels, every alpha, Qt's choice of filters.
    QImage odd(13, 29, QImage::Format_ARGB32);
    for (int y = 0; y < odd.height(); ++y)
        for (int x = 0; x < odd.width(); ++x)
            odd.setPixel(x, y, qRgba(x * 19, y * 8, (x * y) % 256, (x * 29 + y * 9) % 256));
    const QString oddPath = scratch.filePath(QStringLiteral("odd.png"));
    ASSERT_TRUE(odd.save(oddPath));
    for (const QString& path :
         {resources + QStringLiteral("/1.png"), resources + QStringLiteral("/58.png"),
          resources + QStringLiteral("/100.png"), resources + QStringLiteral("/home.png"),
          resources + QStringLiteral("/icon-save.png"), oddPath}) {
        const QString name = QFileInfo(path).fileName();
        const QImage quick = toolkit::PngFileReader::read(path);
        ASSERT_FALSE(quick.isNull()) << qPrintable(name);
        QImage general(path);
        general = general.convertToFormat(quick.format());
        EXPECT_TRUE(quick == general) << qPrintable(name);
    }
    QImage grey(40, 30, QImage::Format_Grayscale16);
    grey.fill(Qt::gray);
    const QString other = scratch.filePath(QStringLiteral("grey16.png"));
    ASSERT_TRUE(grey.save(other));
    EXPECT_TRUE(toolkit::PngFileReader::read(other).isNull());
    QFile cut(scratch.filePath(QStringLiteral("cut.png")));
    QFile whole(resources + QStringLiteral("/1.png"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly) && cut.open(QIODevice::WriteOnly));
    cut.write(whole.read(whole.size() / 2));
    cut.close();
    EXPECT_TRUE(toolkit::PngFileReader::read(cut.fileName()).isNull());
}

// The home screen shows (and saves) its picture from the pixel files made for each scale the
// window opens at: the very pixels drawn, and nothing from a file cut short or of another kind.
TEST(HomePicture, ThePixelFilesAreWhatWasDrawn) {
    const QString resources = QStringLiteral(VELMORA_TEST_RESOURCES);
    for (const QString& base : {QStringLiteral("home"), QStringLiteral("home@2x")}) {
        const QImage drawn = QImage(resources + QLatin1Char('/') + base + QStringLiteral(".png"))
                                 .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        ASSERT_FALSE(drawn.isNull()) << qPrintable(base);
        EXPECT_EQ(toolkit::PixelFile::read(resources + QLatin1Char('/') + base +
                                           QStringLiteral(".pixels")),
                  drawn)
            << qPrintable(base);
    }
    EXPECT_EQ(toolkit::PixelFile::read(resources + QStringLiteral("/home@1.5x.pixels")).size(),
              QSize(540, 720));
    QTemporaryDir scratch;
    QFile whole(resources + QStringLiteral("/home.pixels"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    auto written = [&scratch](const QString& name, const QByteArray& content) {
        QFile file(scratch.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        return file.fileName();
    };
    QByteArray otherTag = bytes;
    otherTag[0] = 'X';
    QByteArray huge = bytes;
    huge[7] = char(0x7f); // a width of two billion, in a file of a few hundred kilobytes
    for (const QString& path :
         {written(QStringLiteral("cut.pixels"), bytes.left(bytes.size() / 2)),
          written(QStringLiteral("tag.pixels"), otherTag),
          written(QStringLiteral("huge.pixels"), huge), scratch.filePath(QStringLiteral("none"))})
        EXPECT_TRUE(toolkit::PixelFile::read(path).isNull()) << qPrintable(path);
}

// A new account has no Pictures folder: the chooser opens the nearest folder that exists,
// with nothing typed into the name field.
TEST(QtPickerPlatform, AMissingFolderOpensItsNearestExistingParent) {
    QTemporaryDir home;
    toolkit::QtPickerPlatform platform;
    bool answered = false;
    platform.chooseFile(nullptr, home.filePath(QStringLiteral("no/such/Pictures")),
                        [&](const QString& path) {
                            answered = true;
                            EXPECT_TRUE(path.isEmpty());
                        });
    QFileDialog* dialog = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible())
            dialog = d;
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->directory().absolutePath().toStdString(),
              QDir(home.path()).absolutePath().toStdString());
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text().toStdString(), "");
    dialog->reject();
    EXPECT_TRUE(answered);
}
