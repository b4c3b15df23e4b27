// UrduText: the generators and the word-file readers. The generators use
// their own random source and integer arithmetic only, so the strings (and
// the figures recorded from them) do not change between standard libraries.
#include "UrduText.h"

#include <fstream>
#include <utility>

#include "text/Utf8.h"

namespace zabrelo_test {

namespace {

struct Weighted {
    char16_t unit;
    std::uint32_t weight;
};

// Letters inside a word, weighted roughly as in running Urdu text (per 10,000).
// Word-final forms (ے, ں, ۃ) and the vowel marks are drawn separately.
constexpr Weighted kLetters[] = {
    {u'\u0627', 1100}, {u'\u06CC', 900}, {u'\u0646', 620}, {u'\u0631', 560}, {u'\u06A9', 540},
    {u'\u06C1', 420},  {u'\u0648', 520}, {u'\u0645', 470}, {u'\u062A', 420}, {u'\u0644', 380},
    {u'\u0633', 360},  {u'\u0628', 320}, {u'\u062F', 300}, {u'\u067E', 160}, {u'\u062C', 160},
    {u'\u0642', 110},  {u'\u0639', 120}, {u'\u06AF', 150}, {u'\u0634', 100}, {u'\u062D', 80},
    {u'\u0641', 80},   {u'\u0632', 60},  {u'\u062E', 60},  {u'\u0679', 60},  {u'\u0686', 60},
    {u'\u0635', 50},   {u'\u0637', 40},  {u'\u063A', 30},  {u'\u0688', 40},  {u'\u0691', 40},
    {u'\u062B', 20},   {u'\u0630', 20},  {u'\u0636', 20},  {u'\u0638', 20},  {u'\u0698', 3},
    {u'\u0621', 30},   {u'\u0626', 60},  {u'\u0624', 10},  {u'\u0623', 5},   {u'\u06BE', 20},
};
// Last letter of a word: long vowels, the nasal and the word-final forms weigh more.
constexpr Weighted kFinals[] = {
    {u'\u06D2', 900}, {u'\u06CC', 900}, {u'\u0627', 800}, {u'\u06BA', 500}, {u'\u06C1', 500},
    {u'\u0646', 400}, {u'\u0631', 400}, {u'\u062A', 300}, {u'\u0645', 250}, {u'\u0644', 250},
    {u'\u062F', 200}, {u'\u06A9', 150}, {u'\u0633', 150}, {u'\u0628', 100}, {u'\u06C3', 20},
    {u'\u0626', 40},  {u'\u06D3', 20},  {u'\u0624', 20},  {u'\u06C2', 10},  {u'\u0621', 30},
};
// Zabar, zer, pesh, shadda, sukun, and the rare dagger alef.
constexpr Weighted kMarks[] = {{u'\u064E', 40}, {u'\u0650', 30}, {u'\u064F', 20},
                               {u'\u0651', 10}, {u'\u0652', 5},  {u'\u0670', 2}};
// Letters that take the aspirating ھ.
constexpr char16_t kAspirable[] = u"\u0628\u067E\u062A\u0679\u062C\u0686\u062F\u0688\u0631\u0691\u06A9\u06AF\u0644\u0645\u0646";
// Word lengths 2..12, peaking at 4 and 5 letters.
constexpr std::uint32_t kLengthWeights[] = {80, 160, 220, 200, 130, 80, 50, 35, 25, 12, 8};

template <std::size_t N>
char16_t Pick(Random& random, const Weighted (&table)[N]) {
    std::uint32_t total = 0;
    for (const Weighted& w : table) total += w.weight;
    std::uint32_t r = random.Below(total);
    for (const Weighted& w : table) {
        if (r < w.weight) return w.unit;
        r -= w.weight;
    }
    return table[0].unit;
}

int PickLength(Random& random) {
    std::uint32_t total = 0;
    for (std::uint32_t w : kLengthWeights) total += w;
    std::uint32_t r = random.Below(total);
    int length = 2;
    for (std::uint32_t w : kLengthWeights) {
        if (r < w) break;
        r -= w;
        ++length;
    }
    return length;
}

bool IsAspirable(char16_t c) {
    for (const char16_t* p = kAspirable; *p != 0; ++p)
        if (*p == c) return true;
    return false;
}

void AppendWord(Random& random, std::u16string& out) {
    const int length = PickLength(random);
    for (int i = 0; i < length; ++i) {
        char16_t c;
        if (i == 0 && random.Below(100) < 4) {
            c = u'\u0622';  // alef madda opens a word
        } else if (i + 1 == length && random.Below(100) < 45) {
            c = Pick(random, kFinals);
        } else {
            c = Pick(random, kLetters);
        }
        out.push_back(c);
        if (IsAspirable(c) && i + 1 < length && random.Below(100) < 12) {
            out.push_back(u'\u06BE');
            ++i;
        }
        if (random.Below(100) < 4) out.push_back(Pick(random, kMarks));
    }
}

}  // namespace

std::vector<std::u16string> GenerateUrdu(std::size_t count, std::uint64_t seed) {
    Random random(seed);
    std::vector<std::u16string> out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::u16string text;
        const std::uint32_t roll = random.Below(100);
        const int words = roll < 86 ? 1 : roll < 96 ? 2 : 3;
        for (int w = 0; w < words; ++w) {
            if (w > 0) text.push_back(u' ');
            AppendWord(random, text);
        }
        out.push_back(std::move(text));
    }
    return out;
}

const std::u16string kWalkAlphabet =
    u"\u0627\u0628\u067E\u062A\u0679\u062C\u0686\u062F\u0688\u0631\u0691\u0633\u0634\u0635"
    u"\u06A9\u06AF\u0644\u0645\u0646\u06BA\u0648\u06C1\u06BE\u0621\u06CC\u06D2\u0630"
    u"\u0626\u0623\u0624\u0625\u06D3\u0622\u0654\u0655\u0653\u064E\u0650\u064F\u0651"
    u"\u0643\u064A\u0647\u06F1\u0661\u060C\u06D4\u200C a\xD800\xFFFF";

std::u16string RandomUnits(Random& random, const std::u16string& alphabet, std::size_t length) {
    std::u16string text;
    text.reserve(length);
    while (text.size() < length) text.push_back(alphabet[random.Below(static_cast<std::uint32_t>(alphabet.size()))]);
    return text;
}

bool ReadLines(const std::string& path, std::vector<std::string>& lines) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(std::move(line));
    }
    return true;
}

bool ReadWordFile(const std::string& path, std::vector<std::u16string>& out) {
    std::vector<std::string> lines;
    if (!ReadLines(path, lines)) return false;
    for (const std::string& line : lines) {
        std::u16string text;
        if (zabrelo::Utf8ToUtf16(line.data(), line.size(), text)) out.push_back(std::move(text));
    }
    return true;
}

}  // namespace zabrelo_test
