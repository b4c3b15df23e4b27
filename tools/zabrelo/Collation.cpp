// Collation: loads as the library's own loads do, and keys through the core.
#include "Collation.h"

#include "collation/CollationKeys.h"
#include "collation/NaturalKeys.h"
#include "collation/TableLoader.h"

namespace zabrelo_tool {

bool Collation::Load(const char* path, bool classic) {
    return zabrelo::TableLoader::Initialize(table_, path, nullptr,
                                            classic ? zabrelo::TableOrder::kClassic : zabrelo::TableOrder::kFull);
}

std::string Collation::Key(const std::u16string& text, int level) const {
    return natural_ ? zabrelo::BuildNaturalKey(*table_, text.data(), text.size(), level)
                    : zabrelo::BuildKey(*table_, text.data(), text.size(), level);
}

int Collation::Compare(const std::u16string& first, const std::u16string& second, int level) const {
    if (!natural_) return zabrelo::CompareStrings(*table_, first.data(), first.size(), second.data(), second.size(), level);
    const int order = zabrelo::CompareNaturalKeys(*table_, first.data(), first.size(), second.data(), second.size(), level);
    return order == 0 && first.size() < second.size() ? -1 : order;
}

}  // namespace zabrelo_tool
