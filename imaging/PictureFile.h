#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>

namespace toolkit {

class SealedBytes;

/// A picture file read into memory once and checked before anything decodes it: a regular
/// file of bounded size, in a format told by its content from the formats the application takes,
/// complete in its structure, and declaring a picture that fits the decoding budget. The
/// decoder sees exactly these bytes, so a file rewritten meanwhile cannot mix two versions.
class PictureFile {
public:
    /// The largest picture file read, in bytes; a photo from any camera is far below it.
    static constexpr qint64 kMaxFileBytes = 100LL * 1024 * 1024;
    /// The memory a decode may take for the pixels and the decoder's own buffers, in bytes.
    static constexpr qint64 kDecodeBudgetBytes = 256LL * 1024 * 1024;
    /// The most scans a JPEG may have; each costs a pass over the whole picture.
    static constexpr int kMaxJpegScans = 100;

    /// Reads and checks the file at `path`. Fails with a reason that names the file.
    static Result<PictureFile> read(const QString& path);
    /// Checks `bytes` as the content of a file called `path` (nothing is read).
    static Result<PictureFile> fromBytes(const QString& path, QByteArray bytes);

    /// The formats taken, as the image reader names them, in the order they are told apart;
    /// only those whose decoder is installed.
    static QList<QByteArray> formats();
    /// The formats taken that the image reader decodes, installed or not.
    static const QList<QByteArray>& imageReaderFormats();
    /// Name patterns for the file chooser, e.g. "*.jpg", for the installed formats.
    static QStringList namePatterns();

    const QString& path() const { return m_path; }
    const QByteArray& bytes() const { return m_bytes; }
    /// The image reader's name of the format, e.g. "jpeg".
    const QByteArray& format() const { return m_format; }
    /// The size the file declares, before its EXIF orientation.
    QSize storedSize() const { return m_storedSize; }
    /// The size once turned upright.
    QSize uprightSize() const { return m_rotated ? m_storedSize.transposed() : m_storedSize; }
    /// Whether the EXIF orientation turns the picture by a quarter.
    bool rotated() const { return m_rotated; }

    /// The sealed memory file that holds bytes() when they were read from a file, to be
    /// shared with a decoding worker; -1 for none.
    int memoryFile() const;
    /// Lets go of the memory file's pages that reading and checking the file left resident
    /// in this process, while a worker decodes them; bytes() reads them again when used.
    void releasePages() const;

    /// `reason` prefixed with the file's name, as every refusal is worded.
    QString describe(const QString& reason) const;

private:
    // HEIF and AVIF files are read by libheif, which says their size and checks their
    // structure as it goes.
    static Result<PictureFile> checkHeif(PictureFile file, QByteArray bytes);

    QString m_path;
    QByteArray m_bytes;
    QByteArray m_format;
    QSize m_storedSize;
    bool m_rotated = false;
    std::shared_ptr<const SealedBytes> m_sealed; // owns m_bytes' memory when there is one
};

} // namespace toolkit
