#include "imaging/DecodeSandbox.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace toolkit {

namespace {

// Everything a worker does once confined: read a request and write an answer on its
// socket (with the file descriptors that carry the bytes and the pixels), map and unmap
// memory, make a shared-memory file for the pixels, run the decoders' threads, keep time,
// and end. No call opens, creates, renames or removes a file, nor makes or joins a
// connection: those end the process.
// clang-format off
//
// | calls                                                  | for                                  |
// |--------------------------------------------------------|--------------------------------------|
// | read, readv, recv(from/msg), write, writev, send(to/msg) | the request and the answer         |
// | close, lseek, fcntl, fstat, newfstatat                 | the memory files (newfstatat: glibc's fstat) |
// | memfd_create, ftruncate                                | the memory file the pixels go back in |
// | mmap, munmap, mremap, mprotect, madvise, brk           | memory                               |
// | futex, clone, clone3, set_robust_list, rseq, sched_yield, sched_getaffinity, gettid, getpid | the decoders' threads (libde265, dav1d) and Qt's (QImage's large conversions) |
// | eventfd2                                               | each of Qt's threads makes one for its wake-ups |
// | rt_sigprocmask, rt_sigreturn, rt_sigaction, tgkill     | signals, abort()                     |
// | clock_gettime, clock_nanosleep, nanosleep, getrusage, getrandom, sysinfo | time, the CPU limit, malloc's and qsort's needs |
// | prlimit64                                              | the CPU limit of each decode         |
// | prctl(PR_SET_NAME) only                                | the decoders' threads' names         |
// | exit, exit_group                                       | the end                              |
// clang-format on
constexpr int kAllowed[] = {
    SCMP_SYS(read),
    SCMP_SYS(readv),
    SCMP_SYS(recvmsg),
    SCMP_SYS(write),
    SCMP_SYS(writev),
    SCMP_SYS(sendmsg),
    SCMP_SYS(close),
    SCMP_SYS(lseek),
    SCMP_SYS(fstat),
    SCMP_SYS(newfstatat),
    SCMP_SYS(memfd_create),
    SCMP_SYS(ftruncate),
    SCMP_SYS(mmap),
    SCMP_SYS(munmap),
    SCMP_SYS(mremap),
    SCMP_SYS(mprotect),
    SCMP_SYS(madvise),
    SCMP_SYS(brk),
    SCMP_SYS(futex),
    SCMP_SYS(clone),
    SCMP_SYS(clone3),
    SCMP_SYS(set_robust_list),
    SCMP_SYS(rseq),
    SCMP_SYS(sched_yield),
    SCMP_SYS(sched_getaffinity),
    SCMP_SYS(gettid),
    SCMP_SYS(getpid),
    SCMP_SYS(rt_sigprocmask),
    SCMP_SYS(rt_sigreturn),
    SCMP_SYS(rt_sigaction),
    SCMP_SYS(tgkill),
    SCMP_SYS(clock_gettime),
    SCMP_SYS(clock_nanosleep),
    SCMP_SYS(nanosleep),
    SCMP_SYS(getrusage),
    SCMP_SYS(getrandom),
    SCMP_SYS(sysinfo),
    SCMP_SYS(prlimit64),
    SCMP_SYS(exit),
    SCMP_SYS(exit_group),
    SCMP_SYS(fcntl),
    SCMP_SYS(eventfd2),
    SCMP_SYS(sendto),
    SCMP_SYS(recvfrom),
};

// The address space mapped so far: the program, its libraries, the decoders loaded.
qint64 addressSpaceBytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmSize:"))
            return line.mid(7).trimmed().split(' ').first().toLongLong() * 1024;
    return -1;
}

// Room for the decoders' threads' stacks and the allocator's arenas beside the pixels.
constexpr qint64 kAddressSpaceSlack = 192LL * 1024 * 1024;

Result<bool> failed(const char* what, int error) {
    return Result<bool>::failure(QStringLiteral("%1: %2").arg(
        QString::fromLatin1(what), QString::fromLocal8Bit(std::strerror(error))));
}

} // namespace

Result<bool> DecodeSandbox::enter(qint64 budgetBytes) {
    const qint64 mapped = addressSpaceBytes();
    if (mapped < 0)
        return Result<bool>::failure(QStringLiteral("the process's size cannot be read"));
    const rlimit space{rlim_t(mapped + budgetBytes + kAddressSpaceSlack),
                       rlim_t(mapped + budgetBytes + kAddressSpaceSlack)};
    if (::setrlimit(RLIMIT_AS, &space) != 0)
        return failed("RLIMIT_AS", errno);
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return failed("PR_SET_NO_NEW_PRIVS", errno);
    scmp_filter_ctx filter = ::seccomp_init(SCMP_ACT_KILL_PROCESS);
    if (!filter)
        return Result<bool>::failure(QStringLiteral("seccomp is not available"));
    int error = 0;
    for (const int call : kAllowed)
        if (call >= 0 && !error)
            error = ::seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0);
    // Threads name themselves (dav1d's); no other prctl.
    if (!error)
        error = ::seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(prctl), 1,
                                   SCMP_A0(SCMP_CMP_EQ, PR_SET_NAME));
    if (!error)
        error = ::seccomp_load(filter);
    ::seccomp_release(filter);
    if (error)
        return failed("seccomp", -error);
    return Result<bool>::success(true);
}

void DecodeSandbox::limitCpu(int seconds) {
    rusage used{};
    ::getrusage(RUSAGE_SELF, &used);
    const rlim_t spent = rlim_t(used.ru_utime.tv_sec + used.ru_stime.tv_sec + 1);
    // The soft limit sends SIGXCPU, which ends the process; the hard one a second later
    // SIGKILL, should anything catch the first.
    const rlimit cpu{spent + rlim_t(seconds), spent + rlim_t(seconds) + 1};
    ::setrlimit(RLIMIT_CPU, &cpu);
}

} // namespace toolkit
