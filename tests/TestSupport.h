#pragma once

#include "FakePickerPlatform.h"
#include "app/MainInterface.h"

#include <QImage>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

/// Runs the event loop until `done` holds or `timeoutMs` pass; returns whether it held.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

/// Grey diagonal stripes of periods 3.1 and 4.3 pixels around level 128: far finer than a
/// portrait made from the picture can show.
QImage fineStripes(QSize size);

/// The mean of a grey picture's level and the RMS of what departs from it: a pattern the
/// picture cannot show should leave a flat grey at the whole picture's mean.
struct GreyLevel {
    double mean = 0;
    double rms = 0;
};
GreyLevel greyLevel(const QImage& picture);

/// Expects the photo at `path`, decoded to a 360 × 480 portrait, to come out flat grey at
/// `level`: no pattern left (moiré) and no darkening.
void expectFlatPortrait(const QString& path, double level);

/// Writes a picture file of `size` filled with `color` (JPEG or PNG by the suffix).
QString writePicture(const QString& path, QSize size, QColor color = QColor(200, 120, 60));

/// Draws overlays from `source` instead of the system's generator while it lives. The
/// generator comes back even when a failed assertion ends the test early.
class ScopedRandomSource {
public:
    explicit ScopedRandomSource(std::function<std::uint32_t()> source);
    ~ScopedRandomSource();
    ScopedRandomSource(const ScopedRandomSource&) = delete;
    ScopedRandomSource& operator=(const ScopedRandomSource&) = delete;
};

/// Looks named images up in `folder` while it lives, with the named-image cache emptied on
/// the way in and out, so that no picture of one folder is seen under the other.
class ScopedResourcePath {
public:
    explicit ScopedResourcePath(const QString& folder);
    ~ScopedResourcePath();
    ScopedResourcePath(const ScopedResourcePath&) = delete;
    ScopedResourcePath& operator=(const ScopedResourcePath&) = delete;

private:
    QString m_previous;
};

/// Collects the lines the application logs while it lives.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    QStringList lines;
};

/// The running application, as a test sees it: a fake picker platform, a temporary album,
/// the main interface loaded and launched.
class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Takes the album route with `path` chosen, and waits for the pick to complete.
    void pickFromAlbum(const QString& path);
    /// A picture of `size` in the test's temporary folder.
    QString picture(const QString& name, QSize size, QColor color = QColor(200, 120, 60));
    /// The PNG files in the album, sorted.
    QStringList albumFiles() const;

    FakePickerPlatform platform;
    QTemporaryDir scratch;
    QString albumFolder;
    std::unique_ptr<VelmoraAppDelegate> app;
    VelmoraViewController* screen = nullptr;
};
