// Platform: the few operating-system questions the tool asks, kept in one
// place: its command line, how files and standard streams are opened, where
// its own executable lives, the terminal, the cores, the memory, the last
// error, scratch files and the signals that end a run.
// Everything above this layer holds text and file names as UTF-8.
#ifndef ZABRELO_TOOL_PLATFORM_H
#define ZABRELO_TOOL_PLATFORM_H

#include <cstdint>
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
/// OpenFile(path, "rb"), except that a directory fails with EISDIR on every
/// system (POSIX would open it and fail only on the first read).
std::FILE* OpenForReading(const std::string& path);
/// The descriptor of a stream, for reads that take what a pipe has now
/// (ReadSome) where fread would wait for all it asked.
int DescriptorOf(std::FILE* file);
/// The size of the regular file open as `file`, or -1 for anything else
/// (a pipe, a terminal, a device).
long long RegularFileSize(std::FILE* file);
/// The form of `path` the library's 8-bit file API can open: on Windows the
/// ANSI code page's spelling, or the short (8.3) name when the ANSI code
/// page cannot spell it; elsewhere `path` itself.
std::string LibraryPath(const std::string& path);

/// Directory of the running executable (UTF-8), or "" when it cannot be found.
std::string ExecutableDir();
bool StderrIsTerminal();
bool StdoutIsTerminal();
/// Whether the terminal on standard error understands "\r" and the escape
/// that clears a line: not with TERM=dumb (on POSIX, nor without TERM); on
/// Windows only once the console has agreed to take such escapes.
bool StderrTakesEscapes();
/// The environment variable `name` as UTF-8; "" when it is not set.
std::string EnvironmentValue(const char* name);
/// Number of hardware threads, at least 1.
int CoreCount();
/// Asks the system to back the large buffer [data, data + bytes) with huge
/// pages where it can (Linux's transparent huge pages): a million lines'
/// buffers then take a few hundred page faults instead of tens of
/// thousands. A hint, before the buffer is first touched; small buffers
/// and other systems are left as they are.
void PreferHugePages(void* data, std::size_t bytes);
/// strerror(errno), for messages.
std::string LastSystemError();
/// The physical memory, and the part of it that is free now, in bytes; 0
/// when the system does not say.
std::uint64_t PhysicalMemory();
std::uint64_t FreeMemory();

// --- Scratch files and signals (PlatformTemp.cpp) ---

/// $TMPDIR, else /tmp; on Windows the user's temporary folder.
std::string TemporaryDirectory();
/// Creates a file in `dir` that exists only while it is open: on POSIX its
/// name is removed at once, on Windows the system deletes it on closing, so
/// it never outlives the process, however that ends. Open for reading and
/// writing. A descriptor, or -1 with the system's reason.
int CreateScratchFile(const std::string& dir, std::string& reason);
/// Writes all `size` bytes at the file's position (a full disk fails).
bool WriteFully(int fd, const char* data, std::size_t size, std::string& reason);
/// Writes up to `size` bytes: how many, -1 on an error (errno).
long long WriteSome(int fd, const char* data, std::size_t size);
/// Reads up to `size` bytes: how many, 0 at the end, -1 on an error (errno).
long long ReadSome(int fd, char* data, std::size_t size);
/// Moves back to the start of the file.
bool Rewind(int fd);
/// The file's position, -1 when it has none (a pipe) or the system cannot
/// read by position (ReadSomeAt); SetPosition moves it.
long long Position(int fd);
bool SetPosition(int fd, long long position);
/// Reads up to `size` bytes at `position`, leaving the file's position as
/// it was, so several threads may read one file at once: how many, 0 at
/// the end, -1 on an error (errno).
long long ReadSomeAt(int fd, char* data, std::size_t size, long long position);
/// How many more files the process may have open at once now: its limit
/// (getrlimit) less those open. On Windows, the C runtime's stream limit.
std::size_t FilesLeft();

