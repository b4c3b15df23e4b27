// Fields: -k parsed as sort parses it, and the text a key picks out of a
// line with blanks, a separator character or CSV between the fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "Fields.h"
#include "ToolError.h"

namespace {

using zabrelo_tool::FieldSplitter;
using zabrelo_tool::KeyRange;
using zabrelo_tool::ParseKeyRange;
using zabrelo_tool::ToolError;

struct RangeCase {
    const char* text;
    bool globalBlanks, globalReverse;
    KeyRange want;  // startField, startChar, skipStartBlanks, endField, endChar, skipEndBlanks, reverse
    const char* why;
};
const RangeCase kRangeCases[] = {
    {"2", false, false, {2, 1, false, 0, 0, false, false}, "no POS2: to the line's end"},
    {"2,2", false, false, {2, 1, false, 2, 0, false, false}, "one field"},
    {"1.3,2.4", false, false, {1, 3, false, 2, 4, false, false}, "characters"},
    {"3,3.0", false, false, {3, 1, false, 3, 0, false, false}, ".0 in POS2: the field's end"},
    {"2b,3r", false, false, {2, 1, true, 3, 0, false, true}, "options on either position"},
    {"1,1b", false, false, {1, 1, false, 1, 0, true, false}, "b on POS2 only"},
    {"2,2", true, true, {2, 1, true, 2, 0, true, true}, "no options of its own: takes -b and -r"},
    {"2,2r", true, false, {2, 1, false, 2, 0, false, true}, "r of its own: no -b"},
    {"2b,2", false, true, {2, 1, true, 2, 0, false, false}, "b of its own: no -r"},
};

TEST(KeyRangeTest, ReadsSortsSpelling) {
    for (const RangeCase& c : kRangeCases) {
        SCOPED_TRACE(std::string(c.text) + ": " + c.why);
        const KeyRange key = ParseKeyRange(c.text, c.globalBlanks, c.globalReverse);
        EXPECT_EQ(key.startField, c.want.startField);
        EXPECT_EQ(key.startChar, c.want.startChar);
        EXPECT_EQ(key.skipStartBlanks, c.want.skipStartBlanks);
        EXPECT_EQ(key.endField, c.want.endField);
        EXPECT_EQ(key.endChar, c.want.endChar);
        EXPECT_EQ(key.skipEndBlanks, c.want.skipEndBlanks);
        EXPECT_EQ(key.reverse, c.want.reverse);
    }
}

TEST(KeyRangeTest, RefusesWhatSortRefuses) {
    const std::pair<const char*, const char*> kBad[] = {
        {"", "invalid number at field start: invalid count at start of ''"},
        {"x", "invalid number at field start: invalid count at start of 'x'"},
        {"0", "field number is zero: invalid key field '0'"},
        {"1.0", "character offset is zero: invalid key field '1.0'"},
        {"1,0", "field number is zero: invalid key field '1,0'"},
        {"1.", "invalid number after '.': invalid count at start of ''"},
        {"1,", "invalid number after ',': invalid count at start of ''"},
        {"1,2.x", "invalid number after '.': invalid count at start of 'x'"},
        {"1x", "stray character in key position: invalid key field '1x'"},
        {"1b.2", "stray character in key position: invalid key field '1b.2'"},
        {"1,2,3", "stray character in key position: invalid key field '1,2,3'"},
    };
    for (const auto& [text, message] : kBad) {
        try {
            ParseKeyRange(text, false, false);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const ToolError& error) {
            EXPECT_EQ(std::string(error.what()), std::string("sort: ") + message);
        }
    }
}

TEST(KeyRangeTest, TakesGlobalOptionsOnlyWithoutItsOwn) {
    KeyRange global;
    global.numeric = global.reverse = true;
    global.ignore = zabrelo_tool::KeyIgnore::kNonDictionary;
    const KeyRange plain = ParseKeyRange("2,2", global);
    EXPECT_TRUE(plain.numeric && plain.reverse && plain.ignore == zabrelo_tool::KeyIgnore::kNonDictionary);
    EXPECT_EQ(plain.Conflict(), "-dn");
    const KeyRange own = ParseKeyRange("2,2f", global);
    EXPECT_TRUE(own.fold && !own.numeric && !own.reverse && own.ignore == zabrelo_tool::KeyIgnore::kNone);
    EXPECT_EQ(ParseKeyRange("1bMr,2nR", KeyRange()).Conflict(), "-MnR");  // b and r never conflict
    EXPECT_EQ(ParseKeyRange("1Vdf,2R", KeyRange()).Conflict(), "");
    // A count too large for the machine is the largest there is: a field past every line's last.
    const KeyRange huge = ParseKeyRange("99999999999999999999999.1,99999999999999999999999", KeyRange());
    EXPECT_EQ(huge.startField, static_cast<std::size_t>(-1));
    EXPECT_EQ(huge.endField, static_cast<std::size_t>(-1));
}

struct KeyCase {
    FieldSplitter::Mode mode;
    const char* separator;
    const char* line;
    const char* key;
    const char* want;
    const char* why;
};
constexpr FieldSplitter::Mode kBlanks = FieldSplitter::Mode::kBlanks;
constexpr FieldSplitter::Mode kSeparator = FieldSplitter::Mode::kSeparator;
constexpr FieldSplitter::Mode kCsv = FieldSplitter::Mode::kCsv;
const KeyCase kKeyCases[] = {
    {kBlanks, "", "a  b c", "2,2", "  b", "a field keeps the blanks before it"},
    {kBlanks, "", "a  b c", "2b,2", "b", "b skips them"},
    {kBlanks, "", " \ta b", "1,1", " \ta", "tabs are blanks; the first field's lead blanks are its own"},
    {kBlanks, "", "a b  ", "3,3", "  ", "blanks at the end make a field"},
    {kBlanks, "", "a b", "3,3", "", "a missing field is empty"},
    {kBlanks, "", "", "1,1", "", "an empty line has no fields"},
    {kBlanks, "", "a b c", "2", " b c", "no POS2: to the line's end"},
    {kBlanks, "", "abc def", "1.2,1.3", "bc", "characters of a field"},
    {kBlanks, "", "abc def", "1.5,1.9", "def", "past the field's end: on into the next field"},
    {kBlanks, "", "abc def", "1.5,2.2b", "de", "b on POS2 counts from the end field's first non-blank"},
    {kBlanks, "", "abc def", "1.5,2.2", "d", "without it from the field's blanks"},
    {kBlanks, "", "abc def", "1,18446744073709551615", "abc def", "an end field past the line's: its end"},
    {kBlanks, "", "a\nb c", "2,2", "\nb", "a newline (in a -z record) is a blank"},
    {kSeparator, "\t", "a\t b", "2b", "b", "b skips blanks, tabs too, after a -t field's start"},
    {kBlanks, "", "abc def", "2.2", "def", "the blank is the field's first character"},
    {kBlanks, "", "abc def", "2.2b", "ef", "b: characters counted from the first non-blank"},
    {kBlanks, "", "abc  def", "1,2.1b", "abc  d", "b on POS2 skips the end field's blanks"},
    {kBlanks, "", "abc def", "1,2.0", "abc def", ".0 in POS2: the end field whole"},
    {kBlanks, "", "abc def", "2,1", "", "an end before the start"},
    {kBlanks, "", "کِتاب قلم", "1.2,1.2", "\u0650", "a diacritic is a character of its own"},
    {kBlanks, "", "کِتاب قلم", "1.3,1.4", "تا", "characters, not bytes"},
    {kBlanks, "", "a 😀b", "2.2,2.2", "😀", "one character beyond the BMP"},
    {kSeparator, ",", "a,,c", "2,2", "", "an empty field"},
    {kSeparator, ",", "a,,c", "3,3", "c", "counted past it"},
    {kSeparator, ",", "a, b,c", "2,2", " b", "a blank is text"},
    {kSeparator, ",", "a,b,c", "2", "b,c", "no POS2: the separators too"},
    {kSeparator, ",", "a", "2,2", "", "a missing field"},
    {kSeparator, ",", "ab,cd", "1.3", ",cd", "C past the field's end: the separator, then the next field"},
    {kSeparator, "\u060C", "ب\u060Cا", "2,2", "ا", "an Urdu comma, two bytes, separates"},
    {kSeparator, "\t", "a b\tc", "1,1", "a b", "a tab"},
    {kCsv, ",", "\"a,b\",c", "1,1", "a,b", "a quoted separator"},
    {kCsv, ",", "\"say \"\"hi\"\"\",x", "1,1", "say \"hi\"", "doubled quotes"},
    {kCsv, ",", "\"x\r\ny\",z", "1,1", "x\r\ny", "a line break in quotes"},
    {kCsv, ",", "a,\"b\",c", "2,3", "b,c", "two fields: their text joined by the separator"},
    {kCsv, ",", "a,\"b,c\",d", "2.3,2.3", "c", "characters of the unquoted text"},
    {kCsv, ",", "ab\"c,d", "1,1", "ab\"c", "a quote that opens no field is text"},
    {kCsv, ",", "\"a\"b,c", "1,1", "ab", "text after a closing quote"},
    {kCsv, ",", "\"\",x", "1,1", "", "an empty quoted field"},
    {kCsv, ",", "a,", "2,2", "", "an empty last field"},
    {kCsv, ",", "a", "2,2", "", "a missing field"},
    {kCsv, ";", "\"a;b\";\"c,d\"", "2,2", "c,d", "another separator"},
};

TEST(FieldSplitterTest, PicksTheKeysText) {
    for (const KeyCase& c : kKeyCases) {
        SCOPED_TRACE(std::string(c.line) + " -k " + c.key + ": " + c.why);
        FieldSplitter splitter(c.mode, c.separator);
        const std::string line = c.line;
        splitter.Split(line.data(), line.size());
        EXPECT_EQ(std::string(splitter.Key(ParseKeyRange(c.key, false, false))), c.want);
    }
}

// A key of one whole field, found straight in the line, is the text and
// place Split and Key give, blanks, empty fields and missing fields alike.
TEST(FieldSplitterTest, DirectKeysAreTheSplitKeys) {
    std::mt19937 random(25);
    const char* const kPieces[] = {"\t", "\t", " ", "ا", "ab", "12", "\t "};
    for (const char* separator : {"\t", ",", " "}) {
        FieldSplitter splitter(FieldSplitter::Mode::kSeparator, separator);
        for (int round = 0; round < 3000; ++round) {
            std::string line;
            for (int k = static_cast<int>(random() % 9); k > 0; --k) line += kPieces[random() % 7];
            if (round % 2) std::replace(line.begin(), line.end(), '\t', separator[0]);
            KeyRange key;
            key.startField = key.endField = 1 + random() % 5;
            key.skipStartBlanks = random() % 2;
            key.skipEndBlanks = random() % 2;
            ASSERT_TRUE(splitter.Direct(key));
            splitter.Split(line.data(), line.size());
            const std::string_view split = splitter.Key(key);
            const std::string_view direct = splitter.DirectKey(line.data(), line.size(), key);
            ASSERT_EQ(direct.data() - line.data(), split.data() - line.data()) << line;
            ASSERT_EQ(direct, split) << line;
        }
    }
    KeyRange chars;
    chars.startField = chars.endField = 2;
    chars.startChar = 2;
    EXPECT_FALSE(FieldSplitter(FieldSplitter::Mode::kSeparator, "\t").Direct(chars));
    KeyRange whole;
    whole.startField = whole.endField = 2;
    EXPECT_FALSE(FieldSplitter(FieldSplitter::Mode::kBlanks, "").Direct(whole));
    EXPECT_FALSE(FieldSplitter(FieldSplitter::Mode::kSeparator, "\u060C").Direct(whole));
}

}  // namespace
