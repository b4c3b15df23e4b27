// ZabreloLib: the exported face of the library. It holds a shared, never
// changing table and hands it to the key writer and the comparer; copies
// share it, and Initialize swaps in a new one.
#include "zabrelo/ZabreloLib.h"

#include "collation/CollationKeys.h"
#include "collation/TableLoader.h"
#include "library/DefaultTable.h"

namespace {

// Every object that has loaded nothing shares one empty table.
const std::shared_ptr<const zabrelo::CollationTable>& EmptyTable() {
    static const std::shared_ptr<const zabrelo::CollationTable> empty =
        std::make_shared<const zabrelo::CollationTable>();
    return empty;
}

}  // namespace

ZabreloLib::ZabreloLib() : table_(EmptyTable()) {}

ZabreloLib::~ZabreloLib() = default;

ZabreloLib::ZabreloLib(const ZabreloLib& other) = default;

ZabreloLib& ZabreloLib::operator=(const ZabreloLib& other) = default;

int ZabreloLib::Compare(const std::u16string& first, const std::u16string& second, int level) const {
    return zabrelo::CompareStrings(*table_, first.data(), first.size(), second.data(), second.size(), level);
}

std::string ZabreloLib::GetCollationKey(const std::u16string& text, int level) const {
    return zabrelo::BuildKey(*table_, text.data(), text.size(), level);
}

bool ZabreloLib::Initialize(const char* path) { return zabrelo::TableLoader::Initialize(table_, path); }

bool ZabreloLib::Initialize() { return Initialize(zabrelo::kDefaultTableName); }

bool ZabreloLib::InitializeFullOrder(const char* path) {
    return zabrelo::TableLoader::Initialize(table_, path, nullptr, zabrelo::TableOrder::kFull);
}
