// The table check's view of a load: the same answer and line reports as a
// load of the library's own, the table's counts, and whether a table weighs
// a letter, which sort, key and compare ask of a ZabreloLib too.
#include <gtest/gtest.h>

#include "TestFiles.h"
#include "library/TableInspection.h"
#include "zabrelo/ZabreloLib.h"

namespace {

using zabrelo::LoadEventKind;
using zabrelo_test::TempDir;

struct InspectionCase {
    const char* why;
    const char* bytes;
    bool loaded, weighsALetter;
    int announced, handedOut;
    bool nonJoiner;
    std::size_t events;
};
const InspectionCase kCases[] = {
    {"a letter", "FA=\r\n[0627][1,2,3]\r\n", true, true, 0xFA, 1, false, 1},
    {"a letter at level 3 only", "FA=\r\n[0627][0,0,1]\r\n", true, true, 0xFA, 1, false, 1},
    {"only U+200C", "FA=\r\n[200C][0,0,1]\r\n", true, true, 0xFA, 0, true, 1},
    {"a letter that weighs nothing", "FA=\r\n[0633][0,0,0]\r\n", true, false, 0xFA, 1, false, 1},
    {"a word list", "hello\nworld\n", true, false, 0, 0, false, 3},
    {"a line without weights", "FA=\r\n[0627][1,1,1]\r\n[0628]]\r\n", false, true, 0xFA, 1, false, 2},
    {"an empty file", "", false, false, 0, 0, false, 0},
};

TEST(TableInspectionTest, ReportsWhatTheLoadMadeOfTheTable) {
    TempDir dir;
    for (const InspectionCase& c : kCases) {
        SCOPED_TRACE(c.why);
        const std::string path = dir.Write("t.txt", c.bytes);
        const zabrelo::TableInspection inspection = zabrelo::InspectTable(path.c_str());
        EXPECT_EQ(inspection.loaded, c.loaded);
        EXPECT_EQ(inspection.weighsALetter, c.weighsALetter);
        EXPECT_EQ(inspection.announcedSlots, c.announced);
        EXPECT_EQ(inspection.handedOutSlots, c.handedOut);
        EXPECT_EQ(inspection.definesNonJoiner, c.nonJoiner);
        EXPECT_EQ(inspection.events.size(), c.events);
        ZabreloLib lib;
        EXPECT_EQ(lib.Initialize(path.c_str()), c.loaded);
        EXPECT_EQ(zabrelo::WeighsALetter(lib), c.weighsALetter);
    }
    EXPECT_FALSE(zabrelo::WeighsALetter(ZabreloLib()));
    EXPECT_THROW(zabrelo::InspectTable(dir.Path("missing.txt").c_str()), IOException);
}

TEST(TableInspectionTest, TheDefaultTableLoadsCleanly) {
    const zabrelo::TableInspection inspection = zabrelo::InspectTable(ZABRELO_DEFAULT_TABLE);
    EXPECT_TRUE(inspection.loaded);
    EXPECT_TRUE(inspection.weighsALetter);
    EXPECT_TRUE(inspection.definesNonJoiner);
    for (const zabrelo::LoadEvent& event : inspection.events) {
        EXPECT_TRUE(event.kind == LoadEventKind::kStored || event.kind == LoadEventKind::kContractionStored ||
                    event.kind == LoadEventKind::kSpecialStored)
            << "line " << event.line;
    }
    // Every weight of the full order, the mixed-text lines' included, keeps keys in order.
    for (const zabrelo::OrderBreak& b : inspection.orderBreaks) ADD_FAILURE() << "line " << b.line << ": " << b.weight;
}

}  // namespace
