#pragma once

#include "base/ApplicationIdentity.h"

/// The program's name, display name and version, as the subsystems are to know them; the
/// same in the executable and in the window module.
toolkit::ApplicationIdentity programIdentity();

/// `status`, to return from main or the window module. A decode abandoned over its time
/// limit may still be running on its thread: then the process ends here, at once, without
/// the static destructors that decode could be using.
int finishProcess(int status);
