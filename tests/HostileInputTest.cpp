#include "TestSupport.h"
#include "album/PhotoAlbum.h"
#include "imaging/Image.h"
#include "ui/Window.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <memory>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using toolkit::Image;

namespace {

// One hostile or unusual picture file and what must become of it.
struct HostileCase {
    QString name;
    QString path;
    bool accepted = false;
    QString reason; // words the refusal must contain; empty when any reason will do
};

// The corpus scripts/make-bad-pictures makes, made once per test process.
class HostileCorpus {
public:
    static const HostileCorpus& get() {
        static const HostileCorpus corpus;
        return corpus;
    }
    bool ok() const { return !cases.isEmpty(); }

    QString problem;
    QList<HostileCase> cases;

private:
    HostileCorpus() {
        const QString script =
            QStringLiteral(VELMORA_SOURCE_DIR) + QStringLiteral("/scripts/make-bad-pictures");
        QProcess make;
        make.start(script, {folder.path()});
        if (!make.waitForFinished(180000) || make.exitCode() != 0) {
            problem = QString::fromLocal8Bit(make.readAllStandardError());
            return;
        }
        QFile manifest(folder.filePath(QStringLiteral("MANIFEST")));
        if (!manifest.open(QIODevice::ReadOnly)) {
            problem = manifest.errorString();
            return;
        }
        for (const QByteArray& line : manifest.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split('\t');
            if (fields.size() < 2)
                continue;
            HostileCase c;
            c.name = QString::fromUtf8(fields[0]);
            c.path = folder.filePath(c.name);
            c.accepted = fields[1] == "accept";
            c.reason = fields.size() > 2 ? QString::fromUtf8(fields[2]) : QString();
            cases << c;
        }
    }

    QTemporaryDir folder;
};

// Every entry of `folder`, hidden ones included: nothing may be left behind.
QStringList everythingIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

struct ProcessRun {
    bool finished = false;
    int exitCode = -1;
    QString output;
    QString errors;
};

ProcessRun runVelmora(const QStringList& arguments, int timeoutMs) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VELMORA_BINARY), arguments);
    ProcessRun run;
    run.finished = process.waitForFinished(timeoutMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

// A run in a child process, measured: wall-clock time, and the peak resident memory of
// that process alone (getrusage of an intermediate process that waits for nothing else).
struct MeasuredRun : ProcessRun {
    qint64 wallMs = 0;
    long peakKb = 0;
};

MeasuredRun runMeasured(const QStringList& arguments, int timeoutMs) {
    QTemporaryDir capture;
    const QByteArray outPath = QFile::encodeName(capture.filePath(QStringLiteral("out")));
    const QByteArray errPath = QFile::encodeName(capture.filePath(QStringLiteral("err")));
    std::vector<QByteArray> words{QByteArray(VELMORA_BINARY)};
    for (const QString& argument : arguments)
        words.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    int report[2];
    if (::pipe(report) != 0)
        return {};
    QElapsedTimer clock;
    clock.start();
    // Only async-signal-safe calls after fork: this process has threads.
    const pid_t waiter = ::fork();
    if (waiter == 0) {
        ::setpgid(0, 0);
        const pid_t child = ::fork();
        if (child == 0) {
            const int out = ::open(outPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = ::open(errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(out, 1);
            ::dup2(err, 2);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        struct rusage usage {};
        ::getrusage(RUSAGE_CHILDREN, &usage);
        const long result[2] = {long(status), usage.ru_maxrss};
        [[maybe_unused]] auto written = ::write(report[1], result, sizeof result);
        ::_exit(0);
    }
    ::close(report[1]);
    MeasuredRun run;
    struct pollfd ready {
        report[0], POLLIN, 0
    };
    long result[2] = {0, 0};
    if (::poll(&ready, 1, timeoutMs) == 1 &&
        ::read(report[0], result, sizeof result) == sizeof result) {
        run.finished = true;
        run.exitCode = WIFEXITED(result[0]) ? WEXITSTATUS(result[0]) : -1;
        run.peakKb = result[1];
    } else {
        ::kill(-waiter, SIGKILL);
    }
    run.wallMs = clock.elapsed();
    ::close(report[0]);
    ::waitpid(waiter, nullptr, 0);
    QFile out(capture.filePath(QStringLiteral("out")));
    QFile err(capture.filePath(QStringLiteral("err")));
    if (out.open(QIODevice::ReadOnly))
        run.output = QString::fromLocal8Bit(out.readAll());
    if (err.open(QIODevice::ReadOnly))
        run.errors = QString::fromLocal8Bit(err.readAll());
    return run;
}

// Whether every published portrait in `folder` is a whole 360x480 picture; names the
// first that is not.
QString firstBrokenPortrait(const QString& folder) {
    const QStringList portraits =
        QDir(folder).entryList({QStringLiteral("velmora-*.png")}, QDir::Files);
    for (const QString& name : portraits) {
        const QImage image(QDir(folder).filePath(name));
        if (image.size() != QSize(360, 480))
            return name;
    }
    return QString();
}

long statusField(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLong();
    }
    return -1;
}

int openFileDescriptors() {
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::NoDotAndDotDot | QDir::System)
                   .size());
}

} // namespace

