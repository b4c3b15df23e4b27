// CollationEngine, the walk half: preparing an input string (the hamza
// rewriting), stepping over it one collation element at a time, and the two
// services built on the walk: keys and comparison. Everything here only reads
// the table. Keys and comparisons rewrite the input as they read it instead
// of building the prepared string, so a comparison that is decided by the
// first letters never looks at the rest of either string.
#include <algorithm>
#include <cstring>

#include "collation/CollationEngine.h"

namespace zabrelo {

namespace {

// A space weighs (0x41, 0, 0) whatever the table says; units the table does
// not weigh add nothing. Both are constants, so engines on different
// threads share nothing mutable.
constexpr std::int32_t kSpaceWeights[3] = {0x41, 0, 0};
constexpr std::int32_t kNoWeights[3] = {0, 0, 0};

int ClampLevel(int level) { return std::min(level, CollationEngine::kMaxLevel); }

// A unit's offset in the range, or kRangeSize for every unit outside it.
inline unsigned RangeIndex(char16_t u) {
    return std::min(static_cast<unsigned>(u) - static_cast<unsigned>(CollationEngine::kRangeFirst),
                    static_cast<unsigned>(CollationEngine::kRangeSize));
}

// Only five letters change: one range test and one compare let every other unit through.
inline bool IsRewritten(char16_t u) { return static_cast<unsigned>(u) - 0x0623u <= 3u || u == u'\u06D3'; }

// The prepared form of one input unit: its first unit is returned, a second
// one (a separate hamza mark) goes to `second`, which is left alone otherwise.
// None of the units written here is itself rewritten, so rewriting a prepared
// string again changes nothing.
inline char16_t Rewrite(char16_t u, bool last, char16_t& second) {
    if (!IsRewritten(u)) return u;
    switch (u) {
        case u'\u0626':  // yeh with hamza: a hamza inside the input, yeh + mark at its end
            if (!last) return u'\u0621';
            second = u'\u0654';
            return u'\u06CC';
        case u'\u06D3':
            second = u'\u0654';
            return u'\u06D2';
        case u'\u0624':
            second = u'\u0654';
            return u'\u0648';
        case u'\u0623':
            second = u'\u0654';
            return u'\u0627';
        default:  // U+0625
            second = u'\u0655';
            return u'\u0627';
    }
}

}  // namespace

// The units of the prepared string, read straight from the input.
struct CollationEngine::Units {
    const char16_t* text;
    std::size_t index;   // next input unit
    std::size_t length;  // input units
    char16_t pending;    // the second unit of a split letter; 0 when there is none

