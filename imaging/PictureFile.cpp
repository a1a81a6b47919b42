#include "imaging/PictureFile.h"

#include "base/ApplicationIdentity.h"
#include "base/FileName.h"
#include "base/SystemError.h"
#include "imaging/DecoderWarnings.h"
#include "imaging/HeifDecoder.h"
#include "imaging/SealedBytes.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace toolkit {

namespace {

// Says which program cannot read it: the user may have several that read pictures.
QString notReadable() {
    return QCoreApplication::translate("toolkit::PictureFile", "not a picture %1 can read")
        .arg(ApplicationIdentity::current().displayName);
}

// Translated when it is said: a translator is installed after static initialisation.
QString truncated() {
    return QCoreApplication::translate("toolkit::PictureFile", "the file is truncated");
}

// Reads a byte array front to back; past the end every read is -1.
class ByteReader {
public:
    explicit ByteReader(const QByteArray& bytes) : m_bytes(bytes) {}

    int next() { return m_at < m_bytes.size() ? uchar(m_bytes[m_at++]) : -1; }
    void skip(qint64 count) { m_at = qMin<qint64>(m_at + count, m_bytes.size() + 1); }
    qint64 position() const { return m_at; }
    /// Consumes bytes up to and including the next 0xFF; false at the end.
    bool skipPastFF() {
        if (m_at >= m_bytes.size())
            return false;
        const char* from = m_bytes.constData() + m_at;
        const void* ff = std::memchr(from, 0xFF, size_t(m_bytes.size() - m_at));
        if (!ff) {
            m_at = m_bytes.size();
            return false;
        }
        m_at += static_cast<const char*>(ff) - from + 1;
        return true;
    }

private:
    const QByteArray& m_bytes;
    qint64 m_at = 0;
};

quint32 bigEndian(const QByteArray& bytes, qsizetype at, int count) {
    quint32 value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | uchar(bytes[at + i]);
    return value;
}

quint32 littleEndian(const QByteArray& bytes, qsizetype at, int count) {
    quint32 value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | uchar(bytes[at + i]);
    return value;
}

QString megabytes(qint64 bytes) {
    return QString::number((bytes + 1024 * 1024 - 1) / (1024 * 1024));
}

QString tooLargeToDecode(qint64 needed) {
    return QCoreApplication::translate(
               "toolkit::PictureFile",
               "the picture is too large to decode (it needs %1 MB; at most %2 MB)")
        .arg(megabytes(needed), megabytes(PictureFile::kDecodeBudgetBytes));
}

// JPEG: walks the marker segments and the entropy-coded scans up to the end-of-image
// marker, counting the scans and noting the frame. Stops there, so data appended after a
// complete picture (phones add video or metadata) does not matter. libjpeg keeps every
// coefficient of a progressive or multi-scan picture, so those must fit the budget whole.
QString whyJpegUnusable(const QByteArray& bytes) {
    ByteReader in(bytes);
    in.skip(2);
    int scans = 0;
    bool progressive = false;
    qint64 coefficientBytes = 0;
    int marker = -1; // the marker that ended a scan, already read
    while (true) {
        if (marker < 0) {
            // Between segments only fill bytes belong; anything else is skipped, as the
            // decoder does.
            if (!in.skipPastFF())
                return truncated();
            do
                marker = in.next();
            while (marker == 0xFF);
            if (marker < 0)
                return truncated();
        }
        const int current = std::exchange(marker, -1);
        if (current == 0xD9) {
            if (scans == 0)
                return QCoreApplication::translate("toolkit::PictureFile",
                                                   "the file holds no picture data");
            if (scans > PictureFile::kMaxJpegScans)
                return QCoreApplication::translate("toolkit::PictureFile",
                                                   "the picture has %1 scans (at most %2)")
                    .arg(scans)
                    .arg(PictureFile::kMaxJpegScans);
            if ((progressive || scans > 1) && coefficientBytes > PictureFile::kDecodeBudgetBytes)
                return tooLargeToDecode(coefficientBytes);
            return QString();
        }
        if (current == 0x00 || current == 0x01 || (current >= 0xD0 && current <= 0xD8))
            continue;
        const qint64 start = in.position();
        const int high = in.next();
        const int low = in.next();
        if (low < 0)
            return truncated();
        const int length = (high << 8) | low;
        if (length < 2)
            return truncated();
        const bool frame = current >= 0xC0 && current <= 0xCF && current != 0xC4 &&
                           current != 0xC8 && current != 0xCC;
        if (frame && coefficientBytes == 0 && start + 8 <= bytes.size()) {
            progressive = current == 0xC2 || current == 0xC6 || current == 0xCA || current == 0xCE;
            const qint64 height = bigEndian(bytes, start + 3, 2);
            const qint64 width = bigEndian(bytes, start + 5, 2);
            const int components = uchar(bytes[start + 7]);
            int maxH = 1, maxV = 1;
            for (int c = 0; c < components && start + 10 + 3 * c <= bytes.size(); ++c) {
                const int sampling = uchar(bytes[start + 9 + 3 * c]);
                maxH = qMax(maxH, sampling >> 4);
                maxV = qMax(maxV, sampling & 15);
            }
            for (int c = 0; c < components && start + 10 + 3 * c <= bytes.size(); ++c) {
                const int sampling = uchar(bytes[start + 9 + 3 * c]);
                const qint64 h = qMax(1, sampling >> 4), v = qMax(1, sampling & 15);
                const qint64 blocksWide = (width * h / maxH + 7) / 8 + h;
                const qint64 blocksHigh = (height * v / maxV + 7) / 8 + v;
                coefficientBytes += blocksWide * blocksHigh * 64 * 2;
            }
        }
        in.skip(length - 2);
        if (current != 0xDA)
            continue;
        // Counted without limit: a scan bomb is refused by its number of scans, however
        // many it has.
        ++scans;
        // Inside a scan 0xFF is followed by 0x00 (a stuffed byte), a restart marker or
        // more fill; anything else is the next marker.
        while (marker < 0) {
            if (!in.skipPastFF())
                return truncated();
            int after;
            do
                after = in.next();
            while (after == 0xFF);
            if (after < 0)
                return truncated();
            if (after != 0x00 && !(after >= 0xD0 && after <= 0xD7))
                marker = after;
        }
    }
}

// PNG: walks the chunks by their lengths up to IEND.
QString whyPngIncomplete(const QByteArray& bytes) {
    ByteReader in(bytes);
    in.skip(8);
    while (true) {
        uchar header[8];
        for (uchar& byte : header) {
            const int b = in.next();
            if (b < 0)
                return truncated();
            byte = uchar(b);
        }
        if (std::memcmp(header + 4, "IEND", 4) == 0)
            return QString();
        const qint64 length = (qint64(header[0]) << 24) | (qint64(header[1]) << 16) |
                              (qint64(header[2]) << 8) | qint64(header[3]);
        in.skip(length + 4); // the data and its checksum
    }
}

// The size in a PNG's header chunk; invalid when the header is missing or out of range.
QSize pngHeaderSize(const QByteArray& bytes) {
    if (bytes.size() < 24 || bytes.mid(12, 4) != "IHDR")
        return QSize();
    const quint32 width = bigEndian(bytes, 16, 4), height = bigEndian(bytes, 20, 4);
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        return QSize();
    return QSize(int(width), int(height));
}

// How many pixels a frame's LZW data makes, counted without making them (only the length
// of each dictionary entry is kept); stops once `wanted` are made. -1 for a code that no
// encoder writes.
qint64 gifPixelsIn(const QByteArray& data, int minimumCodeSize, qint64 wanted) {
    if (minimumCodeSize < 2 || minimumCodeSize > 11)
        return wanted; // left to the decoder
    const int clear = 1 << minimumCodeSize;
    std::vector<int> lengths(4096, 1);
    int codeSize = minimumCodeSize + 1, next = clear + 2, previous = -1;
    qint64 made = 0;
    quint32 bits = 0;
    int bitCount = 0;
    for (qsizetype at = 0; made < wanted;) {
        while (bitCount < codeSize && at < data.size()) {
            bits |= quint32(uchar(data[at++])) << bitCount;
            bitCount += 8;
        }
        if (bitCount < codeSize)
            break;
        const int code = int(bits & ((1u << codeSize) - 1));
        bits >>= codeSize;
        bitCount -= codeSize;
        if (code == clear) {
            codeSize = minimumCodeSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == clear + 1)
            break;
        if (previous < 0) {
            if (code > clear)
                return -1;
            made += 1;
        } else {
            if (code > next)
                return -1;
            const int length = code == next ? lengths[previous] + 1 : lengths[code];
            made += length;
            if (next < 4096)
                lengths[next++] = lengths[previous] + 1;
            if (next == (1 << codeSize) && codeSize < 12)
                ++codeSize;
        }
        previous = code;
    }
    return made;
}

// GIF: walks the blocks (extensions and frames, each a chain of sub-blocks) up to the
// trailer, and checks that each frame's data makes all of its pixels: the decoder leaves
// the rest of a frame cut short unpainted and says nothing. Bytes that are no block leave
// the judgement to the decoder.
QString whyGifIncomplete(const QByteArray& bytes) {
    ByteReader in(bytes);
    auto skipColourTable = [&in](int flags) {
        if (flags & 0x80)
            in.skip(3 << ((flags & 7) + 1));
    };
    auto readSubBlocks = [&in](QByteArray* data) {
        while (true) {
            const int length = in.next();
            if (length <= 0)
                return length == 0;
            for (int i = 0; i < length; ++i) {
                const int b = in.next();
                if (b < 0)
                    return false;
                if (data)
                    data->append(char(b));
            }
        }
    };
    in.skip(10);
    const int screenFlags = in.next();
    in.skip(2);
    if (screenFlags < 0)
        return truncated();
    skipColourTable(screenFlags);
    while (true) {
        switch (in.next()) {
        case 0x3B: // trailer
            return QString();
        case 0x21: // extension: a label, then sub-blocks
            if (in.next() < 0 || !readSubBlocks(nullptr))
                return truncated();
            break;
        case 0x2C: { // frame: a descriptor, a colour table, the code size, sub-blocks
            int descriptor[8];
            for (int& b : descriptor)
                b = in.next();
            const int frameFlags = in.next();
            if (frameFlags < 0)
                return truncated();
            skipColourTable(frameFlags);
            const int codeSize = in.next();
            QByteArray data;
            if (codeSize < 0 || !readSubBlocks(&data))
                return truncated();
            // A code size no encoder writes: the decoder paints the frame one colour.
            if (codeSize == 0 || codeSize > 8)
                return QCoreApplication::translate(
                           "toolkit::PictureFile",
                           "the picture is corrupt (an LZW code size of %1; at most 8)")
                    .arg(codeSize);
            const qint64 pixels = qint64(descriptor[4] | descriptor[5] << 8) *
                                  qint64(descriptor[6] | descriptor[7] << 8);
            const qint64 made = gifPixelsIn(data, codeSize, pixels);
            if (made < 0)
                return QCoreApplication::translate(
                    "toolkit::PictureFile", "the picture is corrupt (a code no encoder writes)");
            if (made < pixels)
                return QCoreApplication::translate("toolkit::PictureFile",
                                                   "the picture is corrupt (its data ends early)");
            break;
        }
        case -1:
            return truncated();
        default:
            return QString();
        }
    }
}

// A run-length BMP (8 or 4 bits a pixel): the runs must reach the end-of-picture marker,
// and that marker the last row. The decoder leaves the rows it never reached unpainted and
// says nothing.
QString whyRleIncomplete(const QByteArray& bytes, qint64 at, qint64 height, bool fourBit) {
    if (at < 0 || at > bytes.size())
        return truncated();
    qint64 row = 0;
    while (true) {
        if (at + 2 > bytes.size())
            return truncated();
        const int count = uchar(bytes[at]), value = uchar(bytes[at + 1]);
        at += 2;
        if (count > 0)
            continue; // a run of one value
        if (value == 0) {
            ++row;
        } else if (value == 1) {
            if (row + 1 < height)
                return QCoreApplication::translate("toolkit::PictureFile",
                                                   "the picture is corrupt (its data ends early)");
            return QString();
        } else if (value == 2) {
            if (at + 2 > bytes.size())
                return truncated();
            row += uchar(bytes[at + 1]);
            at += 2;
        } else {
            // Literal pixels, padded to a whole number of 16-bit words.
            const qint64 literal = fourBit ? (value + 1) / 2 : value;
            at += (literal + 1) & ~qint64(1);
        }
    }
}

// BMP: an uncompressed picture must hold every row it declares (the decoder leaves the
// missing ones unpainted and says nothing).
QString whyBmpIncomplete(const QByteArray& bytes) {
    if (bytes.size() < 34)
        return truncated();
    const qint64 pixelsAt = littleEndian(bytes, 10, 4);
    const quint32 headerSize = littleEndian(bytes, 14, 4);
    if (headerSize < 40)
        return QString();
    const qint64 width = qint32(littleEndian(bytes, 18, 4));
    const qint64 height = qAbs(qint64(qint32(littleEndian(bytes, 22, 4))));
    const qint64 depth = littleEndian(bytes, 28, 2);
    const quint32 compression = littleEndian(bytes, 30, 4);
    if (compression == 1 || compression == 2)
        return whyRleIncomplete(bytes, pixelsAt, height, compression == 2);
    if (compression != 0 && compression != 3)
        return QString();
    // Compared by division: a hostile header's row size times its height overflows.
    const qint64 stride = (width * depth + 31) / 32 * 4;
    const qint64 available = bytes.size() - pixelsAt;
    if (width > 0 && (available < 0 || (stride > 0 && height > available / stride)))
        return truncated();
    return QString();
}

// TIFF: a palette picture must carry a whole colour map, three channels of one entry for
// each value its pixels can take. Without one libtiff reads the indices as grey levels.
QString whyTiffIncomplete(const QByteArray& bytes) {
    const bool little = bytes.startsWith("II");
    const auto number = [&bytes, little](qint64 at, int count) -> qint64 {
        if (at < 0 || at + count > bytes.size())
            return -1;
        return little ? littleEndian(bytes, at, count) : bigEndian(bytes, at, count);
    };
    const qint64 directory = number(4, 4);
    const qint64 entries = number(directory, 2);
    if (entries < 0)
        return truncated();
    qint64 photometric = -1, bitsPerSample = 1, colourMapCount = 0;
    for (qint64 i = 0; i < entries; ++i) {
        const qint64 entry = directory + 2 + i * 12;
        const qint64 tag = number(entry, 2), type = number(entry + 2, 2);
        const qint64 count = number(entry + 4, 4);
        if (count < 0)
            return truncated();
        // A SHORT value stands in the entry itself when there is room for it.
        const qint64 shortAt = count <= 2 ? entry + 8 : number(entry + 8, 4);
        const qint64 value = type == 3 ? number(shortAt, 2) : number(entry + 8, 4);
        if (tag == 262)
            photometric = value;
        else if (tag == 258)
            bitsPerSample = value;
        else if (tag == 320)
            colourMapCount = count;
    }
    if (photometric != 3)
        return QString();
    if (bitsPerSample < 1 || bitsPerSample > 16 || colourMapCount < 3 * (1 << bitsPerSample))
        return QCoreApplication::translate(
            "toolkit::PictureFile", "the picture is corrupt (its colour map is missing or short)");
    return QString();
}

// The widest or tallest PNG the PNG library reads, whatever its number of pixels.
constexpr qint64 kMaxPngSide = 1'000'000;

// The format told by the first bytes, as the image reader names it; empty for none taken.
QByteArray formatOf(const QByteArray& head) {
    if (head.startsWith("\xFF\xD8\xFF"))
        return "jpeg";
    if (head.startsWith("\x89PNG\r\n\x1a\n"))
        return "png";
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return "gif";
    if (head.size() >= 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
        return "webp";
    if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4)))
        return "tiff";
    if (head.size() >= 18 && head.startsWith("BM")) {
        const quint32 header = littleEndian(head, 14, 4);
        if (header == 12 || header == 40 || header == 52 || header == 56 || header == 108 ||
            header == 124)
            return "bmp";
    }
    return HeifDecoder::formatOf(head);
}

