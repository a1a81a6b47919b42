#pragma once

#include <QString>

namespace toolkit {

/// The folder that holds the application's named images. Chosen once from, in order:
/// $<NAME>_RESOURCES, `resources/` beside the executable, `../share/<name>/resources`
/// relative to the executable (<name> being the application's, ApplicationIdentity).
QString resourcePath();

/// Points the named-image lookup at another folder (tests use temporary folders).
void setResourcePath(const QString& path);

} // namespace toolkit
