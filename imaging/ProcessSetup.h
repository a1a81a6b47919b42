#pragma once

#include "base/ApplicationIdentity.h"

namespace toolkit {

/// Sets what every process of the application needs before it decodes or shows anything:
/// its identity, the decoders' limits, and file-size limits failing writes instead of
/// ending the process.
void configureProcess(const ApplicationIdentity& identity);

} // namespace toolkit
