#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <sys/types.h>
#include <vector>

namespace toolkit {

/// The application's decoding workers: one a core and one more, started on demand from
/// the worker program, each confined before it says it is ready, reused while healthy and
/// killed when not. Any thread.
class DecodeWorkerPool {
public:
    /// A worker process and the application's end of its socket.
    struct Worker {
        pid_t pid = -1;
        int socket = -1;
        /// The family of decoders it loaded (DecodeWorker::familyOf).
        QByteArray family;
    };

    /// The pool every decode shares, made on first use and never destroyed: decodes may
    /// run at exit.
    static DecodeWorkerPool& shared();

    /// The worker program's path; none, no workers.
    QString program;
    /// Set when a worker could not enter its sandbox: decodes then run in this process.
    std::atomic<bool> broken{false};

    /// A worker of `family` for one request: an idle one, else a new one while there are
    /// fewer than the pool's size, else one started in place of an idle worker of another
    /// family, else the next to come back. Null when none can start.
    std::optional<Worker> acquire(const QByteArray& family);

    /// Gives a worker back after an answer, or ends it (killed if still running) and counts
    /// it gone; `status` receives how it ended.
    void release(const Worker& worker, bool healthy, int* status = nullptr);

private:
    // One a core, and one more: the photo opened now must not wait behind the batch's
    // decodes ahead.
    static int size();

    std::optional<Worker> start(const QByteArray& family);
    static void end(const Worker& worker, int* status);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Worker> m_idle;
    int m_running = 0;
};

} // namespace toolkit
