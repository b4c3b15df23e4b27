// Platform, the scratch half: files that hold sorted runs for as long as a
// sort needs them, and the signals that must not leave the output's
// temporary file behind. Scratch files have no name the system keeps, so
// only named temporary files (Output's) need the signal handler; it does
// nothing a signal handler may not: it unlinks names written beforehand
// into fixed buffers, then lets the signal take its default course.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Platform.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace zabrelo_tool {

namespace {

// Names to remove when a signal ends the process. A slot's name is written
// before it goes live and slots are never reused, so the handler, on
// whichever thread, never reads a name being written. A run names one file
// (the output's temporary file), so a few slots are plenty.
constexpr int kSlots = 4;
constexpr std::size_t kPathRoom = 4096;
char gNames[kSlots][kPathRoom];
std::atomic<bool> gLive[kSlots];
static_assert(ATOMIC_BOOL_LOCK_FREE == 2, "the signal handler reads the slots");

}  // namespace

int RemoveOnSignal(const std::string& path) {
    if (path.size() >= kPathRoom) return -1;
    static std::atomic<int> next{0};
    const int slot = next++;
    if (slot >= kSlots) return -1;
    std::memcpy(gNames[slot], path.c_str(), path.size() + 1);
    gLive[slot].store(true);
    return slot;
}

void KeepOnSignal(int handle) {
    if (handle >= 0 && handle < kSlots) gLive[handle].store(false);
}

#ifdef _WIN32

namespace {

BOOL WINAPI RemoveOnConsoleEvent(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        // The file was created with FILE_SHARE_DELETE, so it goes even while
        // the main thread still has it open.
        for (int slot = 0; slot < kSlots; ++slot) {
            if (gLive[slot].load()) DeleteFileW(WidePath(gNames[slot]).c_str());
        }
    }
    return FALSE;  // and on to the default handler, which ends the process
}

}  // namespace

void InstallSignalCleanup() { SetConsoleCtrlHandler(RemoveOnConsoleEvent, TRUE); }

bool ReaderGone() {
    // The runtime turns the system's "no process is on the other end" into
    // EINVAL (or EPIPE), and keeps no reliable GetLastError: a failed write
    // to a pipe with one of those is taken for the reader gone.
    if (errno != EINVAL && errno != EPIPE) return false;
    return GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout)))) == FILE_TYPE_PIPE;
}

void EndForGoneReader() {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (gLive[slot].load()) DeleteFileW(WidePath(gNames[slot]).c_str());
    }
    _exit(128 + 13);
}

SignalsDeferred::SignalsDeferred() : saved_{} {}
SignalsDeferred::~SignalsDeferred() = default;

std::string TemporaryDirectory() {
    std::wstring folder(MAX_PATH + 1, L'\0');
    const DWORD n = GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    if (n == 0 || n > folder.size()) return ".";
    folder.resize(n);
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    return NarrowPath(folder);
}

int CreateScratchFile(const std::string& dir, std::string& reason) {
    static std::atomic<unsigned> counter{0};
    const std::string base = dir + "\\zabrelo-" + std::to_string(GetCurrentProcessId()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = base + std::to_string(counter++);
        // _O_TEMPORARY: deleted when closed, by the system if need be.
        const int fd = _wopen(WidePath(path).c_str(),
                              _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY | _O_TEMPORARY | _O_SHORT_LIVED,
                              _S_IREAD | _S_IWRITE);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    reason = LastSystemError();
    return -1;
}

namespace {

// A gigabyte at the most per call: the counts are 32-bit.
unsigned Piece(std::size_t size) { return static_cast<unsigned>(size < (1u << 30) ? size : (1u << 30)); }

}  // namespace

long long WriteSome(int fd, const char* data, std::size_t size) { return _write(fd, data, Piece(size)); }

long long ReadSome(int fd, char* data, std::size_t size) { return _read(fd, data, Piece(size)); }

bool Rewind(int fd) { return _lseeki64(fd, 0, SEEK_SET) == 0; }

// The C runtime has no read by position: callers read in order instead.
long long Position(int) { return -1; }

bool SetPosition(int fd, long long position) { return _lseeki64(fd, position, SEEK_SET) == position; }

long long ReadSomeAt(int, char*, std::size_t, long long) {
    errno = ENOSYS;
    return -1;
}

std::size_t FilesLeft() { return static_cast<std::size_t>(_getmaxstdio()); }

#else

namespace {

constexpr int kSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM};

sigset_t CleanupSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kSignals) sigaddset(&set, signal);
    return set;
}

