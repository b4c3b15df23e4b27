// CollatorHandle: what a zabrelo_collator of the C interface holds, for the
// extensions that link the core and open their table through the C
// interface (its default-table search and its messages) but then compare
// with the core's own functions.
#ifndef ZABRELO_LIBRARY_COLLATORHANDLE_H
#define ZABRELO_LIBRARY_COLLATORHANDLE_H

#include <memory>

#include "collation/CollationTable.h"

struct zabrelo_collator {
    std::shared_ptr<const zabrelo::CollationTable> table;
};

#endif  // ZABRELO_LIBRARY_COLLATORHANDLE_H