// How many bytes decoding a `size` picture of `format` takes at its peak: the pixels times
// the copies its decoder holds (GIF keeps the screen and the frame, WebP its own buffer,
// TIFF a strip buffer and a conversion).
qint64 decodeBytes(const QByteArray& format, QSize size, bool sixteenBit) {
    const qint64 pixels = qint64(size.width()) * size.height();
    qint64 copies = 1;
    if (format == "gif" || format == "webp")
        copies = 2;
    else if (format == "tiff")
        copies = 3;
    const qint64 perPixel = (sixteenBit ? 8 : 4) * copies;
    // A header may declare sizes whose product overflows; such a picture never fits.
    if (pixels > std::numeric_limits<qint64>::max() / perPixel)
        return std::numeric_limits<qint64>::max();
    return pixels * perPixel;
}

// The largest picture a JPEG may declare: it decodes at a reduced scale (down to 1/8),
// so it is limited by what a photo can be.
constexpr qint64 kMaxJpegPixels = 250'000'000;

// Why `path` cannot be read as a picture file, or empty; on success `bytes` holds it.
// Only regular files are read: a FIFO would block forever and a device never ends.
QString readWhole(const QString& path, QByteArray* bytes,
                  std::shared_ptr<const SealedBytes>* sealed) {
    const QByteArray name = FileName::encode(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        struct stat link {};
        if (error == ENOENT && ::lstat(name.constData(), &link) == 0)
            return QCoreApplication::translate("toolkit::PictureFile",
                                               "the link points to a file that does not exist");
        if (error == ENOENT || error == ENOTDIR)
            return QCoreApplication::translate("toolkit::PictureFile", "no such file");
        if (error == ELOOP)
            return QCoreApplication::translate("toolkit::PictureFile",
                                               "a loop of symbolic links, not a picture");
        if (error == EACCES)
            return QCoreApplication::translate("toolkit::PictureFile", "permission denied");
        return systemErrorText(error);
    }
    struct stat st {};
    QString why;
    if (::fstat(fd, &st) != 0)
        why = systemErrorText(errno);
    else if (S_ISDIR(st.st_mode))
        why = QCoreApplication::translate("toolkit::PictureFile", "is a folder, not a picture");
    else if (!S_ISREG(st.st_mode))
        why = QCoreApplication::translate("toolkit::PictureFile",
                                          "is not a regular file, not a picture");
    else if (st.st_size == 0)
        why = QCoreApplication::translate("toolkit::PictureFile", "the file is empty");
    else if (st.st_size > PictureFile::kMaxFileBytes)
        why = QCoreApplication::translate("toolkit::PictureFile",
                                          "the file is too large (%1 MB; at most %2 MB)")
                  .arg(megabytes(st.st_size), megabytes(PictureFile::kMaxFileBytes));
    if (why.isEmpty()) {
        *sealed = SealedBytes::read(fd, st.st_size, &why);
        if (*sealed)
            *bytes = (*sealed)->bytes();
    }
    if (why.isEmpty() && !*sealed) {
        bytes->resize(qsizetype(st.st_size));
        qsizetype done = 0;
        while (done < bytes->size()) {
            const ssize_t n = ::read(fd, bytes->data() + done, size_t(bytes->size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                why = systemErrorText(errno);
                break;
            }
            if (n == 0)
                break; // shrank while read: the structure check finds what is missing
            done += n;
        }
        bytes->truncate(done);
        if (why.isEmpty() && done == 0)
            why = QCoreApplication::translate("toolkit::PictureFile", "the file is empty");
    }
    ::close(fd);
    return why;
}

} // namespace

