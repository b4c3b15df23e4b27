// LoadObserver: what the table loader did with each line of a data file,
// for tools that explain a table to its author (`zabrelo check`). The loader
// fills it only when given one, so a normal load pays nothing for it.
#ifndef ZABRELO_LOADOBSERVER_H
#define ZABRELO_LOADOBSERVER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zabrelo {

enum class LoadEventKind {
    kStored,              // a code point got its own weights
    kContractionStored,   // a pair was appended to its first code point's list
    kSpecialStored,       // U+200C got (or replaced) its weights
    kLineLost,            // a whole line eaten by the skip read (line before ends in "]" LF)
    kLowerCaseHex,        // a field holds a-f, which read as 0; `level` 0: code point field, 1: weights
    kOutOfRange,          // the code point (or a pair's first) is outside the table: line ignored
    kRepeated,            // the code point already had a slot: line ignored
    kFollowerOutOfRange,  // a pair whose second code point is outside the table: never matches
    kShadowed,            // an earlier entry of the list has the same second code point: never matches
    kSlotOverflow,        // a slot beyond the header's count; `detail` is the slot number
    kWideWeight,          // weight `level` (1-3) is `detail`, above 0xFF: only its low byte counts
    kMissingWeights,      // no weight field: the load stops here and fails
    kBadHeader,           // the header holds a byte that is no upper-case hex digit; `field`: its bytes
    kFieldRunsOn,         // a field read on past the end of its line (`level` 0: code point field, 1:
                          // weights): `line` has no "]" to end it, `detail` is the line where it ends,
                          // `field` the whole field; blank lines before a code point field do not count
};

struct LoadEvent {
    LoadEventKind kind;
    int line;                  // 1-based line of the data file
    std::int32_t codePoint;    // the line's code point, or a pair's first
    std::int32_t second;       // a pair's second code point, else -1
    std::int32_t detail;       // kind-specific (entry index, slot number, weight)
    int level;                 // kind-specific (weight level, field)
    std::string field;         // the code point field as read, first byte included
};

struct LoadObserver {
    /// A file can make an event of nearly every byte; a report needs far
    /// fewer, and memory should not grow with a hostile file.
    static constexpr std::size_t kMaxEvents = 100000;

    std::vector<LoadEvent> events;  // in file order: the first kMaxEvents, and always the kMissingWeights
    std::size_t dropped = 0;        // events past kMaxEvents, counted but not kept
};

}  // namespace zabrelo

#endif  // ZABRELO_LOADOBSERVER_H
