#pragma once

#include "TestSupport.h"
#include "album/PhotoAlbum.h"
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// What the album tests share: pictures to save, the folder's files, and waiting for saves.

using toolkit::PhotoAlbum;

inline const QRegularExpression
    kPortraitName(QStringLiteral("^velmora-\\d{8}-\\d{6}-\\d{3}\\.png$"));

inline QImage filled(QColor colour, QSize size = QSize(360, 480)) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

/// A picture that compresses badly: slow to encode, large on disk.
inline QImage noise(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = random.generate() | 0xff000000u;
    }
    return image;
}

/// Every entry of `folder`, hidden ones included.
inline QStringList everything(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

inline QStringList portraits(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files);
}

/// What the saves a test follows reported: the paths published and the reasons of the
/// failures, each in the order the saves were queued.
struct Outcomes {
    QStringList saved;
    QStringList failed;
    QMap<int, QString> pathOf;

    void follow(toolkit::AlbumSave* save, int index = -1) {
        QObject::connect(save, &toolkit::AlbumSave::finished,
                         [this, index](const toolkit::Result<QString>& outcome) {
                             if (!outcome.ok()) {
                                 failed << outcome.error();
                                 return;
                             }
                             saved << outcome.value();
                             pathOf.insert(index, outcome.value());
                         });
    }
};

inline void settle(PhotoAlbum& album) {
    ASSERT_TRUE(album.waitForQueuedWrites(30000));
    QCoreApplication::processEvents();
}

/// Restores an environment variable when the test ends, however it ends.
class EnvironmentGuard {
public:
    explicit EnvironmentGuard(const char* name)
        : m_name(name), m_was(qEnvironmentVariableIsSet(name)), m_value(qgetenv(name)) {}
    ~EnvironmentGuard() {
        if (m_was)
            qputenv(m_name, m_value);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_was;
    QByteArray m_value;
};
