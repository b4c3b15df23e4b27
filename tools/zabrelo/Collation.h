// Collation: the order a command keys and compares by: a loaded table, in
// the full order or the classic one (the Arabic block alone, as
// ZabreloLib::Initialize loads it), with digit runs by value (--natural) or
// not. Its keys are the C interface's for the same options, byte for byte.
#ifndef ZABRELO_TOOL_COLLATION_H
#define ZABRELO_TOOL_COLLATION_H

#include <memory>
#include <string>

#include "collation/CollationTable.h"

namespace zabrelo_tool {

class Collation {
public:
    /// Loads the table at `path` into a new table that replaces this one:
    /// false, and raises, as ZabreloLib::Initialize (classic) and
    /// InitializeFullOrder do.
    bool Load(const char* path, bool classic);
    void SetNatural(bool natural) { natural_ = natural; }

    /// The key of `text` at `level`, as GetCollationKey gives it (with
    /// natural numbers: NaturalKeys.h).
    std::string Key(const std::u16string& text, int level) const;
    /// -1, 0 or 1 as the keys order, equal keys giving -1 when `first` has
    /// fewer units, as ZabreloLib::Compare does.
    int Compare(const std::u16string& first, const std::u16string& second, int level) const;

    const zabrelo::CollationTable& Table() const { return *table_; }

private:
    std::shared_ptr<const zabrelo::CollationTable> table_ = std::make_shared<const zabrelo::CollationTable>();
    bool natural_ = false;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_COLLATION_H
