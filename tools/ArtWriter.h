#pragma once

#include <QMutex>
#include <QString>

class QImage;

// Saves the pictures into one folder and reports every failure, from any thread.
class ArtWriter {
public:
    explicit ArtWriter(const QString& directory);

    bool prepare();
    bool write(const QString& fileName, const QImage& image);
    bool failed() const;

private:
    void report(const QString& path, const QString& reason);

    QString m_directory;
    mutable QMutex m_mutex;
    bool m_failed = false;
};
