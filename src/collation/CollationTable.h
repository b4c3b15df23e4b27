// CollationTable: the weight table for U+0600..U+06F9 and U+200C (and, in
// the full order, every other BMP unit a line gives weights) as a data
// file's load left it, and what the walk derives from it when the load
// ends: each unit's kind and key entry, and the pairs' hash. TableLoader
// builds it; afterwards nothing changes it, so one table serves any number
// of threads at once and library objects share it. The walk that reads it
// is in CollationWalk.h (one step) and KeyWalk.h (keys and comparison).
// Tested by tests/collation/.
#ifndef ZABRELO_COLLATIONTABLE_H
#define ZABRELO_COLLATIONTABLE_H

#include <algorithm>
#include <cstdint>
#include <vector>

#include "collation/CollationEntry.h"
#include "collation/Inlining.h"

namespace zabrelo {

/// Which part of a data file a load reads. The classic order reads the
/// Arabic block and U+200C alone, and of each weight field its first three
/// numbers; the full order reads a line for any BMP code point, an
/// expansion (more than three numbers) as several elements, and composes
/// a decomposed ئ, so canonically equivalent spellings weigh alike.
enum class TableOrder { kClassic, kFull };

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
    /// The order the load read.
    TableOrder Order() const { return order_; }
    /// One collation element: a weight per level.
    struct Element {
        std::int32_t weights[3];
    };
    /// What the full order gives a unit outside the block's slots (or one of
    /// the block whose line has more than one element): its elements,
    /// `count` of them from `first` in Elements(), and whether a pair starts
    /// with it. A unit without a line has no elements and starts no pair.
    struct OtherUnit {
        std::int32_t first;
        std::uint16_t count;
        std::uint16_t startsPair;
    };
    const OtherUnit& Other(char16_t u) const { return otherPages_[otherPageOf_[u >> 8]].units[u & 0xFF]; }
    const Element* Elements() const { return elements_.data(); }
    /// The most elements one unit of input (or byte of UTF-8) can give: two
    /// where nothing expands (a letter the rewriting splits), else up to the
    /// longest expansion, or both parts' of a split letter: what a key's
    /// room on the stack is reckoned by.
    std::size_t MostElementsPerUnit() const { return mostElementsPerUnit_; }
    /// The bytes each level string of a key may take on the stack (KeyWalk.h).
    static constexpr std::size_t kKeyStackRoom = 4096;
    /// The longest text (units of input, or bytes of UTF-8) whose level
    /// strings each fit kKeyStackRoom bytes, reckoned once a load ends, so
    /// no key divides for it.
    std::size_t StackUnits() const { return stackUnits_; }
    /// In the full order, ي or ی with U+0654 after it are ئ, which the walk
    /// reads by its place: `atEnd`, the weights of a final ئ, else those of
    /// ئ inside a text. Null in the classic order, for any other `first`,
    /// and where the table lacks what ئ weighs as there.
    const std::int32_t* ComposedYehHamza(char16_t first, bool atEnd) const {
        if (first != u'\u064A' && first != u'\u06CC') return nullptr;
        return composedYehHamza_[atEnd ? 1 : 0];
    }

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
    /// U+200C once a data file defined it; until then no value a unit can equal.
    std::int32_t SpecialCodePoint() const { return specialCodePoint_; }

    /// How a key reads a unit: whether the unit's own weights (its entry
    /// 0, or nothing for a unit without a slot) are its element, so that
    /// the key can take them without the walk's own step.
    ///
    /// The values are chosen so that OwnWeightsStand is one AND: bit 1
    /// means "never", bit 0 "not before an ender".
    enum class UnitKind : unsigned char {
        /// Its own weights always stand: no pair starts with it (a unit
        /// without a slot weighs nothing, which stands as well).
        kAlone = 0,
        /// It starts a pair when the unit after it is an ender; before any
        /// other unit its own weights stand.
        kPairStart = 1,
        /// Always takes the walk's step: the hamza rewriting changes it, or
        /// the table holds no weights for it (a space, U+200C and every unit
        /// outside the range, whose weights FixedWeights gives).
        kWalked = 3,
    };

    // What a key needs of each unit: the bytes a key takes from its own
    // weights, which of them count, and when those weights are not the
    // whole story. Most units are then written from one eight-byte load,
    // without the element walk and without a branch on the kind of unit.
    struct KeyUnit {
        unsigned char bytes[3];  // low 8 bits of each own weight
        unsigned char keep[3];   // 1 where that weight is not zero
        UnitKind kind;
        /// 1 for an ender, a unit the walk may join to the one before it:
        /// one that ends some pair, or that the rewriting turns into what
        /// might. A text cannot be cut in two just before an ender.
        unsigned char ender;
    };

