// CInterfaceLenient: the C interface's functions on UTF-8 texts read as a
// database holds them, well-formed or not: keys, key order and the tie
// order of texts with equal keys. They read the bytes in place and hand
// them to the core's UTF-8 walk, so a call costs what the walk costs; the
// database collations call them for every comparison of a sort. Natural
// keys too are read from the bytes; only comparing long ones allocates.
#include "zabrelo/zabrelo.h"

#include "collation/UnweighedUnits.h"
#include "collation/NaturalKeys.h"
#include "collation/Utf8Keys.h"
#include "library/CTextArguments.h"
#include "library/CollatorHandle.h"
#include "library/NaturalOrder.h"

using zabrelo::Text8;

extern "C" {

zabrelo_status ZABRELO_CALL zabrelo_key8_lenient(const zabrelo_collator* collator, const char* text, size_t length,
                                                 int level, uint8_t* key, size_t capacity, size_t* key_length) {
    if (key_length == nullptr) return ZABRELO_INVALID_ARGUMENT;
    *key_length = 0;
    if (collator == nullptr || !Text8(text, length) || (key == nullptr && capacity != 0)) {
        return ZABRELO_INVALID_ARGUMENT;
    }
    const std::size_t total =
        collator->Natural() ? zabrelo::WriteNaturalUtf8Key(*collator->table, text, length, level, key, capacity)
                            : zabrelo::WriteUtf8Key(*collator->table, text, length, level, key, capacity);
    *key_length = total;
    return total > capacity ? ZABRELO_BUFFER_TOO_SMALL : ZABRELO_OK;
}

int ZABRELO_CALL zabrelo_order8(const zabrelo_collator* collator, const char* a, size_t a_length, const char* b,
                                size_t b_length, int level) {
    if (collator == nullptr || !Text8(a, a_length) || !Text8(b, b_length)) return ZABRELO_COMPARE_ERROR;
    if (collator->Natural()) return zabrelo::NaturalUtf8Order(*collator->table, a, a_length, b, b_length, level);
    return zabrelo::CompareUtf8Keys(*collator->table, a, a_length, b, b_length, level);
}

int ZABRELO_CALL zabrelo_tie_order8(const zabrelo_collator* collator, const char* a, size_t a_length, const char* b,
                                    size_t b_length, int level) {
    if (collator == nullptr || !Text8(a, a_length) || !Text8(b, b_length)) return ZABRELO_COMPARE_ERROR;
    try {
        const int order = collator->Unweighed().Compare(a, a_length, b, b_length, level);
        return (order > 0) - (order < 0);
    } catch (...) {
        // Only the first call on a collator can fail: it asks the table
        // about every unit, and memory may run out doing so.
        return ZABRELO_COMPARE_ERROR;
    }
}

}  // extern "C"
