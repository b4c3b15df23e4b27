// Utf8Keys: comparison reads as little as it can. Two texts compared in a
// sort are mostly close neighbours that share their first letters, and a
// common start weighs the same in both: its level-1 key bytes are the same,
// so the level-1 keys are compared from where the texts differ, and only
// that part is decoded. When level 1 does not settle it, the whole texts are
// compared as CompareKeys compares them.
#include "collation/Utf8Keys.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "collation/CollationKeys.h"
#include "collation/CollationWalk.h"
#include "text/Utf8.h"

namespace zabrelo {

#if defined(__GNUC__)
#define ZABRELO_UTF8KEYS_INLINE inline __attribute__((always_inline))
#else
#define ZABRELO_UTF8KEYS_INLINE inline
#endif

namespace {

// Texts up to this many bytes in all are decoded on the stack.
constexpr std::size_t kStackUnits = 2048;

// Room for the UTF-16 form of texts of `bytes` bytes in all (never more
// units than bytes): on the stack when they are short, else one heap block.
class Room {
public:
    bool Reserve(std::size_t bytes) {
        if (bytes <= kStackUnits) return true;
        heap_.reset(new (std::nothrow) char16_t[bytes]);
        units_ = heap_.get();
        return units_ != nullptr;
    }
    char16_t* Units() { return units_; }

private:
    char16_t stack_[kStackUnits];
    std::unique_ptr<char16_t[]> heap_;
    char16_t* units_ = stack_;
};

// The character at `bytes` (`left` > 0 of them) as UTF-16 units into `out`;
// returns the bytes it took and sets `count` to the units written.
ZABRELO_UTF8KEYS_INLINE std::size_t ReadCharacter(const unsigned char* bytes, std::size_t left, char16_t* out, std::size_t& count) {
    const unsigned lead = bytes[0];
    count = 1;
    if (lead < 0x80) {
        out[0] = static_cast<char16_t>(lead);
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF && left > 1 && (bytes[1] & 0xC0) == 0x80) {
        out[0] = static_cast<char16_t>(((lead & 0x1F) << 6) | (bytes[1] & 0x3F));
        return 2;
    }
    char32_t cp;
    const std::size_t used = ReadUtf8Lenient(bytes, left, cp);
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out[0] = static_cast<char16_t>(0xD800 + (cp >> 10));
        out[1] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        count = 2;
    } else {
        out[0] = static_cast<char16_t>(cp);
    }
    return used;
}

// Whether the walk may join `u` to the unit before it (it ends a pair, or is
// rewritten into what may): a text cannot be cut in two before such a unit.
inline bool JoinsBack(const CollationTable& table, char16_t u) {
    return table.Key(CollationTable::RangeIndex(u)).ender != 0;
}

// Whether `bytes[i]` begins a character of its text: any byte but a
// continuation byte does, whatever comes before it, since no well-formed
// sequence holds one after its first byte.
inline bool Begins(const unsigned char* bytes, std::size_t i) { return (bytes[i] & 0xC0) != 0x80; }

// Whether the character at `bytes[i]` (which begins one) has a first unit
// the walk may join to the unit before it. Only Arabic letters may, and
// they are all two-byte sequences.
inline bool JoinsBackAt(const CollationTable& table, const unsigned char* bytes, std::size_t size, std::size_t i) {
    const unsigned lead = bytes[i];
    if (lead < 0xD8 || lead > 0xDB || i + 1 >= size || (bytes[i + 1] & 0xC0) != 0x80) return false;
    return JoinsBack(table, static_cast<char16_t>(((lead & 0x1F) << 6) | (bytes[i + 1] & 0x3F)));
}

// A place where both texts can be cut in two with the same start: the walk
// takes the same elements from the start of both and none crosses the cut,
// so each level's key bytes are the start's, then the rest's. The last one
// within the first `common` bytes, which the texts share. A cut needs a
// character to begin there in both texts, and not one the walk may join to
// the one before; and it must come before the end of both texts, since the
// walk reads a last U+0626 otherwise. The texts' decodings agree before it:
// a character that the decoder reads from bytes across the cut reads as
// U+FFFD in both, since the cut's byte continues no sequence. The start of
// the texts is always a cut.
std::size_t LastCut(const CollationTable& table, const unsigned char* a, std::size_t aSize, const unsigned char* b,
                    std::size_t bSize, std::size_t common) {
    std::size_t i = std::min(common, std::min(aSize, bSize) - 1);
    for (; i > 0; --i) {
        if (!Begins(a, i) || !Begins(b, i)) continue;
        // The characters there differ when they reach past the common bytes.
        if (!JoinsBackAt(table, a, aSize, i) && !JoinsBackAt(table, b, bSize, i)) break;
    }
    return i;
}

// The length of the common start of two texts of at least `size` bytes.
std::size_t CommonStart(const unsigned char* a, const unsigned char* b, std::size_t size) {
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // Eight bytes at a time; the lowest differing bit of a word is in its
    // first differing byte, with no loop over bytes whose end a branch
    // could not foresee. The last word may overlap the one before.
    if (size >= 8) {
        for (std::size_t i = 0;; i += 8) {
            if (i + 8 > size) i = size - 8;
            std::uint64_t x, y;
            std::memcpy(&x, a + i, 8);
            std::memcpy(&y, b + i, 8);
            if (x != y) return i + static_cast<std::size_t>(__builtin_ctzll(x ^ y) / 8);
            if (i + 8 == size) return size;
        }
    }
#endif
    std::size_t i = 0;
    while (i < size && a[i] == b[i]) ++i;
    return i;
}

// QuickPrimary's answer for a letter that may pair with the next unit,
// `next`, which may end a pair: the pair's level-1 byte, or the letter's
// own when they do not pair; -1 when `next` is a letter the walk rewrites.
int PairPrimary(const CollationTable& table, unsigned index, char16_t next) {
    if (IsRewritten(next)) return -1;
    // The first entry that pairs wins, as in the walk.
    for (const CollationEntry& entry : table.Slot(table.Own(index).slot)) {
        if (entry.codePoint == static_cast<std::int32_t>(next)) return entry.weights[0] != 0 ? entry.weights[0] & 0xFF : -1;
    }
    const CollationTable::KeyUnit& key = table.Key(index);
    return key.keep[0] != 0 ? key.bytes[0] : -1;
}

// The level-1 byte of the element that starts at `p`, a cut (the start of
// the text when `atStart`), when the character there settles it with at
// most the one after it, as it mostly does: a space, or an Arabic letter (a
// two-byte sequence) with its own weights or paired with the next letter.
// Otherwise -1: the letter takes the whole walk, weighs nothing at level 1,
// or the walk may join it to the unit before it, so that no cut is there.
// The usual letter passes one test, whatever it is: the letters come in no
// order a branch could learn.
ZABRELO_UTF8KEYS_INLINE int QuickPrimary(const CollationTable& table, const unsigned char* p,
                                         const unsigned char* end, bool atStart) {
    const std::size_t left = static_cast<std::size_t>(end - p);
    if (p[0] == ' ') return kSpaceWeights[0];
    if (left < 2 || p[0] - 0xD8u > 3u || (p[1] & 0xC0) != 0x80) return -1;
    const unsigned index = CollationTable::RangeIndex(static_cast<char16_t>(((p[0] & 0x1F) << 6) | (p[1] & 0x3F)));
    // The unit after it, when that is an Arabic letter, the only kind that
    // may end a pair; else the end's entry, which ends none.
    char16_t next = 0;
    unsigned nextIndex = CollationTable::kRangeSize;
    if (left >= 4) {
        next = static_cast<char16_t>(((p[2] & 0x1F) << 6) | (p[3] & 0x3F));
        const bool arabic = (p[2] - 0xD8u <= 3u) & ((p[3] & 0xC0) == 0x80);
        nextIndex = arabic ? CollationTable::RangeIndex(next) : static_cast<unsigned>(CollationTable::kRangeSize);
    }
    const CollationTable::KeyUnit& key = table.Key(index);
    const unsigned blocked = (key.route & (CollationTable::kWalk | table.Key(nextIndex).ender)) |
                             (atStart ? 0u : key.ender) | (key.keep[0] ^ 1u);
    if (blocked == 0) return key.bytes[0];
    if ((key.ender != 0 && !atStart) || key.route != CollationTable::kWalkBeforeEnder ||
        table.Key(nextIndex).ender == 0) {
        return -1;
    }
    return PairPrimary(table, index, next);
}

// The order of two texts when the first character where they differ
// settles it, as QuickPrimary reads it; else 0. `common` is the length of
// their common start in bytes, shorter than both texts.
ZABRELO_UTF8KEYS_INLINE int FirstDifference(const CollationTable& table, const unsigned char* a, std::size_t aSize,
                                            const unsigned char* b, std::size_t bSize, std::size_t common) {
    // Where the differing characters begin: there, or, when they share
    // their first byte, one byte before (QuickPrimary reads nothing that
    // begins with a continuation byte).
    const bool inside = !Begins(a, common);
    if (inside == Begins(b, common) || (inside && common == 0)) return 0;
    const std::size_t cut = common - (inside ? 1 : 0);
    const int p = QuickPrimary(table, a + cut, a + aSize, cut == 0);
    const int q = QuickPrimary(table, b + cut, b + bSize, cut == 0);
    if ((p | q) < 0) return 0;
    return (p > q) - (p < q);
}

// What LevelBytes::Next returns besides a key byte.
constexpr int kEnd = -1;      // the level's key bytes have ended
constexpr int kComplex = -2;  // the next element needs the whole walk

// One level's key bytes of a UTF-8 text from a cut, element by element,
// read straight from the bytes. It knows the elements that a unit and the
// unit after it settle: a unit with its own weights, a unit that pairs with
// the next one, the space, U+200C, units the table does not weigh. A letter
// the walk rewrites (the hamza letters) it leaves to the walk: kComplex.
class LevelBytes {
public:
    LevelBytes(const CollationTable& table, const unsigned char* bytes, std::size_t size, int level)
        : table_(table), p_(bytes), end_(bytes + size), level_(level) {}

