// Platform: the few operating-system questions the tool asks, kept in one
// place: its command line, how files and standard streams are opened, where
// its own executable lives, the terminal, the cores and the last error.
// Everything above this layer holds text and file names as UTF-8.
#ifndef ZABRELO_TOOL_PLATFORM_H
#define ZABRELO_TOOL_PLATFORM_H

#include <cstdio>
#include <string>
#include <vector>

namespace zabrelo_tool {

/// The command line as UTF-8 strings, argv[0] first. On Windows it is read
/// again in its UTF-16 form: main's 8-bit argv went through the ANSI code
/// page, which cannot spell Urdu. An unpaired surrogate there becomes the
/// 3-byte form no strict UTF-8 decoder accepts, so it is reported, not altered.
std::vector<std::string> Arguments(int argc, char** argv);
/// Standard input, output and error pass bytes unchanged: on Windows they
/// start in text mode, which adds a CR before every LF written and drops
/// the CR of every CR LF read.
void UseBinaryStdio();
/// std::fopen of a UTF-8 file name; on Windows through its UTF-16 form.
std::FILE* OpenFile(const std::string& path, const char* mode);
/// The form of `path` the library's 8-bit file API can open: on Windows the
/// ANSI code page's spelling, or the short (8.3) name when the ANSI code
/// page cannot spell it; elsewhere `path` itself.
std::string LibraryPath(const std::string& path);

/// Directory of the running executable (UTF-8), or "" when it cannot be found.
std::string ExecutableDir();
bool StderrIsTerminal();
/// Number of hardware threads, at least 1.
int CoreCount();
/// strerror(errno), for messages.
std::string LastSystemError();
/// Makes a write to a closed pipe fail with an error the tool reports,
/// instead of killing it silently.
void IgnoreBrokenPipeSignal();

#ifdef _WIN32
/// UTF-16 form of a UTF-8 file name (the 3-byte surrogate form included).
std::wstring WidePath(const std::string& path);
/// The text of GetLastError(), for messages.
std::string LastWindowsError();
#endif

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_PLATFORM_H
