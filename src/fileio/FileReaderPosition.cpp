// FileReader's positioning: moving to a byte position, stepping back by
// bytes or by units, and the size of the open file. Nothing in the library
// calls them.
#include <limits>

#include "fileio/FileErrors.h"
#include "zabrelo/FileReader.h"

using zabrelo::kNotAscii;
using zabrelo::kNotUnicode;
using zabrelo::kReadError;

namespace {

constexpr std::streamoff kMarkSize = 2;  // FF FE, not part of the text

// Moves `bytes` back (forward when negative) and leaves the end of the file,
// so the bytes stepped over are read again. A move to before the start of
// the file is refused: position and end-of-file state stay as they were.
bool MoveBack(std::ifstream& stream, std::streamoff bytes) {
    const std::ios::iostate saved = stream.rdstate();
    stream.clear();  // a stream at the end of the file reports no position
    const std::streamoff here = stream.tellg();
    if (here < 0 || bytes > here) {
        stream.setstate(saved);
        return false;
    }
    stream.seekg(here - bytes);
    if (stream.fail()) {
        stream.clear();
        stream.seekg(here);
        stream.setstate(saved);
        return false;
    }
    return true;
}

}  // namespace

bool FileReader::Seek(int position) {
    if (!open_) return false;
    // A stream at the end of the file or after a failure ignores moves; say
    // so rather than report a move that did not happen. ReadAt clears first.
    if (stream_.rdstate() != std::ios::goodbit) return false;
    if (mode_ != kUnicodeMode && mode_ != kAsciiMode) return true;  // no positions: stays put
    if (position < 0) return false;

    const std::streamoff target = mode_ == kUnicodeMode ? position + kMarkSize : position;
    stream_.seekg(target);
    if (stream_.fail()) {
        stream_.clear();  // the move was refused; the reader stays usable
        return false;
    }
    return true;
}

bool FileReader::StepBack(int count) {
    if (!open_) return false;
    if (mode_ != kAsciiMode) ZABRELO_RAISE_IO(kReadError, kNotAscii);
    return MoveBack(stream_, count);
}

bool FileReader::StepBackUnicode(int count) {
    if (!open_) return false;
    if (mode_ != kUnicodeMode) ZABRELO_RAISE_IO(kReadError, kNotUnicode);
    return MoveBack(stream_, 2 * static_cast<std::streamoff>(count));
}

int FileReader::GetSize() {
    if (!open_) return 0;
    // A stream at the end of the file answers no position queries. Callers
    // test for this -1, so it stays rather than clearing the state here.
    if (stream_.rdstate() != std::ios::goodbit) return -1;

    const std::streamoff here = stream_.tellg();
    if (here < 0) return -1;
    stream_.seekg(0, std::ios::end);
    const std::streamoff size = stream_.tellg();
    stream_.clear();
    stream_.seekg(here);
    // A size that does not fit the result is reported like an unknown one.
    if (size < 0 || size > std::numeric_limits<int>::max()) return -1;
    return static_cast<int>(size);
}
