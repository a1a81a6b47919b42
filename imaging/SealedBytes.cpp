#include "imaging/SealedBytes.h"

#include "base/SystemError.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

namespace toolkit {

std::shared_ptr<const SealedBytes> SealedBytes::read(int from, qint64 size, QString* why) {
    const int fd = ::memfd_create("picture", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0)
        return nullptr;
    if (size <= 0 || ::ftruncate(fd, off_t(size)) != 0) {
        ::close(fd);
        return nullptr;
    }
    // Copied through a small buffer rather than a mapping: the memory file's pages are not
    // this process's then, so a large picture does not raise its resident size.
    constexpr size_t kChunk = 1 << 20;
    std::unique_ptr<char[]> chunk(new (std::nothrow) char[kChunk]);
    if (!chunk) {
        ::close(fd);
        return nullptr;
    }
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::read(from, chunk.get(), size_t(std::min<qint64>(kChunk, size - done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *why = systemErrorText(errno);
            break;
        }
        if (n == 0)
            break; // shrank while read: the structure check finds what is missing
        ssize_t written = 0;
        while (written < n) {
            const ssize_t w =
                ::pwrite(fd, chunk.get() + written, size_t(n - written), off_t(done + written));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                *why = systemErrorText(w < 0 ? errno : ENOSPC);
                break;
            }
            written += w;
        }
        if (!why->isEmpty())
            break;
        done += n;
    }
    if (!why->isEmpty() || done == 0 || ::ftruncate(fd, off_t(done)) != 0) {
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL);
    void* readable = ::mmap(nullptr, size_t(done), PROT_READ, MAP_SHARED, fd, 0);
    if (readable == MAP_FAILED) {
        ::close(fd);
        return nullptr;
    }
    return std::shared_ptr<const SealedBytes>(
        new SealedBytes(fd, static_cast<const char*>(readable), done));
}

SealedBytes::~SealedBytes() {
    ::munmap(const_cast<char*>(m_data), size_t(m_size));
    ::close(m_fd);
}

void SealedBytes::releasePages() const {
    // Shared pages: this process lets go of its view of them, the memory file keeps them.
    ::madvise(const_cast<char*>(m_data), size_t(m_size), MADV_DONTNEED);
}

QByteArray SealedBytes::bytes() const {
    return QByteArray::fromRawData(m_data, qsizetype(m_size));
}

} // namespace toolkit