namespace {
// The formats taken that the image reader decodes.
const QList<QByteArray>& readerFormatNames() {
    static const QList<QByteArray> names{"jpeg", "png", "webp", "gif", "bmp", "tiff"};
    return names;
}

// Those of them installed.
const QList<QByteArray>& readerFormats() {
    static const QList<QByteArray> installed = [] {
        const QList<QByteArray> supported = QImageReader::supportedImageFormats();
        QList<QByteArray> taken;
        for (const QByteArray& format : readerFormatNames())
            if (supported.contains(format))
                taken << format;
        return taken;
    }();
    return installed;
}

// Whether the decoder of `format` is installed, for `bytes` that begin as that format does.
// Only that decoder is asked: listing the image reader's formats loads every one of its
// plugins, and asking libheif loads it, each a good part of a start-up.
bool isTaken(const QByteArray& format, const QByteArray& bytes) {
    if (format == "heif" || format == "avif")
        return HeifDecoder::canDecode(format);
    if (!readerFormatNames().contains(format))
        return false;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    reader.setAutoDetectImageFormat(false);
    return reader.canRead() || reader.error() != QImageReader::UnsupportedFormatError;
}
} // namespace

QList<QByteArray> PictureFile::formats() {
    QList<QByteArray> taken = readerFormats();
    // Decoded by libheif, not the image reader.
    for (const QByteArray& format : {QByteArray("heif"), QByteArray("avif")})
        if (HeifDecoder::canDecode(format))
            taken << format;
    return taken;
}

