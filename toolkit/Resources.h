#pragma once

#include <QString>

namespace toolkit {

/// The folder that holds the application's named images. Chosen once from, in order:
/// $VELMORA_RESOURCES, `resources/` beside the executable, `../share/velmora/resources`
/// relative to the executable.
QString resourcePath();

/// Points the named-image lookup at another folder (tests use temporary folders).
void setResourcePath(const QString& path);

} // namespace toolkit
