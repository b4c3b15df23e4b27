// FileReader core: opening (with the FF FE test of kUnicodeMode) and the
// matching existence test, closing, the end-of-file query and the delimited
// 8-bit read the table loader uses. The other reads are in FileReaderUnicode.cpp
// (UTF-16 text), FileReaderBuffers.cpp (caller buffers) and
// FileReaderPosition.cpp (moving and size).
#include "zabrelo/FileReader.h"

#include <filesystem>
#include <system_error>

#include "fileio/FileErrors.h"
#include "fileio/StreamSteps.h"

using zabrelo::kEndOfFile;
using zabrelo::kInvalidFileName;
using zabrelo::kNotAscii;
using zabrelo::kNotUnicodeBased;
using zabrelo::kOpenError;
using zabrelo::kReadError;

namespace {

// A directory opens as a stream on some systems and then reads as an empty
// file; it cannot be a data file, so it fails like any file that cannot be opened.
bool IsDirectory(const char* path) {
    std::error_code error;
    return std::filesystem::is_directory(std::filesystem::path(path), error);
}

}  // namespace

FileReader::FileReader() : open_(false), mode_(kAsciiMode) {}

FileReader::~FileReader() { Close(); }

bool FileReader::Open(const char* path, int mode) {
    if (path == nullptr || path[0] == '\0') {
        ZABRELO_RAISE_IO(kOpenError, kInvalidFileName);
    }
    Close();

    // Binary: every byte reaches the reads as stored, CR LF included.
    stream_.open(path, std::ios::in | std::ios::binary);
    if (!stream_.is_open() || stream_.fail() || IsDirectory(path)) {
        stream_.close();
        stream_.clear();
        open_ = false;
        ZABRELO_RAISE_IO(kOpenError, zabrelo::CouldNotOpen(path));
    }
    mode_ = mode;

    if (mode_ == kUnicodeMode) {
        // Bytes the file lacks leave their half of the mark 0.
        unsigned mark = 0;
        char bytes[2] = {0, 0};
        stream_.read(bytes, 2);
        const std::streamsize got = stream_.gcount();
        if (got > 0) mark |= static_cast<unsigned char>(bytes[0]);
        if (got > 1) mark |= static_cast<unsigned>(static_cast<unsigned char>(bytes[1])) << 8;
        if (mark != 0xFEFF) {
            stream_.close();
            stream_.clear();
            open_ = false;
            ZABRELO_RAISE_IO(kOpenError, kNotUnicodeBased);
        }
    }
    open_ = true;
    return true;  // the only answer: every failure above raised
}

bool FileReader::FileExists(const char* path) {
    if (path == nullptr || path[0] == '\0') return false;
    // Same test as Open, so that true means Open will not fail to open it.
    std::ifstream probe(path, std::ios::in | std::ios::binary);
    const bool opened = probe.is_open() && !probe.fail() && !IsDirectory(path);
    probe.close();
    return opened;
}

void FileReader::Close() {
    if (!open_) return;
    stream_.close();
    stream_.clear();  // whatever the close reported, the reader starts clean
    open_ = false;
}

bool FileReader::IsEOF() { return open_ && stream_.eof(); }

bool FileReader::ReadUntil(std::string& out, int maxCount, char delimiter) {
    if (!open_) return false;
    if (stream_.eof()) ZABRELO_RAISE_IO(kReadError, kEndOfFile);
    if (mode_ != kAsciiMode) ZABRELO_RAISE_IO(kReadError, kNotAscii);

    return zabrelo::ReadDelimited(out, maxCount, static_cast<unsigned char>(delimiter),
                                  [this] { return zabrelo::NextByte(stream_); });
}
