// TableLoader: builds a CollationTable from a collation data file, and the
// parsers of its fields. A load fills a new table, which then replaces the
// caller's; a table once published never changes, so objects that still
// hold the old one are unaffected. Tested by tests/collation/TableLoaderTest.cpp.
#ifndef ZABRELO_TABLELOADER_H
#define ZABRELO_TABLELOADER_H

#include <cstdint>
#include <memory>
#include <string>

#include "collation/CollationTable.h"
#include "collation/LoadObserver.h"

namespace zabrelo {

class TableLoader {
public:
    /// Loads `path` into a new table, which replaces `table` however the
    /// load ends. The new table starts empty but for the U+200C entry of
    /// `table` (null: none), which a line of the file may replace. False when
    /// the file has no header or a line lacks its weight field; the new table
    /// keeps what was read before. An IOException from opening the file passes
    /// through after `table` was replaced by the empty one. An `observer`
    /// hears, line by line, what the load made of the file; the table comes
    /// out the same with or without one.
    static bool Initialize(std::shared_ptr<const CollationTable>& table, const char* path,
                           LoadObserver* observer = nullptr);

    /// Value of a hex field; only upper-case digits count, every other byte
    /// still takes a place. Fields of nine bytes or more are worth 0.
    static std::int32_t ParseHex(const std::string& field);
    /// One code point, or two packed as (first << 16) | second.
    static std::int32_t ParseCodePointField(const std::string& field);
    /// Fills `count` weights from comma-separated runs after the first byte.
    static void ParseWeightField(const std::string& field, std::int32_t* weights, int count);

private:
    explicit TableLoader(CollationTable& table) : table_(table) {}

    /// Makes the (new, empty) table start with `previous`'s special entry.
    void ResetTable(const CollationTable* previous);
    /// Reads the data file into the reset table.
    bool LoadTable(const char* path, LoadObserver* observer);
    int NewSlot(int offset);

    CollationTable& table_;
};

}  // namespace zabrelo

#endif  // ZABRELO_TABLELOADER_H
