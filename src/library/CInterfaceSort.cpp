// CInterfaceSort: zabrelo_sort16, the C interface to the library's key
// sorter. Checks every argument before any work starts, and turns the
// sorter's exceptions into statuses.
#include "zabrelo/zabrelo.h"

#include <new>
#include <stdexcept>

#include "library/CTextArguments.h"
#include "library/CollatorHandle.h"
#include "library/KeyBatch.h"

extern "C" zabrelo_status ZABRELO_CALL zabrelo_sort16(const zabrelo_collator* collator,
                                                      const uint16_t* const* texts, const size_t* lengths,
                                                      size_t count, int level, unsigned flags, unsigned threads,
                                                      uint32_t* order) {
    if (collator == nullptr || (flags & ~ZABRELO_SORT_REVERSE) != 0 || count > zabrelo::KeyBatch::kMaxTexts) {
        return ZABRELO_INVALID_ARGUMENT;
    }
    if (count == 0) return ZABRELO_OK;
    if (texts == nullptr || lengths == nullptr || order == nullptr) return ZABRELO_INVALID_ARGUMENT;
    for (size_t i = 0; i < count; ++i) {
        if (texts[i] == nullptr && lengths[i] != 0) return ZABRELO_INVALID_ARGUMENT;
    }
    // uint16_t and char16_t units have one representation (see Units).
    const zabrelo::Utf16Texts batchTexts{reinterpret_cast<const char16_t* const*>(texts), lengths};
    static_assert(zabrelo::Utf16Texts::kUntilZero == ZABRELO_NUL_TERMINATED, "one way to say 'up to the zero'");
    try {
        const unsigned used = zabrelo::KeyThreadsFor(count, threads);
        zabrelo::KeyBatch batch(*collator->table, batchTexts, count, level, used, collator->Natural());
        batch.Sort((flags & ZABRELO_SORT_REVERSE) != 0, used);
        for (const zabrelo::KeyedText& item : batch) *order++ = item.index;
        return ZABRELO_OK;
    } catch (const std::bad_alloc&) {
        return ZABRELO_OUT_OF_MEMORY;
    } catch (const std::length_error&) {
        return ZABRELO_OUT_OF_MEMORY;  // a key of 4 GiB or more: memory for it ran out as surely
    } catch (...) {
        return ZABRELO_OUT_OF_MEMORY;  // a thread's resources, all the sorter can run out of
    }
}
