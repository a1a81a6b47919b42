#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

namespace toolkit {

/// A file's bytes read once into a memory file that is then sealed: no one, a decoding
/// worker given the same pages included, can change, grow or shrink them afterwards. The
/// application and its workers share the one copy.
class SealedBytes {
public:
    /// Reads at most `size` bytes from the descriptor `from` (less when it ends first).
    /// Null when there is no memory file to read into (the caller reads them itself), or
    /// when reading fails; then `why` says why.
    static std::shared_ptr<const SealedBytes> read(int from, qint64 size, QString* why);
    ~SealedBytes();
    SealedBytes(const SealedBytes&) = delete;
    SealedBytes& operator=(const SealedBytes&) = delete;

    /// The bytes, without a copy; valid while this object lives.
    QByteArray bytes() const;
    /// Lets go of the pages this process has read, which a large picture's checks leave in
    /// its resident size; they are read again, unchanged, if the bytes are used again.
    void releasePages() const;
    /// The sealed memory file, to be handed to a worker.
    int fd() const { return m_fd; }

private:
    SealedBytes(int fd, const char* data, qint64 size) : m_fd(fd), m_data(data), m_size(size) {}

    int m_fd;
    const char* m_data;
    qint64 m_size;
};

} // namespace toolkit