QStringList PictureFile::namePatterns() {
    QStringList patterns;
    for (const QByteArray& format : formats()) {
        QStringList suffixes{QString::fromLatin1(format)};
        if (format == "jpeg")
            suffixes = {QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("jpe")};
        else if (format == "tiff")
            suffixes = {QStringLiteral("tif"), QStringLiteral("tiff")};
        else if (format == "heif")
            suffixes = {QStringLiteral("heic"), QStringLiteral("heif"), QStringLiteral("hif")};
        for (const QString& suffix : suffixes)
            patterns << QStringLiteral("*.") + suffix << QStringLiteral("*.") + suffix.toUpper();
    }
    return patterns;
}

int PictureFile::memoryFile() const {
    return m_sealed ? m_sealed->fd() : -1;
}

QString PictureFile::describe(const QString& reason) const {
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_path), reason);
}

Result<PictureFile> PictureFile::read(const QString& path) {
    QByteArray bytes;
    std::shared_ptr<const SealedBytes> sealed;
    const QString why = readWhole(path, &bytes, &sealed);
    if (!why.isEmpty()) {
        PictureFile named;
        named.m_path = path;
        return Result<PictureFile>::failure(named.describe(why));
    }
    auto file = fromBytes(path, std::move(bytes));
    if (file.ok())
        file.value().m_sealed = std::move(sealed); // the bytes' memory, kept with them
    return file;
}

