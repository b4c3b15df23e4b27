// Utf8QuickOrder: the quick paths that are not inline: the elements after
// the first differing letters (ElementOrder), and the first letters after
// the difference at every level (QuickOrder).
#include "collation/Utf8QuickOrder.h"

#include <cstdint>

#include "collation/Utf8Walk.h"

namespace zabrelo {

namespace {

// The weights of the element that begins with the Arabic letter at `p`
// (`left` bytes on), where the walk cannot join it to what comes before,
// as the walk prepares it (U+0626 inside a text read as a hamza, the
// letters it splits as their first unit and mark), alone or paired with the
// next unit; sets `used` to its bytes. Null when the element ends inside a
// letter the walk splits: then it takes the whole walk.
ZABRELO_RARE const std::int32_t* LetterElement(const CollationTable& table, const unsigned char* p, std::size_t left,
                                               std::size_t& used) {
    used = 2;
    char16_t mark = 0;  // the second unit of a split letter
    const char16_t unit = Rewrite(UnitAt(p), left == 2, mark);
    const unsigned offset = CollationTable::RangeIndex(unit);
    const CollationTable::KeyUnit& key = table.Key(offset);
    if (key.kind == CollationTable::UnitKind::kPairStart) {
        // The unit after it as the walk reads it.
        char16_t next = mark;
        char16_t nextMark = 0;
        if (next == 0 && LetterAt(p + 2, left - 2)) next = Rewrite(UnitAt(p + 2), left == 4, nextMark);
        if (const std::int32_t* pair = table.PairWeights(unit, next)) {
            if (nextMark != 0) return nullptr;  // the pair ends inside the next letter
            // A decomposed ئ weighs by its place: the whole walk tells.
            if (next == u'\u0654' && table.ComposedYehHamza(unit, true) != nullptr) return nullptr;
            used = mark != 0 ? 2 : 4;
            return pair;
        }
    } else if (key.kind != CollationTable::UnitKind::kAlone) {
        return nullptr;
    }
    if (mark != 0) return nullptr;  // the mark is an element of its own
    return table.Own(offset).weights;
}

// One level's bytes (`kLevel`, 0-based) of a text from a cut, read
// quickly: the elements that an ASCII character (a space, or one that
// weighs nothing) or an Arabic letter with at most the unit after it
// settle, as they mostly do; anything else is left to the whole walk
// (kWalkNeeded): an element that ends inside a letter the walk splits in
// two, U+200C, other characters. The usual letter passes one test
// (LetterWeightsStand), whatever it is; LetterElement weighs the others.
template <int kLevel>
class QuickLevel {
public:
    /// From `p` (not inside a character) to `end`; `atStart` when `p` is
    /// the text's start, else the first unit must be no ender (kNoCut).
    QuickLevel(const CollationTable& table, const unsigned char* p, const unsigned char* end, bool atStart)
        : table_(&table), p_(p), end_(end), first_(!atStart) {}

