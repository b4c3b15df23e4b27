// Platform: Linux and other POSIX systems, and Windows. On Windows the tool
// keeps UTF-8 inside and converts at the edges: the wide command line on
// the way in, wide file names on the way out to the system.
#include "Platform.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <thread>

#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include "library/SystemPaths.h"
#include "text/Utf8.h"
#else
#include <cstdlib>
#include <unistd.h>
#ifdef __linux__
#include <sys/mman.h>
#endif
#endif

namespace zabrelo_tool {

#ifdef _WIN32

namespace {

// UTF-16 to UTF-8, keeping an unpaired surrogate as its own 3-byte form so
// a file name that has one still opens, and a text that has one is refused
// by the strict decoder rather than silently changed.
std::string Narrow(const wchar_t* text) {
    const std::wstring wide(text);
    return zabrelo::Utf16ToUtf8(std::u16string(wide.begin(), wide.end()), zabrelo::LoneSurrogate::kKeep);
}

}  // namespace

std::wstring WidePath(const std::string& path) {
    // Ill-formed bytes read as U+FFFD, never as some other name: an overlong
    // "/" must not become a separator. Surrogates come back from Narrow's form.
    const std::u16string units =
        zabrelo::Utf8ToUtf16Lenient(path.data(), path.size(), zabrelo::LoneSurrogate::kKeep);
    return std::wstring(units.begin(), units.end());
}

std::string NarrowPath(const std::wstring& path) { return Narrow(path.c_str()); }

std::string LastWindowsError() {
    const DWORD code = GetLastError();
    wchar_t* text = nullptr;
    const DWORD size = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = size > 0 && text ? Narrow(text) : "error " + std::to_string(code);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.' ||
                                message.back() == ' ')) {
        message.pop_back();
    }
    return message;
}

std::vector<std::string> Arguments(int argc, char** argv) {
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        std::vector<std::string> args;
        for (int i = 0; i < count; ++i) args.push_back(Narrow(wide[i]));
        LocalFree(wide);
        return args;
    }
    return std::vector<std::string>(argv, argv + argc);
}

void UseBinaryStdio() {
    // A stream with no handle (a process started without a console) has a
    // negative number, which the runtime may treat as a fatal misuse.
    for (std::FILE* stream : {stdin, stdout, stderr}) {
        const int fd = _fileno(stream);
        if (fd >= 0) _setmode(fd, _O_BINARY);
    }
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return _wfopen(WidePath(path).c_str(), WidePath(mode).c_str());
}

std::FILE* OpenForReading(const std::string& path) {
    const std::wstring wide = WidePath(path);
    std::FILE* file = _wfopen(wide.c_str(), L"rb");
    if (!file) {
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) errno = EISDIR;
    }
    return file;
}

int DescriptorOf(std::FILE* file) { return _fileno(file); }

long long RegularFileSize(std::FILE* file) {
    struct _stat64 info {};
    if (_fstat64(_fileno(file), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) return -1;
    return info.st_size;
}

std::string LibraryPath(const std::string& path) {
    bool ascii = true;
    for (const char c : path) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return path;
    const std::string ansi = zabrelo::AnsiPath(WidePath(path));
    return ansi.empty() ? path : ansi;  // else it cannot be named to the library; its open fails and says so
}

std::string ExecutableDir() {
    std::wstring buffer(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) return std::string();
    buffer.resize(n);
    const std::size_t slash = buffer.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::string() : Narrow(buffer.substr(0, slash).c_str());
}

bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

bool StdoutIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

bool StderrTakesEscapes() {
    if (EnvironmentValue("TERM") == "dumb") return false;
    const HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    return console != INVALID_HANDLE_VALUE && GetConsoleMode(console, &mode) &&
           SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

std::string EnvironmentValue(const char* name) {
    const wchar_t* value = _wgetenv(WidePath(name).c_str());
    return value ? Narrow(value) : std::string();
}

std::uint64_t PhysicalMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

std::uint64_t FreeMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullAvailPhys : 0;
}

#else

std::vector<std::string> Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

void UseBinaryStdio() {}

std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

std::FILE* OpenForReading(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    struct stat info {};
    if (file && fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(file);
        errno = EISDIR;
        return nullptr;
    }
    return file;
}

int DescriptorOf(std::FILE* file) { return fileno(file); }

long long RegularFileSize(std::FILE* file) {
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return static_cast<long long>(info.st_size);
}

std::string LibraryPath(const std::string& path) { return path; }

std::string ExecutableDir() {
    std::vector<char> buffer(4096);
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return std::string();
    const std::string path(buffer.data(), static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool StderrIsTerminal() { return isatty(STDERR_FILENO) != 0; }

bool StdoutIsTerminal() { return isatty(STDOUT_FILENO) != 0; }

bool StderrTakesEscapes() {
    const std::string term = EnvironmentValue("TERM");
    return !term.empty() && term != "dumb";
}

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : std::string();
}

namespace {

std::uint64_t Pages(int name) {
    const long pages = sysconf(name), size = sysconf(_SC_PAGESIZE);
    return pages > 0 && size > 0 ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(size) : 0;
}

}  // namespace

std::uint64_t PhysicalMemory() { return Pages(_SC_PHYS_PAGES); }

std::uint64_t FreeMemory() {
#ifdef _SC_AVPHYS_PAGES
    return Pages(_SC_AVPHYS_PAGES);
#else
    return 0;
#endif
}

#endif

void PreferHugePages(void* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
    if (bytes < 2 * kHuge) return;
    // Whole huge pages inside the buffer: the system backs only those.
    const auto first = (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    const auto last = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kHuge - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

int CoreCount() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(n);
}

std::string LastSystemError() { return std::strerror(errno); }

}  // namespace zabrelo_tool
