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
#include <vector>

#include "collation/LoadObserver.h"
#include "collation/UnweighedUnits.h"
#include "zabrelo/ZabreloLib.h"

namespace zabrelo {

class CollationTable;

struct TableInspection {
    bool loaded = false;             // what ZabreloLib::Initialize would return
    std::vector<LoadEvent> events;   // what the loader did with each line, in file order
    std::size_t droppedEvents = 0;   // events past LoadObserver::kMaxEvents, not kept
    std::int32_t announcedSlots = 0; // the slot count the header gives
    int handedOutSlots = 0;          // the slots the lines took
    bool definesNonJoiner = false;   // a line gave U+200C weights
    bool weighsALetter = false;      // as WeighsALetter says
};

/// Loads the table at `path` as ZabreloLib::Initialize does and reports
/// what became of it. Raises IOException as Initialize does (a path that
/// is null or empty, a file that cannot be opened).
TableInspection InspectTable(const char* path);

/// Whether the table of `lib` gives a unit other than the space (which
/// weighs without any table) a key of its own. A table that does not, a
/// word list say, loads without an error but can order nothing.
bool WeighsALetter(const ZabreloLib& lib);
bool WeighsALetter(const CollationTable& table);

/// What the table of `lib` does not weigh (collation/UnweighedUnits.h).
UnweighedUnits UnweighedUnitsOf(const ZabreloLib& lib);

}  // namespace zabrelo

#endif  // ZABRELO_TABLEINSPECTION_H
