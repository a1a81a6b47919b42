#include "PhotoFixture.h"
#include "base/Random.h"
#include "imaging/PictureFile.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <QTransform>
#include <cmath>
#include <cstring>
#include <deque>
#include <libheif/heif.h>
#include <optional>

using toolkit::Image;

namespace {

// Pins the overlay draws to the given raw 32-bit values, in order.
class PinnedDraws {
public:
    explicit PinnedDraws(std::deque<std::uint32_t> values) : m_values(std::move(values)) {
        toolkit::setRandomSource([this] {
            const std::uint32_t v = m_values.front();
            if (m_values.size() > 1)
                m_values.pop_front();
            return v;
        });
    }
    ~PinnedDraws() { toolkit::setRandomSource({}); }

private:
    std::deque<std::uint32_t> m_values;
};

// A resource folder whose overlay n.png is a 1 x 1 picture with red = n, so the overlay on
// screen tells which name was asked for.
class NumberedOverlays {
public:
    NumberedOverlays() {
        for (int n = 1; n <= 100; ++n) {
            QImage pixel(1, 1, QImage::Format_ARGB32);
            pixel.fill(QColor(n, 0, 0));
            pixel.save(m_dir.filePath(QStringLiteral("%1.png").arg(n)));
        }
        m_resources.emplace(m_dir.path());
    }
    static int shown(const toolkit::ImageView* view) {
        const QImage pixels = view->image().toQImage();
        return pixels.isNull() ? 0 : qRed(pixels.pixel(0, 0));
    }

private:
    QTemporaryDir m_dir;
    std::optional<ScopedResourcePath> m_resources;
};

// Applies EXIF orientation `o` (what a viewer does to show the stored pixels upright).
QImage oriented(const QImage& image, int o) {
    switch (o) {
    case 2:
        return image.mirrored(true, false);
    case 3:
        return image.transformed(QTransform().rotate(180));
    case 4:
        return image.mirrored(false, true);
    case 5:
        return image.transformed(QTransform().rotate(90)).mirrored(true, false);
    case 6:
        return image.transformed(QTransform().rotate(90));
    case 7:
        return image.transformed(QTransform().rotate(90)).mirrored(false, true);
    case 8:
        return image.transformed(QTransform().rotate(270));
    default:
        return image;
    }
}

// A JPEG whose stored pixels, shown with EXIF orientation `o`, give `upright`.
QByteArray jpegWithOrientation(const QImage& upright, int o) {
    const int inverse = o == 6 ? 8 : o == 8 ? 6 : o;
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    oriented(upright, inverse).save(&buffer, "JPEG", 95);
    // APP1 Exif: big-endian TIFF header, one IFD entry: Orientation (0x0112), SHORT, 1.
    const char exif[] = {'\xFF', '\xE1', 0, 34, 'E', 'x',     'i', 'f', 0, 0,    'M', 'M',
                         0,      42,     0, 0,  0,   8,       0,   1,   1, 0x12, 0,   3,
                         0,      0,      0, 1,  0,   char(o), 0,   0,   0, 0,    0,   0};
    return jpeg.left(2) + QByteArray(exif, sizeof exif) + jpeg.mid(2);
}

// `upright` encoded by libheif (HEVC or AV1) into `path`, stored so that the container's
// rotation `container` and the EXIF orientation `exif` (1 for none) each show it upright;
// with a thumbnail `thumbnail` pixels long when not 0.
void writeHeif(const QString& path, const QImage& upright, heif_compression_format codec,
               int container = 1, int exif = 1, int thumbnail = 0) {
    const int o = container != 1 ? container : exif;
    const QImage rgb = oriented(upright, o == 6   ? 8
                                         : o == 8 ? 6
                                                  : o)
                           .convertToFormat(QImage::Format_RGB888);
    heif_image* image = nullptr;
    heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                      &image);
    heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8);
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(plane + y * stride, rgb.constScanLine(y), size_t(rgb.width()) * 3);
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_context_get_encoder_for_format(context, codec, &encoder);
    heif_encoder_set_lossy_quality(encoder, 90);
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = heif_orientation(container);
    heif_image_handle* handle = nullptr;
    ASSERT_EQ(heif_context_encode_image(context, image, encoder, options, &handle).code,
              heif_error_Ok);
    heif_image_handle* small = nullptr;
    if (thumbnail) {
        ASSERT_EQ(heif_context_encode_thumbnail(context, image, handle, encoder, options, thumbnail,
                                                &small)
                      .code,
                  heif_error_Ok);
    }
    heif_image_handle_release(small);
    if (exif != 1) {
        const char tiff[] = {'M', 'M', 0, 42, 0, 0, 0,          8, 0, 1, 1, 0x12, 0,
                             3,   0,   0, 0,  1, 0, char(exif), 0, 0, 0, 0, 0,    0};
        heif_context_add_exif_metadata(context, handle, tiff, sizeof tiff);
    }
    ASSERT_EQ(heif_context_write_to_file(context, QFile::encodeName(path).constData()).code,
              heif_error_Ok);
    heif_image_handle_release(handle);
    heif_encoding_options_free(options);
    heif_encoder_release(encoder);
    heif_context_free(context);
    heif_image_release(image);
}