/// Makes SIGHUP, SIGINT, SIGQUIT, SIGPIPE and SIGTERM (each unless the
/// parent ignored it) first remove the files named by RemoveOnSignal, then
/// end the process as they would have. So a sort whose reader has gone
/// (`zabrelo sort big | head`) ends quietly, as sort does; with SIGPIPE
/// ignored, the write fails and is reported instead. On Windows the files
/// go at Ctrl-C, Ctrl-Break and the closing of the console.
void InstallSignalCleanup();
/// Whether the write to standard output that just failed went to a pipe
/// whose reader has gone. Only Windows says so: elsewhere SIGPIPE has ended the process
/// before, unless ignored, and then the failure is reported as such.
bool ReaderGone();
/// Ends the process as SIGPIPE does elsewhere: the files named by
/// RemoveOnSignal removed, nothing printed, exit status 141 (128 + SIGPIPE,
/// what a shell shows for it).
[[noreturn]] void EndForGoneReader();
/// Names `path` for removal by such a signal. A handle for KeepOnSignal;
/// -1 when `path` cannot be taken (too long, or no room left).
int RemoveOnSignal(const std::string& path);
void KeepOnSignal(int handle);
/// Holds those signals back while it lives, for a step that must not stop
/// halfway; one that arrives meanwhile acts when it ends. No-op on Windows.
class SignalsDeferred {
public:
    SignalsDeferred();
    ~SignalsDeferred();
    SignalsDeferred(const SignalsDeferred&) = delete;
    SignalsDeferred& operator=(const SignalsDeferred&) = delete;

private:
    unsigned long saved_[32];  // the thread's signal mask before (room for a sigset_t)
};

// --- Replacing a named output file (PlatformOutput.cpp) ---
// Functions that can fail return false (or null, or -1) and say why in `reason`.

/// Whether `path` exists and is no regular file: a device or a pipe, which
/// is written to directly since it cannot be replaced (a directory then
/// fails to open with its own reason). A Windows name in the device
/// namespace (\\.\pipe\...) counts unopened: opening a pipe, even just to
/// ask, would use up a connection.
bool IsDeviceOrPipe(const std::string& path);
/// `path` with symbolic links resolved, so that a link's target is what gets
/// replaced, not the link; a link to a file not made yet gives that file's
/// name. `path` itself on Windows or when it is no link.
std::string ResolveLinks(const std::string& path);
/// Opens the existing file `path` for writing without changing it, so the
/// system itself decides (permissions, ACLs, read-only mounts) whether it
/// may be written. A descriptor, or -1 with `missing` set when there is no
/// such file.
int OpenForWriting(const std::string& path, bool& missing, std::string& reason);
void CloseDescriptor(int fd);
/// Creates a new file, for its owner's eyes only, beside `beside` (named
/// after it), or in the temporary folder when `beside` is empty; its name
/// goes to `tempPath`. Open for writing.
std::FILE* CreateTemporary(const std::string& beside, std::string& tempPath, std::string& reason);
/// Gives `temp` what a rename over the open file `targetFd` must keep: its
/// owner, group and mode; with `targetFd` -1 (no such file yet), the mode a
/// new file gets. True when a rename then changes nothing else one could
/// see: the target has no other link, and no ACL or other extended attribute.
bool TakeOverAttributes(std::FILE* temp, int targetFd);
/// Flushes `file` through to the disk.
bool SyncToDisk(std::FILE* file, std::string& reason);
/// Has the system start writing what `file` holds so far to the disk, and
/// goes on without waiting: SyncToDisk then has less left to wait for. A
/// hint, where the system takes one.
void StartWriteBack(std::FILE* file);
/// Renames `from` over `to` in one step.
bool MoveOver(const std::string& from, const std::string& to, std::string& reason);
/// Writes the whole content of the file `from` over the content of the open
/// file `fd`, which ends up exactly that long, and flushes it to the disk.
/// Where it can, reserves the space first, so a full disk stops it before
/// anything is overwritten.
bool WriteInPlace(const std::string& from, int fd, std::string& reason);
void RemoveFile(const std::string& path);
/// A new file in the folder of `beside`, for its owner's eyes only, with
/// no name at all: a run killed outright (SIGKILL, a power cut) leaves
/// nothing behind. `handle` is a path that reaches it while it stays open
/// (to read it back, or to name it). Linux only, where the file system
/// allows it; null elsewhere, and whenever it fails: a file made the named
/// way then says why, or works where this cannot.
std::FILE* CreateUnnamed(const std::string& beside, std::string& handle);
/// Gives the open unnamed file that `handle` reaches a new name of its own
/// beside `beside` (named after it), in `name`.
bool NameUnnamed(const std::string& handle, const std::string& beside, std::string& name, std::string& reason);

#ifdef _WIN32
/// UTF-16 form of a UTF-8 file name (the 3-byte surrogate form included).
std::wstring WidePath(const std::string& path);
/// UTF-8 form of a UTF-16 file name; WidePath undoes it.
std::string NarrowPath(const std::wstring& path);
/// The text of GetLastError(), for messages.
std::string LastWindowsError();
#endif

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_PLATFORM_H
