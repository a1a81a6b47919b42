#pragma once

#include "TestSupport.h"
#include "album/PhotoAlbum.h"
#include "base/Random.h"
#include "portrait/ReadingCard.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <csignal>
#include <sys/stat.h>

// What the compose tests share: a run of `velmora compose` and what it printed, and a
// fixture with a scratch folder to make photos in.

struct ComposeRun {
    int exitCode = -1;
    QStringList written; // the paths printed on stdout
    QString errors;
};

inline ComposeRun compose(const QStringList& arguments, const QProcessEnvironment& extra = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(extra);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VELMORA_BINARY),
                  QStringList{QStringLiteral("compose")} + arguments);
    ComposeRun run;
    if (!process.waitForFinished(120000)) {
        ADD_FAILURE() << "velmora compose did not finish";
        process.kill();
        process.waitForFinished();
        return run;
    }
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << "velmora compose crashed";
    run.exitCode = process.exitCode();
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.written = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    run.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

inline QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

class Compose : public ::testing::Test {
protected:
    QTemporaryDir scratch;
    QString out = scratch.filePath(QStringLiteral("out"));

    QString photo(const QString& name, QColor colour, QSize size = QSize(900, 1200)) {
        return writePicture(scratch.filePath(name), size, colour);
    }
};
