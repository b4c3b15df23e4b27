// Output: buffered writes with every error checked, and the temporary file
// dance for a named output. The temporary file takes the permissions of the
// file it replaces, or the usual ones for a new file. On Windows it is
// created new (never an existing file), flushed to disk and moved over the
// target; a read-only target is refused there, as the system refuses it.
#include "Output.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "Platform.h"
#include "ToolError.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zabrelo_tool {

namespace {

// Output is handed to the stream in blocks of this size (see pending_).
constexpr std::size_t kBufferSize = 1 << 20;

#ifdef _WIN32
// A device (NUL, CON, a COM port) or a pipe cannot be replaced, only written
// to. Names in the device namespace (\\.\pipe\...) are taken as such
// unopened: opening a pipe, even just to ask, would use up a connection.
bool IsDeviceOrPipe(const std::wstring& path) {
    if (path.size() >= 4 && (path[0] == L'\\' || path[0] == L'/') && (path[1] == L'\\' || path[1] == L'/') &&
        path[2] == L'.' && (path[3] == L'\\' || path[3] == L'/')) {
        return true;
    }
    const HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const DWORD type = GetFileType(handle);
    CloseHandle(handle);
    return type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE;
}
#endif

}  // namespace

Output::Output(std::string path) : path_(std::move(path)) {
    if (path_ == "-") path_.clear();
}

Output::~Output() {
    if (file_ && file_ != stdout) std::fclose(file_);
#ifdef _WIN32
    if (!tempPath_.empty()) DeleteFileW(WidePath(tempPath_).c_str());
#else
    if (!tempPath_.empty()) std::remove(tempPath_.c_str());
#endif
}

void Output::Fail(const std::string& what, const std::string& reason) {
    throw ToolError(what + " " + (path_.empty() ? "standard output" : path_) + ": " + reason);
}

void Output::Open() {
    if (path_.empty()) {
        file_ = stdout;
    } else {
#ifdef _WIN32
        if (IsDeviceOrPipe(WidePath(path_))) {
            file_ = OpenFile(path_, "wb");
            if (!file_) Fail("cannot write");
            return;
        }
        // A name of this process's own, created new: another run's temporary
        // file, or a file that happens to bear the name, is never written over.
        HANDLE handle = INVALID_HANDLE_VALUE;
        for (int attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
            tempPath_ = path_ + ".zabrelo-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt);
            handle = CreateFileW(WidePath(tempPath_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
        }
        if (handle == INVALID_HANDLE_VALUE) {
            const std::string reason = LastWindowsError();
            tempPath_.clear();
            Fail("cannot write", reason);
        }
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
        if (fd < 0) {
            CloseHandle(handle);
            Fail("cannot write");
        }
        file_ = _fdopen(fd, "wb");
        if (!file_) {
            _close(fd);
            Fail("cannot write");
        }
#else
        struct stat target {};
        if (stat(path_.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) {
            // A device or a pipe: it cannot be replaced, only written to.
            file_ = std::fopen(path_.c_str(), "wb");
            if (!file_) Fail("cannot write");
            return;
        }
        // Replace the file a symbolic link points to, not the link.
        if (char* resolved = realpath(path_.c_str(), nullptr)) {
            path_ = resolved;
            std::free(resolved);
        }
        std::string pattern = path_ + ".zabrelo-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd < 0) Fail("cannot write");
        tempPath_ = pattern;
        struct stat old {};
        mode_t mode;
        if (stat(path_.c_str(), &old) == 0) {
            mode = old.st_mode & 07777;
        } else {
            const mode_t mask = umask(0);
            umask(mask);
            mode = static_cast<mode_t>(0666 & ~mask);
        }
        fchmod(fd, mode);
        file_ = fdopen(fd, "wb");
        if (!file_) {
            close(fd);
            Fail("cannot write");
        }
#endif
    }
}

void Output::Write(const char* data, std::size_t size) {
    pending_.append(data, size);
    if (pending_.size() >= kBufferSize) Flush();
}

void Output::Flush() {
    if (!pending_.empty() && std::fwrite(pending_.data(), 1, pending_.size(), file_) != pending_.size()) {
        Fail("write error on");
    }
    pending_.clear();
}

void Output::Commit() {
    Flush();
    if (std::fflush(file_) != 0 || std::ferror(file_)) Fail("write error on");
    if (tempPath_.empty()) {
        if (file_ != stdout) {
            const int closed = std::fclose(file_);
            file_ = nullptr;
            if (closed != 0) Fail("write error on");
        }
        return;
    }
#ifdef _WIN32
    if (!FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file_))))) {
        Fail("write error on", LastWindowsError());
    }
#else
    if (fsync(fileno(file_)) != 0 && errno != EINVAL) Fail("write error on");
#endif
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (closed != 0) Fail("write error on");
#ifdef _WIN32
    if (!MoveFileExW(WidePath(tempPath_).c_str(), WidePath(path_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Fail("cannot replace", LastWindowsError());
    }
#else
    if (std::rename(tempPath_.c_str(), path_.c_str()) != 0) Fail("cannot replace");
#endif
    tempPath_.clear();
}

}  // namespace zabrelo_tool
