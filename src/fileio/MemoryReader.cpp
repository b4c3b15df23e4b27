// MemoryReader: the delimited read, with the same end-of-file steps as the
// file stream's: the end is noticed only by a read that tries to go past it.
#include "fileio/MemoryReader.h"

#include "fileio/FileErrors.h"
#include "fileio/StreamSteps.h"

namespace zabrelo {

bool MemoryReader::ReadUntil(std::string& out, int maxCount, char delimiter) {
    if (eof_) ZABRELO_RAISE_IO(kReadError, kEndOfFile);
    return ReadDelimited(out, maxCount, static_cast<unsigned char>(delimiter), [this]() -> long {
        if (position_ == size_) {
            eof_ = true;
            return -1;
        }
        return static_cast<unsigned char>(bytes_[position_++]);
    });
}

}  // namespace zabrelo
