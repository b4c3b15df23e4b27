// Platform, the output half: the system calls behind replacing a named
// output file (Output.cpp holds the steps and their order). On Windows the
// temporary file is created new (never an existing file), and a file with
// other hard links is written in place; elsewhere the owner, group, mode,
// links and extended attributes decide between a rename and writing in place.
// On Linux the temporary file beside the output has no name until the end,
// where the file system allows it.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "Platform.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/xattr.h>
#endif
#endif

namespace zabrelo_tool {

namespace {

constexpr std::size_t kCopyBlock = 1 << 20;

}  // namespace

#ifdef _WIN32

bool IsDeviceOrPipe(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.size() >= 4 && (wide[0] == L'\\' || wide[0] == L'/') && (wide[1] == L'\\' || wide[1] == L'/') &&
        wide[2] == L'.' && (wide[3] == L'\\' || wide[3] == L'/')) {
        return true;
    }
    const HANDLE handle = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const DWORD type = GetFileType(handle);
    CloseHandle(handle);
    return type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE;
}

std::string ResolveLinks(const std::string& path) { return path; }

int OpenForWriting(const std::string& path, bool& missing, std::string& reason) {
    const int fd = _wopen(WidePath(path).c_str(), _O_WRONLY | _O_BINARY);
    missing = fd < 0 && errno == ENOENT;
    if (fd < 0) reason = LastSystemError();
    return fd;
}

void CloseDescriptor(int fd) { _close(fd); }

std::FILE* CreateTemporary(const std::string& beside, std::string& tempPath, std::string& reason) {
    const std::string base = beside.empty() ? TemporaryDirectory() + "\\zabrelo" : beside;
    // A name of this process's own, created new: another run's temporary
    // file, or a file that happens to bear the name, is never written over.
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
        tempPath = base + ".zabrelo-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt);
        // Shared for deletion only: the Ctrl-C handler may remove it while open.
        handle = CreateFileW(WidePath(tempPath).c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (handle == INVALID_HANDLE_VALUE) {
        reason = LastWindowsError();
        tempPath.clear();
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    std::FILE* file = fd < 0 ? nullptr : _fdopen(fd, "wb");
    if (!file) {
        reason = LastSystemError();
        if (fd < 0) CloseHandle(handle);
        else _close(fd);
        DeleteFileW(WidePath(tempPath).c_str());
        tempPath.clear();
    }
    return file;
}

bool TakeOverAttributes(std::FILE*, int targetFd) {
    if (targetFd < 0) return true;
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileInformationByHandle(reinterpret_cast<HANDLE>(_get_osfhandle(targetFd)), &info) &&
           info.nNumberOfLinks == 1;
}

bool SyncToDisk(std::FILE* file, std::string& reason) {
    if (std::fflush(file) != 0) {
        reason = LastSystemError();
        return false;
    }
    if (!FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))))) {
        reason = LastWindowsError();
        return false;
    }
    return true;
}

void StartWriteBack(std::FILE*) {}

