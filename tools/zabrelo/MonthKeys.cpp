// MonthKeys: matching a month's name at the start of a key.
#include "MonthKeys.h"

#include <cstddef>

#include "text/Utf8.h"

namespace zabrelo_tool {

namespace {

constexpr const char* kEnglish[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                    "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
constexpr const char16_t* kUrdu[] = {u"جنوری", u"فروری", u"مارچ", u"اپریل", u"مئی", u"جون",
                                     u"جولائی", u"اگست", u"ستمبر", u"اکتوبر", u"نومبر", u"دسمبر"};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Arabic spellings of the letters Urdu writes otherwise.
char32_t UrduLetter(char32_t c) {
    if (c == 0x064A || c == 0x0649) return 0x06CC;  // yeh, alef maksura: Farsi yeh
    if (c == 0x0643) return 0x06A9;                 // kaf: keheh
    return c;
}

// The month at `text[at]` and the bytes its name takes (`length`).
int Match(std::string_view text, std::size_t at, std::size_t& length) {
    if (text.size() - at >= 3) {
        for (int m = 0; m < 12; ++m) {
            bool same = true;
            for (int k = 0; k < 3 && same; ++k) {
                char c = text[at + static_cast<std::size_t>(k)];
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
                same = c == kEnglish[m][k];
            }
            if (same) {
                length = 3;
                return m + 1;
            }
        }
    }
    const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (int m = 0; m < 12; ++m) {
        std::size_t p = at;
        const char16_t* name = kUrdu[m];
        for (; *name != u'\0' && p < text.size(); ++name) {
            char32_t c = 0;
            const std::size_t size = zabrelo::ReadUtf8Lenient(bytes + p, text.size() - p, c);
            if (size == 0 || UrduLetter(c) != *name) break;
            p += size;
        }
        if (*name == u'\0') {
            length = p - at;
            return m + 1;
        }
    }
    return 0;
}

std::size_t SkipBlanks(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) ++at;
    return at;
}

}  // namespace

int MonthOf(std::string_view text) {
    std::size_t length = 0;
    return Match(text, SkipBlanks(text), length);
}

std::size_t MonthLength(std::string_view text) {
    const std::size_t at = SkipBlanks(text);
    std::size_t length = 0;
    return Match(text, at, length) != 0 ? at + length : 0;
}

}  // namespace zabrelo_tool