class HostileInput : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        const HostileCorpus& corpus = HostileCorpus::get();
        ASSERT_TRUE(corpus.ok()) << "make-bad-pictures failed: " << qPrintable(corpus.problem);
        good = picture(QStringLiteral("good.jpg"), QSize(300, 400), QColor(40, 90, 200));
    }

    // The refusal names the file and says why.
    static void expectReason(const QString& text, const HostileCase& c) {
        EXPECT_TRUE(text.contains(c.name)) << qPrintable(text);
        EXPECT_TRUE(text.contains(c.reason, Qt::CaseInsensitive)) << qPrintable(text);
    }

    // A good pick after a bad one: the application goes on working.
    void expectAGoodPickWorks() {
        pickFromAlbum(good);
        const QImage shown = screen->ui->imageView->image().toQImage();
        ASSERT_EQ(shown.size(), QSize(360, 480));
        EXPECT_NEAR(QColor(shown.pixel(180, 240)).blue(), 200, 3);
    }

    QString good;
};

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

// SIGUSR1 is a memory warning: from the first moment the program runs to its last, it never
// ends a compose, before the monitor that answers it exists or after it is gone.
TEST_F(HostileInput, MemoryWarningsNeverEndACompose) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VELMORA_BINARY),
                  {QStringLiteral("compose"), QStringLiteral("--out"), albumFolder, good, good});
    ASSERT_TRUE(process.waitForStarted());
    const pid_t pid = pid_t(process.processId());
    // Only once the program's own code runs: before main the loader has the process, and
    // the default action applies.
    const QString status = QStringLiteral("/proc/%1/status").arg(pid);
    auto catches = [&status] {
        QFile file(status);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray& line : file.readAll().split('\n'))
            if (line.startsWith("SigCgt:"))
                return ((line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGUSR1 - 1)) & 1) != 0;
        return false;
    };
    while (!catches() && process.state() == QProcess::Running)
        QThread::usleep(100);
    int sent = 0;
    while (!process.waitForFinished(1)) {
        ::kill(pid, SIGUSR1);
        ++sent;
    }
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().constData();
    EXPECT_GT(sent, 0);
    EXPECT_EQ(albumFiles().size(), 2);
}

// Framed on its face (here its centre), a thin picture is drawn millions of pixels tall; the
// drawing decodes it again, but never larger than the picture nor beyond the budget.
TEST_F(HostileInput, AThinPictureFramedOnAFaceIsDrawnWithinTheBudget) {
    QImage thin(8, 60000, QImage::Format_RGB32);
    thin.fill(QColor(40, 90, 200));
    const QString photo = scratch.filePath(QStringLiteral("thin.png"));
    ASSERT_TRUE(thin.save(photo, "PNG"));
    const MeasuredRun run =
        runMeasured({QStringLiteral("compose"), QStringLiteral("--out"), albumFolder,
                     QStringLiteral("--fit"), QStringLiteral("face"), photo},
                    120000);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.errors);
    EXPECT_LT(run.peakKb, 450 * 1024) << "the drawing decoded past the budget";
    const QStringList portraits = albumFiles();
    ASSERT_EQ(portraits.size(), 1);
    const QImage portrait(QDir(albumFolder).filePath(portraits.first()));
    ASSERT_EQ(portrait.size(), QSize(360, 480));
}

// Killing the process at any moment, the album never holds a partial portrait under a
// final name; temporaries may stay (hidden, cleared later), and the next compose works.
TEST_F(HostileInput, AComposeKilledAtAnyMomentLeavesOnlyWholePortraits) {
    QImage big(6000, 4000, QImage::Format_RGB32);
    for (int y = 0; y < big.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(big.scanLine(y));
        for (int x = 0; x < big.width(); ++x)
            line[x] = qRgb((x * 7 + y) & 255, (y * 3) & 255, (x ^ y) & 255);
    }
    const QString photo = scratch.filePath(QStringLiteral("big.jpg"));
    ASSERT_TRUE(big.save(photo, "JPEG", 92));
    big = QImage();

    QStringList arguments{QStringLiteral("compose"), QStringLiteral("--out"), albumFolder};
    for (int i = 0; i < 40; ++i)
        arguments << photo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    int published = 0;
    for (const int delayMs : {50, 150, 300, 450, 600, 800, 1000, 1300, 1700, 2200, 3000}) {
        SCOPED_TRACE(delayMs);
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(VELMORA_BINARY), arguments);
        ASSERT_TRUE(process.waitForStarted());
        QThread::msleep(delayMs);
        ::kill(pid_t(process.processId()), SIGKILL);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(firstBrokenPortrait(albumFolder), QString()) << "a partial portrait";
        published = int(albumFiles().size());
    }
    const int leftovers =
        int(QDir(albumFolder)
                .entryList({QStringLiteral(".velmora-*.tmp")}, QDir::Files | QDir::Hidden)
                .size());
    std::printf("killed 11 times: %d whole portraits published, %d temporaries left\n", published,
                leftovers);
    EXPECT_GT(published, 0) << "no kill landed after a save began: the test proves nothing";

    const int before = int(albumFiles().size());
    const ProcessRun run =
        runVelmora({QStringLiteral("compose"), QStringLiteral("--out"), albumFolder, photo}, 60000);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.errors);
    EXPECT_EQ(albumFiles().size(), before + 1);
    EXPECT_EQ(firstBrokenPortrait(albumFolder), QString());
}