QImage quadrants(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    const int w = size.width() / 2, h = size.height() / 2;
    QPainter p(&image);
    p.fillRect(0, 0, w, h, Qt::red);
    p.fillRect(w, 0, size.width() - w, h, Qt::green);
    p.fillRect(0, h, w, size.height() - h, Qt::blue);
    p.fillRect(w, h, size.width() - w, size.height() - h, Qt::yellow);
    return image;
}

} // namespace

TEST_F(Photo, AnyPictureComesOutExactly360By480Stretched) {
    for (const QSize size : {QSize(1, 1), QSize(4000, 3000), QSize(3000, 4000), QSize(100, 1000)}) {
        for (const char* suffix : {"jpg", "png"}) {
            SCOPED_TRACE(qPrintable(
                QStringLiteral("%1x%2.%3").arg(size.width()).arg(size.height()).arg(suffix)));
            const QString path =
                picture(QStringLiteral("%1x%2.%3").arg(size.width()).arg(size.height()).arg(suffix),
                        size, QColor(30, 160, 90));
            pickFromAlbum(path);
            const QImage shown = screen->ui->imageView->image().toQImage();
            ASSERT_EQ(shown.size(), QSize(360, 480));
            for (const QPoint at : {QPoint(0, 0), QPoint(359, 0), QPoint(0, 479), QPoint(359, 479),
                                    QPoint(180, 240)}) {
                EXPECT_EQ(qAlpha(shown.pixel(at)), 255) << "stretched to fill, nothing cropped";
                EXPECT_TRUE(near(shown.pixel(at), QColor(30, 160, 90), 12));
            }
        }
    }
}

TEST_F(Photo, EveryExifOrientationComesOutUpright) {
    const QImage upright = quadrants(QSize(1600, 1200));
    for (int o = 1; o <= 8; ++o) {
        SCOPED_TRACE(o);
        const QString path = scratch.filePath(QStringLiteral("orientation-%1.jpg").arg(o));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(jpegWithOrientation(upright, o));
        file.close();

        auto size = Image::uprightSizeOfFile(path);
        ASSERT_TRUE(size.ok()) << qPrintable(size.error());
        EXPECT_EQ(size.value(), QSize(1600, 1200));

        pickUprightQuadrants(path);
    }
}

