// ZabreloCollator: the C interface of ZabreloCollator.h over ZabreloLib.
// Every entry point catches everything: an exception escaping into the C
// caller would terminate the server process.
#include "ZabreloCollator.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "zabrelo/ZabreloLib.h"

struct ZabreloCollator {
    ZabreloLib lib;
    std::u16string units;  // the text, written by the caller
    std::string key;       // the last key, read by the caller
};

namespace {

// Buffers up to this size stay for the next row; larger ones go back once
// their row is done, so one huge value does not pin memory for the session.
constexpr std::size_t kKeptUnits = std::size_t{1} << 20;
constexpr std::size_t kKeptKeyBytes = std::size_t{6} << 20;

void CopyMessage(const std::string& text, char* message, std::size_t size) {
    if (size == 0) return;
    const std::size_t length = std::min(text.size(), size - 1);
    std::memcpy(message, text.data(), length);
    message[length] = '\0';
}

}  // namespace

extern "C" ZabreloStatus zabrelo_collator_load(const char* path, ZabreloCollator** collator,
                                               char* message, std::size_t size) {
    *collator = nullptr;
    CopyMessage("", message, size);
    try {
        auto loaded = std::make_unique<ZabreloCollator>();
        if (!loaded->lib.Initialize(path)) return ZABRELO_BAD_TABLE;
        *collator = loaded.release();
        return ZABRELO_OK;
    } catch (const IOException& e) {
        try {
            CopyMessage(e.GetErrorMessage(), message, size);
        } catch (...) {
        }
        // Code 16 is the file layer's failure to open; every other one is a read error.
        return e.GetErrorCode() == 16 ? ZABRELO_CANNOT_OPEN : ZABRELO_CANNOT_READ;
    } catch (const std::bad_alloc&) {
        return ZABRELO_NO_MEMORY;
    } catch (...) {
        return ZABRELO_FAILED;
    }
}

extern "C" void zabrelo_collator_free(ZabreloCollator* collator) { delete collator; }

extern "C" uint16_t* zabrelo_collator_units(ZabreloCollator* collator, std::size_t count) {
    try {
        if (collator->units.size() < count) collator->units.resize(count);
        // char16_t and uint16_t share size and representation; the caller
        // only stores numbers through this pointer.
        return reinterpret_cast<uint16_t*>(&collator->units[0]);
    } catch (...) {
        return nullptr;
    }
}

extern "C" ZabreloStatus zabrelo_collator_key(ZabreloCollator* collator, std::size_t count, int level,
                                              const char** key, std::size_t* length) {
    try {
        collator->key = collator->lib.GetCollationKey(collator->units.substr(0, count), level);
        *key = collator->key.data();
        *length = collator->key.size();
        return ZABRELO_OK;
    } catch (const std::bad_alloc&) {
        return ZABRELO_NO_MEMORY;
    } catch (...) {
        return ZABRELO_FAILED;
    }
}

extern "C" void zabrelo_collator_trim(ZabreloCollator* collator) {
    // Assigning an empty string may keep the capacity; swapping with a
    // fresh one does not, and neither allocates.
    if (collator->units.capacity() > kKeptUnits) std::u16string().swap(collator->units);
    if (collator->key.capacity() > kKeptKeyBytes) std::string().swap(collator->key);
}
