#include "ComposeSupport.h"

TEST_F(Compose, WritesOnePortraitPerPhotoAndPrintsItsPath) {
    const QStringList photos{photo(QStringLiteral("a.jpg"), QColor(200, 80, 80)),
                             photo(QStringLiteral("b.png"), QColor(80, 200, 80), QSize(40, 30)),
                             photo(QStringLiteral("c.jpg"), QColor(80, 80, 200))};
    const ComposeRun run = compose(
        QStringList{QStringLiteral("--out"), out, QStringLiteral("--aura"), QStringLiteral("1")} +
        photos);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.errors);
    ASSERT_EQ(run.written.size(), photos.size()) << qPrintable(run.written.join('\n'));
    for (const QString& path : run.written) {
        EXPECT_EQ(QFileInfo(path).absolutePath(), QDir(out).absolutePath());
        EXPECT_EQ(QImage(path).size(), QSize(360, 480)) << qPrintable(path);
    }
    EXPECT_EQ(filesIn(out).size(), photos.size());
    // In the order given: under the same overlay, each portrait's chest, where the overlay
    // lays only a thin veil, leans to its own photo's colour.
    QColor corner[3];
    for (int i = 0; i < 3; ++i)
        corner[i] = QImage(run.written[i]).pixelColor(180, 470);
    EXPECT_GT(corner[0].red(), corner[1].red() + 40);
    EXPECT_GT(corner[1].green(), corner[0].green() + 40);
    EXPECT_GT(corner[2].blue(), corner[1].blue() + 40);
}

TEST_F(Compose, WithoutOutWritesIntoTheAlbumFromTheEnvironment) {
    const QString album = scratch.filePath(QStringLiteral("album"));
    QProcessEnvironment env;
    env.insert(QStringLiteral("VELMORA_ALBUM"), album);
    const ComposeRun run = compose({photo(QStringLiteral("a.jpg"), Qt::gray)}, env);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.errors);
    ASSERT_EQ(run.written.size(), 1);
    EXPECT_TRUE(run.written.first().startsWith(album)) << qPrintable(run.written.first());
    EXPECT_TRUE(QFile::exists(run.written.first()));
}

TEST_F(Compose, TheSameAuraGivesTheSameFile) {
    const QString face = photo(QStringLiteral("face.jpg"), QColor(170, 120, 90));
    const ComposeRun first = compose(
        {QStringLiteral("--out"), out, QStringLiteral("--aura"), QStringLiteral("17"), face, face});
    const ComposeRun second = compose(
        {QStringLiteral("--out"), out, QStringLiteral("--aura"), QStringLiteral("17"), face});
    ASSERT_EQ(first.written.size(), 2) << qPrintable(first.errors);
    ASSERT_EQ(second.written.size(), 1) << qPrintable(second.errors);
    const QByteArray reference = bytesOf(first.written[0]);
    ASSERT_FALSE(reference.isEmpty());
    EXPECT_EQ(bytesOf(first.written[1]), reference);
    EXPECT_EQ(bytesOf(second.written[0]), reference);

    const ComposeRun other = compose(
        {QStringLiteral("--out"), out, QStringLiteral("--aura"), QStringLiteral("18"), face});
    ASSERT_EQ(other.written.size(), 1);
    EXPECT_NE(QImage(other.written[0]), QImage(first.written[0])) << "another overlay";
}

TEST_F(Compose, ReportsEachUnreadablePhotoAndStillWritesTheGoodOnes) {
    const QString missing = scratch.filePath(QStringLiteral("missing.jpg"));
    const QString notPicture = scratch.filePath(QStringLiteral("notes.jpg"));
    QFile notes(notPicture);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("these are words, not pixels\n");
    notes.close();
    const QString good = photo(QStringLiteral("good.jpg"), QColor(60, 60, 60));

    const ComposeRun run = compose({QStringLiteral("--out"), out, missing, notPicture, good});
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.written.size(), 1) << qPrintable(run.errors);
    EXPECT_TRUE(QFile::exists(run.written.first()));
    EXPECT_EQ(filesIn(out).size(), 1);
    const QStringList lines = run.errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& name : {QStringLiteral("missing.jpg"), QStringLiteral("notes.jpg")}) {
        const auto line = std::find_if(lines.begin(), lines.end(),
                                       [&](const QString& l) { return l.contains(name); });
        ASSERT_NE(line, lines.end()) << qPrintable(name) << " in " << qPrintable(run.errors);
        // The file's name and, after it, why it was refused.
        EXPECT_GT(line->size() - line->indexOf(name) - name.size(), 5) << qPrintable(*line);
    }
    EXPECT_FALSE(run.errors.contains(QStringLiteral("good.jpg"))) << qPrintable(run.errors);
}

