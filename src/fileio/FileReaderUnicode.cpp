// FileReader's remaining reads: UTF-16 text in mode 0 (delimited and counted),
// reads into caller buffers in any mode, positioning by bytes and by units,
// and the size of the open file. Nothing in the library calls these.
#include <limits>

#include "fileio/FileErrors.h"
#include "fileio/StreamSteps.h"
#include "zabrelo/FileReader.h"

using zabrelo::kAsciiMode;
using zabrelo::kReadError;
using zabrelo::kUnicodeMode;

namespace {

constexpr std::streamoff kMarkSize = 2;  // FF FE, not part of the text

// Clients match on these texts: keep them byte for byte, spelling included.
// The delimited read says UNICODE in capitals; the other Unicode reads do not.
constexpr char kEndOfFile[] = "End of file encountered.";
constexpr char kNoBuffer[] = "Null buffer or zero size specified.";
constexpr char kNotAscii[] = "File not openned as ASCII initially.";
constexpr char kNotUnicode[] = "File not openned as Unicode initially.";
constexpr char kNotUnicodeDelimited[] = "File not openned as UNICODE initially.";

void RequireBuffer(const void* buffer, int size) {
    if (buffer == nullptr || size <= 0) ZABRELO_RAISE_IO(kReadError, kNoBuffer);
}

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

constexpr long kNoDelimiter = -1;  // no 16-bit unit equals it

// Reads up to `maxCount` units, stopping at `delimiter` (consumed, not
// stored); `out` changes only when at least one unit was stored.
bool ReadUnitsInto(std::ifstream& stream, std::u16string& out, int maxCount, long delimiter) {
    std::u16string units;
    for (int count = 0; count < maxCount; ++count) {
        const long unit = zabrelo::NextUnit(stream);
        if (unit < 0 || unit == delimiter) break;
        units.push_back(static_cast<char16_t>(unit));
    }
    if (units.empty()) return false;
    out = std::move(units);
    return true;
}

}  // namespace

bool FileReader::ReadUnicodeUntil(std::u16string& out, int maxCount, char16_t delimiter) {
    if (!open_) return false;
    if (stream_.eof()) ZABRELO_RAISE_IO(kReadError, kEndOfFile);
    if (mode_ != kUnicodeMode) ZABRELO_RAISE_IO(kReadError, kNotUnicodeDelimited);

    return ReadUnitsInto(stream_, out, maxCount, delimiter);
}

bool FileReader::ReadUnicode(std::u16string& out, int count) {
    if (!open_) return false;
    if (stream_.eof()) ZABRELO_RAISE_IO(kReadError, kEndOfFile);
    if (mode_ != kUnicodeMode) ZABRELO_RAISE_IO(kReadError, kNotUnicode);

    return ReadUnitsInto(stream_, out, count, kNoDelimiter);  // 0x0000 is text here
}

bool FileReader::ReadBytes(unsigned char* buffer, int size) {
    RequireBuffer(buffer, size);  // before the open test: a closed reader raises too
    if (!open_) return false;
    if (stream_.eof()) ZABRELO_RAISE_IO(kReadError, kEndOfFile);
    return zabrelo::NextBytes(stream_, buffer, size) > 0;
}

bool FileReader::ReadUnits(char16_t* buffer, int count) {
    RequireBuffer(buffer, count);
    if (!open_) return false;
    if (stream_.eof()) ZABRELO_RAISE_IO(kReadError, kEndOfFile);

    // Callers that ignore the result still find 0 when nothing arrived.
    buffer[0] = 0;
    int stored = 0;
    while (stored < count) {
        const long unit = zabrelo::NextUnit(stream_);
        if (unit < 0) break;
        buffer[stored++] = static_cast<char16_t>(unit);
    }
    return stored > 0;
}

bool FileReader::ReadAt(unsigned char* buffer, int position, int size) {
    RequireBuffer(buffer, size);
    if (!open_) return false;
    // Tested before moving: a reader at the end of the file raises even
    // though this read would start elsewhere.
    if (stream_.eof()) ZABRELO_RAISE_IO(kReadError, kEndOfFile);

    stream_.clear();
    if (!Seek(position)) return false;  // a negative position reads nothing
    return zabrelo::NextBytes(stream_, buffer, size) > 0;
}

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
