// Output: buffered writes with every error checked, and the temporary file
// dance for a named output. The temporary file takes the permissions of the
// file it replaces, or the usual ones for a new file.
#include "Output.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "Platform.h"
#include "ToolError.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zabrelo_tool {

namespace {
constexpr std::size_t kBufferSize = 1 << 20;
}

Output::Output(std::string path) : path_(std::move(path)) {
    if (path_ == "-") path_.clear();
}

Output::~Output() {
    if (file_ && file_ != stdout) std::fclose(file_);
    if (!tempPath_.empty()) std::remove(tempPath_.c_str());
}

void Output::Fail(const std::string& what) {
    const std::string reason = LastSystemError();
    throw ToolError(what + " " + (path_.empty() ? "standard output" : path_) + ": " + reason);
}

void Output::Open() {
    if (path_.empty()) {
        file_ = stdout;
    } else {
#ifdef _WIN32
        tempPath_ = path_ + ".zabrelo-tmp";
        file_ = std::fopen(tempPath_.c_str(), "wb");
        if (!file_) {
            tempPath_.clear();
            Fail("cannot write");
        }
#else
        struct stat target {};
        if (stat(path_.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) {
            // A device or a pipe: it cannot be replaced, only written to.
            file_ = std::fopen(path_.c_str(), "wb");
            if (!file_) Fail("cannot write");
            std::setvbuf(file_, nullptr, _IOFBF, kBufferSize);
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
    std::setvbuf(file_, nullptr, _IOFBF, kBufferSize);
}

void Output::Write(const char* data, std::size_t size) {
    if (size != 0 && std::fwrite(data, 1, size, file_) != size) Fail("write error on");
}

void Output::Commit() {
    if (std::fflush(file_) != 0 || std::ferror(file_)) Fail("write error on");
    if (tempPath_.empty()) {
        if (file_ != stdout) {
            const int closed = std::fclose(file_);
            file_ = nullptr;
            if (closed != 0) Fail("write error on");
        }
        return;
    }
#ifndef _WIN32
    if (fsync(fileno(file_)) != 0 && errno != EINVAL) Fail("write error on");
#endif
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (closed != 0) Fail("write error on");
#ifdef _WIN32
    if (!MoveFileExA(tempPath_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING)) Fail("cannot replace");
#else
    if (std::rename(tempPath_.c_str(), path_.c_str()) != 0) Fail("cannot replace");
#endif
    tempPath_.clear();
}

}  // namespace zabrelo_tool
