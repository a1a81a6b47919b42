#include "base/Console.h"

#include "base/FileName.h"

namespace toolkit {

void writeText(const QString& text, FILE* stream) {
    const QByteArray bytes = FileName::encode(text);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

void writeEscapedLine(const QString& text, FILE* stream) {
    const QByteArray bytes = FileName::escapedLine(text) + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace toolkit
