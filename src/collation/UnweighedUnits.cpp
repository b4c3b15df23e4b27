// UnweighedUnits: the table of units, and walking a UTF-8 text's unweighed
// units and their places one UTF-16 unit at a time without converting the
// text.
#include "collation/UnweighedUnits.h"

#include <string>

#include "collation/CollationKeys.h"
#include "text/Utf8.h"

namespace zabrelo {

namespace {

struct Unweighed {
    long unit;          // -1 after the last
    std::size_t place;  // the weighed units before it
};

// The unweighed units of a UTF-8 text, one by one, with their places among
// the units in `weighs` when kPlaces (a walk that only compares units, the
// usual one, counts nothing).
template <bool kPlaces>
class Cursor {
public:
    Cursor(const UnweighedUnits& units, const std::bitset<65536>& weighs, const char* text, std::size_t size)
        : units_(units), weighs_(weighs), p_(reinterpret_cast<const unsigned char*>(text)), end_(p_ + size) {}

    Unweighed Next() {
        for (;;) {
            if (pending_ != 0) {
                const char16_t u = pending_;
                pending_ = 0;
                if (units_.Contains(u)) return {u, weighed_};
                Pass(u);
                continue;
            }
            if (p_ == end_) return {-1, weighed_};
            char32_t c = *p_;
            if (c < 0x80) {
                ++p_;
            } else {
                p_ += ReadUtf8Lenient(p_, static_cast<std::size_t>(end_ - p_), c);
            }
            if (c >= 0x10000) {
                c -= 0x10000;
                pending_ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
                c = 0xD800 + (c >> 10);
            }
            const auto u = static_cast<char16_t>(c);
            if (units_.Contains(u)) return {u, weighed_};
            Pass(u);
        }
    }

private:
    // A unit the table weighs goes by.
    void Pass(char16_t u) {
        if constexpr (kPlaces) weighed_ += weighs_[u];
    }

    const UnweighedUnits& units_;
    const std::bitset<65536>& weighs_;
    const unsigned char* p_;
    const unsigned char* const end_;
    char16_t pending_ = 0;  // the low surrogate of a character beyond the BMP
    std::size_t weighed_ = 0;
};

}  // namespace

UnweighedUnits::UnweighedUnits(const CollationTable& table) {
    *this = FromKeyLengths([&table](char16_t unit, int level) { return WriteKey(table, &unit, 1, level, nullptr, 0); });
}

const std::bitset<65536>& UnweighedUnits::WeighsAt(int level) const {
    return weighs_[level < 0 ? 0 : level > 3 ? 3 : level];
}

int UnweighedUnits::Compare(const char* a, std::size_t aSize, const char* b, std::size_t bSize, int level) const {
    const std::bitset<65536>& weighs = WeighsAt(level);
    // The units first: texts with equal keys mostly differ there, and then
    // no place need be counted.
    {
        Cursor<false> left(*this, weighs, a, aSize), right(*this, weighs, b, bSize);
        for (;;) {
            const long x = left.Next().unit, y = right.Next().unit;
            if (x != y) return x < y ? -1 : 1;
            if (x < 0) break;
        }
    }
    Cursor<true> left(*this, weighs, a, aSize), right(*this, weighs, b, bSize);
    for (;;) {
        const Unweighed x = left.Next(), y = right.Next();
        if (x.unit < 0) return 0;
        if (x.place != y.place) return x.place < y.place ? -1 : 1;
    }
}

void UnweighedUnits::AppendSortable(const char* text, std::size_t size, int level, std::string& out) const {
    Cursor<false> cursor(*this, WeighsAt(level), text, size);
    for (Unweighed next = cursor.Next(); next.unit >= 0; next = cursor.Next()) {
        out += '\x01';
        out += static_cast<char>(next.unit >> 8);
        out += static_cast<char>(next.unit & 0xFF);
    }
    out += '\0';
    // Equal units mean as many places on both sides, so the places need no end.
    Cursor<true> places(*this, WeighsAt(level), text, size);
    for (Unweighed next = places.Next(); next.unit >= 0; next = places.Next()) {
        int bytes = 0;
        while (bytes < static_cast<int>(sizeof next.place) && (next.place >> (8 * bytes)) != 0) ++bytes;
        out += static_cast<char>(bytes);
        for (int k = bytes - 1; k >= 0; --k) out += static_cast<char>((next.place >> (8 * k)) & 0xFF);
    }
}

}  // namespace zabrelo
