#include "AlbumSupport.h"

TEST(Album, ManyQuickWritesGiveAsManyCompleteFilesUnderFreshNames) {
    QTemporaryDir dir;
    PhotoAlbum album;
    album.setFolder(dir.path());
    Outcomes outcomes;
    constexpr int kWrites = 30;
    auto colour = [](int i) { return QColor(i * 8, 255 - i * 8, 100); };
    for (int i = 0; i < kWrites; ++i)
        outcomes.follow(album.write(filled(colour(i))), i);
    settle(album);

    EXPECT_EQ(outcomes.failed.size(), 0);
    ASSERT_EQ(outcomes.saved.size(), kWrites);
    const QStringList files = portraits(dir.path());
    ASSERT_EQ(files.size(), kWrites);
    EXPECT_EQ(everything(dir.path()), files) << "no temporary file is left";
    QSet<QRgb> colours;
    for (const QString& name : files) {
        EXPECT_TRUE(kPortraitName.match(name).hasMatch()) << qPrintable(name);
        const QImage image(dir.filePath(name));
        ASSERT_EQ(image.size(), QSize(360, 480)) << qPrintable(name);
        colours.insert(image.pixel(180, 240));
        EXPECT_EQ(QFileInfo(dir.filePath(name)).permissions() & QFile::ReadOther, QFile::ReadOther)
            << "a portrait is readable like any picture";
    }
    EXPECT_EQ(colours.size(), kWrites) << "every write kept its own picture";
    EXPECT_EQ(QSet<QString>(outcomes.saved.begin(), outcomes.saved.end()).size(), kWrites);
    // Each save names the file that holds its own picture.
    for (int i = 0; i < kWrites; ++i)
        EXPECT_EQ(QImage(outcomes.pathOf.value(i)).pixel(180, 240), colour(i).rgb()) << i;
}

TEST(Album, NeverReplacesAnExistingFile) {
    QTemporaryDir dir;
    // Every name the write could take in the next few seconds is taken already.
    const QDateTime now = QDateTime::currentDateTime();
    QStringList taken;
    for (int second = -1; second <= 3; ++second) {
        const QString stamp = now.addSecs(second).toString(QStringLiteral("yyyyMMdd-HHmmss"));
        for (int n = 1; n <= 2; ++n) {
            const QString name =
                QStringLiteral("velmora-%1-%2.png").arg(stamp).arg(n, 3, 10, QLatin1Char('0'));
            QFile file(dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("kept: " + name.toUtf8());
            taken << name;
        }
    }

    const auto written = PhotoAlbum::writeNow(filled(Qt::red), dir.path());
    ASSERT_TRUE(written.ok()) << qPrintable(written.error());
    EXPECT_FALSE(taken.contains(QFileInfo(written.value()).fileName()));
    EXPECT_TRUE(written.value().endsWith(QStringLiteral("-003.png")))
        << qPrintable(written.value());
    for (const QString& name : taken) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), "kept: " + name.toUtf8());
    }
    EXPECT_EQ(QImage(written.value()).pixel(0, 0), qRgb(255, 0, 0));
}

// The folder cannot be made (a file lies in its path): the failure names the folder and
// the cause, no file appears, and the album still works once it has a good folder.
TEST(Album, AFolderThatCannotBeMadeFailsWithTheReasonAndTheAlbumGoesOn) {
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    PhotoAlbum album;
    Outcomes outcomes;
    for (const QString& bad : {dir.filePath(QStringLiteral("file/sub")), blocker.fileName()}) {
        SCOPED_TRACE(qPrintable(bad));
        outcomes.failed.clear();
        album.setFolder(bad);
        outcomes.follow(album.write(filled(Qt::blue)));
        settle(album);
        ASSERT_EQ(outcomes.failed.size(), 1);
        const QString reason = outcomes.failed.first();
        EXPECT_TRUE(reason.contains(bad)) << qPrintable(reason);
        EXPECT_TRUE(reason.contains(QStringLiteral("cannot create the album folder")))
            << qPrintable(reason);
        EXPECT_FALSE(reason.contains(QStringLiteral("Success"))) << qPrintable(reason);
    }
    EXPECT_EQ(outcomes.saved.size(), 0);
    EXPECT_EQ(everything(dir.path()), QStringList{QStringLiteral("file")});

    const QString good = dir.filePath(QStringLiteral("good"));
    album.setFolder(good);
    outcomes.follow(album.write(filled(Qt::blue)));
    settle(album);
    EXPECT_EQ(outcomes.saved.size(), 1);
    EXPECT_EQ(portraits(good).size(), 1);
}

