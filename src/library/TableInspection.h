// TableInspection: a weight table loaded for its author, who wants to know
// what the loader made of each line (`zabrelo check`). The loader reports
// every line it read to an observer; this hands those reports on with the
// few facts about the loaded table a report needs, and keeps the table
// itself to the library. Tested by tests/library/TableInspectionTest.cpp
// and, message by message, by the tool's check cases.
#ifndef ZABRELO_TABLEINSPECTION_H
#define ZABRELO_TABLEINSPECTION_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "collation/CollationTable.h"
#include "collation/LoadObserver.h"
#include "collation/UnweighedUnits.h"
#include "zabrelo/ZabreloLib.h"

namespace zabrelo {

/// A weight that breaks the key layout. A key joins the level strings
/// without separators, so it orders texts soundly only while every primary
/// is above the space's 41 and every level-2 and level-3 byte is below every
/// primary.
struct OrderBreak {
    enum class Kind {
        kPrimaryNotAboveSpace,  // a primary at or below 41, other than a unit weighing exactly as the space
        kBelowPrimaries,        // a level-2 or level-3 byte not below the lowest primary (or 41)
    };
    Kind kind;
    int level;                  // 1 to 3: the level of `weight`
    int weight;                 // the offending byte
    std::u16string text;        // the first unit (or pair) that has it
    int line;                   // the line that gave `text` its weights, 0 when none did
    int count;                  // the units and pairs with such a byte at this level
    int bound;                  // kBelowPrimaries: the primary `weight` is not below
    std::u16string boundText;   // the unit with that primary, empty for the space's 41
    // Two texts whose keys show the break: `first` ought to sort first (its
    // level-1 key starts the other's) but its key is larger. Empty when none
    // of the texts tried shows it.
    std::u16string first, second;
};

struct TableInspection {
    bool loaded = false;             // what ZabreloLib::Initialize would return
    std::vector<LoadEvent> events;   // what the loader did with each line, in file order
    std::size_t droppedEvents = 0;   // events past LoadObserver::kMaxEvents, not kept
    std::int32_t announcedSlots = 0; // the slot count the header gives
    int handedOutSlots = 0;          // the slots the lines took
    bool definesNonJoiner = false;   // a line gave U+200C weights
    bool weighsALetter = false;      // as WeighsALetter says
    std::vector<OrderBreak> orderBreaks;  // at most one per kind and level
};

/// Loads the table at `path` in `order` (ZabreloLib::Initialize loads the
/// classic one, the C interface and the command the full one) and reports
/// what became of it. Raises IOException as Initialize does (a path that
/// is null or empty, a file that cannot be opened).
TableInspection InspectTable(const char* path, TableOrder order = TableOrder::kFull);

/// The weights of `table` that break the key layout, found from the keys
/// of every unit and of every pair in `events` (the table's load report).
std::vector<OrderBreak> FindOrderBreaks(const CollationTable& table, const std::vector<LoadEvent>& events);

/// Whether the table of `lib` gives a unit other than the space (which
/// weighs without any table) a key of its own. A table that does not, a
/// word list say, loads without an error but can order nothing.
bool WeighsALetter(const ZabreloLib& lib);
bool WeighsALetter(const CollationTable& table);

/// What the table of `lib` does not weigh (collation/UnweighedUnits.h).
UnweighedUnits UnweighedUnitsOf(const ZabreloLib& lib);

}  // namespace zabrelo

#endif  // ZABRELO_TABLEINSPECTION_H
