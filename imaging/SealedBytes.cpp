#include "imaging/SealedBytes.h"

#include "base/SystemError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace toolkit {

std::shared_ptr<const SealedBytes> SealedBytes::read(int from, qint64 size, QString* why) {
    const int fd = ::memfd_create("picture", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0)
        return nullptr;
    void* writable = size > 0 && ::ftruncate(fd, off_t(size)) == 0
                         ? ::mmap(nullptr, size_t(size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                         : MAP_FAILED;
    if (writable == MAP_FAILED) {
        ::close(fd);
        return nullptr;
    }
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::read(from, static_cast<char*>(writable) + done, size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *why = systemErrorText(errno);
            break;
        }
        if (n == 0)
            break; // shrank while read: the structure check finds what is missing
        done += n;
    }
    // Unmapped before the seal: a writable mapping would keep the write seal off.
    ::munmap(writable, size_t(size));
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

QByteArray SealedBytes::bytes() const {
    return QByteArray::fromRawData(m_data, qsizetype(m_size));
}

} // namespace toolkit
