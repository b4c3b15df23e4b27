// TestTables: a weight table loaded the way the library loads one, from a
// file or from bytes, with its entries, keys and comparison; and the small
// tables that several suites share.
#ifndef ZABRELO_TESTS_TESTTABLES_H
#define ZABRELO_TESTS_TESTTABLES_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "collation/CollationKeys.h"
#include "collation/CollationTable.h"
#include "collation/TableLoader.h"

namespace zabrelo_test {

/// A table that each load replaces, as it replaces a library object's.
class TestTable {
public:
    /// Loads the file at `path`; raises as the loader does.
    bool LoadFile(const char* path, zabrelo::LoadObserver* observer = nullptr) {
        return zabrelo::TableLoader::Initialize(table_, path, observer);
    }
    bool LoadFile(const std::string& path) { return LoadFile(path.c_str()); }
    /// Loads the whole of `bytes` as the full order reads a data file.
    bool LoadFull(const std::string& bytes) {
        return zabrelo::TableLoader::InitializeFromMemory(table_, bytes.data(), bytes.size(), nullptr, nullptr,
                                                         zabrelo::TableOrder::kFull);
    }
    /// Loads `bytes` as a data file, written to a temporary file first.
    bool Load(const std::string& bytes) { return LoadFile(dir_.Write("table.txt", bytes)); }

    const zabrelo::CollationTable& operator*() const { return *table_; }
    const zabrelo::CollationTable* operator->() const { return table_.get(); }
    const std::shared_ptr<const zabrelo::CollationTable>& Shared() const { return table_; }
    const TempDir& Dir() const { return dir_; }

    /// The weights of entry `index` of `codePoint`'s slot, or {} when there is none.
    std::vector<std::int32_t> Weights(std::int32_t codePoint, std::size_t index = 0) const {
        const zabrelo::EntryList* list = table_->EntriesOf(codePoint);
        if (list == nullptr || index >= list->size()) return {};
        const auto& w = (*list)[index].weights;
        return {w[0], w[1], w[2]};
    }
    /// How many entries `codePoint`'s slot holds.
    std::size_t Entries(std::int32_t codePoint) const {
        const zabrelo::EntryList* list = table_->EntriesOf(codePoint);
        return list == nullptr ? 0 : list->size();
    }

    std::string Key(const std::u16string& text, int level = 3) const {
        return zabrelo::BuildKey(*table_, text.data(), text.size(), level);
    }
    int Compare(const std::u16string& first, const std::u16string& second, int level = 3) const {
        return zabrelo::CompareStrings(*table_, first.data(), first.size(), second.data(), second.size(), level);
    }

private:
    TempDir dir_;
    std::shared_ptr<const zabrelo::CollationTable> table_ = std::make_shared<const zabrelo::CollationTable>();
};

// Primaries: alef 20, lam 30, lam-alef 40, beh 50, beh-lam 51, thal 01 (a
// primary below the secondaries, to show how levels join), hamza 60, farsi
// yeh 61, yeh barree 62, waw 63. The hamza marks have secondaries only.
inline constexpr char kTinyTable[] =
    "FA=tiny\r\n"
    "[0627][20,2,3]\r\n"
    "[0644][30,1,1]\r\n"
    "[0644,0627][40,5,6]\r\n"
    "[0628][50,1,1]\r\n"
    "[0628,0644][51,1,1]\r\n"
    "[0630][1,1,1]\r\n"
    "[0621][60,1,1]\r\n"
    "[06CC][61,1,1]\r\n"
    "[06D2][62,1,1]\r\n"
    "[0648][63,1,1]\r\n"
    "[0654][0,9,0]\r\n"
    "[0655][0,A,0]\r\n"
    "[200C][0,0,7]\r\n";

// Made to trip a wrong shortcut in keys: pairs ending in a rewritten letter
// or in what one becomes, a slot opened by a pair line, a doubled letter
// paired through its own entry, a follower without a slot, a 0x100 weight
// and a slot that weighs nothing.
inline constexpr char kRoutingTable[] =
    "FA=routing\r\n"
    "[0628,0626][70,1,1]\r\n"
    "[0628][50,1,1]\r\n"
    "[0644][30,1,1]\r\n"
    "[0644,0621][71,2,2]\r\n"
    "[0644,06CC][72,2,2]\r\n"
    "[0627][20,2,3]\r\n"
    "[0627,0654][73,3,3]\r\n"
    "[0621][60,1,1]\r\n"
    "[06CC][61,1,1]\r\n"
    "[06D2][62,1,1]\r\n"
    "[0654][0,9,0]\r\n"
    "[0645][100,0,1]\r\n"
    "[0645,0645][74,1,1]\r\n"
    "[0633][0,0,0]\r\n"
    "[0634,0635][75,1,1]\r\n"
    "[200C][0,0,7]\r\n";

// A table for the full order (TestTable::LoadFull): elements of several
// units outside the block and in it (U+0645, and U+06D2, which the split
// U+06D3 gives before its hamza mark), a pair that starts outside
// it, U+FFFF weighing as itself, ي and ی with U+0654 composing to ئ, and
// the lines the full order still skips (a surrogate, the space).
inline constexpr char kFullTable[] =
    "FA=full\r\n"
    "[0628][50,1,1]\r\n"
    "[064A][61,1,2]\r\n"
    "[06CC][61,1,1]\r\n"
    "[064A,0654][62,2,2]\r\n"
    "[06CC,0654][62,2,1]\r\n"
    "[0621][60,1,1]\r\n"
    "[0654][0,9,0]\r\n"
    "[0627][20,2,3]\r\n"
    "[0627,0653][21,2,3]\r\n"
    "[06D2][63,1,1,64,0,2]\r\n"
    "[0645][80,0,0,81,1,1]\r\n"
    "[0661][57,1,4,0,3,0]\r\n"
    "[06F1][57,1,5]\r\n"
    "[0061][F4,0,0,42,1,2]\r\n"
    "[0061,0654][90,3,3]\r\n"
    "[FFFF][43,1,1]\r\n"
    "[00A0][41,0,0]\r\n"
    "[D800][1,1,1]\r\n"
    "[0020][99,9,9]\r\n";

}  // namespace zabrelo_test

#endif  // ZABRELO_TESTS_TESTTABLES_H
