#pragma once

#include <QString>
#include <QtGlobal>

namespace toolkit {

/// The folder that holds the application's named images. Chosen once from, in order:
/// $<NAME>_RESOURCES, `resources/` beside the executable, `../share/<name>/resources`
/// relative to the executable (<name> being the application's, ApplicationIdentity).
QString resourcePath();

/// Points the named-image lookup at another folder (tests use temporary folders).
void setResourcePath(const QString& path);

/// The file of the application's loadable module `module` (`<name>-<module>.so`), found in,
/// in order: $<NAME>_MODULES, the executable's folder (the build tree),
/// `../<libdir>/<name>/modules` relative to the executable (installed). The first candidate when
/// none exists, so that a failed load names where it looked.
QString modulePath(const QString& module);

/// Points the module lookup at another folder (tests and benchmarks run from elsewhere).
void setModuleFolder(const QString& folder);

/// A loadable module's entry point, or why there is none.
struct ModuleEntry {
    enum class Problem { None, Missing, NotLoaded, NoEntry };
    QFunctionPointer entry = nullptr;
    Problem problem = Problem::None;
    /// The module's file (modulePath), there or not.
    QString path;
    /// The loader's reason, when the file did not load or has no such entry.
    QString detail;
};

/// Loads the module `module` (see modulePath) and looks up `entry` in it. A loaded module
/// stays loaded for the life of the process: its code is in use.
ModuleEntry loadModuleEntry(const QString& module, const char* entry);

} // namespace toolkit