// Face mode decodes a photo to cover the detection size at whatever size the file decodes
// to by itself: a JPEG at its shrink-on-load size, upright and at its own proportions, and
// that copy is the one faces are looked for in, not resampled again.
TEST_F(Photo, APhotoDecodedToCoverASizeKeepsItsProportionsAndIsNotResampled) {
    const QImage upright = quadrants(QSize(1600, 1200));
    const QString png = scratch.filePath(QStringLiteral("cover.png"));
    ASSERT_TRUE(upright.save(png));
    struct Case {
        QString path;
        QSize decoded;
    };
    std::vector<Case> cases{{png, QSize(640, 480)}};
    for (const int o : {1, 6}) {
        const QString path = scratch.filePath(QStringLiteral("orientation-%1.jpg").arg(o));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(jpegWithOrientation(upright, o));
        file.close();
        // Shrunk on load by 4/8: the least that covers 640 x 480.
        cases.push_back({path, QSize(800, 600)});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const auto photo = Image::fromFile(c.path, QSize(640, 640), Image::Sizing::Covering);
        ASSERT_TRUE(photo.ok()) << photo.error().toStdString();
        const QImage copy = photo.value().coveringFit(QSize(640, 640));
        ASSERT_EQ(copy.size(), c.decoded);
        EXPECT_EQ(copy.cacheKey(), photo.value().toQImage().cacheKey()) << "resampled again";
        const int w = copy.width(), h = copy.height();
        EXPECT_TRUE(near(copy.pixel(w / 4, h / 4), Qt::red));
        EXPECT_TRUE(near(copy.pixel(3 * w / 4, h / 4), Qt::green));
        EXPECT_TRUE(near(copy.pixel(w / 4, 3 * h / 4), Qt::blue));
        EXPECT_TRUE(near(copy.pixel(3 * w / 4, 3 * h / 4), Qt::yellow));
        // Decoded exactly, the same photo is stretched as asked.
        const auto exact = Image::fromFile(c.path, QSize(640, 640));
        ASSERT_TRUE(exact.ok());
        EXPECT_EQ(exact.value().toQImage().size(), QSize(640, 640));
    }
}

TEST_F(Photo, EachPhoneFormatComesOutUprightAndMatchesTheJpeg) {
    // Quadrants with a soft disc across them: edges and gradients, as in a photo.
    QImage picture = quadrants(QSize(1200, 1600));
    {
        QPainter p(&picture);
        QRadialGradient disc(600, 800, 500);
        disc.setColorAt(0, QColor(255, 255, 255, 200));
        disc.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(picture.rect(), disc);
    }
    const QString jpeg = scratch.filePath(QStringLiteral("photo.jpg"));
    ASSERT_TRUE(picture.save(jpeg, "JPEG", 95));
    pickFromAlbum(jpeg);
    const QImage expected = screen->ui->imageView->image().toQImage();
    ASSERT_EQ(expected.size(), QSize(360, 480));

    QStringList phone{scratch.filePath(QStringLiteral("photo.webp")),
                      scratch.filePath(QStringLiteral("photo.tiff")),
                      scratch.filePath(QStringLiteral("photo.heic")),
                      scratch.filePath(QStringLiteral("photo.avif"))};
    ASSERT_TRUE(picture.save(phone[0], "WEBP", 95));
    ASSERT_TRUE(picture.save(phone[1], "TIFF"));
    writeHeif(phone[2], picture, heif_compression_HEVC, 1, 1, 700); // a thumbnail to use
    writeHeif(phone[3], picture, heif_compression_AV1);
    for (const QString& path : phone) {
        SCOPED_TRACE(qPrintable(path));
        pickFromAlbum(path);
        const QImage shown = screen->ui->imageView->image().toQImage();
        ASSERT_EQ(shown.size(), QSize(360, 480));
        qint64 difference = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 360; ++x) {
                const QRgb a = shown.pixel(x, y), b = expected.pixel(x, y);
                ASSERT_EQ(qAlpha(a), 255);
                difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                              std::abs(qBlue(a) - qBlue(b));
            }
        EXPECT_LT(difference / (360.0 * 480 * 3), 4.0) << "mean difference per channel";
    }
    const QStringList patterns = toolkit::PictureFile::namePatterns();
    for (const char* suffix : {"*.webp", "*.tiff", "*.heic", "*.avif"})
        EXPECT_TRUE(patterns.contains(QLatin1String(suffix))) << suffix << " in the chooser";
}

