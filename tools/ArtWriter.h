#pragma once

#include <QMutex>
#include <QString>

class QByteArray;
class QImage;

// Saves the pictures into one folder and reports every failure, from any thread.
class ArtWriter {
public:
    explicit ArtWriter(const QString& directory);

    bool prepare();
    // Writes `bytes` as they are (a picture already encoded, such as an SVG).
    bool writeBytes(const QString& fileName, const QByteArray& bytes);
    bool write(const QString& fileName, const QImage& image);
    bool failed() const;

private:
    void report(const QString& path, const QString& reason);

    QString m_directory;
    mutable QMutex m_mutex;
    bool m_failed = false;
};
