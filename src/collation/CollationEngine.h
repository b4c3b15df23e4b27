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
    struct Units;
    struct KeyStream;

    void ResetTable();
    int NewSlot(int offset);
    void RefreshOwnWeights();
    const std::int32_t* Element(Units& units) const;
    std::string WalkKey(const std::u16string& text, int level);
    int NextKeyByte(KeyStream& stream) const;
    void EndWalk();
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

    // Each unit's slot and its entry-0 weights side by side, refreshed after
    // every change to the table, so the walk finds a unit's own weights with
    // one load instead of three dependent ones.
    struct OwnEntry {
        std::int32_t weights[3];
        std::int32_t slot;  // -1: the unit has no slot
    };
    OwnEntry own_[kRangeSize];

    // What a key needs of each unit, also refreshed with the table: the
    // bytes a key takes from its own weights, which of them count, and
    // when those weights are not the whole story. Most units are then
    // written from one eight-byte load, without the element walk and
    // without a branch on the kind of unit.
    static constexpr unsigned char kWalk = 1;            // always takes the element walk
    static constexpr unsigned char kWalkBeforeEnder = 2;  // takes it when the next unit may end a pair
    struct KeyUnit {
        unsigned char bytes[3];  // low 8 bits of each own weight
        unsigned char keep[3];   // 1 where that weight is not zero
        unsigned char route;     // kWalk, kWalkBeforeEnder or 0
        // kWalkBeforeEnder when the unit ends some pair or is rewritten
        // into what might: the unit before it cannot trust its own weights.
        unsigned char ender;
    };
    // One more entry, for every unit outside the range: it takes the walk
    // and ends no pair.
    KeyUnit keyUnits_[kRangeSize + 1];

    // The three level strings of a key, written side by side and reused by
    // every call, so building a key allocates only the key it returns.
    std::string keyScratch_;
};

}  // namespace zabrelo

#endif  // ZABRELO_COLLATIONENGINE_H
