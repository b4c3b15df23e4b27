// NaturalKeys: one pass per level over the text, cut into runs of digits
// and the stretches between them. A digit is never rewritten, and no pair
// of the bundled table holds one, so the text can be cut before and after
// every run, and each stretch is keyed by the one walk (KeyWalk.h), UTF-16
// or UTF-8 alike. (A table that pairs a digit with a letter gets the pair
// cut apart: the natural key weighs the two on their own.)
#include "collation/NaturalKeys.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "collation/CollationKeys.h"
#include "collation/KeyWalk.h"
#include "collation/StoppableKey.h"
#include "collation/Utf8Keys.h"
#include "collation/Utf8Walk.h"

namespace zabrelo {

namespace {

constexpr int kNoDigit = -1;

// The value of a digit unit of any of the three sets, else kNoDigit.
int DigitValue(char16_t u) {
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'\u0660' && u <= u'\u0669') return u - u'\u0660';
    if (u >= u'\u06F0' && u <= u'\u06F9') return u - u'\u06F0';
    return kNoDigit;
}

// What the walk needs of the two encodings beyond KeyWalk.h's text types:
// the digit at a place, and the stretch between two places as a text.
int DigitAt(const Utf16Text& text, std::size_t place) { return DigitValue(text.text[place]); }
Utf16Text Between(const Utf16Text& text, std::size_t from, std::size_t to) {
    return Utf16Text{text.text + from, to - from};
}

// A place of a Utf8Text starts a character as the lenient reader reads it,
// and every two-byte sequence is well-formed, so the digits are matched on
// their bytes.
int DigitAt(const Utf8Text& text, const unsigned char* place) {
    const unsigned lead = place[0];
    if (lead >= '0' && lead <= '9') return static_cast<int>(lead - '0');
    if (text.end - place < 2) return kNoDigit;
    const unsigned next = place[1];
    if (lead == 0xD9 && next >= 0xA0 && next <= 0xA9) return static_cast<int>(next - 0xA0);  // U+0660..U+0669
    if (lead == 0xDB && next >= 0xB0 && next <= 0xB9) return static_cast<int>(next - 0xB0);  // U+06F0..U+06F9
    return kNoDigit;
}
Utf8Text Between(const Utf8Text&, const unsigned char* from, const unsigned char* to) { return Utf8Text{from, to}; }

// Whether a text holds a digit: without one its natural key is its plain
// key, which the one walk builds in a single pass and compares lazily.
bool HoldsDigit(const Utf16Text& text) {
    return std::any_of(text.text, text.text + text.length, [](char16_t u) { return DigitValue(u) != kNoDigit; });
}
// A byte 0xD9 or 0xDB always begins a character, so the bytes of a digit
// are told apart without reading the characters.
bool HoldsDigit(const Utf8Text& text) {
    for (const unsigned char* p = text.begin; p != text.end; ++p) {
        if (*p >= '0' && *p <= '9') return true;
        if ((*p == 0xD9 || *p == 0xDB) && p + 1 != text.end && DigitAt(text, p) != kNoDigit) return true;
    }
    return false;
}

// The level-1 key of the one-unit text `u` (room for at least one byte);
// returns its whole length. Read from the unit's own weights where they
// stand, as they do for a digit, since every text that holds a number asks.
std::size_t UnitPrimary(const CollationTable& table, char16_t u, unsigned char* out, std::size_t room) {
    const KeyUnit& unit = table.Key(CollationTable::RangeIndex(u));
    if (!CollationTable::OwnWeightsStand(unit, table.Key(CollationTable::kRangeSize))) {
        return WriteKey(table, &u, 1, 1, out, room);
    }
    out[0] = unit.bytes[0];
    return unit.keep[0];
}

// The level-1 bytes of a number: the lead (the level-1 key of the Urdu
// digit zero, whatever its length), and a byte per digit value. These are
// the Urdu digits' primaries when the table gives them one byte each in
// ascending order, as any sensible table does; otherwise fixed bytes keep
// numbers in value order all the same.
struct NumberBytes {
    unsigned char lead[8];
    std::size_t leadSize;
    unsigned char digit[10];

