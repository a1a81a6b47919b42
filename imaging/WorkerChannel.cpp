#include "imaging/WorkerChannel.h"

#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

namespace toolkit {

bool WorkerChannel::sendWith(int socket, const void* header, size_t size, int fd) {
    iovec part{const_cast<void*>(header), size};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    if (fd >= 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* rights = CMSG_FIRSTHDR(&message);
        rights->cmsg_level = SOL_SOCKET;
        rights->cmsg_type = SCM_RIGHTS;
        rights->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(rights), &fd, sizeof(int));
    }
    ssize_t sent;
    do
        sent = ::sendmsg(socket, &message, MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    return sent == ssize_t(size);
}

bool WorkerChannel::receiveWith(int socket, void* header, size_t size, int* fd) {
    iovec part{header, size};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got;
    do
        got = ::recvmsg(socket, &message, MSG_WAITALL | MSG_CMSG_CLOEXEC);
    while (got < 0 && errno == EINTR);
    *fd = -1;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c))
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_RIGHTS)
            std::memcpy(fd, CMSG_DATA(c), sizeof(int));
    return got == ssize_t(size);
}

bool WorkerChannel::sendAll(int socket, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(socket, data, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        data += sent;
        size -= size_t(sent);
    }
    return true;
}

bool WorkerChannel::receiveAll(int socket, char* data, size_t size) {
    while (size > 0) {
        const ssize_t got = ::recv(socket, data, size, MSG_WAITALL);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        data += got;
        size -= size_t(got);
    }
    return true;
}

int WorkerChannel::memoryFile(const char* name, const char* data, size_t size) {
    const int fd = ::memfd_create(name, MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::ftruncate(fd, off_t(size)) != 0) {
        ::close(fd);
        return -1;
    }
    if (size > 0) {
        void* mapped = ::mmap(nullptr, size, PROT_WRITE, MAP_SHARED, fd, 0);
        if (mapped == MAP_FAILED) {
            ::close(fd);
            return -1;
        }
        std::memcpy(mapped, data, size);
        ::munmap(mapped, size);
    }
    return fd;
}

} // namespace toolkit
