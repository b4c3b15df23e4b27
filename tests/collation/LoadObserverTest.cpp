// The loader's observer: it must not change what is loaded, and the line
// numbers it reports must survive blank lines, lost lines and fields that
// run over several lines.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "TestTables.h"

namespace {

using zabrelo::CollationTable;
using zabrelo::LoadEventKind;
using zabrelo::LoadObserver;

std::string Dump(const CollationTable& table) {
    std::ostringstream out;
    out << table.AnnouncedSlots() << '/' << table.HandedOutSlots() << '/' << table.HasSpecial();
    for (std::int32_t c = CollationTable::kRangeFirst; c < CollationTable::kRangeLimit; ++c) {
        out << ';' << table.IsFollower(c);
        if (const zabrelo::EntryList* list = table.EntriesOf(c)) {
            for (const auto& e : *list) out << ',' << e.codePoint << ':' << e.weights[0] << ':' << e.weights[1] << ':' << e.weights[2];
        }
    }
    return out.str();
}

TEST(LoadObserverTest, LoadsTheSameTableWithOrWithoutObserver) {
    zabrelo_test::TempDir dir;
    const std::string tricky = dir.Write("t.txt",
        "2=t\r\n[0627][61,5,5]\n[0628][1]\r\n[06fa][2,2,2]\r\n\r\n[0627,0627][3]\r\n"
        "[062A][100,5,5]\r\n[062B][4]\r\n[200C][0,0,1]\r\n[0644");
    const std::string runsOn = dir.Write("r.txt", "fa=t\r\n[0627][61]\r\nstray\r\n[0628][62]\r\n[062A]\r\n[062B][1]\r\n");
    for (const std::string& path : {std::string(ZABRELO_SOURCE_DIR "/data/UrduCOdepage.txt"), tricky, runsOn}) {
        SCOPED_TRACE(path);
        zabrelo_test::TestTable plain, observed;
        LoadObserver observer;
        EXPECT_EQ(plain.LoadFile(path), observed.LoadFile(path.c_str(), &observer));
        EXPECT_EQ(Dump(*plain), Dump(*observed));
    }
}

struct Expected { LoadEventKind kind; int line; std::int32_t codePoint; };

TEST(LoadObserverTest, ReportsEventsOnTheirLines) {
    zabrelo_test::TempDir dir;
    const std::string path = dir.Write("t.txt",
        "FA=t\r\n"              // 1
        "[0627][61,5,5]\n"      // 2: bare line feed...
        "[0628][62,5,5]\r\n"    // 3: ...loses this line
        "\r\n"                  // 4: blank, becomes part of the next field
        "[06fa][64]\r\n"        // 5
        "[0627,0627][1FF]\r\n"  // 6
        "[0700][1]\r\n"         // 7
        "[062A]]\r\n");         // 8
    zabrelo_test::TestTable table;
    LoadObserver observer;
    EXPECT_FALSE(table.LoadFile(path.c_str(), &observer));
    const Expected expected[] = {
        {LoadEventKind::kStored, 2, 0x0627},
        {LoadEventKind::kLineLost, 3, 0x0627},
        {LoadEventKind::kLowerCaseHex, 5, 0x0600},
        {LoadEventKind::kStored, 5, 0x0600},
        {LoadEventKind::kShadowed, 6, 0x0627},
        {LoadEventKind::kWideWeight, 6, 0x0627},
        {LoadEventKind::kOutOfRange, 7, 0x0700},
        {LoadEventKind::kMissingWeights, 8, 0x062A},
    };
    ASSERT_EQ(observer.events.size(), std::size(expected));
    for (std::size_t k = 0; k < std::size(expected); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(observer.events[k].kind, expected[k].kind);
        EXPECT_EQ(observer.events[k].line, expected[k].line);
        EXPECT_EQ(observer.events[k].codePoint, expected[k].codePoint);
    }
}

// Lines that take in the next one: the event names the line at fault and
// where the field ends; what the load then does stays on the code point's line.
TEST(LoadObserverTest, ReportsFieldsThatRunOnAndHeadersThatAreNone) {
    zabrelo_test::TempDir dir;
    const std::string path = dir.Write("t.txt",
        "fa=t\r\n"              // 1: lower-case header digits: 0 slots
        "[0627][61,5,5]\r\n"    // 2
        "\r\n"                  // 3: blank: no run-on
        "ruin\r\n"              // 4: stray text, read into line 5's field
        "[0628][62,5,5]\r\n"    // 5
        "[062A]\r\n"            // 6: no weight field: takes line 7 for one
        "[062B][1FF]\r\n");     // 7
    zabrelo_test::TestTable table;
    LoadObserver observer;
    EXPECT_TRUE(table.LoadFile(path.c_str(), &observer));
    struct Event { LoadEventKind kind; int line; int level; int detail; std::string field; };
    const Event expected[] = {
        {LoadEventKind::kBadHeader, 1, 0, 0, "fa"},
        {LoadEventKind::kSlotOverflow, 2, 0, 0, ""},
        {LoadEventKind::kStored, 2, 0, 0, ""},
        {LoadEventKind::kFieldRunsOn, 4, 0, 5, "\r\nruin\r\n[0628"},
        {LoadEventKind::kOutOfRange, 5, 0, 0, ""},
        {LoadEventKind::kFieldRunsOn, 6, 1, 7, "\r\n[062B"},
        {LoadEventKind::kSlotOverflow, 6, 0, 1, ""},
        {LoadEventKind::kStored, 6, 0, 0, ""},
        {LoadEventKind::kWideWeight, 6, 1, 0x62B, ""},
    };
    ASSERT_EQ(observer.events.size(), std::size(expected));
    for (std::size_t k = 0; k < std::size(expected); ++k) {
        SCOPED_TRACE(k);
        const zabrelo::LoadEvent& got = observer.events[k];
        EXPECT_EQ(got.kind, expected[k].kind);
        EXPECT_EQ(got.line, expected[k].line);
        if (expected[k].kind == LoadEventKind::kFieldRunsOn || expected[k].kind == LoadEventKind::kWideWeight) {
            EXPECT_EQ(got.level, expected[k].level);
            EXPECT_EQ(got.detail, expected[k].detail);
        }
        if (!expected[k].field.empty()) {
            EXPECT_EQ(got.field, expected[k].field);
        }
    }
}

}  // namespace

namespace {

// A file can make an event of nearly every line: the observer keeps the
// first kMaxEvents and counts the rest, but always the one that says where
// a failed load stopped.
TEST(LoadObserverTest, KeepsAtMostItsLimitButAlwaysWhereTheLoadStopped) {
    const std::size_t repeats = LoadObserver::kMaxEvents + 500;
    std::string bytes = "FA=\r\n[0627][1,1,1]\r\n";
    for (std::size_t i = 0; i < repeats; ++i) bytes += "[0627][2,2,2]\r\n";  // each one kRepeated
    bytes += "[0628]]\r\n";
    std::shared_ptr<const CollationTable> table;
    LoadObserver observer;
    EXPECT_FALSE(zabrelo::TableLoader::InitializeFromMemory(table, bytes.data(), bytes.size(), &observer));
    ASSERT_EQ(observer.events.size(), LoadObserver::kMaxEvents + 1);
    EXPECT_EQ(observer.dropped, repeats + 1 - LoadObserver::kMaxEvents);  // the first line's kStored is kept
    EXPECT_EQ(observer.events.back().kind, LoadEventKind::kMissingWeights);
    EXPECT_EQ(observer.events.back().line, static_cast<int>(repeats) + 3);
}

}  // namespace
