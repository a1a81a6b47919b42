#include "base/FileName.h"

namespace toolkit {

namespace {
constexpr char16_t kStrayByte = 0xDC00;

// The length of the well-formed UTF-8 sequence at `at`, or 0.
int sequenceAt(const QByteArray& bytes, qsizetype at) {
    const uchar lead = uchar(bytes[at]);
    int length = 0;
    char32_t minimum = 0;
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    char32_t code = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        const uchar next = uchar(bytes[at + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and code points past Unicode are not UTF-8.
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}
} // namespace

QString FileName::decode(const QByteArray& bytes) {
    QString name;
    name.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        const int length = sequenceAt(bytes, at);
        if (length == 0) {
            name.append(QChar(char16_t(kStrayByte + uchar(bytes[at]))));
            ++at;
            continue;
        }
        name.append(QString::fromUtf8(bytes.constData() + at, length));
        at += length;
    }
    return name;
}

QByteArray FileName::encode(const QString& name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype run = 0; // the start of the text not yet encoded
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        const bool stray = unit >= kStrayByte + 0x80 && unit <= kStrayByte + 0xFF &&
                           !(i > 0 && name[i - 1].isHighSurrogate());
        if (!stray)
            continue;
        bytes += QStringView(name).sliced(run, i - run).toUtf8();
        bytes += char(unit - kStrayByte);
        run = i + 1;
    }
    bytes += QStringView(name).sliced(run).toUtf8();
    return bytes;
}

QByteArray FileName::escapedLine(const QString& text) {
    const QByteArray bytes = encode(text);
    QByteArray line;
    line.reserve(bytes.size());
    for (const char c : bytes) {
        const uchar byte = uchar(c);
        if (c == '\\')
            line += "\\\\";
        else if (c == '\n')
            line += "\\n";
        else if (c == '\t')
            line += "\\t";
        else if (c == '\r')
            line += "\\r";
        else if (byte < 0x20 || byte == 0x7F)
            line += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
        else
            line += c;
    }
    return line;
}

} // namespace toolkit
