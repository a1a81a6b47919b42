#include "AlbumSupport.h"

// What a saved portrait survives: a crash right after the save, the album going away with
// writes queued, another process saving into the same folder, and which folder is used.

// What syncing buys, a whole portrait after a power cut, no test can cut the power for;
// what can be seen is the order of the calls: the file's data synced before it gets its
// name, the folder's entry after.
TEST(Album, APortraitIsSyncedBeforeItIsNamedAndItsFolderAfter) {
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        GTEST_SKIP() << "strace is not installed";
    QTemporaryDir dir;
    const QString photo =
        writePicture(dir.filePath(QStringLiteral("photo.png")), QSize(300, 400), Qt::green);
    const QString out = dir.filePath(QStringLiteral("album"));
    const QString trace = dir.filePath(QStringLiteral("trace"));
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(strace, {QStringLiteral("-f"), QStringLiteral("-y"), QStringLiteral("-o"), trace,
                           QStringLiteral("-e"), QStringLiteral("trace=fsync,link,renameat2"),
                           QStringLiteral(VELMORA_BINARY), QStringLiteral("compose"),
                           QStringLiteral("--out"), out, photo});
    ASSERT_TRUE(process.waitForFinished(120000));
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    if (process.exitCode() != 0 && errors.contains(QStringLiteral("ptrace")))
        GTEST_SKIP() << "strace may not trace here: " << qPrintable(errors);
    ASSERT_EQ(process.exitCode(), 0) << qPrintable(errors);

    QFile file(trace);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList calls = QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'));
    auto first = [&calls](const QRegularExpression& pattern) {
        for (int i = 0; i < calls.size(); ++i)
            if (pattern.match(calls[i]).hasMatch())
                return i;
        return -1;
    };
    const QString folder = QRegularExpression::escape(out);
    const int fileSynced = first(QRegularExpression(
        QStringLiteral("fsync\\(\\d+<%1/\\.velmora-\\w+\\.tmp>\\) = 0").arg(folder)));
    const int named = first(QRegularExpression(
        QStringLiteral("(link|renameat2)\\(.*\\.tmp\", .*%1/velmora-[-\\d]+\\.png\".*= 0")
            .arg(folder)));
    const int folderSynced =
        first(QRegularExpression(QStringLiteral("fsync\\(\\d+<%1>\\) = 0").arg(folder)));
    ASSERT_GE(fileSynced, 0) << qPrintable(calls.join(QLatin1Char('\n')));
    ASSERT_GE(named, 0) << qPrintable(calls.join(QLatin1Char('\n')));
    EXPECT_LT(fileSynced, named);
    EXPECT_GT(folderSynced, named) << qPrintable(calls.join(QLatin1Char('\n')));
}

TEST(Album, AQueuedWriteIsOnDiskWhenTheAlbumGoesAway) {
    QTemporaryDir dir;
    {
        PhotoAlbum album;
        album.setFolder(dir.path());
        album.write(filled(Qt::magenta, QSize(2000, 2000)));
    }
    const QStringList files = portraits(dir.path());
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(QImage(dir.filePath(files.first())).size(), QSize(2000, 2000));
    EXPECT_EQ(everything(dir.path()), files);
}

TEST(Album, TwoProcessesSavingIntoOneFolderNeverOverwriteEachOther) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("album"));
    constexpr int kPhotosEach = 6;
    QStringList photos[2];
    for (int p = 0; p < 2; ++p) {
        for (int i = 0; i < kPhotosEach; ++i)
            photos[p] << writePicture(dir.filePath(QStringLiteral("p%1-%2.png").arg(p).arg(i)),
                                      QSize(300, 400), QColor(40 * i, 100 + 100 * p, 50));
    }
    QProcess processes[2];
    for (int p = 0; p < 2; ++p) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        processes[p].setProcessEnvironment(env);
        processes[p].start(QStringLiteral(VELMORA_BINARY),
                           QStringList{QStringLiteral("compose"), QStringLiteral("--out"), out,
                                       QStringLiteral("--aura"), QStringLiteral("5")} +
                               photos[p]);
    }
    QSet<QString> printed;
    for (QProcess& process : processes) {
        ASSERT_TRUE(process.waitForFinished(120000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
            if (!line.isEmpty())
                printed.insert(QString::fromLocal8Bit(line));
        }
    }
    EXPECT_EQ(printed.size(), 2 * kPhotosEach);
    EXPECT_EQ(portraits(out).size(), 2 * kPhotosEach);
    EXPECT_EQ(everything(out).size(), 2 * kPhotosEach) << "no temporary file is left";
}

TEST(Album, TheFolderOptionWinsOverTheEnvironmentWhichWinsOverPictures) {
    EnvironmentGuard album("VELMORA_ALBUM");
    EnvironmentGuard config("XDG_CONFIG_HOME");
    QTemporaryDir dir;
    // The user's own Pictures folder, as the desktop names it.
    const QString pictures = dir.filePath(QStringLiteral("Bilder"));
    QFile userDirs(dir.filePath(QStringLiteral("user-dirs.dirs")));
    ASSERT_TRUE(userDirs.open(QIODevice::WriteOnly));
    userDirs.write("XDG_PICTURES_DIR=\"" + QFile::encodeName(pictures) + "\"\n");
    userDirs.close();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));

    qputenv("VELMORA_ALBUM", QFile::encodeName(dir.filePath(QStringLiteral("env"))));
    EXPECT_EQ(PhotoAlbum::defaultFolder(dir.filePath(QStringLiteral("option"))),
              dir.filePath(QStringLiteral("option")));
    EXPECT_EQ(PhotoAlbum::defaultFolder(), dir.filePath(QStringLiteral("env")));
    EXPECT_TRUE(QDir::isAbsolutePath(PhotoAlbum::defaultFolder(QStringLiteral("relative"))));

    // Quoted in a shell script, a tilde reaches the program as it is: it still means home.
    qputenv("VELMORA_ALBUM", "~/Portraits");
    EXPECT_EQ(PhotoAlbum::defaultFolder(), QDir::homePath() + QStringLiteral("/Portraits"));

    qunsetenv("VELMORA_ALBUM");
    EXPECT_EQ(PhotoAlbum::defaultFolder(), pictures + QStringLiteral("/Velmora"));
    qputenv("VELMORA_ALBUM", "");
    EXPECT_EQ(PhotoAlbum::defaultFolder(), pictures + QStringLiteral("/Velmora"))
        << "an empty variable names no folder";
}
