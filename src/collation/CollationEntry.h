// CollationEntry and EntryList: the records of the weight table.
// A slot's list starts with the base code point's own weights (entry 0) and
// goes on with its contractions in the order the data file gave them.
#ifndef ZABRELO_COLLATIONENTRY_H
#define ZABRELO_COLLATIONENTRY_H

#include <cstdint>
#include <vector>

namespace zabrelo {

struct CollationEntry {
    /// The code point of a one-code-point line, or a contraction's second code point.
    std::int32_t codePoint;
    /// Levels 1 (primary), 2 (secondary), 3 (tertiary); 0 adds nothing to a key.
    std::int32_t weights[3];
};

using EntryList = std::vector<CollationEntry>;

}  // namespace zabrelo

#endif  // ZABRELO_COLLATIONENTRY_H
