// CollationTable: the weight table for U+0600..U+06F9 and U+200C as a data
// file's load left it, and what keys derive from it per unit. TableLoader
// builds it; afterwards nothing changes it, so one table serves any number
// of threads at once and library objects share it. The walk and keys that
// read it are in CollationWalk.h and CollationKeys.h. Tested by
// tests/collation/.
#ifndef ZABRELO_COLLATIONTABLE_H
#define ZABRELO_COLLATIONTABLE_H

#include <algorithm>
#include <cstdint>
#include <vector>

#include "collation/CollationEntry.h"

namespace zabrelo {

class CollationTable {
public:
    static constexpr std::int32_t kRangeFirst = 0x0600;
    static constexpr std::int32_t kRangeLimit = 0x06FA;  // half-open: U+06FA is outside
    static constexpr int kRangeSize = kRangeLimit - kRangeFirst;
    static_assert(kRangeFirst == 0x0600 && kRangeSize < 256, "BlockKey covers U+0600..U+06FF");
    static constexpr std::int32_t kSpecialCodePoint = 0x200C;  // ZERO WIDTH NON-JOINER
    static constexpr int kMaxLevel = 3;

    /// An empty table: no slots, no special entry; only spaces weigh anything.
    CollationTable();

    // --- Read-only views, for tests and table checks ---

    /// Slot count the header announced.
    std::int32_t AnnouncedSlots() const { return slotCount_; }
    /// Slots actually handed out by the load.
    int HandedOutSlots() const { return handedOut_; }
    /// The entries of `codePoint`'s slot, or null when it has none.
    const EntryList* EntriesOf(std::int32_t codePoint) const;
    /// Whether `codePoint` ends at least one contraction.
    bool IsFollower(std::int32_t codePoint) const;
    /// Whether a data file has defined U+200C, and its weights.
    bool HasSpecial() const { return specialCodePoint_ == kSpecialCodePoint; }
    const std::int32_t* SpecialWeights() const { return specialWeights_; }

    // --- What the walk and keys read, unit by unit ---

    /// A unit's offset in the range, or kRangeSize for every unit outside it.
    static unsigned RangeIndex(char16_t u) {
        return std::min(static_cast<unsigned>(u) - static_cast<unsigned>(kRangeFirst),
                        static_cast<unsigned>(kRangeSize));
    }

    // A unit's slot and its entry-0 weights side by side, so the walk finds
    // a unit's own weights with one load instead of three dependent ones.
    struct OwnEntry {
        std::int32_t weights[3];
        std::int32_t slot;  // -1: the unit has no slot
    };
    const OwnEntry& Own(unsigned offset) const { return own_[offset]; }
    bool FollowerAt(unsigned offset) const { return followerFlags_[offset] != 0; }
    const EntryList& Slot(std::int32_t slot) const { return entryLists_[static_cast<std::size_t>(slot)]; }
    /// U+200C once a data file defined it; until then no value a unit can equal.
    std::int32_t SpecialCodePoint() const { return specialCodePoint_; }

    // What a key needs of each unit: the bytes a key takes from its own
    // weights, which of them count, and when those weights are not the
    // whole story. Most units are then written from one eight-byte load,
    // without the element walk and without a branch on the kind of unit.
    static constexpr unsigned char kWalk = 1;             // always takes the element walk
    static constexpr unsigned char kWalkBeforeEnder = 2;  // takes it when the next unit may end a pair
    struct KeyUnit {
        unsigned char bytes[3];  // low 8 bits of each own weight
        unsigned char keep[3];   // 1 where that weight is not zero
        unsigned char route;     // kWalk, kWalkBeforeEnder or 0
        // kWalkBeforeEnder when the unit ends some pair or is rewritten
        // into what might: the unit before it cannot trust its own weights.
        unsigned char ender;
    };
    /// `index` from RangeIndex; kRangeSize answers for every unit outside
    /// the range and for the end of a string: it takes the walk and ends no pair.
    const KeyUnit& Key(unsigned index) const { return keyUnits_[index]; }
    /// Key of the unit U+0600 + `offset`, `offset` below 256: a two-byte
    /// UTF-8 sequence with lead byte 0xD8 to 0xDB gives it straight from
    /// its bits, with no range test (units past the range answer as
    /// Key(kRangeSize) does).
    const KeyUnit& BlockKey(unsigned offset) const { return keyUnits_[offset]; }

private:
    friend class TableLoader;

    /// Fills own_ and keyUnits_ from the lists and flags; the loader calls
    /// it when a load ends, however it ends.
    void Derive();

    // Holds no value a 16-bit unit can equal until a data file defines U+200C.
    std::int32_t specialCodePoint_;
    std::int32_t specialWeights_[3];
    std::int32_t slotCount_;
    int handedOut_;
    unsigned char followerFlags_[kRangeSize];
    std::vector<EntryList> entryLists_;
    std::int32_t slotIndex_[kRangeSize];
    OwnEntry own_[kRangeSize];
    KeyUnit keyUnits_[256];  // U+0600..U+06FF; kRangeSize and past answer for every unit outside
};

}  // namespace zabrelo

#endif  // ZABRELO_COLLATIONTABLE_H
