// CollatorHandle: what a zabrelo_collator of the C interface holds: the
// loaded table and, made on first use, what the table does not weigh
// (the tie order of texts with equal keys needs it; most callers never do).
#ifndef ZABRELO_LIBRARY_COLLATORHANDLE_H
#define ZABRELO_LIBRARY_COLLATORHANDLE_H

#include <memory>
#include <mutex>
#include <optional>

#include "collation/CollationTable.h"
#include "collation/UnweighedUnits.h"
#include "zabrelo/zabrelo.h"

struct zabrelo_collator {
    std::shared_ptr<const zabrelo::CollationTable> table;
    unsigned options = 0;  // ZABRELO_CLASSIC_ORDER, ZABRELO_NATURAL_NUMBERS

    bool Natural() const { return (options & ZABRELO_NATURAL_NUMBERS) != 0; }

    /// The table's unweighed units, asked of it once, by whichever thread
    /// needs them first.
    const zabrelo::UnweighedUnits& Unweighed() const {
        std::call_once(unweighedMade_, [this] { unweighed_.emplace(*table); });
        return *unweighed_;
    }

private:
    mutable std::once_flag unweighedMade_;
    mutable std::optional<zabrelo::UnweighedUnits> unweighed_;  // held inline: made without allocating
};

#endif  // ZABRELO_LIBRARY_COLLATORHANDLE_H