extern "C" void RemoveAndEnd(int signal) {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (gLive[slot].load()) unlink(gNames[slot]);
    }
    // The signal is blocked while its handler runs: raised again with its
    // default action, it ends the process as soon as the handler returns.
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    raise(signal);
}

}  // namespace

bool ReaderGone() { return false; }

void EndForGoneReader() {
    RemoveAndEnd(SIGPIPE);
    _exit(128 + SIGPIPE);
}

void InstallSignalCleanup() {
    struct sigaction action {};
    action.sa_handler = RemoveAndEnd;
    action.sa_mask = CleanupSignals();  // one cleanup at a time
    for (const int signal : kSignals) {
        struct sigaction old {};
        // A signal the parent ignores stays ignored, as a shell's `nohup` or
        // `trap '' PIPE` asks.
        if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) sigaction(signal, &action, nullptr);
    }
}

SignalsDeferred::SignalsDeferred() : saved_{} {
    static_assert(sizeof(sigset_t) <= sizeof saved_, "room for the saved mask");
    const sigset_t set = CleanupSignals();
    pthread_sigmask(SIG_BLOCK, &set, reinterpret_cast<sigset_t*>(saved_));
}

SignalsDeferred::~SignalsDeferred() { pthread_sigmask(SIG_SETMASK, reinterpret_cast<sigset_t*>(saved_), nullptr); }

std::string TemporaryDirectory() {
    const char* folder = std::getenv("TMPDIR");
    return folder && *folder ? folder : "/tmp";
}

int CreateScratchFile(const std::string& dir, std::string& reason) {
    std::string pattern = dir + "/zabrelo-XXXXXX";
    // A signal between creating and unlinking would leave the name behind.
    const SignalsDeferred deferred;
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);  // created new, mode 0600
    if (fd < 0) {
        reason = LastSystemError();
        return -1;
    }
    unlink(pattern.c_str());
    return fd;
}

long long WriteSome(int fd, const char* data, std::size_t size) {
    for (;;) {
        const ssize_t n = write(fd, data, size);
        if (n >= 0 || errno != EINTR) return n;
    }
}

long long ReadSome(int fd, char* data, std::size_t size) {
    for (;;) {
        const ssize_t n = read(fd, data, size);
        if (n >= 0 || errno != EINTR) return n;
    }
}

bool Rewind(int fd) { return lseek(fd, 0, SEEK_SET) == 0; }

long long Position(int fd) { return lseek(fd, 0, SEEK_CUR); }

bool SetPosition(int fd, long long position) { return lseek(fd, position, SEEK_SET) == position; }

long long ReadSomeAt(int fd, char* data, std::size_t size, long long position) {
    for (;;) {
        const ssize_t n = pread(fd, data, size, position);
        if (n >= 0 || errno != EINTR) return n;
    }
}

std::size_t FilesLeft() {
    struct rlimit limit {};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 1 << 20;
    const auto most = static_cast<std::size_t>(limit.rlim_cur);
    std::size_t open = 0;
#ifdef __linux__
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (const dirent* entry = readdir(dir)) open += entry->d_name[0] != '.';
        closedir(dir);
        return most > open - 1 ? most - (open - 1) : 0;  // the listing's own descriptor is gone again
    }
#endif
    // Asking each descriptor in turn; past a few thousand, the limit is no concern.
    const int probed = static_cast<int>(std::min<std::size_t>(most, 4096));
    for (int fd = 0; fd < probed; ++fd) open += fcntl(fd, F_GETFD) != -1;
    return most > open ? most - open : 0;
}

#endif

bool WriteFully(int fd, const char* data, std::size_t size, std::string& reason) {
    while (size > 0) {
        const long long written = WriteSome(fd, data, size);
        if (written <= 0) {
            if (written == 0) errno = ENOSPC;  // a write that takes nothing: no room left
            reason = LastSystemError();
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace zabrelo_tool
