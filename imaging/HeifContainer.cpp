#include "imaging/HeifContainer.h"

#include <QList>
#include <algorithm>
#include <initializer_list>
#include <limits>

namespace toolkit {

namespace {

// A box of the container: its type and where its contents lie.
struct Box {
    QByteArray type;
    qsizetype body;
    qsizetype end;
};

// The boxes inside the box reached through `path` (e.g. meta, iprp, ipco) from the top of
// the file; none when the structure is broken (the decoder then says why).
QList<Box> boxesInside(const QByteArray& bytes, std::initializer_list<const char*> path) {
    qsizetype from = 0, to = bytes.size();
    QList<Box> boxes;
    auto it = path.begin();
    while (true) {
        const char* inside = it == path.end() ? nullptr : *it;
        bool found = false;
        for (qsizetype at = from; at + 8 <= to;) {
            qint64 size = HeifContainer::bigEndian(bytes, at);
            qsizetype header = 8;
            if (size == 1 && at + 16 <= to) {
                size = qint64(HeifContainer::bigEndian(bytes, at + 8)) << 32 |
                       HeifContainer::bigEndian(bytes, at + 12);
                header = 16;
            } else if (size == 0) {
                size = to - at;
            }
            if (size < header || size > to - at)
                return {};
            const QByteArray type = bytes.mid(at + 4, 4);
            if (!inside)
                boxes.append(Box{type, at + header, at + qsizetype(size)});
            if (inside && type == inside) {
                from = at + header + (type == "meta" ? 4 : 0); // meta carries a version
                to = at + size;
                found = true;
                break;
            }
            at += size;
        }
        if (!inside)
            return boxes;
        if (!found)
            return {};
        ++it;
    }
}

QList<Box> itemProperties(const QByteArray& bytes) {
    return boxesInside(bytes, {"meta", "iprp", "ipco"});
}

// Reads the bits of a parameter set or sequence header.
class BitReader {
public:
    /// `escaped`: HEVC's emulation-prevention bytes are dropped (AV1 has none).
    explicit BitReader(const QByteArray& bytes, bool escaped = true) {
        int zeros = 0;
        for (const char byte : bytes) {
            if (escaped && zeros >= 2 && byte == 3) {
                zeros = 0;
                continue;
            }
            m_bytes.append(byte);
            zeros = byte == 0 ? zeros + 1 : 0;
        }
    }
    quint32 bits(int count) {
        quint32 value = 0;
        for (int i = 0; i < count; ++i, ++m_at)
            value =
                (value << 1) |
                (m_at / 8 < m_bytes.size() ? (uchar(m_bytes[m_at / 8]) >> (7 - m_at % 8)) & 1 : 0);
        return value;
    }
    /// An unsigned Exp-Golomb number; -1 when it is longer than any valid one.
    qint64 golomb() {
        int zeros = 0;
        while (bits(1) == 0)
            if (++zeros > 31)
                return -1;
        return (qint64(1) << zeros) - 1 + bits(zeros);
    }

private:
    QByteArray m_bytes;
    qint64 m_at = 0;
};

// The first bytes of each item's data that the file itself holds, as its item locations
// say.
QList<QByteArray> itemHeads(const QByteArray& bytes) {
    QList<QByteArray> heads;
    for (const Box& box : boxesInside(bytes, {"meta"})) {
        if (box.type != "iloc")
            continue;
        qsizetype at = box.body;
        bool broken = false;
        auto number = [&](int size) -> qint64 {
            if (at + size > box.end) {
                broken = true;
                return 0;
            }
            qint64 value = 0;
            for (int i = 0; i < size; ++i)
                value = (value << 8) | uchar(bytes[at++]);
            return value;
        };
        const int version = int(number(1));
        number(3);
        const int sizes = int(number(2));
        const int offsetSize = sizes >> 12, lengthSize = (sizes >> 8) & 15;
        const int baseSize = (sizes >> 4) & 15, indexSize = version > 0 ? sizes & 15 : 0;
        const qint64 items = number(version < 2 ? 2 : 4);
        for (qint64 item = 0; item < items && !broken; ++item) {
            number(version < 2 ? 2 : 4);
            const qint64 method = version > 0 ? number(2) & 15 : 0;
            number(2);
            const qint64 base = number(baseSize);
            const qint64 extents = number(2);
            for (qint64 e = 0; e < extents && !broken; ++e) {
                number(indexSize);
                const qint64 offset = number(offsetSize);
                number(lengthSize);
                if (e == 0 && method == 0 && base + offset >= 0 && base + offset < bytes.size())
                    heads.append(bytes.mid(base + offset, 512));
            }
        }
    }
    return heads;
}

// The picture an AV1 sequence header at the start of `data` (after a temporal delimiter,
// if any) codes, in pixels; 0 when `data` starts with none.
qint64 av1Picture(const QByteArray& data) {
    qsizetype at = 0;
    for (int obu = 0; obu < 2 && at < data.size(); ++obu) {
        const int header = uchar(data[at]);
        if (header & 0x81) // the forbidden and the reserved bit
            return 0;
        const int type = (header >> 3) & 15;
        at += (header & 4) ? 2 : 1;
        qint64 size = data.size() - at;
        if (header & 2) {
            size = 0;
            for (int i = 0; i < 8; ++i) {
                if (at >= data.size())
                    return 0;
                const int b = uchar(data[at++]);
                size |= qint64(b & 0x7F) << (7 * i);
                if (!(b & 0x80))
                    break;
            }
        }
        if (type == 2) { // a temporal delimiter
            at += size;
            continue;
        }
        if (type != 1)
            return 0;
        BitReader sequence(data.mid(at, qMin<qint64>(size, 512)), false);
        sequence.bits(4); // the profile and whether it is a still picture
        if (sequence.bits(1)) {
            sequence.bits(5);
        } else {
            bool decoderModel = false;
            int delayLength = 0;
            if (sequence.bits(1)) { // timing
                sequence.bits(32);
                sequence.bits(32);
                if (sequence.bits(1))
                    sequence.golomb();
                decoderModel = sequence.bits(1);
                if (decoderModel) {
                    delayLength = int(sequence.bits(5)) + 1;
                    sequence.bits(32);
                    sequence.bits(10);
                }
            }
            const bool displayDelay = sequence.bits(1);
            const int points = int(sequence.bits(5)) + 1;
            for (int i = 0; i < points; ++i) {
                sequence.bits(12);
                if (sequence.bits(5) > 7)
                    sequence.bits(1);
                if (decoderModel && sequence.bits(1)) {
                    sequence.bits(delayLength);
                    sequence.bits(delayLength);
                    sequence.bits(1);
                }
                if (displayDelay && sequence.bits(1))
                    sequence.bits(4);
            }
        }
        const int widthBits = int(sequence.bits(4)) + 1, heightBits = int(sequence.bits(4)) + 1;
        const qint64 width = qint64(sequence.bits(widthBits)) + 1;
        return width * (qint64(sequence.bits(heightBits)) + 1);
    }
    return 0;
}

} // namespace

quint32 HeifContainer::bigEndian(const QByteArray& bytes, qsizetype at) {
    if (at < 0 || at + 4 > bytes.size())
        return 0;
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | uchar(bytes[at + i]);
    return value;
}

bool HeifContainer::hasContainerTransformations(const QByteArray& bytes) {
    for (const Box& box : itemProperties(bytes))
        if (box.type == "irot" || box.type == "imir")
            return true;
    return false;
}

// The decoder allocates what the coded stream says, whatever the container declares, so a
// stream larger than its declaration would escape the budget.
qint64 HeifContainer::largestCodedPicture(const QByteArray& bytes) {
    qint64 largest = 0;
    for (const Box& box : itemProperties(bytes)) {
        if (box.type != "hvcC" || box.body + 23 > box.end)
            continue;
        auto twoBytes = [&bytes](qsizetype at) {
            return int(uchar(bytes[at])) << 8 | uchar(bytes[at + 1]);
        };
        qsizetype at = box.body + 22;
        const int arrays = uchar(bytes[at++]);
        for (int a = 0; a < arrays && at + 3 <= box.end; ++a) {
            const int type = uchar(bytes[at]) & 0x3F;
            const int count = twoBytes(at + 1);
            at += 3;
            for (int n = 0; n < count && at + 2 <= box.end; ++n) {
                const qsizetype length = twoBytes(at);
                at += 2;
                if (type == 33 && at + length <= box.end) {
                    BitReader sps(bytes.mid(at + 2, length - 2)); // past the NAL header
                    sps.bits(4);
                    const int subLayers = int(sps.bits(3));
                    sps.bits(1);
                    sps.bits(96); // the general profile, tier and level
                    int present[8] = {};
                    for (int i = 0; i < subLayers; ++i)
                        present[i] = int(sps.bits(2));
                    if (subLayers > 0)
                        sps.bits(2 * (8 - subLayers));
                    for (int i = 0; i < subLayers; ++i)
                        sps.bits((present[i] & 2 ? 88 : 0) + (present[i] & 1 ? 8 : 0));
                    sps.golomb();
                    if (sps.golomb() == 3)
                        sps.bits(1);
                    const qint64 width = sps.golomb(), height = sps.golomb();
                    // Each may be near 2^32: their product would overflow.
                    if (width < 0 || height < 0 || width > 0xFFFFFF || height > 0xFFFFFF)
                        return std::numeric_limits<qint64>::max();
                    largest = qMax(largest, width * height);
                }
                at += length;
            }
        }
    }
    for (const QByteArray& head : itemHeads(bytes))
        largest = qMax(largest, av1Picture(head));
    return largest;
}

int HeifContainer::exifOrientation(const QByteArray& exif) {
    if (exif.size() < 4)
        return 1;
    // The block starts with the offset of the TIFF header past these four bytes.
    const qsizetype tiff = 4 + qsizetype(HeifContainer::bigEndian(exif, 0));
    if (tiff < 4 || tiff + 8 > exif.size())
        return 1;
    const bool little = exif.mid(tiff, 2) == "II";
    auto number = [&](qsizetype at, int count) -> quint32 {
        if (at < 0 || at + count > exif.size())
            return 0;
        quint32 value = 0;
        for (int i = 0; i < count; ++i)
            value = (value << 8) | uchar(exif[little ? at + count - 1 - i : at + i]);
        return value;
    };
    const qsizetype ifd = tiff + qsizetype(number(tiff + 4, 4));
    const int entries = int(number(ifd, 2));
    for (int i = 0; i < entries; ++i) {
        const qsizetype entry = ifd + 2 + 12 * i;
        if (entry + 12 > exif.size())
            break;
        if (number(entry, 2) == 0x0112) {
            const int orientation = int(number(entry + 8, 2));
            return orientation >= 1 && orientation <= 8 ? orientation : 1;
        }
    }
    return 1;
}

} // namespace toolkit