TEST_F(Compose, AnAlbumThatCannotBeWrittenFailsEveryPhotoWithTheReason) {
    QFile blocker(scratch.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString bad = blocker.fileName() + QStringLiteral("/out");
    const ComposeRun run =
        compose({QStringLiteral("--out"), bad, photo(QStringLiteral("a.jpg"), Qt::red),
                 photo(QStringLiteral("b.jpg"), Qt::blue)});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.written.isEmpty());
    EXPECT_EQ(run.errors.count(bad), 2) << "one line for each photo: " << qPrintable(run.errors);
}

TEST_F(Compose, RefusesAnAuraOutsideOneToAHundredAndNoPhotos) {
    const QString face = photo(QStringLiteral("face.jpg"), Qt::gray);
    for (const QString& aura : {QStringLiteral("0"), QStringLiteral("101"), QStringLiteral("-3"),
                                QStringLiteral("ten")}) {
        SCOPED_TRACE(qPrintable(aura));
        const ComposeRun run =
            compose({QStringLiteral("--out"), out, QStringLiteral("--aura"), aura, face});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.errors.contains(QStringLiteral("--aura"))) << qPrintable(run.errors);
        EXPECT_TRUE(run.written.isEmpty());
    }
    const ComposeRun none = compose({QStringLiteral("--out"), out});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_TRUE(filesIn(out).isEmpty());
}

class ComposeLikeTheApplication : public AppFixture {};

TEST_F(ComposeLikeTheApplication, TheComposedFileEqualsWhatTheApplicationSaves) {
    QImage portrait(1200, 1600, QImage::Format_RGB32);
    for (int y = 0; y < portrait.height(); ++y) {
        for (int x = 0; x < portrait.width(); ++x)
            portrait.setPixel(x, y, qRgb(x * 255 / 1200, y * 255 / 1600, (x + y) % 256));
    }
    const QString face = scratch.filePath(QStringLiteral("face.jpg"));
    ASSERT_TRUE(portrait.save(face, "JPEG", 90));

    {
        const ScopedRandomSource pinned([] { return std::uint32_t(16); });
        pickFromAlbum(face);
        screen->save(screen->ui->save2);
    }
    ASSERT_TRUE(toolkit::PhotoAlbum::shared().waitForQueuedWrites(30000));
    QCoreApplication::processEvents();
    ASSERT_EQ(albumFiles().size(), 1);
    const QImage saved(albumFolder + QLatin1Char('/') + albumFiles().first());

    const QString out = scratch.filePath(QStringLiteral("out"));
    const ComposeRun run = compose(
        {QStringLiteral("--out"), out, QStringLiteral("--aura"), QStringLiteral("17"), face});
    ASSERT_EQ(run.written.size(), 1) << qPrintable(run.errors);
    const QImage composed(run.written.first());
    ASSERT_EQ(composed.size(), saved.size());
    EXPECT_TRUE(composed.convertToFormat(QImage::Format_ARGB32) ==
                saved.convertToFormat(QImage::Format_ARGB32));
}

