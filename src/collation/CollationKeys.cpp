// CollationKeys: keys and comparison of UTF-16 text, built on the one walk
// (KeyWalk.h). Both read the input through PreparedUnits, rewriting as they
// go instead of building the prepared string, so a comparison that is
// decided by the first letters never looks at the rest of either string.
#include "collation/CollationKeys.h"

#include <algorithm>
#include <cstring>

#include "collation/KeyWalk.h"

namespace zabrelo {

namespace {

// The key of a longer text as a string: counted first, so the string is
// allocated once, then written in one pass. Each level string gets one byte
// more than its size, for the byte SideBySide writes, and does not keep,
// once the level string is full.
std::string LongKeyString(const CollationTable& table, const Utf16Text text, int levels) {
    const Counter count = WalkKey(table, text, Counter{0, 0, 0});
    std::string key(count.used1 + count.used2 + count.used3 + 3, '\0');
    unsigned char* const base = reinterpret_cast<unsigned char*>(&key[0]);
    const SideBySide start{base, base + count.used1 + 1, base + count.used1 + count.used2 + 2};
    key.resize(JoinLevels(start, WalkKey(table, text, start), levels));
    return key;
}

}  // namespace

std::size_t WriteKey(const CollationTable& table, const char16_t* text, std::size_t length, int level,
                     unsigned char* out, std::size_t capacity) {
    return WriteTextKey(table, Utf16Text{text, length}, level, out, capacity);
}

std::string BuildKey(const CollationTable& table, const char16_t* text, std::size_t length, int level) {
    if (level <= 0) return std::string();
    const int levels = std::min(level, CollationTable::kMaxLevel);
    const Utf16Text units{text, length};
    if (!FitsOnStack(table, units)) return LongKeyString(table, units, levels);
    unsigned char scratch[kStackBytes];
    const std::size_t total = StackKey(table, units, levels, scratch);
    return std::string(reinterpret_cast<const char*>(scratch), total);
}

int CompareKeys(const CollationTable& table, const char16_t* first, std::size_t firstLength,
                const char16_t* second, std::size_t secondLength, int level, std::size_t from) {
    if (level <= 0) return 0;
    const int levels = std::min(level, CollationTable::kMaxLevel);
    // Comparing the two byte streams as they are produced gives exactly the
    // order of the whole keys, a shorter key first, but usually stops at the
    // first primary that differs. A stream that starts after the shared
    // first byte goes on with its next levels from the text's start.
    KeyStream<Utf16Text> a(table, Utf16Text{first, firstLength}, from, 0, levels);
    KeyStream<Utf16Text> b(table, Utf16Text{second, secondLength}, from, 0, levels);
    for (;;) {
        const int x = a.Next();
        const int y = b.Next();
        if (x != y) return (x > y) - (x < y);  // an ended stream (kEnd) sorts first
        if (x < 0) return 0;
    }
}

}  // namespace zabrelo