    explicit NumberBytes(const CollationTable& table) {
        const char16_t zero = u'\u06F0';
        leadSize = std::min(UnitPrimary(table, zero, lead, sizeof lead), sizeof lead);
        bool ascending = true;
        for (int d = 0; d < 10; ++d) {
            const char16_t unit = static_cast<char16_t>(zero + d);
            unsigned char primary[2];
            ascending = ascending && UnitPrimary(table, unit, primary, sizeof primary) == 1 &&
                        primary[0] > kLowestByte && (d == 0 || primary[0] > digit[d - 1]);
            digit[d] = ascending ? primary[0] : 0;
        }
        if (!ascending) {
            for (int d = 0; d < 10; ++d) digit[d] = static_cast<unsigned char>(kLowestByte + 1 + d);
        }
    }

    // Every byte of a level-1 key must stay above every level-2 and level-3
    // byte (the levels are joined without a separator), which the space's
    // fixed primary 0x41 bounds from below.
    static constexpr unsigned char kLowestByte = 0x41;
    // The count of significant digits: one byte from 0x42 up to 0xFE, and
    // for longer numbers a 0xFF for every 189 digits before it, so that a
    // longer number's count is larger and no count is the start of another.
    static constexpr std::size_t kCountsPerByte = 0xFF - (kLowestByte + 1);
};

// Level 1 of the digit run [from, to): the lead, the count of significant
// digits (leading zeros left out) and those digits, so runs compare by
// value; the zeros count at levels 2 and 3, where each digit keeps its own
// weights.
template <class Text, class Place>
void PutNumber(OneLevel& sink, const Text& text, Place from, Place to, const NumberBytes& bytes) {
    for (std::size_t k = 0; k < bytes.leadSize; ++k) sink.Put(bytes.lead[k], true);
    while (from != to && DigitAt(text, from) == 0) from = text.After(from);
    std::size_t count = 0;
    for (Place p = from; p != to; p = text.After(p)) ++count;
    for (; count >= NumberBytes::kCountsPerByte; count -= NumberBytes::kCountsPerByte) sink.Put(0xFF, true);
    sink.Put(static_cast<unsigned char>(NumberBytes::kLowestByte + 1 + count), true);
    for (Place p = from; p != to; p = text.After(p)) sink.Put(bytes.digit[DigitAt(text, p)], true);
}

// Units (or bytes) of a place's text, for asking a stop check now and then.
std::size_t Distance(std::size_t from, std::size_t to) { return to - from; }
std::size_t Distance(const unsigned char* from, const unsigned char* to) { return static_cast<std::size_t>(to - from); }

template <class Text>
std::size_t NaturalKey(const CollationTable& table, const Text text, int level, unsigned char* out,
                       std::size_t capacity, const StopCheck* stop) {
    using Place = typename Text::Place;
    if (level <= 0) return 0;
    if (stop == nullptr && !HoldsDigit(text)) return WriteTextKey(table, text, level, out, capacity);
    const int levels = std::min(level, CollationTable::kMaxLevel);
    std::optional<NumberBytes> number;  // wanted only by a text that holds a digit
    std::size_t sinceAsked = 0;
    OneLevel sink{out, capacity, 0, 0};
    for (sink.level = 0; sink.level < levels; ++sink.level) {
        // After level 1 each digit keeps its own weights, so the level is
        // the plain key's: one walk, but where the caller asks now and then.
        if (sink.level > 0 && stop == nullptr) {
            sink = WalkKey(table, text, sink);
            continue;
        }
        for (Place place = text.Start(); !text.AtEnd(place);) {
            Place end = place;
            const bool digits = DigitAt(text, place) != kNoDigit;
            while (!text.AtEnd(end) && (DigitAt(text, end) != kNoDigit) == digits) end = text.After(end);
            if (digits && sink.level == 0) {
                if (!number) number.emplace(table);
                PutNumber(sink, text, place, end, *number);
            } else if (digits || text.AtEnd(end)) {
                sink = WalkKey(table, Between(text, place, end), sink);
            } else {
                // A stretch before a digit is walked with that digit, so that
                // its last letter reads as the letter inside a text does, not
                // as the text's last one (a final U+0626 is keyed otherwise).
                // The digit's bytes are then taken back: what follows the
                // stretch at this level begins with those very bytes (the
                // run's own, at levels 2 and 3) or writes over them (the
                // number at level 1), so nothing stays past the key.
                const Place after = text.After(end);
                sink = WalkKey(table, Between(text, place, after), sink);
                const Counter digit = WalkKey(table, Between(text, end, after), Counter{0, 0, 0});
                sink.used -= sink.level == 0 ? digit.used1 : sink.level == 1 ? digit.used2 : digit.used3;
            }
            sinceAsked += Distance(place, end);
            if (stop != nullptr && sinceAsked >= kStopStride) {
                if (stop->Asked()) return kKeyStopped;
                sinceAsked = 0;
            }
            place = end;
        }
    }
    return sink.used;
}

// Compares the natural keys that `write(out, capacity)` writes, on the
// stack when both fit, else in strings.
template <class WriteA, class WriteB>
int CompareWholeKeys(WriteA writeA, WriteB writeB) {
    constexpr std::size_t kRoom = 1024;
    unsigned char a[kRoom], b[kRoom];
    const std::size_t aSize = writeA(a, kRoom);
    const std::size_t bSize = writeB(b, kRoom);
    if (aSize <= kRoom && bSize <= kRoom) {
        const int order = std::memcmp(a, b, std::min(aSize, bSize));
        if (order != 0) return order < 0 ? -1 : 1;
        return (aSize > bSize) - (aSize < bSize);
    }
    std::string x(aSize, '\0'), y(bSize, '\0');
    writeA(reinterpret_cast<unsigned char*>(&x[0]), aSize);
    writeB(reinterpret_cast<unsigned char*>(&y[0]), bSize);
    const int order = x.compare(y);
    return (order > 0) - (order < 0);
}

// Compares the natural keys at `level` that `write(out, capacity, level)`
// writes. Most texts differ in their level-1 strings, at a byte both have:
// then the keys differ there too, and the other levels are never built.
template <class Write>
int CompareWritten(Write write, int level) {
    const auto atLevel = [&](int side, int l) {
        return [&write, side, l](unsigned char* out, std::size_t room) { return write(side, out, room, l); };
    };
    if (level > 1) {
        constexpr std::size_t kRoom = 256;
        unsigned char a[kRoom], b[kRoom];
        const std::size_t shared = std::min({write(0, a, kRoom, 1), write(1, b, kRoom, 1), kRoom});
        const int order = std::memcmp(a, b, shared);
        if (order != 0) return order < 0 ? -1 : 1;
    }
    return CompareWholeKeys(atLevel(0, level), atLevel(1, level));
}

Utf8Text Utf8Of(const char* text, std::size_t size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    return Utf8Text{bytes, bytes + size};
}

}  // namespace