// A long session: many picks and saves in a row, and memory warnings with the picker open
// and closed. 100 rounds in the suite; VELMORA_SOAK_ROUNDS=1000 for the long run (minutes).
TEST_F(HostileInput, SoakManyPicksSavesAndMemoryWarnings) {
    const int kRounds = qMax(100, qEnvironmentVariableIntValue("VELMORA_SOAK_ROUNDS"));
    QStringList photos;
    for (int i = 0; i < 10; ++i)
        photos << picture(QStringLiteral("soak-%1.jpg").arg(i), QSize(1200 + 40 * i, 1600),
                          QColor(20 * i, 255 - 20 * i, 120));
    auto round = [&](int i) {
        pickFromAlbum(photos[i % photos.size()]);
        screen->save(screen->ui->save2);
        toolkit::PhotoAlbum::shared().waitForQueuedWrites();
        QCoreApplication::processEvents();
    };
    for (int i = 0; i < 20; ++i) // warm up caches before measuring
        round(i);
    // Measured at three points: the first half may still fill the bounded overlay cache;
    // the second half must not grow. Freed memory is handed back first: the decoders' worker
    // threads each keep a malloc arena, and whether one still holds a freed 8 MB photo at the
    // moment of reading is chance, not a leak.
    const auto residentKb = [] {
        malloc_trim(0);
        return statusField("VmRSS:");
    };
    const long rssStart = residentKb();
    const int fdsBefore = openFileDescriptors();
    for (int i = 20; i < kRounds / 2; ++i)
        round(i);
    const long rssMiddle = residentKb();
    for (int i = kRounds / 2; i < kRounds; ++i)
        round(i);
    QCoreApplication::processEvents();
    const long rssEnd = residentKb();
    const int fdsAfter = openFileDescriptors();

    const QStringList files = albumFiles();
    EXPECT_EQ(files.size(), kRounds);
    EXPECT_EQ(QSet<QString>(files.begin(), files.end()).size(), kRounds);
    EXPECT_EQ(firstBrokenPortrait(albumFolder), QString());
    EXPECT_EQ(fdsAfter, fdsBefore) << "file descriptors leaked";
    std::printf("soak: %d picks and saves; VmRSS %ld kB -> %ld kB -> %ld kB (%+ld kB, then "
                "%+ld kB); fds %d -> %d\n",
                kRounds, rssStart, rssMiddle, rssEnd, rssMiddle - rssStart, rssEnd - rssMiddle,
                fdsBefore, fdsAfter);
#if !defined(__SANITIZE_ADDRESS__)
    // Under AddressSanitizer freed memory waits in its quarantine, so the resident size says
    // nothing; LeakSanitizer checks for leaks there instead.
    EXPECT_LT(rssEnd - rssStart, 64 * 1024) << "resident memory grew by more than 64 MB";
    EXPECT_LT(rssEnd - rssMiddle, 8 * 1024) << "resident memory keeps growing";
#endif

    LogCapture log;
    int loads = 0;
    for (int i = 0; i < 200; ++i) {
        const bool pickerOpen = i % 2 == 0;
        if (pickerOpen) {
            screen->getPhoto(screen->ui->takePhotoBtn); // the camera page covers the screen
            ASSERT_NE(screen->modalViewController(), nullptr);
        }
        screen->didReceiveMemoryWarning();
        if (pickerOpen) {
            EXPECT_FALSE(screen->isViewLoaded()) << "a covered view is unloaded";
            screen->dismissModalViewControllerAnimated(false);
            ++loads;
        }
        QCoreApplication::processEvents();
        ASSERT_NE(screen->ui->imageView, nullptr);
    }
    EXPECT_EQ(log.lines.size(), loads) << qPrintable(log.lines.join(QLatin1Char('\n')));
    std::printf("soak: 200 memory warnings, %d view loads, %d log lines\n", loads,
                int(log.lines.size()));
    expectAGoodPickWorks();
}
