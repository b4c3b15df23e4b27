// FileErrors: the file layer's error codes, every message it raises, and the
// one way it raises. Each raise records the source file and line of the
// operation that raised, so a report tells which operation failed.
#ifndef ZABRELO_FILEERRORS_H
#define ZABRELO_FILEERRORS_H

#include <string>

#include "zabrelo/VantorException.h"

namespace zabrelo {

constexpr int kOpenError = 16;  // every failure of Open
constexpr int kReadError = 17;  // every failure of reading or positioning

// Clients match on these texts: keep them byte for byte, spelling included.
// The delimited UTF-16 read says UNICODE in capitals; the other Unicode reads do not.
constexpr char kInvalidFileName[] = "Invalid file name specified.";
constexpr char kNotUnicodeBased[] = "File is not Unicode based.";
constexpr char kEndOfFile[] = "End of file encountered.";
constexpr char kNotAscii[] = "File not openned as ASCII initially.";
constexpr char kNotUnicode[] = "File not openned as Unicode initially.";
constexpr char kNotUnicodeDelimited[] = "File not openned as UNICODE initially.";
constexpr char kNoBuffer[] = "Null buffer or zero size specified.";
/// The path exactly as the caller gave it, so the report names what was asked for.
inline std::string CouldNotOpen(const char* path) {
    return std::string("Could not open file: ") + path + ".";
}

}  // namespace zabrelo

// Use it in the operation itself, never in a helper shared by several
// operations: the report's file and line are where this macro stands.
#define ZABRELO_RAISE_IO(code, message) throw IOException(__FILE__, __LINE__, (code), (message))

#endif  // ZABRELO_FILEERRORS_H
