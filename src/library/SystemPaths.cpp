// SystemPaths: the module's own file comes from the dynamic loader (dladdr
// on ELF systems, GetModuleHandleExW on Windows), asked about an object of
// this file: so it names whatever module this code was linked into.
#include "library/SystemPaths.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <windows.h>

#include "text/Utf8.h"
#else
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <link.h>
#endif
#endif

namespace zabrelo {

namespace {

// An object inside this module, whose address the loader can place.
const char kAnchor = 0;

}  // namespace

#ifdef _WIN32

namespace {

// `wide` in the ANSI code page, or "" when some character has no exact form there.
std::string Ansi(const std::wstring& wide) {
    if (GetACP() == CP_UTF8) {
        // No lossy step to guard against; a lone surrogate keeps its own form.
        return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()), LoneSurrogate::kKeep);
    }
    BOOL lossy = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, nullptr, &lossy);
    if (size <= 1 || lossy) return std::string();
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, &out[0], size, nullptr, nullptr);
    out.pop_back();  // the terminating NUL
    return out;
}

}  // namespace

std::string AnsiPath(const std::wstring& path) {
    std::string ansi = Ansi(path);
    if (!ansi.empty()) return ansi;
    // Short names are plain ASCII where the volume keeps them.
    const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size == 0) return std::string();
    std::wstring shortName(size, L'\0');
    const DWORD written = GetShortPathNameW(path.c_str(), &shortName[0], size);
    if (written == 0 || written >= size) return std::string();
    shortName.resize(written);
    return Ansi(shortName);
}

std::string ModuleDirectory() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&kAnchor), &module)) {
        return std::string();
    }
    std::wstring file(32768, L'\0');  // the longest path Windows has
    const DWORD n = GetModuleFileNameW(module, &file[0], static_cast<DWORD>(file.size()));
    if (n == 0 || n >= file.size()) return std::string();
    file.resize(n);
    const std::size_t slash = file.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return std::string();
    return AnsiPath(file.substr(0, slash));
}

PathKind KindOf(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::kMissing : PathKind::kOther;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::kDirectory : PathKind::kOther;
}

#else

namespace {

std::string FolderOf(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    if (slash == std::string::npos) return std::string();
    return slash == 0 ? std::string("/") : file.substr(0, slash);
}

std::string RealPath(const char* path) {
    char resolved[PATH_MAX];
    return realpath(path, resolved) ? std::string(resolved) : std::string();
}

std::string ProgramFile() {
    std::vector<char> buffer(PATH_MAX);
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return std::string();
    return std::string(buffer.data(), static_cast<std::size_t>(n));
}

}  // namespace

std::string ModuleDirectory() {
    Dl_info info{};
#if defined(__GLIBC__)
    // For the program itself the loader gives argv[0], which need not be a
    // path at all; its link map has an empty name, and /proc knows better.
    struct link_map* map = nullptr;
    if (dladdr1(&kAnchor, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0) {
        return FolderOf(ProgramFile());  // a static program has no loader to ask
    }
    if (map != nullptr && map->l_name != nullptr && map->l_name[0] == '\0') return FolderOf(ProgramFile());
#else
    if (dladdr(&kAnchor, &info) == 0) return FolderOf(ProgramFile());
#endif
    if (info.dli_fname == nullptr || info.dli_fname[0] == '\0') return std::string();
    // The name the library was loaded by may be relative (dlopen("./x.so"))
    // or a link: resolved, it names the folder the file really is in.
    return FolderOf(RealPath(info.dli_fname));
}

PathKind KindOf(const char* path) {
    struct stat status {};
    if (stat(path, &status) != 0) return errno == ENOENT || errno == ENOTDIR ? PathKind::kMissing : PathKind::kOther;
    return S_ISDIR(status.st_mode) ? PathKind::kDirectory : PathKind::kOther;
}

#endif

}  // namespace zabrelo