// Composing builds no screen: no platform plugin, no font configuration and no layout is
// opened, whatever the photo and fit.
TEST_F(Compose, OpensNoPlatformFontOrLayout) {
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        GTEST_SKIP() << "strace is not installed";
    const QString trace = scratch.filePath(QStringLiteral("trace"));
    QProcess process;
    // LeakSanitizer, in a sanitizer build, cannot look for leaks in a traced process.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
    process.setProcessEnvironment(env);
    process.start(strace,
                  {QStringLiteral("-f"), QStringLiteral("-e"), QStringLiteral("trace=open,openat"),
                   QStringLiteral("-o"), trace, QStringLiteral(VELMORA_BINARY),
                   QStringLiteral("compose"), QStringLiteral("--out"), out, QStringLiteral("--fit"),
                   QStringLiteral("face"),
                   QStringLiteral(VELMORA_SOURCE_DIR "/tests/data/astronaut.jpg")});
    ASSERT_TRUE(process.waitForFinished(120000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(filesIn(out).size(), 1);
    const QString opened = QString::fromUtf8(bytesOf(trace));
    ASSERT_TRUE(opened.contains(QStringLiteral("astronaut.jpg"))) << "strace saw nothing";
    for (const char* unwanted : {"/platforms/", "fonts.conf", ".ui\""})
        EXPECT_FALSE(opened.contains(QLatin1String(unwanted))) << unwanted;
}

// An install that lost its pictures must not pass bare photos off as portraits.
TEST_F(Compose, WithoutItsOverlaysFailsAndWritesNothing) {
    QTemporaryDir noPictures;
    QProcessEnvironment env;
    env.insert(QStringLiteral("VELMORA_RESOURCES"), noPictures.path());
    const ComposeRun run = compose({QStringLiteral("--out"), out, QStringLiteral("--aura"),
                                    QStringLiteral("7"), photo(QStringLiteral("a.jpg"), Qt::gray)},
                                   env);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.written.isEmpty());
    EXPECT_TRUE(filesIn(out).isEmpty());
    EXPECT_TRUE(run.errors.contains(QStringLiteral("\"7.png\"")) &&
                run.errors.contains(noPictures.path()))
        << qPrintable(run.errors);
}

// Photo names that look like options of the toolkit underneath are photos all the same.
TEST_F(Compose, NamesThatLookLikeOptionsAreComposedAfterTheDoubleDash) {
    const QString here = QDir::currentPath();
    QDir::setCurrent(scratch.path());
    QStringList names{QStringLiteral("-style=x.jpg"), QStringLiteral("-platform"),
                      QStringLiteral("-reverse"), QStringLiteral("--aura")};
    const QString original = photo(QStringLiteral("original.jpg"), Qt::darkGreen);
    for (const QString& name : names)
        ASSERT_TRUE(QFile::copy(original, name));
    const ComposeRun run =
        compose(QStringList{QStringLiteral("--out"), out, QStringLiteral("--")} + names);
    QDir::setCurrent(here);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.errors);
    EXPECT_EQ(run.written.size(), names.size());
    EXPECT_EQ(filesIn(out).size(), names.size());

    const ComposeRun unknown = compose({QStringLiteral("--out"), out, QStringLiteral("-reverse")});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.errors.contains(QStringLiteral("-reverse"))) << qPrintable(unknown.errors);
}

// Stopped by SIGTERM, compose finishes the portrait it is writing, leaves no temporary
// file behind and says it stopped.
TEST_F(Compose, ASigtermLeavesNoTemporaryFile) {
    const QString big = photo(QStringLiteral("big.png"), Qt::red, QSize(3000, 4000));
    QStringList arguments{QStringLiteral("compose"), QStringLiteral("--out"), out};
    for (int i = 0; i < 30; ++i)
        arguments << big;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VELMORA_BINARY), arguments);
    ASSERT_TRUE(process.waitForStarted());
    ASSERT_TRUE(waitUntil([&] { return !filesIn(out).isEmpty(); }, 60000));
    ::kill(pid_t(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(10000)) << "SIGTERM was not honoured";
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardError().contains("stopped"));
    const QStringList left = filesIn(out);
    EXPECT_LT(left.size(), 30);
    for (const QString& name : left)
        EXPECT_TRUE(name.startsWith(QStringLiteral("velmora-"))) << qPrintable(name);
}

