// MemoryReader: bytes already in memory read exactly as FileReader reads a
// file opened in kAsciiMode, for the two reads the table loader makes
// (ReadUntil and IsEOF). The table format is defined by that sequence of
// reads, so a table loaded from memory and one loaded from a file holding
// the same bytes come out the same. Tested by tests/fileio/MemoryReaderTest.cpp,
// against FileReader on the same bytes.
#ifndef ZABRELO_FILEIO_MEMORYREADER_H
#define ZABRELO_FILEIO_MEMORYREADER_H

#include <cstddef>
#include <string>

namespace zabrelo {

class MemoryReader {
public:
    /// Reads the `size` bytes at `bytes`, which must outlive the reader.
    MemoryReader(const char* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

    /// True once a read has run into the end of the bytes (not merely reached it).
    bool IsEOF() const { return eof_; }

    /// Reads up to `maxCount` bytes, stopping at (and consuming) `delimiter`.
    /// False when no byte was stored; `out` then keeps what it held. Raises
    /// IOException "End of file encountered." (code 17) once at the end.
    bool ReadUntil(std::string& out, int maxCount, char delimiter);

private:
    const char* bytes_;
    std::size_t size_;
    std::size_t position_ = 0;
    bool eof_ = false;
};

}  // namespace zabrelo

#endif  // ZABRELO_FILEIO_MEMORYREADER_H