TEST_F(Photo, ARotatedOrMirroredHeicComesOutUprightAndIsNeverTurnedTwice) {
    const QImage upright = quadrants(QSize(1600, 1200));
    // {the container's rotation or mirroring, the EXIF orientation}: phones write both,
    // converters only EXIF.
    const std::pair<int, int> cases[] = {{6, 6}, {8, 1}, {3, 3}, {2, 1}, {5, 5}, {1, 6}, {1, 8}};
    for (const auto& [container, exif] : cases) {
        SCOPED_TRACE(qPrintable(QStringLiteral("container %1, EXIF %2").arg(container).arg(exif)));
        const QString path =
            scratch.filePath(QStringLiteral("turned-%1-%2.heic").arg(container).arg(exif));
        writeHeif(path, upright, heif_compression_HEVC, container, exif, 700);
        auto size = Image::uprightSizeOfFile(path);
        ASSERT_TRUE(size.ok()) << qPrintable(size.error());
        EXPECT_EQ(size.value(), QSize(1600, 1200));

        pickUprightQuadrants(path);
    }
}

// A HEIC is shrunk from the decoder's own planes: stripes finer than the portrait can show
// still come out flat at their average level, as a JPEG's do.
TEST_F(Photo, AHeicOfStripesFinerThanThePortraitComesOutFlat) {
    const QImage stripes = fineStripes(QSize(2000, 1500));
    const QString path = scratch.filePath(QStringLiteral("stripes.heic"));
    writeHeif(path, stripes, heif_compression_HEVC);
    auto whole = Image::fromFile(path, QSize());
    ASSERT_TRUE(whole.ok()) << qPrintable(whole.error());
    expectFlatPortrait(path, greyLevel(whole.value().toQImage()).mean);
}

TEST_F(Photo, AlbumRequestKeepsTheHomeImageUntilThePickButCameraHidesItAtOnce) {
    platform.nextChoice = picture(QStringLiteral("a.png"), QSize(50, 50));
    screen->getPhoto(screen->ui->choosePhotoBtn);
    EXPECT_FALSE(screen->ui->homeview->isHidden());
    EXPECT_FALSE(screen->ui->siloImage->isHidden());
    EXPECT_FALSE(screen->ui->reveal->isHidden());
    ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }));
    EXPECT_TRUE(screen->ui->homeview->isHidden());
    EXPECT_TRUE(screen->ui->siloImage->isHidden());
    EXPECT_TRUE(screen->ui->reveal->isHidden());

    app->homeview->setHidden(false);
    screen->getPhoto(screen->ui->takePhotoBtn);
    EXPECT_TRUE(screen->ui->homeview->isHidden());
    EXPECT_NE(screen->modalViewController(), nullptr);
}

TEST_F(Photo, GetPhotoClosesTheTextsAndThePickerButLeavesTheCloseBar) {
    platform.nextChoice.clear(); // every chooser is cancelled
    for (auto open : {&VelmoraViewController::about, &VelmoraViewController::meanings}) {
        (screen->*open)(nullptr);
        screen->ui->xOut1->setHidden(false);
        screen->ui->xOut2->setHidden(false);
        screen->getPhoto(screen->ui->choosePhotoBtn);
        EXPECT_FALSE(screen->ui->close->isHidden());
        EXPECT_TRUE(screen->ui->auraText->isHidden());
        EXPECT_TRUE(screen->ui->selectColor->isHidden());
        EXPECT_TRUE(screen->ui->violet->isHidden());
        EXPECT_TRUE(screen->ui->xOut1->isHidden());
        EXPECT_TRUE(screen->ui->xOut2->isHidden());
        ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }));
        EXPECT_TRUE(screen->ui->close->isHidden()) << "a close bar with nothing to close";
    }
}

TEST_F(Photo, EveryPickDrawsANewOverlayAndSwapsTheToolbars) {
    NumberedOverlays overlays;
    PinnedDraws draws({41, 7, 7});
    const QString path = picture(QStringLiteral("same.png"), QSize(80, 60));
    for (int expected : {42, 8, 8}) {
        pickFromAlbum(path);
        EXPECT_EQ(NumberedOverlays::shown(screen->ui->auraImage), expected);
        EXPECT_EQ(screen->currentimage, expected - 1);
        EXPECT_EQ(screen->throw2.toInt(), expected - 1);
        EXPECT_FALSE(screen->ui->auraImage->isHidden());
        EXPECT_TRUE(screen->ui->first->isHidden());
        EXPECT_FALSE(screen->ui->second->isHidden());
    }
}

