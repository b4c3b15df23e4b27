// The C interface from inside: what a C client cannot see. Keys and
// comparisons never fail for want of memory, however long the text; an open that runs out of memory says so; the detail
// of a failure is cut at a character boundary; and, linked into a program,
// the default table is found beside the program. The promises a client sees
// are tested by tests/c/.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "AllocationCount.h"
#include "TestFiles.h"
#include "collation/CollationKeys.h"
#include "collation/NaturalKeys.h"
#include "collation/TableLoader.h"
#include "fileio/RegularFile.h"
#include "library/DefaultTable.h"
#include "library/SystemPaths.h"
#include "text/Utf8.h"
#include "zabrelo/zabrelo.h"

namespace {

using zabrelo_test::AllocationsOf;
using zabrelo_test::WithFailingAllocations;
using zabrelo_test::TempDir;

constexpr char kTable[] = "FA=t\r\n[0627][1,2,3]\r\n[0628][4,5,6]\r\n[0644][7,8,9]\r\n";

void SetTableVariable(const char* value) {
#ifdef _WIN32
    _putenv_s("ZABRELO_TABLE", value ? value : "");
#else
    if (value) {
        setenv("ZABRELO_TABLE", value, 1);
    } else {
        unsetenv("ZABRELO_TABLE");
    }
#endif
}

// `letters` Arabic letters (two UTF-8 bytes each) and their UTF-16 form.
struct Text {
    explicit Text(std::size_t letters) {
        for (std::size_t i = 0; i < letters; ++i) utf16 += i % 2 ? u'\u0628' : u'\u0644';
        utf8 = zabrelo::Utf16ToUtf8(utf16, zabrelo::LoneSurrogate::kReplace);
    }
    const uint16_t* Units() const { return reinterpret_cast<const uint16_t*>(utf16.data()); }
    std::u16string utf16;
    std::string utf8;
};

// Under valgrind the library's calls of operator new go to valgrind's own
// rather than this program's: nothing is counted, and nothing can fail.
bool LibraryAllocationsAreCounted() {
    const std::string text(64, 'a');
    return AllocationsOf([&] { zabrelo::Utf8ToUtf16Lenient(text.data(), text.size(), zabrelo::LoneSurrogate::kKeep); }) >
           0;
}

class CInterfaceTest : public ::testing::Test {
   protected:
    void SetUp() override { ASSERT_EQ(zabrelo_open(dir_.Write("t.txt", kTable).c_str(), &collator_), ZABRELO_OK); }
    void TearDown() override { zabrelo_close(collator_); }

