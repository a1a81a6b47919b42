#pragma once

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

// What the hostile-input tests share: the corpus of bad pictures, runs of the program, and
// the application fixture that picks them.

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
inline QStringList everythingIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

struct ProcessRun {
    bool finished = false;
    int exitCode = -1;
    QString output;
    QString errors;
};

inline ProcessRun runVelmora(const QStringList& arguments, int timeoutMs) {
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

inline MeasuredRun runMeasured(const QStringList& arguments, int timeoutMs) {
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
inline QString firstBrokenPortrait(const QString& folder) {
    const QStringList portraits =
        QDir(folder).entryList({QStringLiteral("velmora-*.png")}, QDir::Files);
    for (const QString& name : portraits) {
        const QImage image(QDir(folder).filePath(name));
        if (image.size() != QSize(360, 480))
            return name;
    }
    return QString();
}

inline long statusField(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLong();
    }
    return -1;
}

inline int openFileDescriptors() {
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::NoDotAndDotDot | QDir::System)
                   .size());
}

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
