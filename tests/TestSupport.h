#pragma once

#include "FakePickerPlatform.h"
#include "MainInterface.h"

#include <QImage>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

/// Runs the event loop until `done` holds or `timeoutMs` pass; returns whether it held.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

/// Writes a picture file of `size` filled with `color` (JPEG or PNG by the suffix).
QString writePicture(const QString& path, QSize size, QColor color = QColor(200, 120, 60));

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