TEST_F(Photo, DrawsMapToOverlaysOneToAHundred) {
    NumberedOverlays overlays;
    const std::pair<std::uint32_t, int> cases[] = {{0, 1},     {99, 100},         {100, 1},
                                                   {199, 100}, {4294967295u, 96}, {4294967200u, 1}};
    for (const auto& [raw, overlay] : cases) {
        PinnedDraws draw({raw});
        screen->determinecurrentimage();
        EXPECT_EQ(NumberedOverlays::shown(screen->ui->auraImage), overlay) << raw;
    }
}

TEST_F(Photo, OverlaysAreDrawnUniformly) {
    NumberedOverlays overlays;
    // 100 000 draws: each overlay is expected 1000 times, standard deviation about 31.5;
    // a bound of seven deviations is missed by a correct draw essentially never.
    int counts[101] = {};
    for (int i = 0; i < 100000; ++i) {
        screen->determinecurrentimage();
        ASSERT_GE(screen->currentimage, 0);
        ASSERT_LE(screen->currentimage, 99);
        ++counts[NumberedOverlays::shown(screen->ui->auraImage)];
    }
    EXPECT_EQ(counts[0], 0);
    for (int n = 1; n <= 100; ++n) {
        EXPECT_GT(counts[n], 780) << n;
        EXPECT_LT(counts[n], 1220) << n;
    }
}

TEST_F(Photo, MissingOverlayClearsTheAura) {
    QTemporaryDir empty;
    const ScopedResourcePath resources(empty.path());
    screen->ui->auraImage->setImage(Image(QImage(2, 2, QImage::Format_ARGB32)));
    screen->determinecurrentimage();
    EXPECT_TRUE(screen->ui->auraImage->image().isNull());
}

TEST_F(Photo, APickWithoutAPictureShowsABlankTransparentPhoto) {
    toolkit::ImagePickerController picker;
    screen->imagePickerControllerDidFinishPickingMediaWithInfo(&picker, toolkit::MediaInfo());
    const QImage shown = screen->ui->imageView->image().toQImage();
    ASSERT_EQ(shown.size(), QSize(360, 480));
    EXPECT_EQ(qAlpha(shown.pixel(180, 240)), 0);
    EXPECT_FALSE(screen->ui->second->isHidden());
    EXPECT_FALSE(screen->ui->auraImage->isHidden());
}

TEST_F(Photo, AnUnreadableFileIsRefusedInThePickerAndTheScreenStaysAsItWas) {
    const QString path = scratch.filePath(QStringLiteral("not-a-photo.jpg"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is a shopping list, not a photo");
    file.close();

    pickFromAlbum(path);
    EXPECT_TRUE(screen->ui->imageView->image().isNull());
    EXPECT_FALSE(screen->ui->homeview->isHidden());
    EXPECT_FALSE(screen->ui->first->isHidden());
    EXPECT_TRUE(screen->ui->second->isHidden());
    EXPECT_TRUE(app->window()->message().contains(QStringLiteral("not-a-photo.jpg")))
        << qPrintable(app->window()->message());

    // The application goes on working.
    pickFromAlbum(picture(QStringLiteral("good.png"), QSize(10, 10)));
    EXPECT_EQ(screen->ui->imageView->image().size(), QSize(360, 480));
}

TEST_F(Photo, CancellingTheChooserKeepsTheHomeState) {
    platform.nextChoice.clear();
    screen->getPhoto(screen->ui->choosePhotoBtn);
    ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }));
    EXPECT_EQ(platform.chooserOpened, 1);
    EXPECT_FALSE(screen->ui->homeview->isHidden());
    EXPECT_FALSE(screen->ui->first->isHidden());
    EXPECT_TRUE(screen->ui->auraImage->isHidden());
    // A second request works: the cancelled picker is gone.
    pickFromAlbum(picture(QStringLiteral("after.png"), QSize(10, 10)));
    EXPECT_FALSE(screen->ui->second->isHidden());
}
