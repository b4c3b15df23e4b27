// StoppableKey: the key of a long UTF-8 text that its caller can stop part
// way, for servers that must answer a cancel or a time limit within one
// call and cannot unwind through the library to do it. Tested by
// tests/collation/StoppableKeyTest.cpp.
#ifndef ZABRELO_COLLATION_STOPPABLEKEY_H
#define ZABRELO_COLLATION_STOPPABLEKEY_H

#include <cstddef>

#include "collation/CollationTable.h"
#include "collation/StopCheck.h"

namespace zabrelo {

/// What WriteUtf8KeyStoppable returns once it stopped.
constexpr std::size_t kKeyStopped = static_cast<std::size_t>(-1);

/// Characters walked between two questions: a fraction of a millisecond.
constexpr std::size_t kStopStride = std::size_t{1} << 16;

/// WriteUtf8Key, asking `stop` after every kStopStride characters walked;
/// kKeyStopped as soon as it answers true (`out` then holds part of a key).
/// A text of at most kStopStride bytes is keyed without a question.
std::size_t WriteUtf8KeyStoppable(const CollationTable& table, const char* text, std::size_t size, int level,
                                  unsigned char* out, std::size_t capacity, const StopCheck& stop);
/// The same for a UTF-16 text (WriteKey's), asking every kStopStride units;
/// several times faster than the walk over UTF-8 bytes.
std::size_t WriteKeyStoppable(const CollationTable& table, const char16_t* text, std::size_t length, int level,
                              unsigned char* out, std::size_t capacity, const StopCheck& stop);

}  // namespace zabrelo

#endif  // ZABRELO_COLLATION_STOPPABLEKEY_H
