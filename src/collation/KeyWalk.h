// KeyWalk: the one walk that keys and comparison take over a text, UTF-16
// or UTF-8 alike. A text type (Utf16Text here, Utf8Text in Utf8Walk.h)
// says where its characters are and gives each one's key entry; the walk
// over it takes a unit's own weights where CollationTable::OwnWeightsStand
// says they stand, and the walk's own step (NextWeights) elsewhere. Keys
// (CollationKeys.h, Utf8Keys.h) and lazy key bytes for comparison are
// built on it, so the two encodings cannot drift apart.
#ifndef ZABRELO_COLLATION_KEYWALK_H
#define ZABRELO_COLLATION_KEYWALK_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "collation/CollationTable.h"
#include "collation/CollationWalk.h"
#include "collation/Inlining.h"

namespace zabrelo {

/// What the key byte readers return besides a byte (0..255). All are
/// negative, so `(p | q) >= 0` tells that both of two results are bytes,
/// and kEnd sorts before every byte, as a key that ends first does.
inline constexpr int kEnd = -1;         // the bytes asked for have ended
inline constexpr int kWalkNeeded = -2;  // a quick reader cannot tell: the whole walk must
inline constexpr int kNoCut = -3;       // the walk may join the first unit to the one before
inline constexpr int kNoByte = -4;      // the element weighs nothing at level 1

using KeyUnit = CollationTable::KeyUnit;

/// A UTF-16 text for the walk: a place is an index; each unit is a
/// character of its own.
struct Utf16Text {
    using Units = PreparedUnits;
    using Place = std::size_t;

    const char16_t* text;
    std::size_t length;

    Place Start() const { return 0; }
    bool AtEnd(Place place) const { return place >= length; }
    /// Units of input, which bounds the prepared units by twice as many.
    std::size_t Size() const { return length; }
    /// The key entry of the character at `place`, or the end's entry (which
    /// is no ender) at the end. Laid out for a unit being there: the walk
    /// keeps its registers when the end is the branch taken once a text.
    ZABRELO_ALWAYS_INLINE const KeyUnit& KeyAt(const CollationTable& table, Place place) const {
        return table.Key(ZABRELO_LIKELY(place < length) ? CollationTable::RangeIndex(text[place])
                                                         : CollationTable::kRangeSize);
    }
    /// Where the character after the one at `place` (not the end) begins.
    static Place After(Place place) { return place + 1; }
    /// A reader of the prepared units from `place`, holding `held` back.
    Units UnitsFrom(Place place, Held held = 0) const { return Units{text, place, length, held}; }
    Place PlaceOf(const Units& units) const { return units.index; }
};

// --- Sinks: what a key walk does with each element's weights ---

// The three level strings side by side, each in an area with room for its
// worst case, so nothing is bounds-checked: a cursor in each, where its
// next byte goes. Every byte is written, and kept only where its weight is
// not zero. The zero test is on the whole weight, so 0x100 adds a 0 byte.
// Cursors rather than areas and counts: three registers fewer through the
// walk, which then keeps its state in the rest.
struct SideBySide {
    unsigned char* at1;
    unsigned char* at2;
    unsigned char* at3;

    void Unit(const KeyUnit& key) {
        *at1 = key.bytes[0];
        at1 += key.keep[0];
        *at2 = key.bytes[1];
        at2 += key.keep[1];
        *at3 = key.bytes[2];
        at3 += key.keep[2];
    }
    void Element(const std::int32_t* w) {
        *at1 = static_cast<unsigned char>(w[0] & 0xFF);
        at1 += w[0] != 0;
        *at2 = static_cast<unsigned char>(w[1] & 0xFF);
        at2 += w[1] != 0;
        *at3 = static_cast<unsigned char>(w[2] & 0xFF);
        at3 += w[2] != 0;
    }
};

// One level string appended at `used` to a buffer of `capacity` bytes: the
// bytes beyond it are counted, not written.
struct OneLevel {
    unsigned char* out;
    std::size_t capacity;
    std::size_t used;
    int level;  // 0-based

