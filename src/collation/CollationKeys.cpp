// CollationKeys: keys and comparison built on the walk. Both read the input
// through PreparedUnits, rewriting as they go instead of building the
// prepared string, so a comparison that is decided by the first letters
// never looks at the rest of either string.
#include "collation/CollationKeys.h"

#include <algorithm>
#include <cstring>

#include "collation/CollationWalk.h"
#include "collation/Inlining.h"

namespace zabrelo {

namespace {

using KeyUnit = CollationTable::KeyUnit;

int ClampLevel(int level) { return std::min(level, CollationTable::kMaxLevel); }

// Keys of texts up to this many units are built in one pass on the stack.
// A level string gets at most one byte per prepared unit, and there are at
// most two of those per input unit.
constexpr std::size_t kStackUnits = 512;
constexpr std::size_t kStackBytes = CollationTable::kMaxLevel * 2 * kStackUnits;

// The three level strings side by side, each in an area with room for its
// worst case, so nothing is bounds-checked. Every byte is written, and kept
// only where its weight is not zero. The zero test is on the whole weight,
// so 0x100 adds a 0 byte.
struct SideBySide {
    unsigned char* out1;
    unsigned char* out2;
    unsigned char* out3;
    std::size_t used1, used2, used3;

    void Unit(const KeyUnit& key) {
        out1[used1] = key.bytes[0];
        used1 += key.keep[0];
        out2[used2] = key.bytes[1];
        used2 += key.keep[1];
        out3[used3] = key.bytes[2];
        used3 += key.keep[2];
    }
    void Element(const std::int32_t* w) {
        out1[used1] = static_cast<unsigned char>(w[0] & 0xFF);
        used1 += w[0] != 0;
        out2[used2] = static_cast<unsigned char>(w[1] & 0xFF);
        used2 += w[1] != 0;
        out3[used3] = static_cast<unsigned char>(w[2] & 0xFF);
        used3 += w[2] != 0;
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

// The key entry of text[i], or the end's entry once `i` reaches `length`:
// the text is read only within its length, and needs no terminator.
inline const KeyUnit& EntryAt(const CollationTable& table, const char16_t* text, std::size_t length,
                              std::size_t i) {
    return table.Key(i < length ? CollationTable::RangeIndex(text[i]) : CollationTable::kRangeSize);
}

// Feeds the key bytes of every element of the text to `sink`. Most units are
// settled by their own KeyUnit; each step looks up the next unit too and
// hands it on. Past the last unit stands the end's entry, which ends no
// pair. The rest (spaces, units outside the table, letters to rewrite and
// possible pairs) take the element walk, until it holds no half of a split
// letter.
//
// Always inlined, so the sink's pointers and counters live in registers:
// passed between functions, the sink would be copied through memory just
// after being written (a stall when the copy's wide loads meet the narrow
// stores), and behind a reference every key byte, written through a
// character pointer that may alias it, would send the counters back to
// memory.
template <class Sink>
ZABRELO_ALWAYS_INLINE Sink WalkKey(const CollationTable& table, const char16_t* text, std::size_t length,
                                   Sink sink) {
    const auto entryAt = [&](std::size_t i) { return &EntryAt(table, text, length, i); };
    std::size_t index = 0;
    const KeyUnit* key = entryAt(0);
    while (index < length) {
        const KeyUnit* const next = entryAt(index + 1);
        if ((key->route & (CollationTable::kWalk | next->ender)) == 0) {
            sink.Unit(*key);
            ++index;
            key = next;
            continue;
        }
        PreparedUnits walk{text, index, length, 0};
        do {
            sink.Element(NextWeights(table, walk));
        } while (walk.pending != 0);
        index = walk.index;
        key = entryAt(index);
    }
    return sink;
}

// Closes the gaps between the level strings `sink` wrote, so the key of
// `levels` levels stands at sink.out1; returns its length.
std::size_t JoinLevels(const SideBySide& sink, int levels) {
    std::size_t total = sink.used1;
    if (levels >= 2) {
        std::memmove(sink.out1 + total, sink.out2, sink.used2);
        total += sink.used2;
    }
    if (levels >= 3) {
        std::memmove(sink.out1 + total, sink.out3, sink.used3);
        total += sink.used3;
    }
    return total;
}

// The key of a text of at most kStackUnits units, in one pass, written to
// the start of `scratch` (kStackBytes); returns its length.
std::size_t StackKey(const CollationTable& table, const char16_t* text, std::size_t length, int levels,
                     unsigned char* scratch) {
    const std::size_t room = 2 * length;
    const SideBySide sink =
        WalkKey(table, text, length, SideBySide{scratch, scratch + room, scratch + 2 * room, 0, 0, 0});
    return JoinLevels(sink, levels);
}

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

// The key of a longer text as a string: counted first, so the string is
// allocated once, then written in one pass. Each level string gets one byte
// more than its size, for the byte SideBySide writes, and does not keep,
// once the level string is full.
std::string LongKeyString(const CollationTable& table, const char16_t* text, std::size_t length, int levels) {
    const Counter count = WalkKey(table, text, length, Counter{0, 0, 0});
    std::string key(count.used1 + count.used2 + count.used3 + 3, '\0');
    unsigned char* const base = reinterpret_cast<unsigned char*>(&key[0]);
    const SideBySide sink = WalkKey(
        table, text, length, SideBySide{base, base + count.used1 + 1, base + count.used1 + count.used2 + 2, 0, 0, 0});
    key.resize(JoinLevels(sink, levels));
    return key;
}

// The key of a longer text into a caller's buffer, one pass per level, so
// nothing is written past the part of the key that fits.
std::size_t LongKey(const CollationTable& table, const char16_t* text, std::size_t length, int levels,
                    unsigned char* out, std::size_t capacity) {
    OneLevel sink{out, capacity, 0, 0};
    for (sink.level = 0; sink.level < levels; ++sink.level) sink = WalkKey(table, text, length, sink);
    return sink.used;
}

// The bytes of one string's key in order, produced lazily: level 1 over a
// walk of the whole string, then level 2 over a second walk, and so on.
// Units that their own KeyUnit settles are read from it, as keys read them;
// the rest take the element walk.
struct KeyStream {
    PreparedUnits units;
    int level;   // 0-based level being produced
    int levels;  // how many levels the key has

    int Next(const CollationTable& table) {
        const char16_t* const text = units.text;
        const std::size_t length = units.length;
        for (;;) {
            const std::size_t index = units.index;
            if (units.pending == 0 && index < length) {
                const KeyUnit& key = table.Key(CollationTable::RangeIndex(text[index]));
                const KeyUnit& next = EntryAt(table, text, length, index + 1);
                if ((key.route & (CollationTable::kWalk | next.ender)) == 0) {
                    units.index = index + 1;
                    if (key.keep[level] != 0) return key.bytes[level];
                    continue;
                }
            } else if (units.AtEnd()) {
                if (++level >= levels) return -1;
                units.Restart();
                continue;
            }
            const std::int32_t w = NextWeights(table, units)[level];
            if (w != 0) return w & 0xFF;
        }
    }
};

}  // namespace

std::size_t WriteKey(const CollationTable& table, const char16_t* text, std::size_t length, int level,
                     unsigned char* out, std::size_t capacity) {
    if (level <= 0) return 0;
    const int levels = ClampLevel(level);
    if (length > kStackUnits) return LongKey(table, text, length, levels, out, capacity);
    unsigned char scratch[kStackBytes];
    const std::size_t total = StackKey(table, text, length, levels, scratch);
    if (capacity > 0) std::memcpy(out, scratch, std::min(total, capacity));
    return total;
}

std::string BuildKey(const CollationTable& table, const char16_t* text, std::size_t length, int level) {
    if (level <= 0) return std::string();
    const int levels = ClampLevel(level);
    if (length > kStackUnits) return LongKeyString(table, text, length, levels);
    unsigned char scratch[kStackBytes];
    const std::size_t total = StackKey(table, text, length, levels, scratch);
    return std::string(reinterpret_cast<const char*>(scratch), total);
}

int CompareKeys(const CollationTable& table, const char16_t* first, std::size_t firstLength,
                const char16_t* second, std::size_t secondLength, int level) {
    if (level <= 0) return 0;
    const int levels = ClampLevel(level);
    // Comparing the two byte streams as they are produced gives exactly the
    // order of the whole keys, a shorter key first, but usually stops at the
    // first primary that differs.
    KeyStream a{{first, 0, firstLength, 0}, 0, levels};
    KeyStream b{{second, 0, secondLength, 0}, 0, levels};
    for (;;) {
        const int x = a.Next(table);
        const int y = b.Next(table);
        if (x != y) return (x > y) - (x < y);  // an ended stream (-1) sorts first
        if (x < 0) return 0;
    }
}

}  // namespace zabrelo