bool MoveOver(const std::string& from, const std::string& to, std::string& reason) {
    if (MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    reason = LastWindowsError();
    return false;
}

bool WriteInPlace(const std::string& from, int fd, std::string& reason) {
    std::FILE* source = OpenFile(from, "rb");
    bool ok = source != nullptr && _lseeki64(fd, 0, SEEK_SET) == 0;
    long long size = 0;
    std::vector<char> block(kCopyBlock);
    while (ok) {
        const std::size_t n = std::fread(block.data(), 1, block.size(), source);
        if (n == 0) {
            ok = !std::ferror(source);
            break;
        }
        ok = _write(fd, block.data(), static_cast<unsigned>(n)) == static_cast<int>(n);
        size += static_cast<long long>(n);
    }
    ok = ok && _chsize_s(fd, size) == 0 && _commit(fd) == 0;
    if (!ok) reason = LastSystemError();
    if (source) std::fclose(source);
    return ok;
}

void RemoveFile(const std::string& path) { DeleteFileW(WidePath(path).c_str()); }

std::FILE* CreateUnnamed(const std::string&, std::string&) { return nullptr; }

bool NameUnnamed(const std::string&, const std::string&, std::string&, std::string& reason) {
    reason = "no unnamed files here";
    return false;
}

#else

bool IsDeviceOrPipe(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

std::string ResolveLinks(const std::string& path) {
    if (char* resolved = realpath(path.c_str(), nullptr)) {
        std::string result = resolved;
        std::free(resolved);
        return result;
    }
    // realpath wants the file to exist. A link to a file not made yet still
    // names it: follow the links by hand, so that file is made and the link
    // stays. A loop of links ends where the system's own limit would.
    std::string current = path;
    std::vector<char> target(256);
    for (int hops = 0; hops < 40; ++hops) {
        ssize_t n;
        while ((n = readlink(current.c_str(), target.data(), target.size())) == static_cast<ssize_t>(target.size())) {
            target.resize(target.size() * 2);
        }
        if (n < 0) break;  // not a link: the file it names is this one
        std::string next(target.data(), static_cast<std::size_t>(n));
        const std::size_t slash = current.rfind('/');
        if (next[0] != '/' && slash != std::string::npos) next = current.substr(0, slash + 1) + next;
        current = next;
    }
    return current;
}

int OpenForWriting(const std::string& path, bool& missing, std::string& reason) {
    const int fd = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    missing = fd < 0 && errno == ENOENT;
    if (fd < 0) reason = LastSystemError();
    return fd;
}

void CloseDescriptor(int fd) { close(fd); }

std::FILE* CreateTemporary(const std::string& beside, std::string& tempPath, std::string& reason) {
    std::string pattern = beside.empty() ? TemporaryDirectory() + "/zabrelo-XXXXXX" : beside + ".zabrelo-XXXXXX";
    const int fd = mkstemp(pattern.data());  // created new, mode 0600
    std::FILE* file = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (!file) {
        reason = LastSystemError();
        if (fd >= 0) {
            close(fd);
            unlink(pattern.c_str());
        }
        return nullptr;
    }
    tempPath = pattern;
    return file;
}

bool TakeOverAttributes(std::FILE* temp, int targetFd) {
    const int fd = fileno(temp);
    if (targetFd < 0) {
        const mode_t mask = umask(0);
        umask(mask);
        return fchmod(fd, static_cast<mode_t>(0666 & ~mask)) == 0;
    }
    struct stat target {}, own {};
    if (fstat(targetFd, &target) != 0 || fstat(fd, &own) != 0) return false;
    // Owner and group first: a change of owner clears the set-user-ID bits
    // the mode then restores.
    bool same = target.st_nlink == 1;
    if (same && (own.st_uid != target.st_uid || own.st_gid != target.st_gid)) {
        same = fchown(fd, target.st_uid, target.st_gid) == 0;
    }
    same = same && fchmod(fd, target.st_mode & 07777) == 0;
#ifdef __linux__
    // ACLs, security labels and the user's own attributes would stay behind
    // with the old file. A file system without them answers with an error.
    same = same && flistxattr(targetFd, nullptr, 0) <= 0;
#endif
    return same;
}

bool SyncToDisk(std::FILE* file, std::string& reason) {
    // A file system that cannot sync (EINVAL) has nothing more to flush.
    if (std::fflush(file) != 0 || (fsync(fileno(file)) != 0 && errno != EINVAL)) {
        reason = LastSystemError();
        return false;
    }
    return true;
}

void StartWriteBack(std::FILE* file) {
#if defined(__linux__) && defined(SYNC_FILE_RANGE_WRITE)
    sync_file_range(fileno(file), 0, 0, SYNC_FILE_RANGE_WRITE);  // a hint: its failure changes nothing
#else
    (void)file;
#endif
}

bool MoveOver(const std::string& from, const std::string& to, std::string& reason) {
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    reason = LastSystemError();
    return false;
}

bool WriteInPlace(const std::string& from, int fd, std::string& reason) {
    const int source = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    bool ok = source >= 0 && fstat(source, &info) == 0;
    if (ok) {
        // Reserving never changes the content; where the file system cannot
        // reserve, the writes below find a full disk themselves.
        const int reserved = posix_fallocate(fd, 0, info.st_size);
        if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL) {
            errno = reserved;
            ok = false;
        }
    }
    std::vector<char> block(kCopyBlock);
    for (off_t offset = 0; ok && offset < info.st_size;) {
        const ssize_t n = pread(source, block.data(), block.size(), offset);
        if (n == 0) errno = EIO;  // the temporary file shrank: someone else's doing
        ok = n > 0;
        for (ssize_t done = 0; ok && done < n;) {
            const ssize_t written = pwrite(fd, block.data() + done, static_cast<std::size_t>(n - done), offset + done);
            ok = written > 0;
            done += ok ? written : 0;
        }
        offset += ok ? n : 0;
    }
    ok = ok && ftruncate(fd, info.st_size) == 0 && (fsync(fd) == 0 || errno == EINVAL);
    if (!ok) reason = LastSystemError();
    if (source >= 0) close(source);
    return ok;
}

void RemoveFile(const std::string& path) { unlink(path.c_str()); }

#if defined(__linux__) && defined(O_TMPFILE)

std::FILE* CreateUnnamed(const std::string& beside, std::string& handle) {
    const std::size_t slash = beside.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : beside.substr(0, slash);
    const int fd = open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;  // the named way says why, or works where this cannot
    // Reading it back and naming it go through /proc; without it, the named way.
    handle = "/proc/self/fd/" + std::to_string(fd);
    std::FILE* file = access(handle.c_str(), F_OK) == 0 ? fdopen(fd, "wb") : nullptr;
    if (!file) {
        close(fd);
        handle.clear();
    }
    return file;
}

bool NameUnnamed(const std::string& handle, const std::string& beside, std::string& name, std::string& reason) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = beside + ".zabrelo-";
        for (int k = 0; k < 6; ++k) name += kLetters[random() % (sizeof kLetters - 1)];
        if (linkat(AT_FDCWD, handle.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
        if (errno != EEXIST) break;
    }
    reason = LastSystemError();
    name.clear();
    return false;
}

#else

std::FILE* CreateUnnamed(const std::string&, std::string&) { return nullptr; }

bool NameUnnamed(const std::string&, const std::string&, std::string&, std::string& reason) {
    reason = "no unnamed files here";
    return false;
}

#endif

#endif

}  // namespace zabrelo_tool
