#include "ArtWriter.h"

#include "imaging/PngEncoder.h"

#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QMutexLocker>
#include <QSaveFile>

#include <cstdio>

ArtWriter::ArtWriter(const QString& directory) : m_directory(directory) {}

bool ArtWriter::prepare() {
    if (!QDir().mkpath(m_directory)) {
        report(m_directory, QStringLiteral("cannot create the folder"));
        return false;
    }
    return true;
}

bool ArtWriter::write(const QString& fileName, const QImage& image) {
    const QString path = QDir(m_directory).filePath(fileName);
    // Writing through a temporary file means a failed build never leaves half a picture behind.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        report(path, file.errorString());
        return false;
    }
    // A ".jpg" is a picture the window shows at launch: decoding its JPEG costs a fraction of
    // the PNG's, and at quality 92 the two cannot be told apart on screen.
    if (fileName.endsWith(QStringLiteral(".jpg"))) {
        QImageWriter writer(&file, "jpeg");
        writer.setQuality(92);
        if (!writer.write(image)) {
            file.cancelWriting();
            report(path, writer.errorString());
            return false;
        }
    } else {
        // Every row "up"-filtered: a picture read at each portrait is undone at a byte an
        // instruction or two, where the adaptive filters' Paeth rows cost some thirty.
        const auto png = toolkit::PngEncoder::encode(image, toolkit::PngEncoder::Filter::Up, 6);
        if (!png.ok() || file.write(png.value()) != png.value().size()) {
            file.cancelWriting();
            report(path, png.ok() ? file.errorString() : png.error());
            return false;
        }
    }
    if (!file.commit()) {
        report(path, file.errorString());
        return false;
    }
    return true;
}

bool ArtWriter::writeBytes(const QString& fileName, const QByteArray& bytes) {
    const QString path = QDir(m_directory).filePath(fileName);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        report(path, file.errorString());
        return false;
    }
    return true;
}

bool ArtWriter::failed() const {
    QMutexLocker lock(&m_mutex);
    return m_failed;
}

void ArtWriter::report(const QString& path, const QString& reason) {
    QMutexLocker lock(&m_mutex);
    m_failed = true;
    std::fprintf(stderr, "velmora-art: %s: %s\n", qPrintable(QDir::toNativeSeparators(path)),
                 qPrintable(reason));
}
