// NumericKeys: the byte order of -n and -h keys must be the order of the
// values, however the digits, separators and signs are spelt. Random numbers
// are written in random spellings and their keys compared against an exact
// comparison of the values.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "NumericKeys.h"

namespace {

struct Value {
    bool negative;
    std::string integer, fraction;  // ASCII digits, as drawn (leading and trailing zeros kept)
    int unit;                       // -h's suffix: 0 none, 1 K ... 8 Y
};

// -1, 0 or 1: the exact order of two values (without units).
int CompareValues(const Value& a, const Value& b) {
    const auto trim = [](const Value& v, std::string& integer, std::string& fraction) {
        integer = v.integer.substr(std::min(v.integer.find_first_not_of('0'), v.integer.size()));
        fraction = v.fraction.substr(0, v.fraction.find_last_not_of('0') + 1);
        return integer.empty() && fraction.empty();
    };
    std::string ai, af, bi, bf;
    const bool aZero = trim(a, ai, af), bZero = trim(b, bi, bf);
    const int aSign = aZero ? 0 : a.negative ? -1 : 1, bSign = bZero ? 0 : b.negative ? -1 : 1;
    if (aSign != bSign) return aSign < bSign ? -1 : 1;
    int order = ai.size() != bi.size() ? (ai.size() < bi.size() ? -1 : 1) : ai.compare(bi);
    if (order == 0) order = af.compare(bf);
    order = order < 0 ? -1 : order > 0 ? 1 : 0;
    return aSign < 0 ? -order : order;
}

// A spelling of `v`: each digit ASCII, Urdu or Arabic-Indic; thousands
// separators now and then; either decimal point; either minus, perhaps
// after a bidirectional mark.
std::string Spell(const Value& v, std::mt19937& random) {
    static const char* const kDigits[3][10] = {
        {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"},
        {"۰", "۱", "۲", "۳", "۴", "۵", "۶", "۷", "۸", "۹"},
        {"٠", "١", "٢", "٣", "٤", "٥", "٦", "٧", "٨", "٩"}};
    const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    std::string text = pick(2) ? " " : "";
    if (v.negative) text += pick(3) == 0 ? "\u061C\u2212" : pick(2) ? "\u2212" : "-";
    for (std::size_t i = 0; i < v.integer.size(); ++i) {
        text += kDigits[pick(3)][v.integer[i] - '0'];
        if (i + 1 < v.integer.size() && (v.integer.size() - i - 1) % 3 == 0 && pick(2)) text += "٬";
    }
    if (!v.fraction.empty() || pick(4) == 0) text += pick(2) ? "." : "٫";
    for (const char d : v.fraction) text += kDigits[pick(3)][d - '0'];
    if (v.unit > 0) text += "KMGTPEZY"[v.unit - 1];
    return text + (pick(2) ? " tail" : "");
}

TEST(NumericKeysTest, KeysOrderAsTheValues) {
    std::mt19937 random(25);
    std::vector<Value> values;
    for (int i = 0; i < 400; ++i) {
        Value v{random() % 2 == 0, "", "", static_cast<int>(random() % 3)};
        const auto digits = [&random](std::size_t most) {
            std::string s(random() % (most + 1), '0');
            for (char& d : s) d = static_cast<char>('0' + random() % (random() % 4 == 0 ? 2 : 10));
            return s;
        };
        v.integer = digits(i % 7 == 0 ? 30 : 6);
        v.fraction = digits(4);
        values.push_back(v);
    }
    for (const Value& a : values) {
        for (int k = 0; k < 20; ++k) {
            const Value& b = values[random() % values.size()];
            std::string ka, kb, ha, hb;
            const std::string sa = Spell(a, random), sb = Spell(b, random);
            zabrelo_tool::AppendNumeric(sa, ka);
            zabrelo_tool::AppendNumeric(sb, kb);
            const int want = CompareValues(a, b);
            const int got = ka < kb ? -1 : ka > kb ? 1 : 0;
            ASSERT_EQ(got, want) << "-n: " << sa << " against " << sb;
            // -h: the signed unit first (none for a zero), then the value.
            zabrelo_tool::AppendHumanNumeric(sa, ha);
            zabrelo_tool::AppendHumanNumeric(sb, hb);
            const auto unit = [](const Value& v) {
                const bool zero = CompareValues(v, Value{false, "", "", 0}) == 0;
                return zero ? 0 : v.negative ? -v.unit : v.unit;
            };
            const int hwant = unit(a) != unit(b) ? (unit(a) < unit(b) ? -1 : 1) : want;
            ASSERT_EQ(ha < hb ? -1 : ha > hb ? 1 : 0, hwant) << "-h: " << sa << " against " << sb;
        }
    }
}

// Every number of a few digits, both signs, each integer part with every
// fraction of up to three digits: keys in byte order are in value order,
// equal exactly for equal values (digits go two to a byte, and a fraction's
// last digit may stand alone).
TEST(NumericKeysTest, ShortNumbersSortByValue) {
    std::vector<Value> values;
    std::vector<std::string> fractions{""};
    for (std::size_t at = 0; at < fractions.size() && fractions[at].size() < 3; ++at) {
        for (char d = '0'; d <= '9'; ++d) fractions.push_back(fractions[at] + d);
    }
    for (const bool negative : {false, true}) {
        for (const char* integer : {"", "7", "45", "123", "9999"}) {
            for (const std::string& fraction : fractions) values.push_back({negative, integer, fraction, 0});
        }
    }
    std::vector<std::pair<std::string, const Value*>> keyed;
    for (const Value& v : values) {
        std::string key;
        zabrelo_tool::AppendNumeric((v.negative ? "-" : "") + v.integer + "." + v.fraction, key);
        keyed.emplace_back(key, &v);
    }
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 1; i < keyed.size(); ++i) {
        const int order = CompareValues(*keyed[i - 1].second, *keyed[i].second);
        ASSERT_EQ(order, keyed[i - 1].first == keyed[i].first ? 0 : -1)
            << keyed[i - 1].second->integer << "." << keyed[i - 1].second->fraction << " against "
            << keyed[i].second->integer << "." << keyed[i].second->fraction;
    }
}

// Numbers spelt in ASCII alone are keyed by a path of their own: each
// must get the key it gets with its digits in Urdu, its minus as U+2212.
TEST(NumericKeysTest, AsciiSpellingsKeyAsOtherSpellings) {
    const auto urdu = [](const std::string& ascii) {
        std::string text;
        for (const char c : ascii) {
            if (c >= '0' && c <= '9') {
                text += "\xDB";
                text += static_cast<char>(0xB0 + (c - '0'));
            } else {
                text += c == '-' ? std::string("\u2212") : std::string(1, c);
            }
        }
        return text;
    };
    std::vector<std::string> texts = {"",      " ",      "-",     "-0",    "0",      "00.000", ".5",   "5.",
                                      "-.5",   " -12.340 x", "\t7", "\n8", "+5",     "1.2.3",  "0005", "-0.0",
                                      "12e5",  "1,234",  "- 5",   "--5",   "5-",     "0.0001", "-007.70"};
    for (const std::size_t digits : {std::size_t{249}, std::size_t{250}, std::size_t{251}, std::size_t{300}}) {
        texts.push_back(std::string(digits, '9'));
        texts.push_back("-" + std::string(digits, '1') + ".5");
    }
    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i) {
        std::string text;
        for (std::size_t n = random() % 12; n > 0; --n) text += " -.0123456789x"[random() % 14];
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        std::string ascii, other;
        zabrelo_tool::AppendNumeric(text, ascii);
        zabrelo_tool::AppendNumeric(urdu(text), other);
        ASSERT_EQ(ascii, other) << "\"" << text << "\"";
    }
}

}  // namespace
