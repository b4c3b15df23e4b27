// UnweighedUnits: the table of units, and walking a UTF-8 text's unweighed
// units one UTF-16 unit at a time without converting the text.
#include "collation/UnweighedUnits.h"

#include <string>

#include "collation/CollationKeys.h"
#include "text/Utf8.h"

namespace zabrelo {

namespace {

template <typename KeyOf>
void Fill(std::bitset<65536>& unweighed, KeyOf keyOf) {
    std::u16string unit(1, u'\0');
    for (std::size_t u = 0; u < unweighed.size(); ++u) {
        unit[0] = static_cast<char16_t>(u);
        unweighed[u] = keyOf(unit).empty();
    }
}

// The unweighed units of a UTF-8 text, one by one.
class Cursor {
public:
    Cursor(const UnweighedUnits& units, const char* text, std::size_t size)
        : units_(units), p_(reinterpret_cast<const unsigned char*>(text)), end_(p_ + size) {}

    /// The next unweighed unit, or -1 after the last.
    long Next() {
        for (;;) {
            if (pending_ != 0) {
                const char16_t u = pending_;
                pending_ = 0;
                if (units_.Contains(u)) return u;
                continue;
            }
            if (p_ == end_) return -1;
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
            if (units_.Contains(u)) return u;
        }
    }

private:
    const UnweighedUnits& units_;
    const unsigned char* p_;
    const unsigned char* const end_;
    char16_t pending_ = 0;  // the low surrogate of a character beyond the BMP
};

}  // namespace

UnweighedUnits::UnweighedUnits(const ZabreloLib& lib) {
    Fill(unweighed_, [&lib](const std::u16string& unit) { return lib.GetCollationKey(unit, 3); });
}

UnweighedUnits::UnweighedUnits(const CollationTable& table) {
    Fill(unweighed_, [&table](const std::u16string& unit) { return BuildKey(table, unit.data(), unit.size(), 3); });
}

int UnweighedUnits::Compare(const char* a, std::size_t aSize, const char* b, std::size_t bSize) const {
    Cursor left(*this, a, aSize), right(*this, b, bSize);
    for (;;) {
        const long x = left.Next(), y = right.Next();
        if (x != y) return x < y ? -1 : 1;
        if (x < 0) return 0;
    }
}

void UnweighedUnits::Collect(const char* text, std::size_t size, std::u16string& out) const {
    out.clear();
    Cursor cursor(*this, text, size);
    for (long unit = cursor.Next(); unit >= 0; unit = cursor.Next()) out += static_cast<char16_t>(unit);
}

}  // namespace zabrelo
