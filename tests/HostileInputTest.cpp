#include "HostileFixture.h"

TEST_F(HostileInput, TheAlbumPickerRefusesEachBadFileWithItsReasonAndTakesEachOddOne) {
    for (const HostileCase& c : HostileCorpus::get().cases) {
        SCOPED_TRACE(qPrintable(c.name));
        platform.nextChoice = c.path;
        const QImage before = screen->ui->imageView->image().toQImage();
        screen->getPhoto(screen->ui->choosePhotoBtn);
        ASSERT_TRUE(waitUntil([this] { return screen->modalViewController() == nullptr; }, 20000))
            << "the picker never came back";
        if (c.accepted) {
            EXPECT_EQ(screen->ui->imageView->image().size(), QSize(360, 480));
            EXPECT_EQ(screen->ui->imageView->image().toQImage().size(), QSize(360, 480));
            EXPECT_FALSE(app->window()->message().contains(c.name));
        } else {
            expectReason(app->window()->message(), c);
            EXPECT_EQ(screen->ui->imageView->image().toQImage(), before)
                << "the screen stays as it was";
            expectAGoodPickWorks();
        }
        EXPECT_TRUE(everythingIn(albumFolder).isEmpty()) << "a pick writes nothing";
    }
}

TEST_F(HostileInput, ADroppedFileIsCheckedLikeAPick) {
    for (const HostileCase& c : HostileCorpus::get().cases) {
        SCOPED_TRACE(qPrintable(c.name));
        const QImage before = screen->ui->imageView->image().toQImage();
        emit app->window()->filesDropped({c.path});
        ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }, 20000));
        if (c.accepted) {
            EXPECT_EQ(screen->ui->imageView->image().toQImage().size(), QSize(360, 480));
            EXPECT_FALSE(app->window()->message().contains(c.name));
        } else {
            expectReason(app->window()->message(), c);
            EXPECT_EQ(screen->ui->imageView->image().toQImage(), before)
                << "the screen stays as it was";
        }
    }
    expectAGoodPickWorks();
    EXPECT_TRUE(everythingIn(albumFolder).isEmpty());
}

TEST_F(HostileInput, ComposeReportsEachBadFileAndComposesEachOddOne) {
    QStringList arguments{QStringLiteral("compose"), QStringLiteral("--out"), albumFolder,
                          QStringLiteral("--aura"), QStringLiteral("12")};
    int accepted = 0;
    for (const HostileCase& c : HostileCorpus::get().cases) {
        arguments << c.path;
        accepted += c.accepted;
    }
    // Bounds that tell a bomb from a photo (a scan bomb took minutes, a progressive one
    // gigabytes): not speed targets, which bench/ measures.
    const MeasuredRun run = runMeasured(arguments, 120000);
    ASSERT_TRUE(run.finished) << "compose did not finish";
    EXPECT_EQ(run.exitCode, 1) << "some photos failed";
    std::printf("compose of %d hostile pictures: %lld ms, peak %ld MB\n",
                int(HostileCorpus::get().cases.size()), run.wallMs, run.peakKb / 1024);
    EXPECT_LT(run.wallMs, 60000) << "a picture took far longer than its time budget";
    EXPECT_LT(run.peakKb, 450 * 1024) << "a picture took far more than its memory budget";

    for (const HostileCase& c : HostileCorpus::get().cases) {
        SCOPED_TRACE(qPrintable(c.name));
        const QStringList lines = run.errors.split(QLatin1Char('\n'));
        const auto reported = std::find_if(lines.begin(), lines.end(), [&](const QString& line) {
            return line.startsWith(QStringLiteral("velmora: skipped %1:").arg(c.path)) ||
                   line.startsWith(QStringLiteral("velmora: skipped %1:").arg(c.name));
        });
        if (c.accepted) {
            EXPECT_EQ(reported, lines.end()) << qPrintable(*reported);
        } else {
            ASSERT_NE(reported, lines.end()) << qPrintable(run.errors);
            expectReason(*reported, c);
        }
    }
    const QStringList written = run.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(written.size(), accepted) << qPrintable(run.output);
    EXPECT_EQ(albumFiles().size(), accepted);
    EXPECT_EQ(firstBrokenPortrait(albumFolder), QString());
    for (const QString& entry : everythingIn(albumFolder))
        EXPECT_TRUE(entry.startsWith(QStringLiteral("velmora-")))
            << "left behind: " << qPrintable(entry);
}

TEST_F(HostileInput, ATopDownBmpComesOutUpright) {
    // Its first row, at the top, is the least green; the bottom the most.
    pickFromAlbum(QFileInfo(HostileCorpus::get().cases.first().path).path() +
                  QStringLiteral("/top-down.bmp"));
    const QImage shown = screen->ui->imageView->image().toQImage();
    ASSERT_EQ(shown.size(), QSize(360, 480));
    EXPECT_LT(qGreen(shown.pixel(180, 5)), 70);
    EXPECT_GT(qGreen(shown.pixel(180, 474)), 210);
}

// A name with a newline would split the "skipped" line in two, and could forge a second one;
// a backslash in a name must not pass for an escape.
TEST_F(HostileInput, ComposeReportsASkippedFileOnOneLineWhateverItsName) {
    const QString name =
        scratch.filePath(QStringLiteral("forged\nvelmora: skipped me\\n.jpg\x1b[2K"));
    QFile bad(name);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();
    const ProcessRun run = runVelmora(
        {QStringLiteral("compose"), QStringLiteral("--out"), albumFolder, name, good}, 60000);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    const QStringList lines = run.errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << qPrintable(run.errors);
    EXPECT_TRUE(lines[0].startsWith(
        QStringLiteral("velmora: skipped %1/forged\\nvelmora: skipped me\\\\n.jpg\\x1b[2K: ")
            .arg(scratch.path())))
        << qPrintable(lines[0]);
    EXPECT_EQ(run.output.count(QLatin1Char('\n')), 1) << "the good photo is composed";
}