    /// Whether `unit`'s own weights are its element when `next` stands
    /// after it (Key(kRangeSize) at the end of the text, which is no
    /// ender). The one statement of this rule: every key and comparison
    /// path, UTF-16 or UTF-8, asks it here.
    static bool OwnWeightsStand(const KeyUnit& unit, const KeyUnit& next) {
        return (static_cast<unsigned>(unit.kind) & (2u | next.ender)) == 0;
    }

    /// `index` from RangeIndex; kRangeSize answers for every unit outside
    /// the range and for the end of a string: it takes the walk and joins
    /// nothing.
    const KeyUnit& Key(unsigned index) const { return keyUnits_[index]; }
    /// Key of the unit U+0600 + `offset`, `offset` below 256: a two-byte
    /// UTF-8 sequence with lead byte 0xD8 to 0xDB gives it straight from
    /// its bits, with no range test (units past the range answer as
    /// Key(kRangeSize) does).
    const KeyUnit& BlockKey(unsigned offset) const { return keyUnits_[offset]; }

    /// The weights of the pair `first` `second` (prepared units): those of
    /// the first entry of `first`'s slot whose code point is `second`, entry
    /// 0 included (a doubled letter whose own line came first is one
    /// element), when `second` ends some pair; else null. A letter's few
    /// entries are scanned where they stand, which is cheaper than the hash;
    /// a longer list goes to the hash, so a look-up never grows with the
    /// number of pairs.
    const std::int32_t* PairWeights(char16_t first, char16_t second) const {
        const unsigned offset = static_cast<unsigned>(second) - static_cast<unsigned>(kRangeFirst);
        if (offset >= static_cast<unsigned>(kRangeSize) || followerFlags_[offset] == 0) return nullptr;
        const unsigned firstOffset = static_cast<unsigned>(first) - static_cast<unsigned>(kRangeFirst);
        if (firstOffset < static_cast<unsigned>(kRangeSize) && own_[firstOffset].slot >= 0) {
            const EntryList& list = entryLists_[static_cast<std::size_t>(own_[firstOffset].slot)];
            if (list.size() <= kScannedEntries) {
                for (const CollationEntry& entry : list) {
                    if (entry.codePoint == static_cast<std::int32_t>(second)) return entry.weights;
                }
                return nullptr;
            }
        }
        return FindPair(first, second);
    }

private:
    friend class TableLoader;

    // Lists up to this long are scanned rather than hashed.
    static constexpr std::size_t kScannedEntries = 8;

    /// Fills own_ and keyUnits_ from the lists and flags; the loader calls
    /// it when a load ends, however it ends.
    void Derive();

    TableOrder order_ = TableOrder::kClassic;

    // The full order's units outside the slots, by page of 256 units; page
    // 0 has none, and every page without a line points to it.
    struct OtherPage {
        OtherUnit units[256];
    };
    std::uint16_t otherPageOf_[256];
    std::vector<OtherPage> otherPages_;
    std::vector<Element> elements_;
    struct OtherPair {
        char16_t first, second;
        Element element;
    };
    std::vector<OtherPair> otherPairs_;  // pairs whose first unit is outside the block, in file order
    std::size_t mostElementsPerUnit_ = 2;
    std::size_t stackUnits_ = kKeyStackRoom / 2;
    const std::int32_t* composedYehHamza_[2] = {nullptr, nullptr};

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

    // The pairs by (first, second), open addressing with linear probing in
    // a power-of-two array at most half full; key 0 marks a free place (no
    // pair starts at U+0000). Built with the first matching entry of each
    // pair, in list order, when a load ends.
    struct Pair {
        std::uint32_t key;
        std::int32_t weights[3];
    };
    static std::uint32_t PairKey(char16_t first, char16_t second) {
        return (static_cast<std::uint32_t>(first) << 16) | second;
    }
    // Multiplicative: the top bits of the product, which every bit of the
    // key reaches, so no table of pairs, however chosen, crowds a few places.
    std::size_t PairHash(std::uint32_t key) const { return static_cast<std::size_t>((key * 0x9E3779B1u) >> pairShift_); }
    // Out of line: the probe's state would otherwise stay in registers
    // through the whole walk of a key, and push its own state out of them.
    ZABRELO_RARE const std::int32_t* FindPair(char16_t first, char16_t second) const;
    void AddPair(char16_t first, char16_t second, const std::int32_t* weights);
    void ResizePairs(std::size_t size);
    std::vector<Pair> pairs_;
    std::size_t pairCount_;
    std::size_t pairMask_;
    unsigned pairShift_;
};

}  // namespace zabrelo

#endif  // ZABRELO_COLLATIONTABLE_H
