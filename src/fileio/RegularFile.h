// RegularFile: the whole of a regular file read into memory, refusing at
// once what is not one. A FIFO, a device such as /dev/zero or a directory
// would block the open, never end or read as nothing; a file that keeps
// growing is cut off at a limit rather than read for ever. Tested by
// tests/fileio/RegularFileTest.cpp.
#ifndef ZABRELO_FILEIO_REGULARFILE_H
#define ZABRELO_FILEIO_REGULARFILE_H

#include <cstddef>
#include <string>

namespace zabrelo {

enum class FileRead {
    kRead,        // `bytes` holds the whole file
    kCannotOpen,  // the system refused to open it; `error` says why
    kNotRegular,  // a FIFO, a device, a socket or a directory (`error` is EISDIR for one)
    kTooLarge,    // more than the limit asked for; nothing kept
};

struct FileBytes {
    FileRead outcome = FileRead::kCannotOpen;
    int error = 0;      // the errno value of a refused open or read, else 0
    std::string bytes;  // the file's bytes when kRead
};

/// Reads the file at `path` (on Windows in the ANSI code page) as it is
/// now. Never blocks on a FIFO's open and never raises but std::bad_alloc.
FileBytes ReadRegularFile(const char* path, std::size_t limit);

/// The system's text for an errno value ("No such file or directory"), safe
/// on any thread.
std::string SystemErrorText(int error);

}  // namespace zabrelo

#endif  // ZABRELO_FILEIO_REGULARFILE_H
