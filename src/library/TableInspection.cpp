// TableInspection: a load with an observer; whether a table weighs a
// letter asks the keys unit by unit until one weighs.
#include "library/TableInspection.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "collation/CollationKeys.h"
#include "collation/CollationTable.h"
#include "collation/TableLoader.h"

namespace zabrelo {

namespace {

// `keyLength(unit)`: the length of the level-3 key of the one-unit text.
// Only units of the table's range and its special code point can take
// weights from a table (the space weighs without one), so only they are
// asked: a file that is no table, the usual case here, is told in a few
// hundred keys rather than 65536.
template <class KeyLength>
bool AnyUnitButTheSpaceWeighs(KeyLength keyLength) {
    for (std::int32_t u = CollationTable::kRangeFirst; u < CollationTable::kRangeLimit; ++u) {
        if (keyLength(static_cast<char16_t>(u)) != 0) return true;
    }
    return keyLength(static_cast<char16_t>(CollationTable::kSpecialCodePoint)) != 0;
}

}  // namespace

TableInspection InspectTable(const char* path) {
    std::shared_ptr<const CollationTable> table;
    LoadObserver observer;
    TableInspection inspection;
    inspection.loaded = TableLoader::Initialize(table, path, &observer);
    inspection.events = std::move(observer.events);
    inspection.droppedEvents = observer.dropped;
    inspection.announcedSlots = table->AnnouncedSlots();
    inspection.handedOutSlots = table->HandedOutSlots();
    inspection.definesNonJoiner = table->HasSpecial();
    inspection.weighsALetter = WeighsALetter(*table);
    return inspection;
}

bool WeighsALetter(const CollationTable& table) {
    return AnyUnitButTheSpaceWeighs([&table](char16_t unit) { return WriteKey(table, &unit, 1, 3, nullptr, 0); });
}

bool WeighsALetter(const ZabreloLib& lib) {
    return AnyUnitButTheSpaceWeighs(
        [&lib](char16_t unit) { return lib.GetCollationKey(std::u16string(1, unit), 3).size(); });
}

UnweighedUnits UnweighedUnitsOf(const ZabreloLib& lib) {
    return UnweighedUnits::FromKeyLengths(
        [&lib](char16_t unit, int level) { return lib.GetCollationKey(std::u16string(1, unit), level).size(); });
}

}  // namespace zabrelo