    TempDir dir_;
    zabrelo_collator* collator_ = nullptr;
};

// Only a long UTF-8 text's key asks the heap (for speed), and without it
// gives the same key from the bytes.
TEST_F(CInterfaceTest, KeysAndComparisonsNeverFailForWantOfMemory) {
    const Text word(3), longest(5000);
    static uint8_t key16[3 * 5000], key8[3 * 5000], withHeap[3 * 5000];
    for (const Text* text : {&word, &longest}) {
        const Text& t = *text;
        const std::size_t units = t.utf16.size(), bytes = t.utf8.size();
        std::size_t length16 = 0, length8 = 0, lengthWithHeap = 0;
        int result16 = 0, result8 = 0;
        zabrelo_status status16, status8, compare8;
        const std::size_t allocations = AllocationsOf([&] {
            WithFailingAllocations([&] {
                status16 = zabrelo_key16(collator_, t.Units(), units, 3, key16, sizeof key16, &length16);
                status8 = zabrelo_key8(collator_, t.utf8.data(), bytes, 3, key8, sizeof key8, &length8);
                result16 = zabrelo_compare16(collator_, t.Units(), units, word.Units(), 3, 3);
                compare8 = zabrelo_compare8(collator_, t.utf8.data(), bytes, word.utf8.data(), 6, 3, &result8);
            });
        });
        if (LibraryAllocationsAreCounted()) {
            EXPECT_EQ(allocations, text == &word ? 0u : 1u);
        }
        EXPECT_EQ(status16, ZABRELO_OK);
        EXPECT_EQ(status8, ZABRELO_OK);
        EXPECT_EQ(compare8, ZABRELO_OK);
        EXPECT_EQ(length8, 3 * units);
        ASSERT_EQ(length16, length8);
        EXPECT_EQ(std::memcmp(key16, key8, length8), 0);
        EXPECT_EQ(result8, result16);
        EXPECT_EQ(zabrelo_key8(collator_, t.utf8.data(), bytes, 3, withHeap, sizeof withHeap, &lengthWithHeap),
                  ZABRELO_OK);
        EXPECT_TRUE(lengthWithHeap == length8 && std::memcmp(withHeap, key8, length8) == 0);
    }
}

// Every key and comparison takes the order and the natural numbers the
// collator was opened with: each equals the core's key of that kind over
// the table loaded in that order, for short texts, texts long enough for
// the heap and for the stoppable key's questions.
TEST(CInterfaceOptionsTest, EveryKeyAndComparisonTakesTheCollatorsOptions) {
    std::vector<std::string> texts = {"", "abc2", "\u0628\u0627\u0628 10", "\u0628\u0627\u0628 \u06F3",
                                      "\u0628\u0627\u0628 2", "\u0628\u0627\u0628 \u0661\u0661", "\u0626 0\u06F2"};
    std::string longText;
    while (longText.size() < 70000) longText += "\u0628\u0627\u0628 " + std::to_string(longText.size()) + " ";
    texts.push_back(longText);
    texts.push_back(longText.substr(0, 1500) + "9");
    const auto file = zabrelo::ReadRegularFile(ZABRELO_DEFAULT_TABLE, zabrelo::TableLoader::kMaxTableBytes);
    for (const unsigned options : {0u, ZABRELO_CLASSIC_ORDER, ZABRELO_NATURAL_NUMBERS,
                                   ZABRELO_CLASSIC_ORDER | ZABRELO_NATURAL_NUMBERS}) {
        SCOPED_TRACE(options);
        zabrelo_collator* collator = nullptr;
        ASSERT_EQ(zabrelo_open_ex(ZABRELO_DEFAULT_TABLE, options, &collator, nullptr, nullptr, nullptr), ZABRELO_OK);
        std::shared_ptr<const zabrelo::CollationTable> table;
        zabrelo::TableLoader::Initialize(table, ZABRELO_DEFAULT_TABLE, file, nullptr, nullptr,
                                         (options & ZABRELO_CLASSIC_ORDER) ? zabrelo::TableOrder::kClassic
                                                                           : zabrelo::TableOrder::kFull);
        std::vector<std::u16string> units;
        std::vector<std::string> expected;
        for (const std::string& text : texts) {
            units.push_back(zabrelo::Utf8ToUtf16Lenient(text.data(), text.size(), zabrelo::LoneSurrogate::kReplace));
            const std::u16string& u = units.back();
            expected.push_back((options & ZABRELO_NATURAL_NUMBERS) ? zabrelo::BuildNaturalKey(*table, u.data(), u.size(), 3)
                                                                   : zabrelo::BuildKey(*table, u.data(), u.size(), 3));
            std::vector<uint8_t> key(expected.back().size() + 1);
            const std::string want(expected.back());
            std::size_t length = 0;
            const auto got = [&](zabrelo_status status) {
                return status == ZABRELO_OK && std::string(reinterpret_cast<const char*>(key.data()), length) == want;
            };
            const auto* u16 = reinterpret_cast<const uint16_t*>(u.data());
            EXPECT_TRUE(got(zabrelo_key16(collator, u16, u.size(), 3, key.data(), key.size(), &length)));
            EXPECT_TRUE(got(zabrelo_key8(collator, text.data(), text.size(), 3, key.data(), key.size(), &length)));
            EXPECT_TRUE(got(zabrelo_key8_lenient(collator, text.data(), text.size(), 3, key.data(), key.size(), &length)));
            EXPECT_TRUE(got(zabrelo_key8_stoppable(collator, text.data(), text.size(), 3, key.data(), key.size(),
                                                   &length, [](void*) { return 0; }, nullptr)));
        }
        // The classic order weighs nothing outside the Arabic block.
        if (options == ZABRELO_CLASSIC_ORDER) {
            EXPECT_EQ(expected[1], "");
        }
        std::vector<uint32_t> order(texts.size());
        std::vector<const uint16_t*> pointers;
        std::vector<std::size_t> lengths;
        for (const std::u16string& u : units) {
            pointers.push_back(reinterpret_cast<const uint16_t*>(u.data()));
            lengths.push_back(u.size());
        }
        ASSERT_EQ(zabrelo_sort16(collator, pointers.data(), lengths.data(), texts.size(), 3, 0, 1, order.data()),
                  ZABRELO_OK);
        std::vector<uint32_t> byKeys(texts.size());
        std::iota(byKeys.begin(), byKeys.end(), 0u);
        std::stable_sort(byKeys.begin(), byKeys.end(), [&](uint32_t i, uint32_t j) { return expected[i] < expected[j]; });
        EXPECT_EQ(order, byKeys);
        for (std::size_t i = 0; i < texts.size(); ++i) {
            for (std::size_t j = 0; j < texts.size(); ++j) {
                const int byKey = (expected[i] > expected[j]) - (expected[i] < expected[j]);
                const int tie = byKey == 0 && units[i].size() < units[j].size() ? -1 : byKey;
                EXPECT_EQ(zabrelo_compare16(collator, pointers[i], lengths[i], pointers[j], lengths[j], 3), tie);
                int result = 9;
                EXPECT_EQ(zabrelo_compare8(collator, texts[i].data(), texts[i].size(), texts[j].data(),
                                           texts[j].size(), 3, &result),
                          ZABRELO_OK);
                EXPECT_EQ(result, tie);
                EXPECT_EQ(zabrelo_order8(collator, texts[i].data(), texts[i].size(), texts[j].data(), texts[j].size(), 3),
                          byKey);
            }
        }
        zabrelo_close(collator);
    }
}

TEST_F(CInterfaceTest, AnOpenWithoutMemoryFailsCleanly) {
    if (!LibraryAllocationsAreCounted()) GTEST_SKIP() << "allocations are not counted";
    const std::string path = dir_.Path("t.txt");
    zabrelo_collator* collator = collator_;
    zabrelo_open_detail detail;
    zabrelo_status status;
    WithFailingAllocations([&] { status = zabrelo_open_detailed(path.c_str(), &collator, &detail); });
    EXPECT_EQ(status, ZABRELO_OUT_OF_MEMORY);
    EXPECT_EQ(collator, nullptr);
    if (status == ZABRELO_OK) zabrelo_close(collator);
    EXPECT_EQ(detail.status, ZABRELO_OUT_OF_MEMORY);
    EXPECT_STREQ(detail.message, "out of memory");
}

TEST(CInterfaceDetailTest, LongPathsAreCutAtACharacterBoundary) {
    // 700 two-byte letters after "./": the 1023 bytes that fit end inside a letter.
    const std::string path = "./" + Text(700).utf8 + ".txt";
    zabrelo_collator* collator = nullptr;
    zabrelo_open_detail detail;
    ASSERT_EQ(zabrelo_open_detailed(path.c_str(), &collator, &detail), ZABRELO_CANNOT_OPEN);
    const std::string file = detail.file, message = detail.message;
    EXPECT_EQ(file.size(), 1022u);
    EXPECT_EQ(path.compare(0, file.size(), file), 0);
    std::u16string decoded;
    EXPECT_TRUE(zabrelo::Utf8ToUtf16(message.data(), message.size(), decoded));
    EXPECT_EQ(message.size(), 1022u);
}

// Linked into a program, as here, the library's own file is the program:
// the default table is the copy beside it (this build copies one there).
TEST(DefaultTableTest, LinkedIntoAProgramItLooksBesideTheProgram) {
    const std::filesystem::path dir = zabrelo::ModuleDirectory();
#ifdef _WIN32
    EXPECT_TRUE(std::filesystem::exists(dir / "zabrelo_tests.exe")) << dir;
#else
    EXPECT_TRUE(std::filesystem::exists(dir / "zabrelo_tests")) << dir;
#endif
    SetTableVariable(nullptr);
    const zabrelo::DefaultTable found = zabrelo::FindDefaultTable();
    EXPECT_EQ(found.path, (dir / "UrduCOdepage.txt").string());
    EXPECT_EQ(found.problem, "");
    SetTableVariable("");
    EXPECT_EQ(zabrelo::FindDefaultTable().path, found.path);
    SetTableVariable("elsewhere.txt");
    EXPECT_EQ(zabrelo::FindDefaultTable().path, "elsewhere.txt");
    SetTableVariable(nullptr);
}

TEST(DefaultTableTest, PathKinds) {
    TempDir dir;
    EXPECT_EQ(zabrelo::KindOf(dir.Write("t.txt", "x").c_str()), zabrelo::PathKind::kOther);
    EXPECT_EQ(zabrelo::KindOf(dir.Root().string().c_str()), zabrelo::PathKind::kDirectory);
    EXPECT_EQ(zabrelo::KindOf(dir.Path("missing").c_str()), zabrelo::PathKind::kMissing);
    EXPECT_EQ(zabrelo::KindOf(dir.Path("t.txt/below").c_str()), zabrelo::PathKind::kMissing);
}

}  // namespace
