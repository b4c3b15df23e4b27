// SystemPaths: what the library asks the system about files. Where the
// module that holds its code lives (libzabrelo.so, zabrelo.dll, or the
// program or extension the core is linked into), what a path names, and
// on Windows the ANSI form of a path, the only form the 8-bit file API
// opens. Tested through the C interface's default
// table (tests/c/, tests/install/).
#ifndef ZABRELO_SYSTEMPATHS_H
#define ZABRELO_SYSTEMPATHS_H

#include <string>

namespace zabrelo {

/// The folder of the module this code is linked into, in the form the
/// table loader opens, without a trailing separator; "" when the system
/// cannot tell. Symbolic links are resolved, as the loader of a program
/// resolves its own path.
std::string ModuleDirectory();

/// The separator ModuleDirectory's paths use.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

enum class PathKind {
    kMissing,    // nothing there (no such file, or a part of the path is no folder)
    kDirectory,
    kOther,      // a file, a device, or something the system will not say more about
};
PathKind KindOf(const char* path);

#ifdef _WIN32
/// `path` in the ANSI code page; when that cannot spell it, the short (8.3)
/// name where the volume keeps one; else "".
std::string AnsiPath(const std::wstring& path);
#endif

}  // namespace zabrelo

#endif  // ZABRELO_SYSTEMPATHS_H
