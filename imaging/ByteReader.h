#pragma once

#include <QByteArray>
#include <cstring>

namespace toolkit {

/// Reads a byte array front to back, for walking a file's structure; past the end every
/// read is -1.
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

} // namespace toolkit
