// FileReader's UTF-16 text reads in kUnicodeMode: delimited and counted, into
// wide strings. Nothing in the library calls them.
#include <string>
#include <utility>

#include "fileio/FileErrors.h"
#include "fileio/StreamSteps.h"
#include "zabrelo/FileReader.h"

using zabrelo::kEndOfFile;
using zabrelo::kNotUnicode;
using zabrelo::kNotUnicodeDelimited;
using zabrelo::kReadError;

namespace {

constexpr long kNoDelimiter = -1;  // no 16-bit unit equals it

bool ReadUnitsInto(std::ifstream& stream, std::u16string& out, int maxCount, long delimiter) {
    return zabrelo::ReadDelimited(out, maxCount, delimiter, [&stream] { return zabrelo::NextUnit(stream); });
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
