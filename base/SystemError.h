#pragma once

#include <QString>

namespace toolkit {

/// The system's text for the errno value `error`, in the user's language. Safe on any
/// thread (strerror is not: it may share one buffer between threads).
QString systemErrorText(int error);

} // namespace toolkit
