#include "base/MemoryPressureMonitor.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace toolkit {

namespace {
// Written by the signal handler, read on the main thread: the self-pipe trick, since
// nothing but write() is safe inside a handler.
int signalPipe[2] = {-1, -1};
volatile sig_atomic_t terminationSignals = 0;
void (*volatile emergencyCleanup)() = nullptr;

extern "C" void onSignal(int number) {
    const int saved = errno;
    if (number == SIGTERM || number == SIGINT) {
        terminationSignals = terminationSignals + 1;
        if (terminationSignals >= 2) {
            if (emergencyCleanup)
                emergencyCleanup();
            ::_exit(128 + number);
        }
    }
    const char byte = char(number);
    if (signalPipe[1] >= 0) [[maybe_unused]]
        auto ignored = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

void installHandler(int number) {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(number, &action, nullptr);
}

void restoreDefault(int number) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(number, &action, nullptr);
}
} // namespace

MemoryPressureMonitor::MemoryPressureMonitor(void (*cleanup)(), QObject* parent) : QObject(parent) {
    if (signalPipe[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, signalPipe) == 0) {
        // Set before the handlers: a signal may arrive as soon as they are in.
        emergencyCleanup = cleanup;
        m_signalNotifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
        connect(m_signalNotifier, &QSocketNotifier::activated, this,
                &MemoryPressureMonitor::readSignals);
        installHandler(SIGUSR1);
        installHandler(SIGTERM);
        installHandler(SIGINT);
    }

    // Pressure stall information: a trigger fires when tasks stall on memory for 150 ms
    // within two seconds (the shortest window an unprivileged process may ask for). Not
    // every kernel (or container) offers it; then only SIGUSR1 does.
    m_pressureFd = ::open("/proc/pressure/memory", O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (m_pressureFd >= 0) {
        const char trigger[] = "some 150000 2000000";
        if (::write(m_pressureFd, trigger, sizeof trigger) < 0) {
            ::close(m_pressureFd);
            m_pressureFd = -1;
        } else {
            m_pressureNotifier =
                new QSocketNotifier(m_pressureFd, QSocketNotifier::Exception, this);
            connect(m_pressureNotifier, &QSocketNotifier::activated, this,
                    &MemoryPressureMonitor::readPressure);
        }
    }
}

void MemoryPressureMonitor::ignoreWarningsUntilWatched() {
    // A handler rather than SIG_IGN: a program this one starts must not inherit deafness to
    // the signal; with no pipe to write to, the handler does nothing.
    installHandler(SIGUSR1);
}

MemoryPressureMonitor::~MemoryPressureMonitor() {
    if (m_signalNotifier) {
        // A warning after the monitor is gone still must not kill the process.
        restoreDefault(SIGTERM);
        restoreDefault(SIGINT);
        terminationSignals = 0;
        emergencyCleanup = nullptr;
        // Forgotten before closed: a handler running meanwhile must not write to a number
        // that a new file may take.
        const int pipe[2] = {signalPipe[0], signalPipe[1]};
        signalPipe[0] = signalPipe[1] = -1;
        ::close(pipe[0]);
        ::close(pipe[1]);
    }
    if (m_pressureFd >= 0)
        ::close(m_pressureFd);
}

void MemoryPressureMonitor::readSignals() {
    char bytes[64];
    ssize_t n;
    while ((n = ::read(signalPipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            if (bytes[i] == SIGUSR1)
                emit memoryWarning();
            else
                emit terminationRequested();
        }
    }
}

void MemoryPressureMonitor::readPressure() {
    emit memoryWarning();
}

} // namespace toolkit