// A photo and an album folder whose names are Latin-1, not UTF-8: the portrait is made from
// that photo and lands in that folder, and the printed path is its path.
TEST_F(Compose, NamesThatAreNotUtf8WorkEndToEnd) {
    const QByteArray folder = QFile::encodeName(scratch.path()) + "/alb\xfcm";
    const QByteArray photoName = QFile::encodeName(scratch.path()) + "/caf\xe9.jpg";
    ASSERT_TRUE(QFile::copy(photo(QStringLiteral("plain.jpg"), Qt::magenta),
                            scratch.filePath(QStringLiteral("plain-copy.jpg"))));
    ASSERT_EQ(::rename(QFile::encodeName(scratch.filePath(QStringLiteral("plain-copy.jpg"))),
                       photoName.constData()),
              0);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("VELMORA"), QStringLiteral(VELMORA_BINARY));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(scratch.path());
    // Through the shell, so the arguments reach compose as raw bytes.
    process.start(QStringLiteral("sh"),
                  {QStringLiteral("-c"),
                   QStringLiteral("exec \"$VELMORA\" compose --out \"$(printf 'alb\\374m')\" "
                                  "\"$(printf 'caf\\351.jpg')\"")});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QByteArray printed = process.readAllStandardOutput().trimmed();
    EXPECT_TRUE(printed.startsWith(folder + "/velmora-")) << printed.toStdString();
    struct stat written {};
    EXPECT_EQ(::stat(printed.constData(), &written), 0) << "the printed path is the file";
    EXPECT_EQ(filesIn(scratch.path()).filter(QStringLiteral("velmora-")).size(), 0)
        << "nothing lands anywhere else";
}

// --fit stretch is the portrait as it always was, to the byte; --fit face cuts the real
// photo around the astronaut's face instead; anything else is refused.
TEST_F(Compose, FitStretchIsTheDefaultAndFitFaceFramesTheFace) {
    const QString astronaut = QStringLiteral(VELMORA_SOURCE_DIR "/tests/data/astronaut.jpg");
    const QStringList common = {QStringLiteral("--out"), out, QStringLiteral("--aura"),
                                QStringLiteral("5")};
    const ComposeRun plain = compose(common + QStringList{astronaut});
    const ComposeRun stretch = compose(
        common + QStringList{QStringLiteral("--fit"), QStringLiteral("stretch"), astronaut});
    const ComposeRun face = compose(common + QStringList{QStringLiteral("--fit=face"), astronaut});
    ASSERT_EQ(plain.written.size(), 1) << qPrintable(plain.errors);
    ASSERT_EQ(stretch.written.size(), 1) << qPrintable(stretch.errors);
    ASSERT_EQ(face.written.size(), 1) << qPrintable(face.errors);
    EXPECT_EQ(bytesOf(stretch.written[0]), bytesOf(plain.written[0]));
    const QImage framed(face.written[0]);
    EXPECT_EQ(framed.size(), QSize(360, 480));
    EXPECT_NE(framed, QImage(plain.written[0]));

    const ComposeRun wrong =
        compose(common + QStringList{QStringLiteral("--fit"), QStringLiteral("squash"), astronaut});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_TRUE(wrong.errors.contains(QStringLiteral("--fit"))) << qPrintable(wrong.errors);
}

TEST_F(Compose, ABatchDecodedAheadGivesEachPhotoItsOwnFileInOrder) {
    const QString missing = scratch.filePath(QStringLiteral("missing.jpg"));
    const QString astronaut = QStringLiteral(VELMORA_SOURCE_DIR "/tests/data/astronaut.jpg");
    QStringList batch;
    QStringList good;
    for (int i = 0; i < 5; ++i) {
        good << photo(QStringLiteral("p%1.jpg").arg(i), QColor(40 * i, 200 - 30 * i, 90),
                      QSize(600 + 100 * i, 800));
        batch << good.last();
        if (i == 1)
            batch << missing;
    }
    good << astronaut;
    batch << astronaut;
    for (const QString& fit : {QStringLiteral("stretch"), QStringLiteral("face")}) {
        const QStringList common = {QStringLiteral("--out"),  out,
                                    QStringLiteral("--fit"),  fit,
                                    QStringLiteral("--aura"), QStringLiteral("9")};
        const ComposeRun run = compose(common + batch);
        EXPECT_EQ(run.exitCode, 1) << qPrintable(fit);
        EXPECT_TRUE(run.errors.contains(QStringLiteral("missing.jpg"))) << qPrintable(run.errors);
        ASSERT_EQ(run.written.size(), good.size()) << qPrintable(run.errors);
        for (qsizetype i = 0; i < good.size(); ++i) {
            const ComposeRun alone = compose(common + QStringList{good[i]});
            ASSERT_EQ(alone.written.size(), 1) << qPrintable(alone.errors);
            EXPECT_EQ(bytesOf(run.written[i]), bytesOf(alone.written[0]))
                << qPrintable(fit) << " photo " << i;
        }
    }
    EXPECT_EQ(compose({QStringLiteral("--out"), out, missing}).exitCode, 1);
}
