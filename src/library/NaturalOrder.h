// NaturalOrder: the order of natural keys for the C interface's
// comparisons, which cannot throw: the keys of long texts are built on the
// heap, and when memory runs out for them the answer is
// ZABRELO_COMPARE_ERROR.
#ifndef ZABRELO_LIBRARY_NATURALORDER_H
#define ZABRELO_LIBRARY_NATURALORDER_H

#include <cstddef>

#include "collation/NaturalKeys.h"
#include "zabrelo/zabrelo.h"

namespace zabrelo {

inline int NaturalOrder(const CollationTable& table, const char16_t* a, std::size_t aLength, const char16_t* b,
                        std::size_t bLength, int level) {
    try {
        return CompareNaturalKeys(table, a, aLength, b, bLength, level);
    } catch (...) {
        return ZABRELO_COMPARE_ERROR;
    }
}

inline int NaturalUtf8Order(const CollationTable& table, const char* a, std::size_t aSize, const char* b,
                            std::size_t bSize, int level) {
    try {
        return CompareNaturalUtf8Keys(table, a, aSize, b, bSize, level);
    } catch (...) {
        return ZABRELO_COMPARE_ERROR;
    }
}

}  // namespace zabrelo

#endif  // ZABRELO_LIBRARY_NATURALORDER_H