    bool AtEnd() const { return pending == 0 && index >= length; }
    char16_t Next() {
        if (pending != 0) {
            const char16_t u = pending;
            pending = 0;
            return u;
        }
        const char16_t u = text[index++];
        return Rewrite(u, index == length, pending);
    }
    // The unit Next would return; 0 (never a table code point) at the end.
    char16_t Peek() const {
        if (pending != 0) return pending;
        if (index >= length) return 0;
        char16_t unused = 0;
        return Rewrite(text[index], index + 1 == length, unused);
    }
    void Restart() {
        index = 0;
        pending = 0;
    }
};

void CollationEngine::Prepare(const std::u16string& input, std::u16string& out) {
    out.clear();
    Units units{input.data(), 0, input.size(), 0};
    while (!units.AtEnd()) out.push_back(units.Next());
}

void CollationEngine::PrepareInput(const std::u16string& input) {
    Prepare(input, prepared_);
    cursor_ = 0;
    length_ = static_cast<std::int32_t>(prepared_.size());
}

void CollationEngine::EndWalk() {
    prepared_.clear();
    cursor_ = 0;
    length_ = 0;
}

void CollationEngine::RefreshOwnWeights() {
    for (int offset = 0; offset < kRangeSize; ++offset) {
        OwnEntry& own = own_[offset];
        own.slot = slotIndex_[offset];
        const EntryList* entries = own.slot >= 0 ? &entryLists_[static_cast<std::size_t>(own.slot)] : nullptr;
        for (int l = 0; l < kMaxLevel; ++l)
            own.weights[l] = entries != nullptr && !entries->empty() ? entries->front().weights[l] : 0;

        KeyUnit& key = keyUnits_[offset];
        for (int l = 0; l < kMaxLevel; ++l) {
            key.bytes[l] = static_cast<unsigned char>(own.weights[l] & 0xFF);
            key.keep[l] = own.weights[l] != 0 ? 1 : 0;
        }
        // A unit pairs only through an entry whose code point ends a pair
        // (Element's test), so without one its own weights always stand.
        bool mayPair = false;
        if (entries != nullptr) {
            for (const CollationEntry& entry : *entries) {
                const unsigned second = static_cast<unsigned>(entry.codePoint) - static_cast<unsigned>(kRangeFirst);
                if (second < static_cast<unsigned>(kRangeSize) && followerFlags_[second] != 0) mayPair = true;
            }
        }
        const bool rewritten = IsRewritten(static_cast<char16_t>(kRangeFirst + offset));
        key.route = rewritten ? kWalk : mayPair ? kWalkBeforeEnder : 0;
        key.ender = rewritten || followerFlags_[offset] != 0 ? kWalkBeforeEnder : 0;
    }
    keyUnits_[kRangeSize] = KeyUnit{{0, 0, 0}, {0, 0, 0}, kWalk, 0};
}

const std::int32_t* CollationEngine::Element(Units& units) const {
    const char16_t c = units.Next();
    const unsigned offset = static_cast<unsigned>(c) - static_cast<unsigned>(kRangeFirst);
    if (offset < static_cast<unsigned>(kRangeSize)) {
        const OwnEntry& own = own_[offset];
        if (own.slot >= 0) {
            const char16_t next = units.Peek();
            const unsigned nextOffset = static_cast<unsigned>(next) - static_cast<unsigned>(kRangeFirst);
            if (nextOffset < static_cast<unsigned>(kRangeSize) && followerFlags_[nextOffset] != 0) {
                // The first entry that pairs wins, entry 0 included: a
                // doubled letter whose own line came first is one element.
                for (const CollationEntry& entry : entryLists_[static_cast<std::size_t>(own.slot)]) {
                    if (entry.codePoint == static_cast<std::int32_t>(next)) {
                        units.Next();
                        return entry.weights;
                    }
                }
            }
            return own.weights;
        }
    } else if (static_cast<std::int32_t>(c) == specialCodePoint_) {
        return specialWeights_;
    }
    return c == u' ' ? kSpaceWeights : kNoWeights;
}

bool CollationEngine::NextElement(std::int32_t* weights, int levels) {
    if (cursor_ >= length_) {
        weights[0] = weights[1] = weights[2] = 0;
        return true;
    }
    // The prepared string reads back unchanged through Units.
    Units units{prepared_.data(), static_cast<std::size_t>(cursor_), static_cast<std::size_t>(length_), 0};
    const std::int32_t* found = Element(units);
    cursor_ = static_cast<std::int32_t>(units.index);
    // Table weights fill only the levels asked for; the fixed triples of a
    // space or an ignorable unit fill all three.
    const int count = (found == kSpaceWeights || found == kNoWeights) ? kMaxLevel
                                                                       : std::max(0, ClampLevel(levels));
    std::memcpy(weights, found, sizeof(std::int32_t) * static_cast<std::size_t>(count));
    return false;
}

std::string CollationEngine::BuildKey(const std::u16string& text, int level) {
    if (level <= 0) return std::string();
    EndWalk();
    return WalkKey(text, ClampLevel(level));
}

std::string CollationEngine::WalkKey(const std::u16string& text, int level) {
    const char16_t* const units = text.data();
    const std::size_t length = text.size();
    // A level string gets at most one byte per prepared unit, and there are
    // at most two of those per input unit: the three level strings go side
    // by side in the scratch buffer, written without bounds checks.
    const std::size_t room = 2 * length;
    if (keyScratch_.size() < kMaxLevel * room) keyScratch_.resize(kMaxLevel * room);
    char* const out1 = &keyScratch_[0];
    char* const out2 = out1 + room;
    char* const out3 = out2 + room;
    std::size_t used1 = 0, used2 = 0, used3 = 0;

    // Most units are settled by their own entry in keyUnits_: every byte is
    // written, and kept only where its weight is not zero. Each step looks
    // up the next unit too and hands it on. Past the last unit comes the
    // string's terminating 0, outside the range.
    std::size_t index = 0;
    const KeyUnit* key = &keyUnits_[RangeIndex(units[0])];
    while (index < length) {
        const KeyUnit* const next = &keyUnits_[RangeIndex(units[index + 1])];
        if ((key->route & (kWalk | next->ender)) == 0) {
            out1[used1] = static_cast<char>(key->bytes[0]);
            used1 += key->keep[0];
            out2[used2] = static_cast<char>(key->bytes[1]);
            used2 += key->keep[1];
            out3[used3] = static_cast<char>(key->bytes[2]);
            used3 += key->keep[2];
            ++index;
            key = next;
            continue;
        }
        // The rest (spaces, units outside the table, letters to rewrite and
        // possible pairs) take the element walk, until it holds no half of a
        // split letter. The zero test is on the whole weight, so 0x100 adds
        // a 0 byte.
        Units walk{units, index, length, 0};
        do {
            const std::int32_t* w = Element(walk);
            out1[used1] = static_cast<char>(w[0] & 0xFF);
            used1 += w[0] != 0;
            out2[used2] = static_cast<char>(w[1] & 0xFF);
            used2 += w[1] != 0;
            out3[used3] = static_cast<char>(w[2] & 0xFF);
            used3 += w[2] != 0;
        } while (walk.pending != 0);
        index = walk.index;
        key = &keyUnits_[RangeIndex(units[index])];
    }

    // Close the gaps, so the key is one copy out of the scratch buffer.
    std::size_t total = used1;
    if (level >= 2) {
        std::memmove(out1 + total, out2, used2);
        total += used2;
    }
    if (level >= 3) {
        std::memmove(out1 + total, out3, used3);
        total += used3;
    }
    return std::string(out1, total);
}

// The bytes of one string's key in order, produced lazily: level 1 over a
// walk of the whole string, then level 2 over a second walk, and so on.
struct CollationEngine::KeyStream {
    Units units;
    int level;   // 0-based level being produced
    int levels;  // how many levels the key has
};

int CollationEngine::NextKeyByte(KeyStream& s) const {
    for (;;) {
        if (s.units.AtEnd()) {
            if (++s.level >= s.levels) return -1;
            s.units.Restart();
            continue;
        }
        const std::int32_t w = Element(s.units)[s.level];
        if (w != 0) return w & 0xFF;
    }
}

int CollationEngine::CompareStrings(const std::u16string& first, const std::u16string& second,
                                    int level) {
    int result = 0;
    if (level > 0) {
        const int levels = ClampLevel(level);
        EndWalk();
        // Comparing the two byte streams as they are produced gives exactly
        // the order of the whole keys, a shorter key first, but usually stops
        // at the first primary that differs.
        KeyStream a{{first.data(), 0, first.size(), 0}, 0, levels};
        KeyStream b{{second.data(), 0, second.size(), 0}, 0, levels};
        for (;;) {
            const int x = NextKeyByte(a);
            const int y = NextKeyByte(b);
            if (x != y) {
                result = x < y ? -1 : 1;  // an ended stream (-1) sorts first
                break;
            }
            if (x < 0) break;
        }
    }
    // Callers rely on this asymmetry: equal keys put the shorter input first,
    // but a longer first string stays equal rather than becoming +1.
    if (result == 0 && first.size() < second.size()) result = -1;
    return result;
}

}  // namespace zabrelo
