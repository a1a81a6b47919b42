#pragma once

#include "base/Result.h"

#include <QtGlobal>

namespace toolkit {

/// The confinement of a decode worker process, entered once it has loaded every decoder:
/// no new privileges, an address-space limit of its size so far plus the decode budget, and
/// a seccomp filter that lets through only what decoding a picture in memory takes (see
/// the allowlist in DecodeSandbox.cpp). Any other system call, opening a file first of all,
/// ends the process.
class DecodeSandbox {
public:
    /// Confines the calling process for good. Fails with the reason when the kernel refuses.
    static Result<bool> enter(qint64 budgetBytes);
    /// Lets the process spend at most `seconds` more of CPU time from now, after which the
    /// kernel ends it.
    static void limitCpu(int seconds);
};

} // namespace toolkit