Result<PictureFile> PictureFile::checkHeif(PictureFile file, QByteArray bytes) {
    auto declared = HeifDecoder::declared(bytes);
    if (!declared.ok())
        return Result<PictureFile>::failure(file.describe(
            QCoreApplication::translate("toolkit::PictureFile", "the picture cannot be read (%1)")
                .arg(declared.error())));
    const QSize upright = declared.value().upright;
    const qint64 pixels = qint64(upright.width()) * upright.height();
    if (declared.value().decodeBytes > kDecodeBudgetBytes) {
        const double perPixel = double(declared.value().decodeBytes) / double(pixels);
        return Result<PictureFile>::failure(
            file.describe(QCoreApplication::translate(
                              "toolkit::PictureFile",
                              "the picture is too large (%1 x %2 pixels; at most %3 megapixels)")
                              .arg(upright.width())
                              .arg(upright.height())
                              .arg(qint64(double(kDecodeBudgetBytes) / perPixel / 1000000))));
    }
    file.m_rotated = declared.value().rotated;
    file.m_storedSize = file.m_rotated ? upright.transposed() : upright;
    file.m_bytes = std::move(bytes);
    return Result<PictureFile>::success(std::move(file));
}

Result<PictureFile> PictureFile::fromBytes(const QString& path, QByteArray bytes) {
    PictureFile file;
    file.m_path = path;
    auto refuse = [&file](const QString& why) {
        return Result<PictureFile>::failure(file.describe(why));
    };
    if (bytes.isEmpty())
        return refuse(QCoreApplication::translate("toolkit::PictureFile", "the file is empty"));
    // The container's brands may run past the first few bytes.
    file.m_format = formatOf(bytes.left(256));
    if (file.m_format.isEmpty() || !isTaken(file.m_format, bytes))
        return refuse(notReadable());
    if (file.m_format == "heif" || file.m_format == "avif")
        return checkHeif(std::move(file), std::move(bytes));

    QString incomplete;
    bool sixteenBit = false;
    if (file.m_format == "jpeg") {
        incomplete = whyJpegUnusable(bytes);
    } else if (file.m_format == "png") {
        incomplete = whyPngIncomplete(bytes);
        sixteenBit = bytes.size() > 24 && uchar(bytes.at(24)) == 16;
    } else if (file.m_format == "gif") {
        incomplete = whyGifIncomplete(bytes);
    } else if (file.m_format == "bmp") {
        incomplete = whyBmpIncomplete(bytes);
    } else if (file.m_format == "tiff") {
        incomplete = whyTiffIncomplete(bytes);
        DecoderWarnings::hearTiff();
    }
    if (file.m_format == "png") {
        // Refused before the PNG library sees it: it would refuse the header on stderr.
        const QSize declared = pngHeaderSize(bytes);
        if (declared.width() > kMaxPngSide || declared.height() > kMaxPngSide)
            return refuse(QCoreApplication::translate(
                              "toolkit::PictureFile",
                              "the picture is too large (%1 x %2 pixels; at most %3 a side)")
                              .arg(declared.width())
                              .arg(declared.height())
                              .arg(kMaxPngSide));
    }
    // A size is needed before anything else can be judged; a file cut inside its header is
    // told apart from one that is not a picture at all.
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, file.m_format);
    reader.setAutoTransform(true);
    reader.setAutoDetectImageFormat(false);
    // An incomplete PNG is not handed to the PNG library even for its size: it allocates
    // what a chunk claims before reading it, and a chunk may claim far more than the file
    // holds. Its header gives the size.
    QSize stored;
    QStringList heard;
    if (file.m_format == "png" && !incomplete.isEmpty()) {
        stored = pngHeaderSize(bytes);
    } else {
        DecoderWarnings::Listening listening(path);
        stored = reader.size();
        heard = listening.heard();
    }
    if (file.m_format == "bmp" && !stored.isValid() && bytes.size() >= 26) {
        // A top-down BMP declares a negative height; its size is the height's magnitude,
        // which for the smallest height does not fit the size at all.
        const qint32 height = qint32(littleEndian(bytes, 22, 4));
        if (height == std::numeric_limits<qint32>::min())
            return refuse(QCoreApplication::translate(
                "toolkit::PictureFile", "the picture is too large (2147483648 rows)"));
        if (height < 0)
            stored = QSize(qint32(littleEndian(bytes, 18, 4)), -height);
    }
    if (!stored.isValid() || stored.isEmpty()) {
        if (!incomplete.isEmpty())
            return refuse(incomplete);
        // The decoder said why it could not read the header: say it too.
        if (!stored.isValid() && !heard.isEmpty())
            return refuse(
                DecoderWarnings::isUnsupported(heard.first())
                    ? QCoreApplication::translate("toolkit::PictureFile",
                                                  "the picture is of a kind %1 cannot decode (%2)")
                          .arg(ApplicationIdentity::current().displayName, heard.first())
                    : QCoreApplication::translate("toolkit::PictureFile",
                                                  "the picture is damaged (%1)")
                          .arg(heard.first()));
        return refuse(stored.isValid() ? QCoreApplication::translate("toolkit::PictureFile",
                                                                     "the picture has no pixels")
                                       : notReadable());
    }
    const qint64 pixels = qint64(stored.width()) * stored.height();
    if (file.m_format == "jpeg"
            ? pixels > kMaxJpegPixels
            : decodeBytes(file.m_format, stored, sixteenBit) > kDecodeBudgetBytes) {
        const qint64 limit =
            file.m_format == "jpeg"
                ? kMaxJpegPixels
                : kDecodeBudgetBytes / (decodeBytes(file.m_format, QSize(1, 1), sixteenBit));
        return refuse(
            QCoreApplication::translate("toolkit::PictureFile",
                                        "the picture is too large (%1 x %2 pixels%3; at most %4 "
                                        "megapixels)")
                .arg(stored.width())
                .arg(stored.height())
                .arg(sixteenBit ? QCoreApplication::translate("toolkit::PictureFile",
                                                              " at 16 bits a channel")
                                : QString())
                .arg(limit / 1000000));
    }
    if (!incomplete.isEmpty())
        return refuse(incomplete);
    file.m_rotated = reader.transformation() & QImageIOHandler::TransformationRotate90;
    file.m_storedSize = stored;
    buffer.close();
    file.m_bytes = std::move(bytes);
    return Result<PictureFile>::success(std::move(file));
}

} // namespace toolkit
