// CollationEngine, the walk half: preparing an input string (the hamza
// rewriting), stepping over it one collation element at a time, and the two
// services built on the walk: keys and comparison. Everything here only reads
// the table, and reuses the engine's buffers so no call allocates per element.
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

}  // namespace

void CollationEngine::Prepare(const std::u16string& input, std::u16string& out) {
    const std::size_t n = input.size();
    out.clear();
    // Every rewrite adds at most one unit.
    if (out.capacity() < 2 * n) out.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t u = input[i];
        switch (u) {
            case u'\u0626':  // yeh with hamza: a hamza inside the input, yeh + mark at its end
                if (i + 1 == n) {
                    out.push_back(u'\u06CC');
                    out.push_back(u'\u0654');
                } else {
                    out.push_back(u'\u0621');
                }
                break;
            case u'\u06D3':
                out.push_back(u'\u06D2');
                out.push_back(u'\u0654');
                break;
            case u'\u0624':
                out.push_back(u'\u0648');
                out.push_back(u'\u0654');
                break;
            case u'\u0623':
                out.push_back(u'\u0627');
                out.push_back(u'\u0654');
                break;
            case u'\u0625':
                out.push_back(u'\u0627');
                out.push_back(u'\u0655');
                break;
            default:
                out.push_back(u);
        }
    }
}

void CollationEngine::PrepareInput(const std::u16string& input) {
    Prepare(input, prepared_);
    cursor_ = 0;
    length_ = static_cast<std::int32_t>(prepared_.size());
}

const std::int32_t* CollationEngine::Element(const char16_t* text, int length, int& cursor) const {
    const char16_t c = text[cursor];
    const unsigned offset = static_cast<unsigned>(c) - static_cast<unsigned>(kRangeFirst);
    if (offset < static_cast<unsigned>(kRangeSize)) {
        const std::int32_t slot = slotIndex_[offset];
        if (slot >= 0) {
            const EntryList& entries = entryLists_[static_cast<std::size_t>(slot)];
            if (cursor + 1 < length) {
                const char16_t next = text[cursor + 1];
                const unsigned nextOffset = static_cast<unsigned>(next) - static_cast<unsigned>(kRangeFirst);
                if (nextOffset < static_cast<unsigned>(kRangeSize) && followerFlags_[nextOffset] != 0) {
                    // The first entry that pairs wins, entry 0 included: a
                    // doubled letter whose own line came first is one element.
                    for (const CollationEntry& entry : entries) {
                        if (entry.codePoint == static_cast<std::int32_t>(next)) {
                            cursor += 2;
                            return entry.weights;
                        }
                    }
                }
            }
            ++cursor;
            return entries.front().weights;
        }
    } else if (static_cast<std::int32_t>(c) == specialCodePoint_) {
        ++cursor;
        return specialWeights_;
    }
    ++cursor;
    return c == u' ' ? kSpaceWeights : kNoWeights;
}

bool CollationEngine::NextElement(std::int32_t* weights, int levels) {
    if (cursor_ >= length_) {
        weights[0] = weights[1] = weights[2] = 0;
        return true;
    }
    int cursor = cursor_;
    const std::int32_t* found = Element(prepared_.data(), length_, cursor);
    cursor_ = cursor;
    // Table weights fill only the levels asked for; the fixed triples of a
    // space or an ignorable unit fill all three.
    const int count = (found == kSpaceWeights || found == kNoWeights) ? kMaxLevel
                                                                       : std::max(0, ClampLevel(levels));
    std::memcpy(weights, found, sizeof(std::int32_t) * static_cast<std::size_t>(count));
    return false;
}

std::string CollationEngine::BuildKey(const std::u16string& text, int level) {
    if (level <= 0) return std::string();
    level = ClampLevel(level);
    PrepareInput(text);

    // Each level gets at most one byte per prepared unit: size the reused
    // buffers once and write through pointers.
    const auto n = static_cast<std::size_t>(length_);
    char* out[kMaxLevel];
    for (int l = 0; l < level; ++l) {
        if (levelBytes_[l].size() < n) levelBytes_[l].resize(n);
        out[l] = &levelBytes_[l][0];
    }
    std::size_t used[kMaxLevel] = {0, 0, 0};

    const char16_t* p = prepared_.data();
    int cursor = 0;
    while (cursor < length_) {
        const std::int32_t* w = Element(p, length_, cursor);
        for (int l = 0; l < level; ++l) {
            // The zero test is on the whole weight: 0x100 adds a 0 byte.
            if (w[l] != 0) out[l][used[l]++] = static_cast<char>(w[l] & 0xFF);
        }
    }
    cursor_ = cursor;

    std::string key;
    key.reserve(used[0] + used[1] + used[2]);
    for (int l = 0; l < level; ++l) key.append(out[l], used[l]);
    return key;
}

// The bytes of one string's key in order, produced lazily: level 1 over a
// walk of the whole string, then level 2 over a second walk, and so on.
struct CollationEngine::KeyStream {
    const char16_t* text;
    int length;
    int cursor;
    int level;   // 0-based level being produced
    int levels;  // how many levels the key has
};

int CollationEngine::NextKeyByte(KeyStream& s) const {
    for (;;) {
        if (s.cursor >= s.length) {
            if (++s.level >= s.levels) return -1;
            s.cursor = 0;
            continue;
        }
        const std::int32_t w = Element(s.text, s.length, s.cursor)[s.level];
        if (w != 0) return w & 0xFF;
    }
}

int CollationEngine::CompareStrings(const std::u16string& first, const std::u16string& second,
                                    int level) {
    int result = 0;
    if (level > 0) {
        const int levels = ClampLevel(level);
        Prepare(second, preparedOther_);
        PrepareInput(first);
        // Comparing the two byte streams as they are produced gives exactly
        // the order of the whole keys, a shorter key first, but usually stops
        // at the first primary that differs.
        KeyStream a{prepared_.data(), length_, 0, 0, levels};
        KeyStream b{preparedOther_.data(), static_cast<int>(preparedOther_.size()), 0, 0, levels};
        for (;;) {
            const int x = NextKeyByte(a);
            const int y = NextKeyByte(b);
            if (x != y) {
                result = x < y ? -1 : 1;  // an ended stream (-1) sorts first
                break;
            }
            if (x < 0) break;
        }
        cursor_ = length_;
    }
    // Callers rely on this asymmetry: equal keys put the shorter input first,
    // but a longer first string stays equal rather than becoming +1.
    if (result == 0 && first.size() < second.size()) result = -1;
    return result;
}

}  // namespace zabrelo
