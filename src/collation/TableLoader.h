// TableLoader: builds a CollationTable from a collation data file, and the
// parsers of its fields. A load fills a new table, which then replaces the
// caller's; a table once published never changes, so objects that still
// hold the old one are unaffected. Tested by tests/collation/TableLoaderTest.cpp.
#ifndef ZABRELO_TABLELOADER_H
#define ZABRELO_TABLELOADER_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "collation/CollationTable.h"
#include "collation/LoadObserver.h"
#include "collation/StopCheck.h"
#include "fileio/RegularFile.h"

namespace zabrelo {

class TableLoader {
public:
    /// Loads `path` into a new table, which replaces `table` however the
    /// load ends. The new table starts empty but for the U+200C entry of
    /// `table` (null: none), which a line of the file may replace. False when
    /// the file has no header or a line lacks its weight field; the new table
    /// keeps what was read before. An IOException (code 16) passes through
    /// after `table` was replaced by the empty one: "Invalid file name
    /// specified." for a null or empty path, "Could not open file: PATH." for
    /// a file that cannot be opened, is not a regular file or is larger than
    /// kMaxTableBytes. An `observer`
    /// hears, line by line, what the load made of the file; the table comes
    /// out the same with or without one. `order` as for the overload below.
    static bool Initialize(std::shared_ptr<const CollationTable>& table, const char* path,
                           LoadObserver* observer = nullptr, TableOrder order = TableOrder::kClassic);
    /// Initialize with the file already read (ReadRegularFile of `path`
    /// with kMaxTableBytes), for callers that want to know why a file could
    /// not be read. Anything but a whole regular file raises as a file that
    /// cannot be opened, so a FIFO or a device never holds the load up.
    /// `stop`, when given, is asked every few thousand lines; told to stop,
    /// the load raises LoadStopped after `table` was replaced.
    /// `order` says which part of the file a load reads: ZabreloLib's
    /// loads are classic, the C interface's full unless asked otherwise.
    static bool Initialize(std::shared_ptr<const CollationTable>& table, const char* path, const FileBytes& file,
                           LoadObserver* observer = nullptr, const StopCheck* stop = nullptr,
                           TableOrder order = TableOrder::kClassic);
    /// Initialize from the `size` bytes at `bytes`, loaded exactly as a file
    /// holding them; never raises but std::bad_alloc.
    static bool InitializeFromMemory(std::shared_ptr<const CollationTable>& table, const char* bytes,
                                     std::size_t size, LoadObserver* observer = nullptr,
                                     const StopCheck* stop = nullptr, TableOrder order = TableOrder::kClassic);

    /// What a load raises when its StopCheck said stop.
    struct LoadStopped {};

    /// The largest table file a load reads: far above any real table (the
    /// usual one is a few kilobytes), small enough to hold in memory.
    static constexpr std::size_t kMaxTableBytes = std::size_t{64} << 20;

    /// Value of a hex field; only upper-case digits count, every other byte
    /// still takes a place. Fields of nine bytes or more are worth 0.
    static std::int32_t ParseHex(const std::string& field);
    /// One code point, or two packed as (first << 16) | second.
    static std::int32_t ParseCodePointField(const std::string& field);
    /// Fills `count` weights from comma-separated runs after the first byte.
    static void ParseWeightField(const std::string& field, std::int32_t* weights, int count);

private:
    explicit TableLoader(CollationTable& table) : table_(table) {}

    /// Runs `load` with a loader of a new table that starts with `table`'s
    /// U+200C entry, and makes that table `table`'s however the load ends.
    template <class Load>
    static bool Replace(std::shared_ptr<const CollationTable>& table, TableOrder order, Load load);

    /// Makes the (new, empty) table start with `previous`'s special entry.
    void ResetTable(const CollationTable* previous);
    /// Reads the data file's bytes into the reset table.
    bool LoadTable(const char* bytes, std::size_t size, LoadObserver* observer, const StopCheck* stop);
    int NewSlot(int offset);
    /// The full order's unit `u`, a new one in a page of its own when its
    /// page had none.
    CollationTable::OtherUnit& OtherUnitOf(char16_t u);
    /// Gives `u` the elements of a weight field (every three numbers one
    /// element); false when a line already did.
    bool AddElements(char16_t u, const std::string& weightField);

    CollationTable& table_;
};

}  // namespace zabrelo

#endif  // ZABRELO_TABLELOADER_H
