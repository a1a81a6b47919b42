#pragma once

#include <QtGlobal>
#include <cstddef>

namespace toolkit {

/// The decoding worker's conversation with the application over a socket pair: fixed
/// headers, each with at most one file descriptor (a memory file of the picture's bytes
/// or of the pixels), then any text. Both ends speak it; neither trusts what it reads.
class WorkerChannel {
public:
    static constexpr quint32 kRequestMagic = 0x44435251; // "QRCD"
    static constexpr quint32 kAnswerMagic = 0x44434e41;  // "ANCD"
    static constexpr quint32 kReadyMagic = 0x44435952;   // "RYCD"

    /// A request: this header with the memory file of the picture's bytes, then the name.
    struct Request {
        quint32 magic;
        qint32 width, height; /// the target; invalid for the full size
        quint32 nameBytes;
        quint64 fileBytes;
    };

    /// An answer: this header, with the memory file of the pixels when decoded, then the
    /// reason (UTF-8) when not.
    struct Answer {
        quint32 magic;
        qint32 decoded;
        qint32 width, height, format;
        qint64 bytesPerLine;
        quint32 reasonBytes;
        quint32 messageBytes; /// what the decoders wrote to stderr meanwhile, after the reason
    };

    /// Sends `header` and, when `fd` is one, that file descriptor with it.
    static bool sendWith(int socket, const void* header, size_t size, int fd);
    /// Receives a header of `size` bytes and the file descriptor sent with it, if any (else
    /// -1). False at the end of the stream or on an error.
    static bool receiveWith(int socket, void* header, size_t size, int* fd);
    /// Sends all `size` bytes of `data`; false when the other end is gone.
    static bool sendAll(int socket, const char* data, size_t size);
    /// Receives exactly `size` bytes into `data`; false at the end of the stream or on an error.
    static bool receiveAll(int socket, char* data, size_t size);
    /// A memory file holding `size` bytes from `data`; -1 when there is no memory for it.
    static int memoryFile(const char* name, const char* data, size_t size);
};

} // namespace toolkit