    void Put(unsigned char byte, bool keep) {
        if (!keep) return;
        if (used < capacity) out[used] = byte;
        ++used;
    }
    void Unit(const KeyUnit& key) { Put(key.bytes[level], key.keep[level] != 0); }
    void Element(const std::int32_t* w) { Put(static_cast<unsigned char>(w[level] & 0xFF), w[level] != 0); }
};

// Counts the bytes of each level string without writing them.
struct Counter {
    std::size_t used1, used2, used3;

    void Unit(const KeyUnit& key) {
        used1 += key.keep[0];
        used2 += key.keep[1];
        used3 += key.keep[2];
    }
    void Element(const std::int32_t* w) {
        used1 += w[0] != 0;
        used2 += w[1] != 0;
        used3 += w[2] != 0;
    }
};

/// Feeds the key bytes of every element of `text` to `sink`. Most units are
/// settled by their own KeyUnit; each step looks up the next character too
/// and hands it on. Past the last stands the end's entry, which joins
/// nothing. The rest (spaces, units outside the table, letters to rewrite
/// and possible pairs) take the walk's own step, until it holds no half of
/// a split letter.
///
/// Always inlined, and the text and the sink taken by value, so their
/// pointers and counters live in registers: passed between functions, the
/// sink would be copied through memory just after being written (a stall
/// when the copy's wide loads meet the narrow stores), and behind a
/// reference every key byte, written through a character pointer that may
/// alias it, would send the counters and the text's bounds back to memory.
template <class Text, class Sink>
ZABRELO_ALWAYS_INLINE Sink WalkKey(const CollationTable& table, const Text text, Sink sink) {
    // Only the place and the entries are carried from step to step: with
    // the sink's three values and the text's two, that is as much as stays
    // in registers.
    using Place = typename Text::Place;
    Place place = text.Start();
    const KeyUnit* key = &text.KeyAt(table, place);
    while (!text.AtEnd(place)) {
        const Place after = text.After(place);
        const KeyUnit* const next = &text.KeyAt(table, after);
        if (CollationTable::OwnWeightsStand(*key, *next)) {
            sink.Unit(*key);
            place = after;
            key = next;
            continue;
        }
        typename Text::Units walk = text.UnitsFrom(place);
        do {
            sink.Element(NextWeights(table, walk));
        } while (walk.pending != 0);
        place = text.PlaceOf(walk);
        key = &text.KeyAt(table, place);
    }
    return sink;
}

// Keys whose level strings fit kStackRoom bytes each are built in one pass
// on the stack. A level string gets at most one byte per element, and a
// unit of input (a byte of UTF-8) gives at most the table's
// MostElementsPerUnit (two where nothing expands: a split letter): so a
// text of up to 2048 units, fewer where the table has long expansions.
constexpr std::size_t kStackRoom = CollationTable::kKeyStackRoom;
constexpr std::size_t kStackBytes = CollationTable::kMaxLevel * kStackRoom;

/// Whether `text`'s key is built on the stack: each of its level strings
/// then needs at most KeyRoom bytes.
template <class Text>
bool FitsOnStack(const CollationTable& table, const Text& text) {
    return text.Size() <= table.StackUnits();
}
template <class Text>
std::size_t KeyRoom(const CollationTable& table, const Text& text) {
    return table.MostElementsPerUnit() * text.Size();
}

// Closes the gaps between the level strings a SideBySide wrote from
// `start` to `end`, so the key of `levels` levels stands at start.at1;
// returns its length.
inline std::size_t JoinLevels(const SideBySide& start, const SideBySide& end, int levels) {
    std::size_t total = static_cast<std::size_t>(end.at1 - start.at1);
    if (levels >= 2) {
        const auto size = static_cast<std::size_t>(end.at2 - start.at2);
        std::memmove(start.at1 + total, start.at2, size);
        total += size;
    }
    if (levels >= 3) {
        const auto size = static_cast<std::size_t>(end.at3 - start.at3);
        std::memmove(start.at1 + total, start.at3, size);
        total += size;
    }
    return total;
}

// The key of a text that FitsOnStack, in one pass,
// written to the start of `scratch` (kStackBytes); returns its length.
template <class Text>
std::size_t StackKey(const CollationTable& table, const Text text, int levels, unsigned char* scratch) {
    const std::size_t room = KeyRoom(table, text);
    const SideBySide start{scratch, scratch + room, scratch + 2 * room};
    return JoinLevels(start, WalkKey(table, text, start), levels);
}

// The key of a longer text into a caller's buffer, one pass per level, so
// nothing is written past the part of the key that fits.
template <class Text>
std::size_t LongKey(const CollationTable& table, const Text text, int levels, unsigned char* out,
                    std::size_t capacity) {
    OneLevel sink{out, capacity, 0, 0};
    for (sink.level = 0; sink.level < levels; ++sink.level) sink = WalkKey(table, text, sink);
    return sink.used;
}

/// The key at `level` (1..3; 0 or less gives an empty key, more counts as
/// 3): its first `capacity` bytes to `out`, nothing past them; returns the
/// whole key's length.
template <class Text>
std::size_t WriteTextKey(const CollationTable& table, const Text text, int level, unsigned char* out,
                         std::size_t capacity) {
    if (level <= 0) return 0;
    const int levels = std::min(level, CollationTable::kMaxLevel);
    if (!FitsOnStack(table, text)) return LongKey(table, text, levels, out, capacity);
    unsigned char scratch[kStackBytes];
    const std::size_t total = StackKey(table, text, levels, scratch);
    if (capacity > 0) std::memcpy(out, scratch, std::min(total, capacity));
    return total;
}

/// The bytes of a text's key in order, produced lazily: the bytes of level
/// `level` (0-based) from `from`, the start or a place where the walk can
/// cut the text in two, then each further level's from the start, up to
/// `levels` levels. Units that their own KeyUnit settles are read from it,
/// as keys read them; the rest take the walk's own step.
template <class Text>
class KeyStream {
public:
    KeyStream(const CollationTable& table, const Text& text, typename Text::Place from, int level, int levels)
        : table_(&table), text_(text), place_(from), held_(0), level_(level), levels_(levels) {}

