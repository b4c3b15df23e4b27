// Platform: Linux and other POSIX systems, and Windows.
#include "Platform.h"

#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <csignal>
#include <unistd.h>
#endif

namespace zabrelo_tool {

std::string ExecutableDir() {
    std::string path;
#ifdef _WIN32
    std::vector<char> buffer(32768);
    const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n > 0 && n < buffer.size()) path.assign(buffer.data(), n);
    const std::size_t slash = path.find_last_of("\\/");
#else
    std::vector<char> buffer(4096);
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n > 0 && static_cast<std::size_t>(n) < buffer.size()) path.assign(buffer.data(), static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
#endif
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool StderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

int CoreCount() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(n);
}

std::string LastSystemError() { return std::strerror(errno); }

void IgnoreBrokenPipeSignal() {
#ifndef _WIN32
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

}  // namespace zabrelo_tool
