#include "imaging/PictureStructure.h"

#include "imaging/ByteReader.h"
#include "imaging/PictureFile.h"

#include <QCoreApplication>
#include <limits>
#include <vector>

namespace toolkit {

namespace {

// Translated when it is said: a translator is installed after static initialisation.
QString truncated() {
    return QCoreApplication::translate("toolkit::PictureFile", "the file is truncated");
}

quint32 bigEndian(const QByteArray& bytes, qsizetype at, int count) {
    quint32 value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | uchar(bytes[at + i]);
    return value;
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

} // namespace

quint32 PictureStructure::littleEndian(const QByteArray& bytes, qsizetype at, int count) {
    quint32 value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | uchar(bytes[at + i]);
    return value;
}

QString PictureStructure::megabytes(qint64 bytes) {
    return QString::number((bytes + 1024 * 1024 - 1) / (1024 * 1024));
}

QString PictureStructure::tooLargeToDecode(qint64 needed) {
    return QCoreApplication::translate(
               "toolkit::PictureFile",
               "the picture is too large to decode (it needs %1 MB; at most %2 MB)")
        .arg(megabytes(needed), megabytes(PictureFile::kDecodeBudgetBytes));
}

QString PictureStructure::whyJpegUnusable(const QByteArray& bytes) {
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

QString PictureStructure::whyPngIncomplete(const QByteArray& bytes) {
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

QSize PictureStructure::pngHeaderSize(const QByteArray& bytes) {
    if (bytes.size() < 24 || bytes.mid(12, 4) != "IHDR")
        return QSize();
    const quint32 width = bigEndian(bytes, 16, 4), height = bigEndian(bytes, 20, 4);
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        return QSize();
    return QSize(int(width), int(height));
}

QString PictureStructure::whyGifIncomplete(const QByteArray& bytes) {
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

QString PictureStructure::whyBmpIncomplete(const QByteArray& bytes) {
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

QString PictureStructure::whyTiffIncomplete(const QByteArray& bytes) {
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

} // namespace toolkit
