// Utf8Keys: comparison reads as little as it can, since a database sort
// calls it some twenty times a row. Two texts compared in a sort are mostly
// close neighbours that share their first letters, and a common start
// weighs the same in both: cut where the walk can split both texts the same
// way, each level's key bytes are the start's, then the rest's, so the keys
// are compared from the cut. Most pairs are then settled by the level-1
// weights of the letters where they differ, looked up from their two bytes
// (LetterOrder), or of the few elements from there (ElementOrder); the rest
// by their first letters after the cut at every level (QuickOrder), else
// level by level from the cut through the whole walk (CompareFromCut).
#include "collation/Utf8Keys.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "collation/Inlining.h"
#include "collation/Utf8Walk.h"

namespace zabrelo {

namespace {

// The unit of the two-byte UTF-8 sequence at `p`.
inline char16_t UnitAt(const unsigned char* p) {
    return static_cast<char16_t>(((p[0] & 0x1Fu) << 6) | (p[1] & 0x3Fu));
}

// Whether the `left` bytes at `p` begin with an Arabic letter: a two-byte
// sequence whose unit lies in U+0600..U+06FF.
ZABRELO_ALWAYS_INLINE bool LetterAt(const unsigned char* p, std::size_t left) {
    return left >= 2 && p[0] - 0xD8u <= 3u && (p[1] & 0xC0) == 0x80;
}

// The key entry of the two bytes at `p`, taken from their bits with no
// range test: a letter's (LetterAt) own entry, or for any other two bytes
// some entry of the table.
ZABRELO_ALWAYS_INLINE const CollationTable::KeyUnit& LetterKey(const CollationTable& table, const unsigned char* p) {
    return table.BlockKey(((p[0] & 0x03u) << 6) | (p[1] & 0x3Fu));
}

// Whether `bytes[i]` begins a character of its text: any byte but a
// continuation byte does, whatever comes before it, since no well-formed
// sequence holds one after its first byte.
inline bool Begins(const unsigned char* bytes, std::size_t i) { return (bytes[i] & 0xC0) != 0x80; }

// Whether the character at `bytes[i]` (which begins one) has a first unit
// the walk may join to the unit before it. Only Arabic letters may, and
// they are all two-byte sequences.
inline bool JoinsBackAt(const CollationTable& table, const unsigned char* bytes, std::size_t size, std::size_t i) {
    return LetterAt(bytes + i, size - i) && LetterKey(table, bytes + i).ender != 0;
}

// Whether the Arabic letter at `p` (`left` bytes on), whose entry is `key`,
// weighs its own weights there: the walk does not rewrite it, and no unit
// after it may end a pair with it. The next two bytes' entry is read
// whatever they are: when they are no letter, one that may end a pair only
// sends the caller the longer way, and there is no branch on the letter's
// kind, which follows the text and so no predictor could learn.
ZABRELO_ALWAYS_INLINE bool OwnWeightsStand(const CollationTable& table, const CollationTable::KeyUnit& key,
                                             const unsigned char* p, std::size_t left) {
    const unsigned nextEnder = left >= 4 ? LetterKey(table, p + 2).ender : 0u;
    return (key.route & (CollationTable::kWalk | nextEnder)) == 0;
}

// The weights of the element that begins with the Arabic letter at `p`
// (`left` bytes on), where the walk cannot join it to what comes before,
// as the walk prepares it (U+0626 inside a text read as a hamza, the
// letters it splits as their first unit and mark), alone or paired with the
// next unit when that may end a pair; sets `used` to its bytes. Null when
// the element ends inside a letter the walk splits: then it takes the
// whole walk.
ZABRELO_RARE const std::int32_t* LetterElement(const CollationTable& table, const unsigned char* p, std::size_t left,
                                               std::size_t& used) {
    used = 2;
    char16_t mark = 0;  // the second unit of a split letter
    const char16_t unit = Rewrite(UnitAt(p), left == 2, mark);
    const unsigned offset = CollationTable::RangeIndex(unit);
    const CollationTable::KeyUnit& key = table.Key(offset);
    if (key.route == CollationTable::kWalkBeforeEnder) {
        // The unit after it as the walk reads it.
        char16_t next = mark;
        char16_t nextMark = 0;
        if (next == 0 && LetterAt(p + 2, left - 2)) next = Rewrite(UnitAt(p + 2), left == 4, nextMark);
        const unsigned nextOffset = CollationTable::RangeIndex(next);
        if (next != 0 && nextOffset < static_cast<unsigned>(CollationTable::kRangeSize) &&
            table.FollowerAt(nextOffset)) {
            // The first entry that pairs wins, as in the walk.
            for (const CollationEntry& entry : table.Slot(table.Own(offset).slot)) {
                if (entry.codePoint == static_cast<std::int32_t>(next)) {
                    if (nextMark != 0) return nullptr;  // the pair ends inside the next letter
                    used = mark != 0 ? 2 : 4;
                    return entry.weights;
                }
            }
        }
    } else if (key.route != 0) {
        return nullptr;
    }
    if (mark != 0) return nullptr;  // the mark is an element of its own
    return table.Own(offset).weights;
}

// A place where both texts can be cut in two with the same start: the walk
// takes the same elements from the start of both and none crosses the cut.
// The last one within the first `common` bytes, which the texts share. A
// cut needs a character to begin there in both texts, and not one the walk
// may join to the one before; and it must come before the end of both
// texts, since the walk reads a last U+0626 otherwise. The texts'
// decodings agree before it: a character that the decoder reads from bytes
// across the cut reads as U+FFFD in both, since the cut's byte continues no
// sequence. The start of the texts is always a cut.
std::size_t LastCut(const CollationTable& table, const unsigned char* a, std::size_t aSize, const unsigned char* b,
                    std::size_t bSize, std::size_t common) {
    if (common == 0) return 0;
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

// The key bytes of a text from some level on: that level's bytes from a
// cut or the start, then each further level's from the start. A key is the
// level strings joined, so the bytes of two keys after a common part
// compare as these do.
class KeyBytes {
public:
    KeyBytes(const CollationTable& table, const unsigned char* text, std::size_t size, const LevelBytes& level,
             int levelIndex, int levels)
        : table_(table), text_(text), size_(size), current_(level), level_(levelIndex), levels_(levels) {}

    /// The next key byte, or kLevelEnd after the last.
    int Next() {
        for (;;) {
            const int byte = current_.Next();
            if (byte != kLevelEnd || ++level_ >= levels_) return byte;
            current_ = LevelBytes(table_, text_, size_, level_);
        }
    }

private:
    const CollationTable& table_;
    const unsigned char* text_;
    std::size_t size_;
    LevelBytes current_;
    int level_;
    int levels_;
};

// The keys of two texts that are the same before `cut`, compared from it.
// While the two keys' level strings end together, each next level is
// compared from the cut too, its bytes before it being the same in both;
// once one ends first, the keys go on as KeyBytes, one with its next
// level from the start where the other still has bytes of this one.
ZABRELO_RARE int CompareFromCut(const CollationTable& table, const unsigned char* a, std::size_t aSize,
                                const unsigned char* b, std::size_t bSize, std::size_t cut, int levels) {
    for (int level = 0; level < levels; ++level) {
        LevelBytes x(table, a + cut, aSize - cut, level), y(table, b + cut, bSize - cut, level);
        for (;;) {
            int p = x.Next(), q = y.Next();
            if (p == q) {
                if (p == kLevelEnd) break;
                continue;
            }
            if (p >= 0 && q >= 0) return p < q ? -1 : 1;
            KeyBytes xKey(table, a, aSize, x, level, levels), yKey(table, b, bSize, y, level, levels);
            if (p == kLevelEnd) p = xKey.Next();
            if (q == kLevelEnd) q = yKey.Next();
            while (p == q && p != kLevelEnd) {
                p = xKey.Next();
                q = yKey.Next();
            }
            return (p > q) - (p < q);  // a key that ends (kLevelEnd) first
        }
    }
    return 0;
}

// What QuickLevel::Next returns besides a level-1 byte.
constexpr int kNoMoreBytes = kLevelEnd;  // the text's level-1 bytes have ended
constexpr int kWalkNeeded = -2;          // it takes the whole walk to tell
constexpr int kNoCut = -3;               // the walk may join the first unit to the one before

// One level's bytes (`kLevel`, 0-based) of a text from a cut, read
// quickly: the elements that a space, ASCII that weighs nothing, or an
// Arabic letter (a two-byte sequence) with at most the unit after it
// settle, as they mostly do; anything else is left to the whole walk
// (kWalkNeeded): an element that ends inside a letter the walk splits in
// two, U+200C, other characters. The usual letter passes one test
// (OwnWeightsStand), whatever it is; LetterElement weighs the others.
template <int kLevel>
class QuickLevel {
public:
    /// From `p` (not inside a character) to `end`; `atStart` when `p` is
    /// the text's start, else the first unit must not be one the walk may
    /// join to the unit before it (kNoCut).
    QuickLevel(const CollationTable& table, const unsigned char* p, const unsigned char* end, bool atStart)
        : table_(&table), p_(p), end_(end), first_(!atStart) {}

    ZABRELO_ALWAYS_INLINE int Next() {
        for (;;) {
            const std::size_t left = static_cast<std::size_t>(end_ - p_);
            if (left == 0) return kNoMoreBytes;
            if (p_[0] < 0x80) {
                first_ = false;
                if (*p_++ == ' ' && kSpaceWeights[kLevel] != 0) return kSpaceWeights[kLevel];
                continue;  // ASCII outside the table weighs nothing
            }
            if (!LetterAt(p_, left)) return kWalkNeeded;
            const CollationTable::KeyUnit& key = LetterKey(*table_, p_);
            if (first_ && key.ender != 0) return kNoCut;
            first_ = false;
            if (OwnWeightsStand(*table_, key, p_, left)) {
                p_ += 2;
                if (key.keep[kLevel] != 0) return key.bytes[kLevel];
                continue;  // a mark without a weight at this level
            }
            std::size_t used;
            const std::int32_t* weights = LetterElement(*table_, p_, left, used);
            if (weights == nullptr) return kWalkNeeded;
            p_ += used;
            if (weights[kLevel] != 0) return weights[kLevel] & 0xFF;
        }
    }

private:
    const CollationTable* table_;
    const unsigned char* p_;
    const unsigned char* end_;
    bool first_;
};

// The first byte of a text's key after its level-1 bytes, kLevelEnd when
// there is none: mostly the first letter's level-2 weight.
ZABRELO_RARE int FirstByteAfterLevelOne(const CollationTable& table, const unsigned char* text, std::size_t size,
                                        int levels) {
    if (levels < 2) return kLevelEnd;
    int byte = QuickLevel<1>(table, text, text + size, true).Next();
    if (byte == kNoMoreBytes && levels > 2) byte = QuickLevel<2>(table, text, text + size, true).Next();
    if (byte != kWalkNeeded) return byte;
    return KeyBytes(table, text, size, LevelBytes(table, text, 0, 0), 0, levels).Next();
}

// The order of a text whose level-1 bytes have ended against one whose
// level-1 bytes go on with `other` there: the first goes on with its
// level-2 bytes, from its start; 0 when that byte is `other` too.
ZABRELO_RARE int EndedFirst(const CollationTable& table, const unsigned char* ended, std::size_t size, int other,
                            int levels) {
    const int after = FirstByteAfterLevelOne(table, ended, size, levels);
    if (after == kWalkNeeded || after == other) return 0;
    return after < other ? -1 : 1;  // a key that ends (kLevelEnd) first
}

// The order of two texts whose first `common` bytes are the same, when
// their level-1 bytes from the place where they begin to differ settle it,
// read quickly: from the first differing characters, or, when the walk may
// join one of them to the character before, from that character on. One
// text may be the start of the other. A text whose level-1 bytes end first
// goes on with its level-2 bytes, from its start. Else 0.
ZABRELO_ALWAYS_INLINE int QuickOrder(const CollationTable& table, const unsigned char* a, std::size_t aSize,
                                       const unsigned char* b, std::size_t bSize, std::size_t common, int levels) {
    std::size_t cut = common;
    if (cut < aSize && cut < bSize) {
        // Where the differing characters begin: there, or, when they share
        // their first byte, one byte before (QuickLevel reads nothing that
        // begins with a continuation byte).
        const bool inside = !Begins(a, cut);
        if (inside == Begins(b, cut) || (inside && cut == 0)) return 0;
        cut -= inside ? 1 : 0;
    } else {
        // One text ends there: the walk reads its last U+0626 otherwise than
        // the other's, which goes on.
        const unsigned char* shorter = cut == aSize ? a : b;
        if (cut >= 2 && shorter[cut - 2] == 0xD8 && shorter[cut - 1] == 0xA6) return 0;
    }
    QuickLevel<0> x(table, a + cut, a + aSize, cut == 0), y(table, b + cut, b + bSize, cut == 0);
    int p = x.Next(), q = y.Next();
    if ((p | q) >= 0 && p != q) return (p > q) - (p < q);
    if ((p == kNoCut || q == kNoCut) && cut >= 2) {
        // From the letter before, which both texts share (when that is no
        // Arabic letter, QuickLevel reads nothing there).
        cut -= 2;
        x = QuickLevel<0>(table, a + cut, a + aSize, cut == 0);
        y = QuickLevel<0>(table, b + cut, b + bSize, cut == 0);
        p = x.Next();
        q = y.Next();
    }
    while (p == q && p >= 0) {
        p = x.Next();
        q = y.Next();
    }
    if ((p | q) >= 0) return (p > q) - (p < q);
    // One text's level-1 bytes end here: its key goes on with its level-2
    // bytes, while the other's has this level-1 byte.
    if (p == kNoMoreBytes && q >= 0) return EndedFirst(table, a, aSize, q, levels);
    if (q == kNoMoreBytes && p >= 0) return -EndedFirst(table, b, bSize, p, levels);
    return 0;
}

// What ElementByte returns besides a level-1 byte.
constexpr int kWholeWalk = -1;  // it takes the whole walk to tell
constexpr int kNoByte = -2;     // the element weighs nothing at level 1

// The level-1 byte of the Arabic letter at `p` with key entry `key` when its
// own weights stand, kNoByte when it has none at level 1; else kWholeWalk.
ZABRELO_ALWAYS_INLINE int OwnLetterByte(const CollationTable& table, const CollationTable::KeyUnit& key,
                                          const unsigned char* p, std::size_t left) {
    if (!OwnWeightsStand(table, key, p, left)) return kWholeWalk;
    return key.keep[0] != 0 ? key.bytes[0] : kNoByte;
}

// ElementByte of what its usual case leaves: a space, or a letter that
// LetterElement weighs.
ZABRELO_RARE int PreparedElementByte(const CollationTable& table, const unsigned char* p, std::size_t left,
                                     std::size_t& used) {
    if (p[0] == ' ') {
        used = 1;
        return kSpaceWeights[0] & 0xFF;
    }
    if (!LetterAt(p, left)) return kWholeWalk;
    const std::int32_t* weights = LetterElement(table, p, left, used);
    if (weights == nullptr) return kWholeWalk;
    return weights[0] != 0 ? weights[0] & 0xFF : kNoByte;
}

// The level-1 byte of the element that begins at `p` (`left` > 0 bytes on),
// where the walk cannot join what is there to what comes before, and sets
// `used` to the element's bytes: a space, or an Arabic letter alone or
// paired (LetterElement). kWholeWalk for anything else (other characters, a
// letter whose element ends inside a split letter, the end of the text).
ZABRELO_ALWAYS_INLINE int ElementByte(const CollationTable& table, const unsigned char* p, std::size_t left,
                                        std::size_t& used) {
    if (LetterAt(p, left)) {
        const int byte = OwnLetterByte(table, LetterKey(table, p), p, left);
        if (byte != kWholeWalk) {
            used = 2;
            return byte;
        }
    }
    return PreparedElementByte(table, p, left, used);
}

// LetterOrder's order when the first elements, of `xUsed` bytes at `x` and
// `yUsed` at `y`, had the same level-1 byte or none (`p`, `q`): the next few
// elements decide it, or 0.
ZABRELO_RARE int LaterElementOrder(const CollationTable& table, const unsigned char* x, const unsigned char* xEnd,
                                   const unsigned char* y, const unsigned char* yEnd, int p, std::size_t xUsed, int q,
                                   std::size_t yUsed) {
    for (int elements = 0; elements < 4; ++elements) {
        // An element that weighs nothing at level 1 gives way to the next;
        // one that does waits for the other's.
        if (p == q || p == kNoByte) x += xUsed;
        if (p == q || q == kNoByte) y += yUsed;
        if (x == xEnd || y == yEnd) return 0;
        p = ElementByte(table, x, static_cast<std::size_t>(xEnd - x), xUsed);
        q = ElementByte(table, y, static_cast<std::size_t>(yEnd - y), yUsed);
        if ((p | q) >= 0 && p != q) return p < q ? -1 : 1;
        if (p == kWholeWalk || q == kWholeWalk) return 0;
    }
    return 0;
}

// The order of two texts whose first `common` bytes are the same, when the
// level-1 bytes from where their elements begin to differ settle it within
// a few spaces and Arabic letters, as they mostly do for neighbours in a
// sort; else 0. Those elements begin at the differing characters or, when
// the walk may join one of them to the letter before, at that letter, which
// both share.
ZABRELO_RARE int ElementOrder(const CollationTable& table, const unsigned char* a, std::size_t aSize,
                              const unsigned char* b, std::size_t bSize, std::size_t common) {
    // Where the differing characters begin: there, or, when the first
    // differing byte continues a sequence, one byte before (both texts then
    // share a lead byte there).
    std::size_t cut = common - ((a[common] & 0xC0) == 0x80 ? 1 : 0);
    if (cut > common) return 0;
    if (cut > 0 && (JoinsBackAt(table, a, aSize, cut) || JoinsBackAt(table, b, bSize, cut))) {
        // From the letter before, which both share, when the walk cannot
        // join that one to the one before it.
        if (cut < 2 || !LetterAt(a + cut - 2, 2) || JoinsBackAt(table, a, aSize, cut - 2)) return 0;
        cut -= 2;
    }
    std::size_t xUsed = 0, yUsed = 0;
    const int p = ElementByte(table, a + cut, aSize - cut, xUsed);
    const int q = ElementByte(table, b + cut, bSize - cut, yUsed);
    if ((p | q) >= 0 && p != q) return p < q ? -1 : 1;
    if (p == kWholeWalk || q == kWholeWalk) return 0;
    return LaterElementOrder(table, a + cut, a + aSize, b + cut, b + bSize, p, xUsed, q, yUsed);
}

// ElementOrder's usual case: the texts differ at Arabic letters, neither of
// which the walk may join to the letter before, whose own level-1 weights
// stand and differ.
ZABRELO_ALWAYS_INLINE int LetterOrder(const CollationTable& table, const unsigned char* a, std::size_t aSize,
                                        const unsigned char* b, std::size_t bSize, std::size_t common) {
    const std::size_t cut = common - ((a[common] & 0xC0) == 0x80 ? 1 : 0);
    if (cut <= common && LetterAt(a + cut, aSize - cut) && LetterAt(b + cut, bSize - cut)) {
        const CollationTable::KeyUnit& x = LetterKey(table, a + cut);
        const CollationTable::KeyUnit& y = LetterKey(table, b + cut);
        if ((x.ender | y.ender) == 0) {
            const int p = OwnLetterByte(table, x, a + cut, aSize - cut);
            const int q = OwnLetterByte(table, y, b + cut, bSize - cut);
            if ((p | q) >= 0 && p != q) return p < q ? -1 : 1;
        }
    }
    return ElementOrder(table, a, aSize, b, bSize, common);
}

// The order of a text against a longer one that starts with it (`size`
// bytes), when the longer goes on with a space or an Arabic letter whose
// own level-1 weight stands, and the shorter's first element has its own
// level-2 weight: the shorter's key goes on with that weight where the
// longer's has the level-1 byte of what follows. Else 0.
ZABRELO_ALWAYS_INLINE int StartOrder(const CollationTable& table, const unsigned char* shorter,
                                       const unsigned char* longer, std::size_t size, std::size_t longerSize,
                                       int level) {
    // The walk reads a last U+0626 otherwise than one inside a text.
    if (size >= 2 && shorter[size - 2] == 0xD8 && shorter[size - 1] == 0xA6) return 0;
    const unsigned char* rest = longer + size;
    const std::size_t left = longerSize - size;
    int next;  // the longer's level-1 byte after the common start
    if (rest[0] == ' ') {
        next = kSpaceWeights[0] & 0xFF;
    } else if (LetterAt(rest, left) && LetterKey(table, rest).ender == 0) {
        next = OwnLetterByte(table, LetterKey(table, rest), rest, left);
        if (next < 0) return 0;
    } else {
        return 0;
    }
    if (level < 2) return -1;  // the shorter's key ends
    if (!LetterAt(shorter, size)) return 0;
    const CollationTable::KeyUnit& first = LetterKey(table, shorter);
    if (first.keep[1] == 0 || !OwnWeightsStand(table, first, shorter, size)) return 0;
    const int after = first.bytes[1];
    if (after == next) return 0;
    return after < next ? -1 : 1;
}

// The order of two texts that differ after their first `common` bytes, when
// LetterOrder cannot tell it.
ZABRELO_RARE int CompareAfter(const CollationTable& table, const unsigned char* a, std::size_t aSize,
                              const unsigned char* b, std::size_t bSize, std::size_t common, int level) {
    const int levels = std::min(level, CollationTable::kMaxLevel);
    const int quick = QuickOrder(table, a, aSize, b, bSize, common, levels);
    if (quick != 0) return quick;
    return CompareFromCut(table, a, aSize, b, bSize, LastCut(table, a, aSize, b, bSize, common), levels);
}

}  // namespace

int CompareUtf8Keys(const CollationTable& table, const char* aText, std::size_t aSize, const char* bText,
                    std::size_t bSize, int level) {
    if (level <= 0) return 0;
    const auto* a = reinterpret_cast<const unsigned char*>(aText);
    const auto* b = reinterpret_cast<const unsigned char*>(bText);
    const std::size_t common = CommonStart(a, b, std::min(aSize, bSize));
    if (common == aSize && common == bSize) return 0;
    // Most pairs are settled by the first letters where they differ.
    if (common < aSize && common < bSize) {
        const int order = LetterOrder(table, a, aSize, b, bSize, common);
        if (order != 0) return order;
    } else {
        // One text is the start of the other.
        const int order = common == aSize ? StartOrder(table, a, b, aSize, bSize, level)
                                          : -StartOrder(table, b, a, bSize, aSize, level);
        if (order != 0) return order;
    }
    return CompareAfter(table, a, aSize, b, bSize, common, level);
}

std::size_t WriteUtf8Key(const CollationTable& table, const char* text, std::size_t size, int level,
                         unsigned char* out, std::size_t capacity) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const int levels = std::min(level, CollationTable::kMaxLevel);
    std::size_t length = 0;
    for (int l = 0; l < levels; ++l) {
        LevelBytes walk(table, bytes, size, l);
        for (int byte = walk.Next(); byte != kLevelEnd; byte = walk.Next()) {
            if (length < capacity) out[length] = static_cast<unsigned char>(byte);
            ++length;
        }
    }
    return length;
}

}  // namespace zabrelo