    ZABRELO_UTF8KEYS_INLINE int Next() {
        for (;;) {
            if (p_ == end_) return kEnd;
            char16_t u[2];
            std::size_t count;
            const std::size_t used = ReadCharacter(p_, static_cast<std::size_t>(end_ - p_), u, count);
            const unsigned index = CollationTable::RangeIndex(u[0]);
            if (index == static_cast<unsigned>(CollationTable::kRangeSize)) {
                // A character beyond the BMP is two units outside the range.
                p_ += used;
                std::int32_t w = 0;
                if (u[0] == u' ') {
                    w = kSpaceWeights[level_];
                } else if (static_cast<std::int32_t>(u[0]) == table_.SpecialCodePoint()) {
                    w = table_.SpecialWeights()[level_];
                }
                if (w != 0) return w & 0xFF;
                continue;
            }
            const CollationTable::KeyUnit& key = table_.Key(index);
            if (key.route == CollationTable::kWalk) return kComplex;
            if (key.route == CollationTable::kWalkBeforeEnder && p_ + used < end_) {
                char16_t v[2];
                const std::size_t nextUsed = ReadCharacter(p_ + used, static_cast<std::size_t>(end_ - p_) - used, v, count);
                if (JoinsBack(table_, v[0])) {
                    if (IsRewritten(v[0])) return kComplex;
                    // The first entry that pairs wins, as in the walk.
                    for (const CollationEntry& entry : table_.Slot(table_.Own(index).slot)) {
                        if (entry.codePoint == static_cast<std::int32_t>(v[0])) {
                            p_ += used + nextUsed;
                            if (entry.weights[level_] != 0) return entry.weights[level_] & 0xFF;
                            goto next;
                        }
                    }
                }
            }
            p_ += used;
            if (key.keep[level_] != 0) return key.bytes[level_];
        next:;
        }
    }

private:
    const CollationTable& table_;
    const unsigned char* p_;
    const unsigned char* const end_;
    int level_;
};

// The first key byte of a whole text after its key bytes of the levels
// before `level`: kEnd when the key ends there.
int FirstByteFrom(const CollationTable& table, const unsigned char* text, std::size_t size, int level, int levels) {
    for (; level < levels; ++level) {
        const int byte = LevelBytes(table, text, size, level).Next();
        if (byte != kEnd) return byte;
    }
    return kEnd;
}

// The keys of two texts compared level by level from the cut, which both
// levels' streams reach together (each level's bytes before it are the
// same in both). kComplex when an element needs the whole walk.
int CompareFromCut(const CollationTable& table, const unsigned char* a, std::size_t aSize, const unsigned char* b,
                   std::size_t bSize, std::size_t cut, int levels) {
    for (int level = 0; level < levels; ++level) {
        LevelBytes x(table, a + cut, aSize - cut, level), y(table, b + cut, bSize - cut, level);
        for (;;) {
            const int p = x.Next(), q = y.Next();
            if (p == kComplex || q == kComplex) return kComplex;
            if (p == q) {
                if (p == kEnd) break;
                continue;
            }
            if (p >= 0 && q >= 0) return p < q ? -1 : 1;
            // One text's bytes of this level have ended: its key goes on
            // with its next levels from its start, while the other's key
            // still has this level's byte.
            const bool aEnded = p == kEnd;
            const int other = aEnded ? q : p;
            const int after = aEnded ? FirstByteFrom(table, a, aSize, level + 1, levels)
                                     : FirstByteFrom(table, b, bSize, level + 1, levels);
            if (after == kComplex || after == other) return kComplex;
            const int order = after < other ? -1 : 1;  // an ended key (kEnd) first
            return aEnded ? order : -order;
        }
    }
    return 0;
}

// QuickOrder of a text `a` that is the start of a longer `b`. Cut where
// `a` ends, `b`'s level-1 key is `a`'s and then the rest's, unless `a`
// ends in U+0626, which the walk reads otherwise when it is last. At
// level 1 `a` then comes first; at higher levels `a`'s key goes on with its
// level-2 bytes, from its start, where `b`'s has the rest's first byte.
int ShorterFirst(const CollationTable& table, const unsigned char* a, std::size_t aSize, const unsigned char* b,
                 std::size_t bSize, int levels) {
    if (aSize >= 2 && a[aSize - 2] == 0xD8 && a[aSize - 1] == 0xA6) return 0;
    const int next = QuickPrimary(table, b + aSize, b + bSize, aSize == 0);
    if (next < 0) return 0;
    const int after = FirstByteFrom(table, a, aSize, 1, levels);
    if (after == kComplex || after == next) return 0;
    return after < next ? -1 : 1;  // a key that ends (kEnd) first
}

// The order of two texts that FirstDifference or ShorterFirst settles,
// else 0. `common` is the length of their common start in bytes, `levels`
// the key's.
ZABRELO_UTF8KEYS_INLINE int QuickOrder(const CollationTable& table, const unsigned char* a, std::size_t aSize,
                                       const unsigned char* b, std::size_t bSize, std::size_t common, int levels) {
    if (common == aSize) return ShorterFirst(table, a, aSize, b, bSize, levels);
    if (common == bSize) return -ShorterFirst(table, b, bSize, a, aSize, levels);
    return FirstDifference(table, a, aSize, b, bSize, common);
}

}  // namespace

