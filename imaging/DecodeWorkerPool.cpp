#include "imaging/DecodeWorkerPool.h"

#include "base/FileName.h"
#include "base/Log.h"
#include "imaging/WorkerChannel.h"

#include <QDir>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace toolkit {

DecodeWorkerPool& DecodeWorkerPool::shared() {
    static auto* instance = new DecodeWorkerPool;
    return *instance;
}

std::optional<DecodeWorkerPool::Worker> DecodeWorkerPool::acquire(const QByteArray& family) {
    std::unique_lock lock(m_mutex);
    std::optional<Worker> replaced;
    for (;;) {
        const auto idle = std::find_if(m_idle.begin(), m_idle.end(), [&](const Worker& worker) {
            return worker.family == family;
        });
        if (idle != m_idle.end()) {
            Worker worker = *idle;
            m_idle.erase(idle);
            return worker;
        }
        if (m_running < size()) {
            ++m_running;
            break;
        }
        if (!m_idle.empty()) {
            // Every worker there may be is running; an idle one of the other family makes
            // room, its place taken by the new one.
            replaced = m_idle.front();
            m_idle.erase(m_idle.begin());
            break;
        }
        m_wake.wait(lock);
    }
    lock.unlock();
    if (replaced) {
        // Idle: ending it loses nothing.
        ::kill(replaced->pid, SIGKILL);
        ::close(replaced->socket);
        end(*replaced, nullptr);
    }
    std::optional<Worker> started = start(family);
    if (!started) {
        lock.lock();
        --m_running;
        m_wake.notify_one();
    }
    return started;
}

void DecodeWorkerPool::release(const Worker& worker, bool healthy, int* status) {
    if (!healthy) {
        ::kill(worker.pid, SIGKILL);
        ::close(worker.socket);
        end(worker, status);
    }
    std::lock_guard lock(m_mutex);
    if (healthy)
        m_idle.push_back(worker);
    else
        --m_running;
    m_wake.notify_one();
}

void DecodeWorkerPool::end(const Worker& worker, int* status) {
    int ended = 0;
    while (::waitpid(worker.pid, &ended, 0) < 0 && errno == EINTR) {
    }
    if (status)
        *status = ended;
}

int DecodeWorkerPool::size() {
    return qMax(2, QThread::idealThreadCount()) + 1;
}

std::optional<DecodeWorkerPool::Worker> DecodeWorkerPool::start(const QByteArray& family) {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The worker's end as descriptor 3, which dup2 leaves open across exec.
    posix_spawn_file_actions_adddup2(&actions, ends[1], 3);
    const QByteArray path = FileName::encode(program);
    QByteArray kind = family;
    char* argv[] = {const_cast<char*>(path.constData()), kind.data(), nullptr};
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, path.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    if (error != 0) {
        ::close(ends[0]);
        return std::nullopt;
    }
    Worker worker{pid, ends[0], family};
    // Ready once its decoders are loaded and it is confined.
    quint32 ready = 0;
    if (!WorkerChannel::receiveAll(worker.socket, reinterpret_cast<char*>(&ready), sizeof ready) ||
        ready != WorkerChannel::kReadyMagic) {
        ::kill(pid, SIGKILL);
        ::close(worker.socket);
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        broken = true;
        qCWarning(programLog,
                  "pictures are decoded without a sandbox: the decoding worker "
                  "%s did not start",
                  qUtf8Printable(QDir::toNativeSeparators(program)));
        return std::nullopt;
    }
    return worker;
}

} // namespace toolkit