// Permissions do not bind the super-user: run as root, the writes are made by compose
// running as nobody. A folder that cannot be written and one that cannot be made each say
// so, with the error of the call that failed.
TEST(Album, AFolderWithoutWritePermissionFailsWithTheReason) {
    const bool root = ::geteuid() == 0;
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (root && setpriv.isEmpty())
        GTEST_SKIP() << "running as root without setpriv to drop the privilege";
    QTemporaryDir dir;
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    const QString locked = dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(locked));
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0555), 0);
    const QString photo =
        writePicture(dir.filePath(QStringLiteral("photo.png")), QSize(300, 400), Qt::green);

    const QString inside = locked + QStringLiteral("/album");
    for (const auto& [folder, reason] :
         {std::pair{locked, QStringLiteral("cannot write the portrait: Permission denied")},
          std::pair{inside, QStringLiteral("cannot create the album folder: Permission denied")}}) {
        SCOPED_TRACE(qPrintable(folder));
        QString error;
        if (root) {
            QProcess process;
            process.start(setpriv,
                          {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                           QStringLiteral("--clear-groups"), QStringLiteral(VELMORA_BINARY),
                           QStringLiteral("compose"), QStringLiteral("--out"), folder, photo});
            ASSERT_TRUE(process.waitForFinished(60000));
            EXPECT_EQ(process.exitCode(), 1);
            error = QString::fromLocal8Bit(process.readAllStandardError());
        } else {
            const auto written = PhotoAlbum::writeNow(filled(Qt::green), folder);
            ASSERT_FALSE(written.ok());
            error = written.error();
        }
        EXPECT_TRUE(error.contains(folder)) << qPrintable(error);
        EXPECT_TRUE(error.contains(reason)) << qPrintable(error);
    }
    ::chmod(QFile::encodeName(locked).constData(), 0755);
    EXPECT_TRUE(everything(locked).isEmpty());
}

// Portraits and album folders get the permissions the user's umask allows, as any other
// file the user makes.
TEST(Album, PortraitsAndFoldersFollowTheUmask) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("private/album"));
    const mode_t previous = ::umask(077);
    const auto written = PhotoAlbum::writeNow(filled(Qt::blue), folder);
    ::umask(previous);
    ASSERT_TRUE(written.ok()) << qPrintable(written.error());
    struct stat file {
    }, made{};
    ASSERT_EQ(::stat(QFile::encodeName(written.value()).constData(), &file), 0);
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &made), 0);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
    EXPECT_EQ(made.st_mode & 0777, 0700u);
}

// The disk fills up in the middle of the file (a file-size limit stands in for it). The
// process ignores the limit's signal from its start, so the write fails instead.
TEST(Album, AWriteThatFailsPartWayLeavesNoFile) {
    QTemporaryDir dir;
    const QImage noise = ::noise(QSize(1200, 1600));

    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    struct sigaction action {};
    ASSERT_EQ(::sigaction(SIGXFSZ, nullptr, &action), 0);
    ASSERT_EQ(action.sa_handler, SIG_IGN) << "the limit would end the test process";
    rlimit small = before;
    small.rlim_cur = 10 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto written = PhotoAlbum::writeNow(noise, dir.path());
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &before), 0);

    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.error().contains(dir.path())) << qPrintable(written.error());
    EXPECT_TRUE(written.error().contains(QStringLiteral("too large")))
        << qPrintable(written.error());
    EXPECT_FALSE(written.error().contains(QStringLiteral(".tmp")))
        << "the reason names the album, not a file the user never sees";
    EXPECT_TRUE(everything(dir.path()).isEmpty()) << qPrintable(everything(dir.path()).join(' '));

    const auto again = PhotoAlbum::writeNow(noise, dir.path());
    EXPECT_TRUE(again.ok()) << qPrintable(again.error());
}

