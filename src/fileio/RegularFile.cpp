// RegularFile: open without blocking (a FIFO with no writer would hold an
// ordinary open for ever), ask the open descriptor what it is, so nothing
// can swap the file between the test and the read, then read it in blocks.
#include "fileio/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zabrelo {

namespace {

#ifdef _WIN32
constexpr int kOpenFlags = O_RDONLY | O_BINARY;  // nothing there blocks on open
int ReadSome(int fd, char* buffer, std::size_t size) { return _read(fd, buffer, static_cast<unsigned>(size)); }
int CloseFile(int fd) { return _close(fd); }
#else
constexpr int kOpenFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC;
long ReadSome(int fd, char* buffer, std::size_t size) { return static_cast<long>(read(fd, buffer, size)); }
int CloseFile(int fd) { return close(fd); }
#endif

constexpr std::size_t kBlock = 1 << 16;

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) CloseFile(fd_);
    }
    int Get() const { return fd_; }

private:
    int fd_;
};

FileBytes Refused(FileRead outcome, int error) {
    FileBytes result;
    result.outcome = outcome;
    result.error = error;
    return result;
}

// The strerror_r of the C library is either the GNU one, which returns the
// text, or the POSIX one, which fills the buffer; overloading on its result
// serves both.
#ifndef _WIN32
[[maybe_unused]] const char* ErrorText(const char* text, const char*) { return text; }
[[maybe_unused]] const char* ErrorText(int, const char* buffer) { return buffer; }
#endif

}  // namespace

FileBytes ReadRegularFile(const char* path, std::size_t limit) {
    const Descriptor file(open(path, kOpenFlags));
    if (file.Get() < 0) return Refused(FileRead::kCannotOpen, errno);
    struct stat status {};
    if (fstat(file.Get(), &status) != 0) return Refused(FileRead::kCannotOpen, errno);
    if ((status.st_mode & S_IFMT) == S_IFDIR) return Refused(FileRead::kNotRegular, EISDIR);
    if ((status.st_mode & S_IFMT) != S_IFREG) return Refused(FileRead::kNotRegular, 0);

    FileBytes result;
    // The size is only a hint: /proc files say 0, and a file may grow while read.
    if (status.st_size > 0) result.bytes.reserve(std::min(static_cast<std::size_t>(status.st_size), limit) + 1);
    for (;;) {
        const std::size_t used = result.bytes.size();
        if (used > limit) return Refused(FileRead::kTooLarge, 0);
        result.bytes.resize(used + kBlock);
        const auto got = ReadSome(file.Get(), &result.bytes[used], kBlock);
        if (got < 0) {
            if (errno == EINTR) {
                result.bytes.resize(used);
                continue;
            }
            return Refused(FileRead::kCannotOpen, errno);
        }
        result.bytes.resize(used + static_cast<std::size_t>(got));
        if (got == 0) break;
    }
    if (result.bytes.size() > limit) return Refused(FileRead::kTooLarge, 0);
    result.outcome = FileRead::kRead;
    return result;
}

std::string SystemErrorText(int error) {
#ifdef _WIN32
    return std::strerror(error);  // the C runtime keeps its text per thread
#else
    char buffer[256] = "";
    return ErrorText(strerror_r(error, buffer, sizeof buffer), buffer);
#endif
}

}  // namespace zabrelo