int CompareUtf8Keys(const CollationTable& table, const char* aText, std::size_t aSize, const char* bText,
                    std::size_t bSize, int level) {
    if (level <= 0) return 0;
    const auto* a = reinterpret_cast<const unsigned char*>(aText);
    const auto* b = reinterpret_cast<const unsigned char*>(bText);
    const std::size_t common = CommonStart(a, b, std::min(aSize, bSize));
    if (common == aSize && common == bSize) return 0;
    // Most pairs are settled by the first letter where they differ.
    const int levels = std::min(level, CollationTable::kMaxLevel);
    const int quick = QuickOrder(table, a, aSize, b, bSize, common, levels);
    if (quick != 0) return quick;
    const std::size_t cut = common == 0 ? 0 : LastCut(table, a, aSize, b, bSize, common);
    const int order = CompareFromCut(table, a, aSize, b, bSize, cut, levels);
    if (order != kComplex) return order;

    // The whole walk over the whole texts.
    Room room;
    if (aSize > SIZE_MAX - bSize || !room.Reserve(aSize + bSize)) return kNoMemory;
    char16_t* const x = room.Units();
    char16_t* const y = x + aSize;
    const std::size_t xLength = DecodeUtf8Lenient(aText, aSize, x, LoneSurrogate::kReplace);
    const std::size_t yLength = DecodeUtf8Lenient(bText, bSize, y, LoneSurrogate::kReplace);
    return CompareKeys(table, x, xLength, y, yLength, level);
}

std::size_t WriteUtf8Key(const CollationTable& table, const char* text, std::size_t size, int level,
                         unsigned char* out, std::size_t capacity, bool* noMemory) {
    *noMemory = false;
    if (level <= 0) return 0;
    Room room;
    if (!room.Reserve(size)) {
        *noMemory = true;
        return 0;
    }
    const std::size_t length = DecodeUtf8Lenient(text, size, room.Units(), LoneSurrogate::kReplace);
    return WriteKey(table, room.Units(), length, level, out, capacity);
}

}  // namespace zabrelo
