// The library object: both Initialize forms, failures that leave it usable,
// and copies that share a table until one of them loads another.
#include <gtest/gtest.h>

#include <filesystem>

#include "AllocationCount.h"
#include "TestFiles.h"
#include "zabrelo/ZabreloLib.h"

namespace {

using zabrelo_test::AllocationsOf;
using zabrelo_test::TempDir;

constexpr char kTable[] = "FA=t\r\n[0627][1,2,3]\r\n[0628][4,5,6]\r\n";

// Runs in `dir` for the life of the object, then goes back.
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const std::filesystem::path& dir) : old_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~ScopedCurrentDir() { std::filesystem::current_path(old_); }

private:
    std::filesystem::path old_;
};

TEST(ZabreloLibTest, DefaultTableIsLookedUpInTheCurrentDirectory) {
    TempDir withTable, without;
    withTable.Write("UrduCOdepage.txt", kTable);
    ZabreloLib lib;
    {
        ScopedCurrentDir here(withTable.Root());
        EXPECT_TRUE(lib.Initialize());
    }
    EXPECT_EQ(lib.GetCollationKey(u"\u0627", 3), "\x01\x02\x03");
    ScopedCurrentDir here(without.Root());
    EXPECT_IO_ERROR(lib.Initialize(), 16, "Could not open file: UrduCOdepage.txt.");
    EXPECT_EQ(lib.GetCollationKey(u"\u0627", 3), "");  // the table is gone
}

TEST(ZabreloLibTest, NullPathRaisesAndTheObjectStaysUsable) {
    TempDir dir;
    ZabreloLib lib;
    EXPECT_IO_ERROR(lib.Initialize(nullptr), 16, "Invalid file name specified.");
    EXPECT_IO_ERROR(lib.Initialize(""), 16, "Invalid file name specified.");
    EXPECT_TRUE(lib.Initialize(dir.Write("t.txt", kTable).c_str()));
    EXPECT_EQ(lib.GetCollationKey(u"\u0628", 3), "\x04\x05\x06");
}

TEST(ZabreloLibTest, NeverInitializedObjectWeighsOnlySpaces) {
    ZabreloLib lib;
    EXPECT_EQ(lib.GetCollationKey(u"\u0627 b ", 3), "\x41\x41");
    EXPECT_EQ(lib.Compare(u"\u0627", u"\u0628", 3), 0);
}

TEST(ZabreloLibTest, FailedLoadKeepsWhatWasRead) {
    TempDir dir;
    ZabreloLib lib;
    EXPECT_FALSE(lib.Initialize(dir.Write("t.txt", "FA=\r\n[0627][1,2,3]\r\n[0628]]\r\n").c_str()));
    EXPECT_EQ(lib.GetCollationKey(u"\u0627\u0628", 3), "\x01\x02\x03");
}

TEST(ZabreloLibTest, CopiesShareATableButEachInitializeOnlyItsOwnObject) {
    TempDir dir;
    const std::string other = dir.Write("u.txt", "FA=\r\n[0627][9,9,9]\r\n");
    const std::string missing = dir.Path("missing.txt");
    ZabreloLib original;
    ASSERT_TRUE(original.Initialize(dir.Write("t.txt", kTable).c_str()));
    ZabreloLib copy(original);
    ZabreloLib assigned;
    assigned = original;
    ASSERT_TRUE(original.Initialize(other.c_str()));
    EXPECT_EQ(original.GetCollationKey(u"\u0627", 3), "\x09\x09\x09");
    EXPECT_EQ(copy.GetCollationKey(u"\u0627", 3), "\x01\x02\x03");
    EXPECT_EQ(assigned.GetCollationKey(u"\u0627", 3), "\x01\x02\x03");
    // The other way round, and a load that fails: the source keeps its table.
    ZabreloLib second(copy);
    ASSERT_TRUE(second.Initialize(other.c_str()));
    EXPECT_THROW(assigned.Initialize(missing.c_str()), IOException);
    EXPECT_EQ(assigned.GetCollationKey(u"\u0627", 3), "");
    EXPECT_EQ(copy.GetCollationKey(u"\u0627", 3), "\x01\x02\x03");
    const ZabreloLib& self = copy;
    copy = self;  // self-assignment keeps the table
    EXPECT_EQ(copy.GetCollationKey(u"\u0628", 3), "\x04\x05\x06");
    {
        ZabreloLib shortLived(copy);
    }  // destroying a copy leaves the table to the others
    EXPECT_EQ(copy.GetCollationKey(u"\u0628", 3), "\x04\x05\x06");
    // Assigning an empty object drops the table from that object alone; an
    // empty object assigned a loaded one weighs as it does.
    ZabreloLib empty;
    second = empty;
    EXPECT_EQ(second.GetCollationKey(u"\u0628", 3), "");
    EXPECT_EQ(copy.GetCollationKey(u"\u0628", 3), "\x04\x05\x06");
    empty = copy;
    EXPECT_EQ(empty.GetCollationKey(u"\u0628", 3), "\x04\x05\x06");
}

// Copies share the table, whatever its size: copying allocates nothing. A
// call allocates at most the key it returns; the arguments are not copied.
TEST(ZabreloLibTest, CopiesAndCallsAllocateNothingButTheKeyReturned) {
    ZabreloLib lib;
    ASSERT_TRUE(lib.Initialize(ZABRELO_DEFAULT_TABLE));
    const std::u16string longWord = u"\u0627\u0633\u062A\u0639\u0645\u0627\u0644\u0627\u062A\u0650\u0646\u0627\u0645";
    const std::u16string shortWord = u"\u06A9\u062A\u0627\u0628";
    EXPECT_EQ(AllocationsOf([&] { ZabreloLib copy(lib); }), 0u);
    ZabreloLib assigned;
    EXPECT_EQ(AllocationsOf([&] { assigned = lib; }), 0u);
    const std::u16string longer = longWord + u"\u0627";
    int order = 0;
    EXPECT_EQ(AllocationsOf([&] { order = lib.Compare(longWord, longer, 3); }), 0u);
    EXPECT_EQ(order, -1);
    std::string key;
    // At most one: where the standard library's own code builds the string
    // (a DLL on Windows), its allocation is not counted.
    EXPECT_LE(AllocationsOf([&] { key = lib.GetCollationKey(longWord, 3); }), 1u);
    ASSERT_GT(key.size(), 15u);  // past the string's own small buffer
    EXPECT_EQ(AllocationsOf([&] { key = lib.GetCollationKey(shortWord, 1); }), 0u);
}

}  // namespace
