// NumericKeys: reading a number's digits where they stand and writing its
// value in a form whose bytes sort as the values do.
//
// -n and -h: a class byte (negative, zero, positive), then the count of
// significant integer digits (one byte up to 250, else FC and four bytes:
// the first bytes of a key should tell most numbers apart), then the digits
// without leading zeros and the fraction's without trailing zeros, two to a
// byte (PackDigits), so a sort by bytes tells a hundred values apart at each.
// A longer integer part is a larger number; equal lengths go digit by
// digit; a fraction that is a start of another is the smaller, as a lone
// last digit packs below every pair it starts and the part's closing bytes
// (00 00) sort before every packed byte. A negative number has all of that
// inverted and ends in FF, so a fraction that is a start of another is the
// larger.
//
// -g: a class byte (no number, NaN, negative, zero, positive), then the
// binary exponent in two bytes and the mantissa in eight, inverted for a
// negative number.
#include "NumericKeys.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace zabrelo_tool {

namespace {

using Byte = unsigned char;

bool IsBlank(Byte c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsAsciiDigit(Byte c) { return c >= '0' && c <= '9'; }

// The digit at `p` (ASCII, Urdu or Arabic-Indic) in `digit`; its length in
// bytes, 0 when there is none.
std::size_t DigitAt(const Byte* p, const Byte* end, int& digit) {
    if (p >= end) return 0;
    if (IsAsciiDigit(*p)) {
        digit = *p - '0';
        return 1;
    }
    if (end - p >= 2) {
        if (p[0] == 0xDB && p[1] >= 0xB0 && p[1] <= 0xB9) {  // U+06F0..U+06F9
            digit = p[1] - 0xB0;
            return 2;
        }
        if (p[0] == 0xD9 && p[1] >= 0xA0 && p[1] <= 0xA9) {  // U+0660..U+0669
            digit = p[1] - 0xA0;
            return 2;
        }
    }
    return 0;
}

bool IsArabic(const Byte* p, const Byte* end, Byte second) {  // U+0640..U+067F as D9 xx
    return end - p >= 2 && p[0] == 0xD9 && p[1] == second;
}
bool IsThousands(const Byte* p, const Byte* end) { return IsArabic(p, end, 0xAC); }  // U+066C

// The length of the decimal point at `p` ('.' or U+066B), 0 when none.
std::size_t PointAt(const Byte* p, const Byte* end) {
    if (p < end && *p == '.') return 1;
    return IsArabic(p, end, 0xAB) ? 2 : 0;
}

// The length of a bidirectional mark at `p` (U+061C, U+200E, U+200F), 0 when none.
std::size_t MarkAt(const Byte* p, const Byte* end) {
    if (end - p >= 2 && p[0] == 0xD8 && p[1] == 0x9C) return 2;
    if (end - p >= 3 && p[0] == 0xE2 && p[1] == 0x80 && (p[2] == 0x8E || p[2] == 0x8F)) return 3;
    return 0;
}

// The length of a minus sign at `p` ('-' or U+2212), 0 when none.
std::size_t MinusAt(const Byte* p, const Byte* end) {
    if (p < end && *p == '-') return 1;
    return end - p >= 3 && p[0] == 0xE2 && p[1] == 0x88 && p[2] == 0x92 ? 3 : 0;
}

struct Number {
    const Byte* start = nullptr;     // after the blanks
    bool negative = false;
    const Byte* integer = nullptr;   // the first significant integer digit
    const Byte* integerEnd = nullptr;
    std::uint32_t integerDigits = 0;  // significant ones
    const Byte* fraction = nullptr;  // the fraction's digits, up to its last non-zero one
    const Byte* fractionEnd = nullptr;
    const Byte* end = nullptr;       // just past the number, where -h's suffix stands
    bool digits = false;             // whether it has a digit at all
    bool Zero() const { return integerDigits == 0 && fraction == fractionEnd; }
};

Number Read(std::string_view text) {
    const Byte* p = reinterpret_cast<const Byte*>(text.data());
    const Byte* const end = p + text.size();
    Number n;
    while (p < end && IsBlank(*p)) ++p;
    n.start = p;
    const Byte* sign = p;
    for (std::size_t mark; (mark = MarkAt(sign, end)) != 0;) sign += mark;
    if (const std::size_t minus = MinusAt(sign, end)) {
        n.negative = true;
        p = sign + minus;
    }
    int digit = 0;
    bool digits = false;
    // Leading zeros, and thousands separators among them, count for nothing.
    for (;;) {
        const std::size_t size = DigitAt(p, end, digit);
        if (size != 0 && digit == 0) {
            digits = true;
            p += size;
        } else if (size == 0 && digits && IsThousands(p, end) && DigitAt(p + 2, end, digit)) {
            p += 2;
        } else {
            break;
        }
    }
    n.integer = p;
    for (;;) {
        while (p < end && IsAsciiDigit(*p)) {  // ASCII digits, the most common, at once
            ++p;
            ++n.integerDigits;
        }
        if (const std::size_t size = DigitAt(p, end, digit)) {
            ++n.integerDigits;
            p += size;
        } else if ((digits || n.integerDigits > 0) && IsThousands(p, end) && DigitAt(p + 2, end, digit)) {
            p += 2;
        } else {
            break;
        }
    }
    digits = digits || n.integerDigits > 0;
    n.integerEnd = p;
    n.fraction = n.fractionEnd = p;
    if (const std::size_t point = PointAt(p, end)) {
        p += point;
        n.fraction = n.fractionEnd = p;
        while (const std::size_t size = DigitAt(p, end, digit)) {
            p += size;
            if (digit != 0) n.fractionEnd = p;
        }
    }
    n.end = p;
    n.digits = digits || n.fraction != p;
    return n;
}

// Writes the digits in [p, end) as ASCII at `w`, past any thousands
// separators; returns the end of what it wrote.
char* WriteDigits(const Byte* p, const Byte* end, char* w) {
    int digit = 0;
    while (p < end) {
        if (IsAsciiDigit(*p)) {
            *w++ = static_cast<char>(*p++);
        } else if (const std::size_t size = DigitAt(p, end, digit)) {
            *w++ = static_cast<char>('0' + digit);
            p += size;
        } else {
            p += 2;  // U+066C
        }
    }
    return w;
}

// Packs the ASCII digits [digits, end) two to a byte at `w`: a pair a b as
// 1 + 11a + (b + 1), a lone last digit a as 1 + 11a, so the bytes (1 to
// 110, never 00 or, inverted, FF) compare as the digit strings do. `w` may
// be `digits` itself. Returns the end of what it wrote.
char* PackDigits(const char* digits, const char* end, char* w) {
    for (; end - digits >= 2; digits += 2) {
        *w++ = static_cast<char>(1 + 11 * (digits[0] - '0') + (digits[1] - '0' + 1));
    }
    if (digits < end) *w++ = static_cast<char>(1 + 11 * (digits[0] - '0'));
    return w;
}

// The key's class byte and its count of integer digits at `w`; returns
// the end of what it wrote (at most five bytes).
char* WriteHead(bool negative, std::uint32_t integerDigits, char* w) {
    *w++ = negative ? '\x01' : '\x03';
    if (integerDigits <= 250) {
        *w++ = static_cast<char>(integerDigits + 1);
    } else {
        *w++ = '\xFC';
        for (int shift = 24; shift >= 0; shift -= 8) *w++ = static_cast<char>((integerDigits >> shift) & 0xFF);
    }
    return w;
}

// Appends the key begun at `key`, its head written and its number's ASCII
// digits at [digits, end): the digits packed, and for a negative number all
// after the class byte inverted and closed with FF (one byte of room past
// `end`).
void AppendKey(char* key, char* digits, char* end, bool negative, std::string& out) {
    char* last = PackDigits(digits, end, digits);
    if (negative) {
        for (char* c = key + 1; c < last; ++c) *c = static_cast<char>(~*c);
        *last++ = '\xFF';
    }
    out.append(key, static_cast<std::size_t>(last - key));
}

void AppendValue(const Number& n, std::string& out) {
    if (n.Zero()) {
        out += '\x02';
        return;
    }
    // Never more digits than bytes; a class byte, up to five of the count
    // and a closing FF besides. Most numbers fit the local buffer.
    const auto span = static_cast<std::size_t>((n.integerEnd - n.integer) + (n.fractionEnd - n.fraction)) + 7;
    char local[64];
    std::string longer;
    if (span > sizeof local) longer.resize(span);
    char* const buffer = span > sizeof local ? &longer[0] : local;
    char* const digits = WriteHead(n.negative, n.integerDigits, buffer);
    char* w = WriteDigits(n.integer, n.integerEnd, digits);
    w = WriteDigits(n.fraction, n.fractionEnd, w);
    AppendKey(buffer, digits, w, n.negative, out);
}

// Most numbers are spelt in ASCII alone ("-1234.50"): their key is written
// as AppendValue would write it, without Read's look at each byte for the
// other digits, separators and signs. False, writing nothing, when a byte
// outside ASCII stands where the number could begin or go on, or the
// number is long: Read then takes it.
bool AppendAsciiNumber(std::string_view text, std::string& out) {
    const Byte* p = reinterpret_cast<const Byte*>(text.data());
    const Byte* const end = p + text.size();
    while (p < end && IsBlank(*p)) ++p;
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    while (p < end && *p == '0') ++p;
    const Byte* const integer = p;
    while (p < end && IsAsciiDigit(*p)) ++p;
    const auto integerDigits = static_cast<std::size_t>(p - integer);
    const Byte* fraction = p;
    const Byte* fractionEnd = p;
    if (p < end && *p == '.') {
        fraction = fractionEnd = ++p;
        for (; p < end && IsAsciiDigit(*p); ++p) {
            if (*p != '0') fractionEnd = p + 1;
        }
    }
    const auto fractionDigits = static_cast<std::size_t>(fractionEnd - fraction);
    char key[64];
    if ((p < end && *p >= 0x80) || integerDigits + fractionDigits + 3 > sizeof key) return false;
    if (integerDigits == 0 && fractionDigits == 0) {
        out += '\x02';
        return true;
    }
    char* const digits = WriteHead(negative, static_cast<std::uint32_t>(integerDigits), key);
    std::memcpy(digits, integer, integerDigits);
    std::memcpy(digits + integerDigits, fraction, fractionDigits);
    AppendKey(key, digits, digits + integerDigits + fractionDigits, negative, out);
    return true;
}

// The place of an SI suffix: 0 for none.
int UnitOrder(const Byte* p, const Byte* end) {
    if (p >= end) return 0;
    static const char kUnits[] = "KMGTPEZYRQ";
    if (*p == 'k') return 1;
    for (int i = 0; kUnits[i] != '\0'; ++i) {
        if (*p == static_cast<Byte>(kUnits[i])) return i + 1;
    }
    return 0;
}

// The text strtold reads in place of a key: ASCII as it is, other digits,
// separators and signs in their ASCII spelling; stops at any other character.
const char* AsciiNumber(std::string_view text, std::string& scratch, std::vector<std::size_t>* offsets = nullptr) {
    const Byte* const begin = reinterpret_cast<const Byte*>(text.data());
    const Byte* p = begin;
    const Byte* const end = p + text.size();
    scratch.clear();
    if (offsets) offsets->clear();
    int digit = 0;
    while (p < end) {
        std::size_t size;
        if (offsets) offsets->resize(scratch.size() + 1, static_cast<std::size_t>(p - begin));
        if (*p < 0x80) {
            if (*p == '\0') break;
            scratch += static_cast<char>(*p++);
        } else if ((size = DigitAt(p, end, digit)) != 0) {
            scratch += static_cast<char>('0' + digit);
            p += size;
        } else if ((size = PointAt(p, end)) != 0) {
            scratch += '.';
            p += size;
        } else if ((size = MinusAt(p, end)) != 0) {
            scratch += '-';
            p += size;
        } else if ((size = MarkAt(p, end)) != 0 && MinusAt(p + size, end) != 0) {
            p += size;
        } else if (IsThousands(p, end) && !scratch.empty() && scratch.back() >= '0' && scratch.back() <= '9' &&
                   DigitAt(p + 2, end, digit)) {
            p += 2;
        } else {
            break;
        }
    }
    if (offsets) offsets->resize(scratch.size() + 1, static_cast<std::size_t>(p - begin));
    return scratch.c_str();
}

}  // namespace

void AppendNumeric(std::string_view text, std::string& out) {
    if (!AppendAsciiNumber(text, out)) AppendValue(Read(text), out);
}

void AppendHumanNumeric(std::string_view text, std::string& out) {
    const Number n = Read(text);
    const int unit = n.Zero() ? 0 : UnitOrder(n.end, reinterpret_cast<const Byte*>(text.data()) + text.size());
    out += static_cast<char>(16 + (n.negative ? -unit : unit));
    AppendValue(n, out);
}

void AppendGeneralNumeric(std::string_view text, std::string& out) {
    thread_local std::string scratch;
    const char* const ascii = AsciiNumber(text, scratch);
    char* parsed = nullptr;
    const long double value = std::strtold(ascii, &parsed);
    if (parsed == ascii) {
        out += '\x01';
        return;
    }
    if (std::isnan(value)) {
        // NaNs in a fixed order of their own: by sign, "nan" before "-nan".
        out += '\x02';
        out += std::signbit(value) ? '\x02' : '\x01';
        return;
    }
    if (value == 0) {
        out += '\x04';
        return;
    }
    const bool negative = std::signbit(value);
    std::uint32_t exponent = 0xFFFFu;
    std::uint64_t mantissa = ~std::uint64_t{0};
    if (!std::isinf(value)) {
        int binaryExponent = 0;
        const long double fraction = std::frexp(std::fabs(value), &binaryExponent);  // in [0.5, 1)
        exponent = static_cast<std::uint32_t>(binaryExponent + 0x8000);  // within 16 bits for any long double
        mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    }
    const unsigned char flip = negative ? 0xFF : 0x00;
    out += negative ? '\x03' : '\x05';
    for (int shift = 8; shift >= 0; shift -= 8) out += static_cast<char>(((exponent >> shift) & 0xFF) ^ flip);
    for (int shift = 56; shift >= 0; shift -= 8) out += static_cast<char>(((mantissa >> shift) & 0xFF) ^ flip);
}

std::pair<std::size_t, std::size_t> NumberSpan(std::string_view text, char kind) {
    const Byte* const base = reinterpret_cast<const Byte*>(text.data());
    const Byte* const end = base + text.size();
    const Byte* start = base;
    while (start < end && IsBlank(*start)) ++start;
    const auto first = static_cast<std::size_t>(start - base);
    if (kind == 'g') {
        std::string scratch;
        std::vector<std::size_t> offsets;
        const std::string_view rest = text.substr(first);
        const char* const ascii = AsciiNumber(rest, scratch, &offsets);
        char* parsed = nullptr;
        std::strtold(ascii, &parsed);
        return {first, first + offsets[static_cast<std::size_t>(parsed - ascii)]};
    }
    const Number n = Read(text);
    if (!n.digits) return {first, first};
    const Byte* last = n.end;
    if (kind == 'h' && UnitOrder(n.end, end) != 0) ++last;
    return {first, static_cast<std::size_t>(last - base)};
}

}  // namespace zabrelo_tool
