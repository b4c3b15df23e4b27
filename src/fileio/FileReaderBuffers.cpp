// FileReader's reads into caller buffers: bytes or 16-bit units, in any
// mode, at the current position or at a given one. Nothing in the library
// calls them.
#include "fileio/FileErrors.h"
#include "fileio/StreamSteps.h"
#include "zabrelo/FileReader.h"

using zabrelo::kEndOfFile;
using zabrelo::kNoBuffer;
using zabrelo::kReadError;

namespace {

// Tested before whether the reader is open, so a bad buffer raises on a
// closed reader too. Each read raises at its own line, not in here, so that
// the report names the read.
bool IsUsableBuffer(const void* buffer, int size) { return buffer != nullptr && size > 0; }

}  // namespace

bool FileReader::ReadBytes(unsigned char* buffer, int size) {
    if (!IsUsableBuffer(buffer, size)) ZABRELO_RAISE_IO(kReadError, kNoBuffer);
    if (!open_) return false;
    if (stream_.eof()) ZABRELO_RAISE_IO(kReadError, kEndOfFile);
    return zabrelo::NextBytes(stream_, buffer, size) > 0;
}

bool FileReader::ReadUnits(char16_t* buffer, int count) {
    if (!IsUsableBuffer(buffer, count)) ZABRELO_RAISE_IO(kReadError, kNoBuffer);
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
    if (!IsUsableBuffer(buffer, size)) ZABRELO_RAISE_IO(kReadError, kNoBuffer);
    if (!open_) return false;
    // Tested before moving: a reader at the end of the file raises even
    // though this read would start elsewhere.
    if (stream_.eof()) ZABRELO_RAISE_IO(kReadError, kEndOfFile);

    stream_.clear();
    if (!Seek(position)) return false;  // a negative position reads nothing
    return zabrelo::NextBytes(stream_, buffer, size) > 0;
}