std::size_t WriteNaturalKey(const CollationTable& table, const char16_t* text, std::size_t length, int level,
                            unsigned char* out, std::size_t capacity, const StopCheck* stop) {
    return NaturalKey(table, Utf16Text{text, length}, level, out, capacity, stop);
}

std::size_t WriteNaturalUtf8Key(const CollationTable& table, const char* text, std::size_t size, int level,
                                unsigned char* out, std::size_t capacity, const StopCheck* stop) {
    return NaturalKey(table, Utf8Of(text, size), level, out, capacity, stop);
}

std::string BuildNaturalKey(const CollationTable& table, const char16_t* text, std::size_t length, int level) {
    std::string key(WriteNaturalKey(table, text, length, level, nullptr, 0), '\0');
    if (!key.empty()) WriteNaturalKey(table, text, length, level, reinterpret_cast<unsigned char*>(&key[0]), key.size());
    return key;
}

int CompareNaturalKeys(const CollationTable& table, const char16_t* a, std::size_t aLength, const char16_t* b,
                       std::size_t bLength, int level) {
    if (!HoldsDigit(Utf16Text{a, aLength}) && !HoldsDigit(Utf16Text{b, bLength})) {
        const int x = FirstKeyByte(table, a, aLength), y = FirstKeyByte(table, b, bLength);
        if (level > 0 && x >= 0 && y >= 0 && x != y) return x < y ? -1 : 1;
        return CompareKeys(table, a, aLength, b, bLength, level);
    }
    return CompareWritten(
        [&](int side, unsigned char* out, std::size_t room, int l) {
            return side == 0 ? WriteNaturalKey(table, a, aLength, l, out, room)
                             : WriteNaturalKey(table, b, bLength, l, out, room);
        },
        level);
}

int CompareNaturalUtf8Keys(const CollationTable& table, const char* a, std::size_t aSize, const char* b,
                           std::size_t bSize, int level) {
    if (!HoldsDigit(Utf8Of(a, aSize)) && !HoldsDigit(Utf8Of(b, bSize))) {
        return CompareUtf8Keys(table, a, aSize, b, bSize, level);
    }
    return CompareWritten(
        [&](int side, unsigned char* out, std::size_t room, int l) {
            return side == 0 ? WriteNaturalUtf8Key(table, a, aSize, l, out, room)
                             : WriteNaturalUtf8Key(table, b, bSize, l, out, room);
        },
        level);
}

}  // namespace zabrelo
