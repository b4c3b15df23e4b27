// Fuzzes what tells texts with equal keys apart (the unweighed units and
// their places) against a plain restatement on the default table. Each input
// byte picks a piece of text from a small alphabet rich in what the table
// does not weigh (digits, Latin, an emoji, U+FFFD, an ill-formed byte, the
// tatweel) beside letters, a mark, the space and U+200C; byte 0xFF ends the
// first text. The restatement lists, at each level, each unweighed unit with
// the number of units before it that weigh at that level, found by keying
// each unit alone. Checked: Compare's sign is the restatement's order
// (units, then places), Compare is antisymmetric and the sortable bytes
// order as Compare does, so lines with equal keys are duplicates (-u)
// exactly when their lists are equal.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "collation/UnweighedUnits.h"
#include "library/TableInspection.h"

namespace {

struct Piece {
    const char* utf8;
    const char16_t* units;  // as the keys read it
};
const Piece kPieces[] = {
    {"\xDA\xA9", u"\u06A9"},     {"\xD8\xAA", u"\u062A"}, {"\xD8\xA7", u"\u0627"}, {"\xD8\xA8", u"\u0628"},
    {"\xD9\x90", u"\u0650"},     {" ", u" "},             {"\xE2\x80\x8C", u"\u200C"}, {"1", u"1"},
    {"2", u"2"},                 {"a", u"a"},             {"\xF0\x9F\x98\x80", u"\U0001F600"},
    {"\xEF\xBF\xBD", u"\uFFFD"}, {"\xFF", u"\uFFFD"},     {"\xD9\x80", u"\u0640"},
};
constexpr std::size_t kPieceCount = sizeof kPieces / sizeof kPieces[0];

struct Text {
    std::string utf8;
    std::u16string units;
};

ZabreloLib& Lib() {
    static ZabreloLib lib;
    return lib;
}

bool Weighs(char16_t unit, int level) { return !Lib().GetCollationKey(std::u16string(1, unit), level).empty(); }

// Each unweighed unit and the count of units before it that weigh at `level`.
std::pair<std::u16string, std::vector<std::size_t>> Listed(const std::u16string& units, int level) {
    std::pair<std::u16string, std::vector<std::size_t>> listed;
    std::size_t weighed = 0;
    for (const char16_t unit : units) {
        if (!Weighs(unit, 3)) {
            listed.first += unit;
            listed.second.push_back(weighed);
        } else if (Weighs(unit, level)) {
            ++weighed;
        }
    }
    return listed;
}

int Sign(int value) { return (value > 0) - (value < 0); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    zabrelo_fuzz::Check(Lib().Initialize(ZABRELO_FUZZ_TABLE), "the default table loads");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using zabrelo_fuzz::Check;
    static const zabrelo::UnweighedUnits units = zabrelo::UnweighedUnitsOf(Lib());
    Text texts[2];
    int which = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF && which == 0) {
            which = 1;
            continue;
        }
        const Piece& piece = kPieces[data[i] % kPieceCount];
        texts[which].utf8 += piece.utf8;
        texts[which].units += piece.units;
    }
    const Text& a = texts[0];
    const Text& b = texts[1];

    for (int level = 1; level <= 3; ++level) {
        const auto listedA = Listed(a.units, level), listedB = Listed(b.units, level);
        int expected = Sign(listedA.first.compare(listedB.first));
        if (expected == 0) expected = listedA.second < listedB.second ? -1 : listedB.second < listedA.second ? 1 : 0;
        const int order = Sign(units.Compare(a.utf8.data(), a.utf8.size(), b.utf8.data(), b.utf8.size(), level));
        Check(order == expected, "Compare orders by units, then places");
        Check(Sign(units.Compare(b.utf8.data(), b.utf8.size(), a.utf8.data(), a.utf8.size(), level)) == -order,
              "Compare is antisymmetric");

        std::string sortableA, sortableB;
        units.AppendSortable(a.utf8.data(), a.utf8.size(), level, sortableA);
        units.AppendSortable(b.utf8.data(), b.utf8.size(), level, sortableB);
        Check(Sign(sortableA.compare(sortableB)) == order, "the sortable bytes order as Compare");
    }
    return 0;
}