    /// A byte, kEnd once the level's bytes have ended, kWalkNeeded or kNoCut.
    ZABRELO_ALWAYS_INLINE int Next() {
        for (;;) {
            const std::size_t left = static_cast<std::size_t>(end_ - p_);
            if (left == 0) return kEnd;
            if (p_[0] < 0x80) {
                first_ = false;
                const std::int32_t* weights = SingleOtherWeights(*table_, *p_);
                if (weights == nullptr) return kWalkNeeded;
                ++p_;
                if (weights[kLevel] != 0) return weights[kLevel] & 0xFF;
                continue;
            }
            if (!LetterAt(p_, left)) return kWalkNeeded;
            const CollationTable::KeyUnit& key = LetterKey(*table_, p_);
            if (first_ && key.ender != 0) return kNoCut;
            first_ = false;
            if (LetterWeightsStand(*table_, key, p_, left)) {
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

// The first byte of a text's key after its level-1 bytes, kEnd when there
// is none: mostly the first letter's level-2 weight.
ZABRELO_RARE int FirstByteAfterLevelOne(const CollationTable& table, const unsigned char* text, std::size_t size,
                                        int levels) {
    if (levels < 2) return kEnd;
    int byte = QuickLevel<1>(table, text, text + size, true).Next();
    if (byte == kEnd && levels > 2) byte = QuickLevel<2>(table, text, text + size, true).Next();
    if (byte != kWalkNeeded) return byte;
    const Utf8Text whole{text, text + size};
    return KeyStream<Utf8Text>(table, whole, whole.Start(), 1, levels).Next();
}

// The order of a text whose level-1 bytes have ended against one whose
// level-1 bytes go on with `other` there: the first goes on with its
// level-2 bytes, from its start; 0 when that byte is `other` too.
ZABRELO_RARE int EndedFirst(const CollationTable& table, const unsigned char* ended, std::size_t size, int other,
                            int levels) {
    const int after = FirstByteAfterLevelOne(table, ended, size, levels);
    if (after == kWalkNeeded || after == other) return 0;
    return after < other ? -1 : 1;  // a key that ends (kEnd) first
}

// ElementByte of what its usual case leaves: an ASCII character, or a
// letter that LetterElement weighs.
ZABRELO_RARE int PreparedElementByte(const CollationTable& table, const unsigned char* p, std::size_t left,
                                     std::size_t& used) {
    if (p[0] < 0x80) {
        const std::int32_t* weights = SingleOtherWeights(table, p[0]);
        if (weights == nullptr || weights[0] == 0) return kWalkNeeded;
        used = 1;
        return weights[0] & 0xFF;
    }
    if (!LetterAt(p, left)) return kWalkNeeded;
    const std::int32_t* weights = LetterElement(table, p, left, used);
    if (weights == nullptr) return kWalkNeeded;
    return weights[0] != 0 ? weights[0] & 0xFF : kNoByte;
}

// The level-1 byte of the element that begins at `p` (`left` > 0 bytes on),
// where the walk cannot join what is there to what comes before, and sets
// `used` to the element's bytes: a space, or an Arabic letter alone or
// paired (LetterElement). kWalkNeeded for anything else (other characters, a
// letter whose element ends inside a split letter, the end of the text).
ZABRELO_ALWAYS_INLINE int ElementByte(const CollationTable& table, const unsigned char* p, std::size_t left,
                                        std::size_t& used) {
    if (LetterAt(p, left)) {
        const int byte = OwnLetterByte(table, LetterKey(table, p), p, left);
        if (byte != kWalkNeeded) {
            used = 2;
            return byte;
        }
    }
    return PreparedElementByte(table, p, left, used);
}

// ElementOrder's order when the first elements, of `xUsed` bytes at `x` and
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
        if (p == kWalkNeeded || q == kWalkNeeded) return 0;
    }
    return 0;
}

}  // namespace

int ElementOrder(const CollationTable& table, const unsigned char* a, std::size_t aSize, const unsigned char* b,
                 std::size_t bSize, std::size_t common) {
    // Where the differing characters begin: there, or, when the first
    // differing byte continues a sequence, one byte before (both texts then
    // share a lead byte there). The elements begin there or, when the walk
    // may join one of those characters to the letter before, at that
    // letter, which both share.
    std::size_t cut = common - (Begins(a, common) ? 0 : 1);
    if (cut > common) return 0;
    if (cut > 0 && (EnderAt(table, a, aSize, cut) || EnderAt(table, b, bSize, cut))) {
        // From the letter before, when the walk cannot join that one to
        // the one before it.
        if (cut < 2 || !LetterAt(a + cut - 2, 2) || EnderAt(table, a, aSize, cut - 2)) return 0;
        cut -= 2;
    }
    std::size_t xUsed = 0, yUsed = 0;
    const int p = ElementByte(table, a + cut, aSize - cut, xUsed);
    const int q = ElementByte(table, b + cut, bSize - cut, yUsed);
    if ((p | q) >= 0 && p != q) return p < q ? -1 : 1;
    if (p == kWalkNeeded || q == kWalkNeeded) return 0;
    return LaterElementOrder(table, a + cut, a + aSize, b + cut, b + bSize, p, xUsed, q, yUsed);
}

int QuickOrder(const CollationTable& table, const unsigned char* a, std::size_t aSize, const unsigned char* b,
               std::size_t bSize, std::size_t common, int levels) {
    std::size_t cut = common;
    if (cut < aSize && cut < bSize) {
        // Where the differing characters begin: there, or, when they share
        // their first byte, one byte before (QuickLevel reads nothing that
        // begins with a continuation byte).
        const bool inside = !Begins(a, cut);
        if (inside == Begins(b, cut) || (inside && cut == 0)) return 0;
        cut -= inside ? 1 : 0;
    } else if (EndsByPlace(table, cut == aSize ? a : b, cut)) {
        return 0;  // the shorter text weighs its last letter otherwise than the other, which goes on
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
    if (p == kEnd && q >= 0) return EndedFirst(table, a, aSize, q, levels);
    if (q == kEnd && p >= 0) return -EndedFirst(table, b, bSize, p, levels);
    return 0;
}

}  // namespace zabrelo