    /// The next byte of the current level, or kEnd, again and again, after its last.
    ZABRELO_ALWAYS_INLINE int NextInLevel() { return Step(false); }

    /// The next byte of the key, or kEnd after its last.
    ZABRELO_ALWAYS_INLINE int Next() { return Step(true); }

private:
    // One step loop for both: at the end of a level, `onward` goes on with
    // the next level from the text's start, else the level's end is kEnd.
    ZABRELO_ALWAYS_INLINE int Step(bool onward) {
        using Place = typename Text::Place;
        for (;;) {
            if (held_ == 0) {
                if (ZABRELO_LIKELY(!text_.AtEnd(place_))) {
                    const Place after = text_.After(place_);
                    const KeyUnit& key = text_.KeyAt(*table_, place_);
                    if (CollationTable::OwnWeightsStand(key, text_.KeyAt(*table_, after))) {
                        place_ = after;
                        if (key.keep[level_] != 0) return key.bytes[level_];
                        continue;
                    }
                } else {
                    if (!onward || ++level_ >= levels_) return kEnd;
                    place_ = text_.Start();
                    continue;
                }
            }
            // A reader made afresh from the text for each step, so it reads
            // the text's own bounds rather than copies of them the stream
            // would carry beside the text's: two comparing streams then keep
            // their state in registers.
            typename Text::Units units = text_.UnitsFrom(place_, held_);
            const std::int32_t w = NextWeights(*table_, units)[level_];
            place_ = text_.PlaceOf(units);
            held_ = units.pending;
            if (w != 0) return w & 0xFF;
        }
    }

    const CollationTable* table_;
    Text text_;
    typename Text::Place place_;  // where the reader of prepared units stands
    Held held_;                   // and what it holds back
    int level_;
    int levels_;
};

}  // namespace zabrelo

#endif  // ZABRELO_COLLATION_KEYWALK_H
