// The UTF-8 codec: the boundaries of every sequence length, each way a
// sequence can be ill-formed, what the lenient reading makes of it, and
// what each caller's choice does with a lone surrogate.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/Utf8.h"

namespace {

using zabrelo::LoneSurrogate;

std::u16string Strict(const std::string& bytes, bool* ok = nullptr) {
    std::u16string out;
    const bool valid = zabrelo::Utf8ToUtf16(bytes.data(), bytes.size(), out);
    if (ok) *ok = valid;
    return valid ? out : u"<invalid>";
}

std::u16string Lenient(const std::string& bytes, LoneSurrogate surrogates) {
    return zabrelo::Utf8ToUtf16Lenient(bytes.data(), bytes.size(), surrogates);
}

struct ValidCase { const char* why; std::string bytes; std::u16string units; };
const ValidCase kValid[] = {
    {"empty", "", u""},
    {"NUL is a character", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    {"highest one byte", "\x7F", u"\u007F"},
    {"lowest two bytes", "\xC2\x80", u"\u0080"},
    {"highest two bytes", "\xDF\xBF", u"\u07FF"},
    {"Arabic", "\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8", u"\u06A9\u062A\u0627\u0628"},
    {"lowest three bytes", "\xE0\xA0\x80", u"\u0800"},
    {"below the surrogates", "\xED\x9F\xBF", u"\uD7FF"},
    {"above the surrogates", "\xEE\x80\x80", u"\uE000"},
    {"highest three bytes", "\xEF\xBF\xBF", u"\uFFFF"},
    {"lowest four bytes: a pair", "\xF0\x90\x80\x80", u"\U00010000"},
    {"highest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
    {"mixed", "a\xD8\xA7\xE2\x80\x8C\xF0\x9F\x98\x80", u"a\u0627\u200C\U0001F600"},
};

TEST(Utf8Test, WellFormedSequencesDecodeAndEncodeBack) {
    for (const ValidCase& c : kValid) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(Strict(c.bytes), c.units);
        EXPECT_EQ(Lenient(c.bytes, LoneSurrogate::kReplace), c.units);
        EXPECT_EQ(Lenient(c.bytes, LoneSurrogate::kKeep), c.units);
        EXPECT_EQ(zabrelo::Utf16ToUtf8(c.units, LoneSurrogate::kReplace), c.bytes);
        EXPECT_EQ(zabrelo::Utf16ToUtf8(c.units, LoneSurrogate::kKeep), c.bytes);
    }
}

// Each ill-formed input, and its lenient reading: one U+FFFD per byte that
// begins no well-formed sequence, decoding going on at the next byte. With
// kKeep only the surrogates read otherwise (kept lists them).
struct InvalidCase { const char* why; std::string bytes; std::u16string lenient; std::u16string kept; };
const std::u16string R = u"\uFFFD";
const InvalidCase kInvalid[] = {
    {"C0: an overlong two-byte form", "\xC0\xAF", R + R, u""},
    {"C1: overlong too", "a\xC1\xBF", u"a" + R + R, u""},
    {"overlong three bytes", "\xE0\x80\xAF", R + R + R, u""},
    {"highest overlong three bytes", "\xE0\x9F\xBF", R + R + R, u""},
    {"overlong four bytes", "\xF0\x8F\xBF\xBF", R + R + R + R, u""},
    {"lowest surrogate", "\xED\xA0\x80", R + R + R, u"\xD800"},
    {"highest surrogate", "\xED\xBF\xBF", R + R + R, u"\xDFFF"},
    {"a pair in two 3-byte forms", "\xED\xA0\xBD\xED\xB8\x80", R + R + R + R + R + R, u"\U0001F600"},
    {"above U+10FFFF", "\xF4\x90\x80\x80", R + R + R + R, u""},
    {"lead byte F5", "\xF5\x80\x80\x80", R + R + R + R, u""},
    {"lead byte FF", "\xFF" "a", R + u"a", u""},
    {"lone continuation byte", "\xD8\xA7\x80", u"\u0627" + R, u""},
    {"two-byte form cut at the end", "\xD8", R, u""},
    {"three-byte form cut at the end", "\xE0\xA0", R + R, u""},
    {"four-byte form cut before a letter", "\xF0\x9F\x98\xD8\xA7", R + R + R + u"\u0627", u""},
    {"continuation expected, ASCII found", "\xE2\x80" "a", R + R + u"a", u""},
    {"an overlong slash never reads as one", "\xC0\xAF\xE0\x80\xAF", R + R + R + R + R, u""},
};

TEST(Utf8Test, IllFormedSequencesAreRefusedOrReplaced) {
    for (const InvalidCase& c : kInvalid) {
        SCOPED_TRACE(c.why);
        bool ok = true;
        Strict(c.bytes, &ok);
        EXPECT_FALSE(ok);
        std::vector<char16_t> buffer(c.bytes.size() + 1, u'#');
        EXPECT_EQ(zabrelo::DecodeUtf8(c.bytes.data(), c.bytes.size(), buffer.data()), zabrelo::kInvalidUtf8);
        EXPECT_EQ(Lenient(c.bytes, LoneSurrogate::kReplace), c.lenient);
        EXPECT_EQ(Lenient(c.bytes, LoneSurrogate::kKeep), c.kept.empty() ? c.lenient : c.kept);
    }
}

TEST(Utf8Test, DecodingWritesNoMoreUnitsThanBytes) {
    for (const std::string bytes : {"abc", "\xD8\xA7\xD8\xA8", "\xEF\xBF\xBF", "\xF0\x9F\x98\x80", "\xF0\x9F\x98"}) {
        std::vector<char16_t> buffer(bytes.size() + 1, u'#');
        zabrelo::DecodeUtf8Lenient(bytes.data(), bytes.size(), buffer.data(), LoneSurrogate::kReplace);
        zabrelo::DecodeUtf8(bytes.data(), bytes.size(), buffer.data());
        EXPECT_EQ(buffer.back(), u'#') << bytes;
    }
}

// Lone surrogates: U+FFFD for text handed to a peer (the strict reading of
// the result is the replacement), their own 3-byte form for file names (the
// path comes back unit for unit, and a strict reader refuses it).
struct LoneCase { const char* why; std::u16string units; std::string replaced; std::string kept; };
const LoneCase kLone[] = {
    {"high, then ASCII", std::u16string(u"\xD800") + u"a", "\xEF\xBF\xBD" "a", "\xED\xA0\x80" "a"},
    {"low at the end", u"\u0627\xDC00", "\xD8\xA7\xEF\xBF\xBD", "\xD8\xA7\xED\xB0\x80"},
    {"high at the end", u"\xDBFF", "\xEF\xBF\xBD", "\xED\xAF\xBF"},
    {"a reversed pair is two lone units", u"\xDE00\xD83D", "\xEF\xBF\xBD\xEF\xBF\xBD", "\xED\xB8\x80\xED\xA0\xBD"},
    {"two highs, then a low: the second pairs", u"\xD83D\xD83D\xDE00", "\xEF\xBF\xBD\xF0\x9F\x98\x80",
     "\xED\xA0\xBD\xF0\x9F\x98\x80"},
};

TEST(Utf8Test, LoneSurrogatesAreReplacedOrKept) {
    for (const LoneCase& c : kLone) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(zabrelo::Utf16ToUtf8(c.units, LoneSurrogate::kReplace), c.replaced);
        EXPECT_EQ(zabrelo::Utf16ToUtf8(c.units, LoneSurrogate::kKeep), c.kept);
        bool ok = false;
        Strict(c.replaced, &ok);
        EXPECT_TRUE(ok);
        Strict(c.kept, &ok);
        EXPECT_FALSE(ok);
        EXPECT_EQ(Lenient(c.kept, LoneSurrogate::kKeep), c.units);
    }
}

TEST(Utf8Test, EveryUnitSurvivesTheFileNameRoundTrip) {
    for (char32_t u = 0; u <= 0xFFFF; ++u) {
        const std::u16string units{u'\u0627', static_cast<char16_t>(u), u'b'};
        const std::string bytes = zabrelo::Utf16ToUtf8(units, LoneSurrogate::kKeep);
        ASSERT_EQ(Lenient(bytes, LoneSurrogate::kKeep), units) << std::hex << static_cast<unsigned>(u);
        const bool surrogate = u >= 0xD800 && u <= 0xDFFF;
        bool ok = false;
        const std::u16string strict = Strict(bytes, &ok);
        ASSERT_EQ(ok, !surrogate) << std::hex << static_cast<unsigned>(u);
        if (ok) {
            ASSERT_EQ(strict, units);
        }
    }
}

}  // namespace