TEST(Album, AFolderRemovedWhileRunningIsMadeAgain) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Pictures/Velmora"));
    PhotoAlbum album;
    album.setFolder(folder);
    Outcomes outcomes;
    outcomes.follow(album.write(filled(Qt::yellow)));
    settle(album);
    ASSERT_EQ(portraits(folder).size(), 1);

    ASSERT_TRUE(QDir(dir.filePath(QStringLiteral("Pictures"))).removeRecursively());
    outcomes.follow(album.write(filled(Qt::cyan)));
    settle(album);
    EXPECT_EQ(outcomes.saved.size(), 2);
    ASSERT_EQ(portraits(folder).size(), 1);
    EXPECT_EQ(QImage(folder + QLatin1Char('/') + portraits(folder).first()).pixel(5, 5),
              qRgb(0, 255, 255));
}

// A save goes to the folder the album had when it was queued; a change of folder moves
// only the saves queued after it.
TEST(Album, ASaveGoesToTheFolderItWasQueuedFor) {
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first"));
    const QString second = dir.filePath(QStringLiteral("second"));
    PhotoAlbum album;
    album.setFolder(first);
    // The large picture keeps the worker busy while the folder changes.
    album.write(noise(QSize(2000, 2000)));
    album.write(filled(Qt::red));
    album.setFolder(second);
    album.write(filled(Qt::blue));
    settle(album);
    EXPECT_EQ(portraits(first).size(), 2);
    ASSERT_EQ(portraits(second).size(), 1);
    EXPECT_EQ(QImage(second + QLatin1Char('/') + portraits(second).first()).pixel(5, 5),
              qRgb(0, 0, 255));
}

// Saves dropped before they began (a compose stopped by a signal) still report, so no one
// waits for them; the one being written is finished.
TEST(Album, DroppedSavesReportThatTheyWereNotWritten) {
    QTemporaryDir dir;
    PhotoAlbum album;
    album.setFolder(dir.path());
    Outcomes outcomes;
    outcomes.follow(album.write(noise(QSize(2000, 2000))));
    outcomes.follow(album.write(filled(Qt::red)));
    outcomes.follow(album.write(filled(Qt::blue)));
    album.discardQueuedWrites();
    settle(album);
    EXPECT_EQ(outcomes.saved.size(), 1);
    ASSERT_EQ(outcomes.failed.size(), 2);
    EXPECT_TRUE(outcomes.failed.first().contains(QStringLiteral("not written")))
        << qPrintable(outcomes.failed.first());
    EXPECT_EQ(portraits(dir.path()).size(), 1);
}

// A temporary left by a killed process is cleared by the next save into its folder, but
// only when no process can still be writing it: an hour after it last changed.
TEST(Album, OnlyTemporariesUntouchedForAnHourAreSweptAway) {
    QTemporaryDir dir;
    const QDateTime now = QDateTime::currentDateTime();
    auto leave = [&](const QString& name, int ageSeconds) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("partial");
        file.flush();
        ASSERT_TRUE(file.setFileTime(now.addSecs(-ageSeconds), QFileDevice::FileModificationTime));
    };
    leave(QStringLiteral(".velmora-younger.tmp"), 3600 - 60);
    leave(QStringLiteral(".velmora-older.tmp"), 3600 + 60);
    leave(QStringLiteral(".other-program.tmp"), 7200);

    const auto written = PhotoAlbum::writeNow(filled(Qt::red), dir.path());
    ASSERT_TRUE(written.ok()) << qPrintable(written.error());
    QStringList left = everything(dir.path());
    left.removeAll(QFileInfo(written.value()).fileName());
    EXPECT_EQ(left.join(QLatin1Char(' ')).toStdString(), ".other-program.tmp .velmora-younger.tmp");
}
