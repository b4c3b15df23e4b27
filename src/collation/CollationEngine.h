// CollationEngine: the weight table for U+0600..U+06F9 read from a data
// file, and the walk that turns a prepared string into weight triples, from
// which keys are built and strings compared. Holds the walk state, so one
// engine serves one call at a time; separate engines share nothing.
// Loading lives in CollationEngine.cpp, the walk and keys in
// CollationEngineWalk.cpp. Tested by tests/collation/.
#ifndef ZABRELO_COLLATIONENGINE_H
#define ZABRELO_COLLATIONENGINE_H

#include <cstdint>
#include <string>
#include <vector>

#include "collation/CollationEntry.h"
#include "collation/LoadObserver.h"

namespace zabrelo {

class CollationEngine {
public:
    static constexpr std::int32_t kRangeFirst = 0x0600;
    static constexpr std::int32_t kRangeLimit = 0x06FA;  // half-open: U+06FA is outside
    static constexpr int kRangeSize = kRangeLimit - kRangeFirst;
    static constexpr std::int32_t kSpecialCodePoint = 0x200C;  // ZERO WIDTH NON-JOINER
    static constexpr int kMaxLevel = 3;

    CollationEngine();

    // --- The table (CollationEngine.cpp) ---

    /// Resets the table (the special entry excepted) and loads `path`.
    /// False when the file has no header or a line lacks its weight field;
    /// an IOException from opening the file passes through. An `observer`
    /// hears, line by line, what the load made of the file; the table comes
    /// out the same with or without one.
    bool Initialize(const char* path, LoadObserver* observer = nullptr);
    /// Reads the data file into the (reset) table.
    bool LoadTable(const char* path, LoadObserver* observer = nullptr);

    /// Value of a hex field; only upper-case digits count, every other byte
    /// still takes a place. Fields of nine bytes or more are worth 0.
    static std::int32_t ParseHex(const std::string& field);
    /// One code point, or two packed as (first << 16) | second.
    static std::int32_t ParseCodePointField(const std::string& field);
    /// Fills `count` weights from comma-separated runs after the first byte.
    static void ParseWeightField(const std::string& field, std::int32_t* weights, int count);

    // --- The walk and keys (CollationEngineWalk.cpp) ---

    /// Rewrites the hamza-bearing letters into the prepared string and
    /// starts a walk over it.
    void PrepareInput(const std::u16string& input);
    /// Writes the next element's weights (the first `levels` of them, or all
    /// three for spaces, ignorables and the end) and returns false; returns
    /// true with zero weights once the walk has passed the end.
    bool NextElement(std::int32_t* weights, int levels);

    /// The key of `text`: level strings 1..level joined without separators,
    /// one byte (the low 8 bits) per non-zero weight. Level <= 0 gives "",
    /// a level above 3 is taken as 3.
    std::string BuildKey(const std::u16string& text, int level);
    /// -1, 0 or 1 by the keys' unsigned byte order; equal keys give -1 when
    /// `first` has fewer units than `second`, else 0. Stops at the first
    /// differing key byte instead of building both keys.
    int CompareStrings(const std::u16string& first, const std::u16string& second, int level);

    // --- Read-only views of the table, for tests and table checks ---

    /// Slot count the last header announced.
    std::int32_t AnnouncedSlots() const { return slotCount_; }
    /// Slots actually handed out by the last load.
    int HandedOutSlots() const { return handedOut_; }
    /// The entries of `codePoint`'s slot, or null when it has none.
    const EntryList* EntriesOf(std::int32_t codePoint) const;
    /// Whether `codePoint` ends at least one contraction.
    bool IsFollower(std::int32_t codePoint) const;
    /// Whether a data file has defined U+200C, and its weights.
    bool HasSpecial() const { return specialCodePoint_ == kSpecialCodePoint; }
    const std::int32_t* SpecialWeights() const { return specialWeights_; }

private:
    struct KeyStream;

    void ResetTable();
    int NewSlot(int offset);
    const std::int32_t* Element(const char16_t* text, int length, int& cursor) const;
    int NextKeyByte(KeyStream& stream) const;
    static void Prepare(const std::u16string& input, std::u16string& out);

    // Holds no value a 16-bit unit can equal until a data file defines U+200C.
    std::int32_t specialCodePoint_;
    std::int32_t specialWeights_[3];
    std::int32_t cursor_;
    std::int32_t length_;
    std::int32_t slotCount_;
    int handedOut_;
    std::u16string prepared_;
    unsigned char followerFlags_[kRangeSize];
    std::vector<EntryList> entryLists_;
    std::int32_t slotIndex_[kRangeSize];

    // Buffers reused by every call, so a key or comparison allocates nothing
    // per element: the second prepared string of a comparison and the level
    // strings of a key.
    std::u16string preparedOther_;
    std::string levelBytes_[kMaxLevel];
};

}  // namespace zabrelo

#endif  // ZABRELO_COLLATIONENGINE_H
