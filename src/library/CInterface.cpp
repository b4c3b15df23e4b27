// CInterface: the functions of zabrelo.h over the shared table, the key
// writer and the comparer. Keys and comparisons check their arguments and
// go straight to the core: nothing there can throw, and the one allocation
// (the UTF-16 form of a long UTF-8 text) is made without exceptions and
// only to go faster: without it the key is read from the bytes. A collator
// opened with natural numbers takes the natural keys instead, chosen once
// per call; only their comparison of long texts allocates. Opening a
// table catches everything, since a C caller cannot.
#include "zabrelo/zabrelo.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include "collation/CollationKeys.h"
#include "collation/NaturalKeys.h"
#include "collation/StoppableKey.h"
#include "collation/TableLoader.h"
#include "collation/Utf8Keys.h"
#include "fileio/RegularFile.h"
#include "library/CTextArguments.h"
#include "library/CollatorHandle.h"
#include "library/DefaultTable.h"
#include "library/NaturalOrder.h"
#include "library/SystemPaths.h"
#include "library/TableInspection.h"
#include "text/Utf8.h"
#include "zabrelo/VantorException.h"

namespace {

using zabrelo::Text16;
using zabrelo::Text8;
using zabrelo::Units;

// The UTF-16 key writer is several times faster than the walk over UTF-8
// bytes, so a UTF-8 text is keyed from its UTF-16 form: up to this many
// bytes decoded on the stack (at most one unit per byte), longer ones on
// the heap when it has room, and up to a size no allocator is asked for.
// Comparisons read the bytes: they stop where the texts differ.
constexpr std::size_t kStackUnits = 1024;
constexpr std::size_t kMaxHeapUnits = static_cast<std::size_t>(PTRDIFF_MAX) / (4 * sizeof(char16_t));

// Room for the UTF-16 form of a long UTF-8 text of `length` bytes, or null
// when the heap has none (the caller then reads the bytes): never throws.
std::unique_ptr<char16_t[]> HeapUnits(std::size_t length) {
    if (length > kMaxHeapUnits) return nullptr;
    try {
        return std::unique_ptr<char16_t[]>(new (std::nothrow) char16_t[length]);
    } catch (...) {
        return nullptr;  // an allocator that throws all the same
    }
}

zabrelo_status Key(const zabrelo_collator* collator, const char16_t* text, std::size_t length, int level,
                   uint8_t* key, std::size_t capacity, std::size_t* keyLength) {
    const std::size_t total = collator->Natural()
                                  ? zabrelo::WriteNaturalKey(*collator->table, text, length, level, key, capacity)
                                  : zabrelo::WriteKey(*collator->table, text, length, level, key, capacity);
    *keyLength = total;
    return total > capacity ? ZABRELO_BUFFER_TOO_SMALL : ZABRELO_OK;
}

// --- Opening a table, and the detail of a failure ---

// Copies `text` into a fixed field, cut at a character boundary when too long.
template <std::size_t N>
void Put(char (&field)[N], const char* text, std::size_t size) {
    std::size_t n = std::min(size, N - 1);
    if (n < size) {
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    }
    std::memcpy(field, text, n);
    field[n] = '\0';
}
template <std::size_t N>
void Put(char (&field)[N], const std::string& text) {
    Put(field, text.data(), text.size());
}

// Fills the caller's detail, when there is one, and returns the status.
class Outcome {
public:
    explicit Outcome(zabrelo_open_detail* detail) : detail_(detail) {
        if (detail_ != nullptr) std::memset(detail_, 0, sizeof *detail_);
    }
    bool Wanted() const { return detail_ != nullptr; }
    void File(const std::string& path) {
        if (detail_ != nullptr) Put(detail_->file, path);
    }
    zabrelo_status Fail(zabrelo_status status, const std::string& message, int line = 0,
                        const std::string& report = std::string()) {
        if (detail_ != nullptr) {
            detail_->line = line;
            Put(detail_->message, message);
            Put(detail_->report, report);
        }
        return Done(status);
    }
    // Without building a string: for when memory ran out.
    zabrelo_status FailPlain(zabrelo_status status, const char* message) {
        if (detail_ != nullptr) {
            Put(detail_->message, message, std::strlen(message));
            detail_->report[0] = '\0';
        }
        return Done(status);
    }
    zabrelo_status Done(zabrelo_status status) {
        if (detail_ != nullptr) detail_->status = status;
        return status;
    }

private:
    zabrelo_open_detail* detail_;
};

// Where a refused file went wrong: the line whose weight field is missing,
// else the first line, which holds no header.
std::string NotATable(const std::string& path, const zabrelo::LoadObserver& observer, int& line) {
    for (const zabrelo::LoadEvent& event : observer.events) {
        if (event.kind == zabrelo::LoadEventKind::kMissingWeights) {
            line = event.line;
            return path + ":" + std::to_string(line) + ": no weight field";
        }
    }
    line = 1;
    return path + ":1: no header (a slot count and \"=\")";
}

// Refuses a table that loaded but can order nothing, a word list say; else
// hands the collator over.
zabrelo_status Accept(std::unique_ptr<zabrelo_collator> handle, const std::string& name,
                      zabrelo_collator** collator, Outcome& outcome) {
    if (!zabrelo::WeighsALetter(*handle->table)) {
        return outcome.Fail(ZABRELO_NOT_A_TABLE, name + ": the table gives no letter a weight");
    }
    *collator = handle.release();
    return outcome.Done(ZABRELO_OK);
}

// Why a file could not be read, in the system's words where it has some.
std::string Unreadable(const zabrelo::FileBytes& file) {
    if (file.outcome == zabrelo::FileRead::kNotRegular && file.error == 0) {
        return "not a regular file (a FIFO, a device or a socket)";
    }
    return zabrelo::SystemErrorText(file.error);
}

// The library's stop check over a C caller's; none when `stop` is NULL.
struct CallerStop {
    zabrelo_stop_check stop;
    void* context;

    static bool Ask(void* self) {
        const auto* caller = static_cast<const CallerStop*>(self);
        return caller->stop(caller->context) != 0;
    }
    zabrelo::StopCheck Check() { return zabrelo::StopCheck{&CallerStop::Ask, this}; }
};

constexpr unsigned kKnownOptions = ZABRELO_CLASSIC_ORDER | ZABRELO_NATURAL_NUMBERS;

zabrelo::TableOrder OrderOf(unsigned options) {
    return (options & ZABRELO_CLASSIC_ORDER) != 0 ? zabrelo::TableOrder::kClassic : zabrelo::TableOrder::kFull;
}

zabrelo_status Open(const char* tablePath, unsigned options, zabrelo_collator** collator, Outcome& outcome,
                    const zabrelo::StopCheck* stop = nullptr) {
    if (collator == nullptr) return outcome.Fail(ZABRELO_INVALID_ARGUMENT, "the collator argument is NULL");
    *collator = nullptr;
    if ((options & ~kKnownOptions) != 0) return outcome.Fail(ZABRELO_INVALID_ARGUMENT, "unknown options");
    std::string path;
    if (tablePath != nullptr) {
        path = tablePath;
    } else {
        zabrelo::DefaultTable found = zabrelo::FindDefaultTable();
        if (found.path.empty()) {
            return outcome.Fail(ZABRELO_CANNOT_OPEN,
                                found.problem + "; name one with " + zabrelo::kDefaultTableVariable);
        }
        path = std::move(found.path);
    }
    outcome.File(path);
    // Windows does not open a directory at all, and would only say "Permission denied".
    if (!path.empty() && zabrelo::KindOf(path.c_str()) == zabrelo::PathKind::kDirectory) {
        return outcome.Fail(ZABRELO_CANNOT_OPEN, path + ": Is a directory");
    }
    zabrelo::FileBytes file;
    if (!path.empty()) file = zabrelo::ReadRegularFile(path.c_str(), zabrelo::TableLoader::kMaxTableBytes);
    if (file.outcome == zabrelo::FileRead::kTooLarge) {
        return outcome.Fail(ZABRELO_NOT_A_TABLE, path + ": larger than " +
                                                     std::to_string(zabrelo::TableLoader::kMaxTableBytes >> 20) +
                                                     " MiB, more than any weight table holds");
    }
    auto handle = std::make_unique<zabrelo_collator>();
    handle->options = options;
    zabrelo::LoadObserver observer;
    try {
        if (!zabrelo::TableLoader::Initialize(handle->table, path.c_str(), file,
                                              outcome.Wanted() ? &observer : nullptr, stop, OrderOf(options))) {
            int line = 0;
            const std::string message = NotATable(path, observer, line);
            return outcome.Fail(ZABRELO_NOT_A_TABLE, message, line);
        }
    } catch (const IOException& e) {
        const std::string reason = path.empty() ? e.GetErrorMessage() : Unreadable(file);
        return outcome.Fail(ZABRELO_CANNOT_OPEN, path + ": " + reason, 0, e.GetFormattedMessage());
    }
    return Accept(std::move(handle), path, collator, outcome);
}

// What a table in memory is called in messages.
constexpr char kMemoryName[] = "(memory)";

zabrelo_status OpenMemory(const char* bytes, std::size_t size, unsigned options, zabrelo_collator** collator,
                          Outcome& outcome) {
    if (collator == nullptr) return outcome.Fail(ZABRELO_INVALID_ARGUMENT, "the collator argument is NULL");
    *collator = nullptr;
    if ((options & ~kKnownOptions) != 0) return outcome.Fail(ZABRELO_INVALID_ARGUMENT, "unknown options");
    if (bytes == nullptr && size != 0) return outcome.Fail(ZABRELO_INVALID_ARGUMENT, "the bytes are NULL");
    outcome.File(kMemoryName);
    // The same limit as for a file, so that a table in memory loads exactly
    // as a file holding its bytes would.
    if (size > zabrelo::TableLoader::kMaxTableBytes) {
        return outcome.Fail(ZABRELO_NOT_A_TABLE, std::string(kMemoryName) + ": larger than " +
                                                     std::to_string(zabrelo::TableLoader::kMaxTableBytes >> 20) +
                                                     " MiB, more than any weight table holds");
    }
    auto handle = std::make_unique<zabrelo_collator>();
    handle->options = options;
    zabrelo::LoadObserver observer;
    if (!zabrelo::TableLoader::InitializeFromMemory(handle->table, bytes, size,
                                                    outcome.Wanted() ? &observer : nullptr, nullptr,
                                                    OrderOf(options))) {
        int line = 0;
        const std::string message = NotATable(kMemoryName, observer, line);
        return outcome.Fail(ZABRELO_NOT_A_TABLE, message, line);
    }
    return Accept(std::move(handle), kMemoryName, collator, outcome);
}

// Every open ends here: nothing may cross into C.
template <class OpenCall>
zabrelo_status Guarded(Outcome& outcome, OpenCall open) {
    try {
        return open();
    } catch (const zabrelo::TableLoader::LoadStopped&) {
        return outcome.FailPlain(ZABRELO_STOPPED, "stopped by the caller");
    } catch (const std::bad_alloc&) {
        return outcome.FailPlain(ZABRELO_OUT_OF_MEMORY, "out of memory");
    } catch (const std::length_error&) {
        return outcome.FailPlain(ZABRELO_OUT_OF_MEMORY, "out of memory");
    } catch (...) {
        // Nothing else is thrown on the way; should it be, the file was not loaded.
        return outcome.FailPlain(ZABRELO_CANNOT_OPEN, "the table could not be loaded");
    }
}

}  // namespace

extern "C" {

zabrelo_status ZABRELO_CALL zabrelo_open(const char* table_path, zabrelo_collator** collator) {
    return zabrelo_open_detailed(table_path, collator, nullptr);
}

zabrelo_status ZABRELO_CALL zabrelo_open_detailed(const char* table_path, zabrelo_collator** collator,
                                                  zabrelo_open_detail* detail) {
    Outcome outcome(detail);
    return Guarded(outcome, [&] { return Open(table_path, 0, collator, outcome); });
}

zabrelo_status ZABRELO_CALL zabrelo_open_stoppable(const char* table_path, zabrelo_collator** collator,
                                                   zabrelo_open_detail* detail, zabrelo_stop_check stop,
                                                   void* context) {
    Outcome outcome(detail);
    CallerStop caller{stop, context};
    const zabrelo::StopCheck check = caller.Check();
    return Guarded(outcome, [&] { return Open(table_path, 0, collator, outcome, stop ? &check : nullptr); });
}

zabrelo_status ZABRELO_CALL zabrelo_open_ex(const char* table_path, unsigned options, zabrelo_collator** collator,
                                            zabrelo_open_detail* detail, zabrelo_stop_check stop, void* context) {
    Outcome outcome(detail);
    CallerStop caller{stop, context};
    const zabrelo::StopCheck check = caller.Check();
    return Guarded(outcome, [&] { return Open(table_path, options, collator, outcome, stop ? &check : nullptr); });
}

zabrelo_status ZABRELO_CALL zabrelo_open_memory(const char* bytes, size_t size, zabrelo_collator** collator,
                                                zabrelo_open_detail* detail) {
    Outcome outcome(detail);
    return Guarded(outcome, [&] { return OpenMemory(bytes, size, 0, collator, outcome); });
}

zabrelo_status ZABRELO_CALL zabrelo_open_memory_ex(const char* bytes, size_t size, unsigned options,
                                                   zabrelo_collator** collator, zabrelo_open_detail* detail) {
    Outcome outcome(detail);
    return Guarded(outcome, [&] { return OpenMemory(bytes, size, options, collator, outcome); });
}

unsigned ZABRELO_CALL zabrelo_options(const zabrelo_collator* collator) {
    return collator == nullptr ? 0u : collator->options;
}

void ZABRELO_CALL zabrelo_close(zabrelo_collator* collator) { delete collator; }

zabrelo_status ZABRELO_CALL zabrelo_key16(const zabrelo_collator* collator, const uint16_t* text, size_t length,
                                          int level, uint8_t* key, size_t capacity, size_t* key_length) {
    if (key_length == nullptr) return ZABRELO_INVALID_ARGUMENT;
    *key_length = 0;
    if (collator == nullptr || !Text16(text, length) || (key == nullptr && capacity != 0)) {
        return ZABRELO_INVALID_ARGUMENT;
    }
    return Key(collator, Units(text), length, level, key, capacity, key_length);
}

zabrelo_status ZABRELO_CALL zabrelo_key8(const zabrelo_collator* collator, const char* text, size_t length,
                                         int level, uint8_t* key, size_t capacity, size_t* key_length) {
    if (key_length == nullptr) return ZABRELO_INVALID_ARGUMENT;
    *key_length = 0;
    if (collator == nullptr || !Text8(text, length) || (key == nullptr && capacity != 0)) {
        return ZABRELO_INVALID_ARGUMENT;
    }
    if (length <= kStackUnits) {
        char16_t units[kStackUnits];
        const std::size_t count = zabrelo::DecodeUtf8(text, length, units);
        if (count == zabrelo::kInvalidUtf8) return ZABRELO_INVALID_UTF8;
        return Key(collator, units, count, level, key, capacity, key_length);
    }
    // Longer texts too are keyed in UTF-16 when the heap gives room for it;
    // without it their key is read from the bytes, slower but the same key
    // (on well-formed text the key of the bytes is that of their UTF-16
    // form), so no length and no shortage of memory makes the call fail.
    const std::unique_ptr<char16_t[]> units = HeapUnits(length);
    if (units != nullptr) {
        const std::size_t count = zabrelo::DecodeUtf8(text, length, units.get());
        if (count == zabrelo::kInvalidUtf8) return ZABRELO_INVALID_UTF8;
        return Key(collator, units.get(), count, level, key, capacity, key_length);
    }
    if (zabrelo::Utf16Length(text, length) == zabrelo::kInvalidUtf8) return ZABRELO_INVALID_UTF8;
    const std::size_t total =
        collator->Natural() ? zabrelo::WriteNaturalUtf8Key(*collator->table, text, length, level, key, capacity)
                            : zabrelo::WriteUtf8Key(*collator->table, text, length, level, key, capacity);
    *key_length = total;
    return total > capacity ? ZABRELO_BUFFER_TOO_SMALL : ZABRELO_OK;
}

zabrelo_status ZABRELO_CALL zabrelo_key8_stoppable(const zabrelo_collator* collator, const char* text,
                                                   size_t length, int level, uint8_t* key, size_t capacity,
                                                   size_t* key_length, zabrelo_stop_check stop, void* context) {
    if (stop == nullptr || length <= zabrelo::kStopStride || length == ZABRELO_NUL_TERMINATED) {
        return zabrelo_key8(collator, text, length, level, key, capacity, key_length);
    }
    if (key_length == nullptr) return ZABRELO_INVALID_ARGUMENT;
    *key_length = 0;
    if (collator == nullptr || !Text8(text, length) || (key == nullptr && capacity != 0)) {
        return ZABRELO_INVALID_ARGUMENT;
    }
    CallerStop caller{stop, context};
    const zabrelo::StopCheck check = caller.Check();
    // As zabrelo_key8: from the UTF-16 form when the heap has room for it,
    // else from the bytes.
    const std::unique_ptr<char16_t[]> units = HeapUnits(length);
    // Checked (and decoded) piece by piece, each ending before a character's
    // first byte, so the caller is asked as often as while it is keyed.
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::size_t count = 0;
    for (std::size_t start = 0; start < length;) {
        std::size_t end = length - start > zabrelo::kStopStride ? start + zabrelo::kStopStride : length;
        for (int back = 0; back < 3 && end < length && (bytes[end] & 0xC0) == 0x80; ++back) --end;
        const std::size_t piece = units ? zabrelo::DecodeUtf8(text + start, end - start, units.get() + count)
                                        : zabrelo::Utf16Length(text + start, end - start);
        if (piece == zabrelo::kInvalidUtf8) return ZABRELO_INVALID_UTF8;
        count += piece;
        if (end < length && check.Asked()) return ZABRELO_STOPPED;
        start = end;
    }
    const zabrelo::CollationTable& table = *collator->table;
    std::size_t total;
    if (collator->Natural()) {
        total = units ? zabrelo::WriteNaturalKey(table, units.get(), count, level, key, capacity, &check)
                      : zabrelo::WriteNaturalUtf8Key(table, text, length, level, key, capacity, &check);
    } else {
        total = units ? zabrelo::WriteKeyStoppable(table, units.get(), count, level, key, capacity, check)
                      : zabrelo::WriteUtf8KeyStoppable(table, text, length, level, key, capacity, check);
    }
    if (total == zabrelo::kKeyStopped) return ZABRELO_STOPPED;
    *key_length = total;
    return total > capacity ? ZABRELO_BUFFER_TOO_SMALL : ZABRELO_OK;
}

int ZABRELO_CALL zabrelo_compare16(const zabrelo_collator* collator, const uint16_t* a, size_t a_length,
                                   const uint16_t* b, size_t b_length, int level) {
    if (collator == nullptr || !Text16(a, a_length) || !Text16(b, b_length)) return ZABRELO_COMPARE_ERROR;
    if (collator->Natural()) {
        const int order = zabrelo::NaturalOrder(*collator->table, Units(a), a_length, Units(b), b_length, level);
        return order == 0 && a_length < b_length ? -1 : order;
    }
    return zabrelo::CompareStrings(*collator->table, Units(a), a_length, Units(b), b_length, level);
}

zabrelo_status ZABRELO_CALL zabrelo_compare8(const zabrelo_collator* collator, const char* a, size_t a_length,
                                             const char* b, size_t b_length, int level, int* result) {
    if (result == nullptr) return ZABRELO_INVALID_ARGUMENT;
    *result = ZABRELO_COMPARE_ERROR;
    if (collator == nullptr || !Text8(a, a_length) || !Text8(b, b_length)) return ZABRELO_INVALID_ARGUMENT;
    if (b_length <= kStackUnits && a_length <= kStackUnits - b_length) {
        char16_t units[kStackUnits];
        const std::size_t aCount = zabrelo::DecodeUtf8(a, a_length, units);
        const std::size_t bCount =
            aCount == zabrelo::kInvalidUtf8 ? aCount : zabrelo::DecodeUtf8(b, b_length, units + aCount);
        if (bCount == zabrelo::kInvalidUtf8) return ZABRELO_INVALID_UTF8;
        if (!collator->Natural()) {
            *result = zabrelo::CompareStrings(*collator->table, units, aCount, units + aCount, bCount, level);
            return ZABRELO_OK;
        }
        const int order = zabrelo::NaturalOrder(*collator->table, units, aCount, units + aCount, bCount, level);
        if (order == ZABRELO_COMPARE_ERROR) return ZABRELO_OUT_OF_MEMORY;
        *result = order == 0 && aCount < bCount ? -1 : order;
        return ZABRELO_OK;
    }
    const std::size_t aUnits = zabrelo::Utf16Length(a, a_length);
    const std::size_t bUnits = zabrelo::Utf16Length(b, b_length);
    if (aUnits == zabrelo::kInvalidUtf8 || bUnits == zabrelo::kInvalidUtf8) return ZABRELO_INVALID_UTF8;
    int order;
    if (collator->Natural()) {
        order = zabrelo::NaturalUtf8Order(*collator->table, a, a_length, b, b_length, level);
        if (order == ZABRELO_COMPARE_ERROR) return ZABRELO_OUT_OF_MEMORY;
    } else {
        order = zabrelo::CompareUtf8Keys(*collator->table, a, a_length, b, b_length, level);
    }
    // The tie rule of CompareStrings, on the units the UTF-16 forms would have.
    if (order == 0 && aUnits < bUnits) order = -1;
    *result = order;
    return ZABRELO_OK;
}

const char* ZABRELO_CALL zabrelo_status_message(zabrelo_status status) {
    // A C caller may pass any int. In C++ an enum holds only the values its
    // enumerators' bits span, so the argument is read as the int it is.
    static_assert(sizeof(zabrelo_status) == sizeof(int), "a C enum is an int");
    int value;
    std::memcpy(&value, &status, sizeof value);
    switch (value) {
    case ZABRELO_OK: return "success";
    case ZABRELO_INVALID_ARGUMENT: return "invalid argument";
    case ZABRELO_CANNOT_OPEN: return "cannot open the table file";
    case ZABRELO_NOT_A_TABLE: return "not a weight table";
    case ZABRELO_INVALID_UTF8: return "invalid UTF-8";
    case ZABRELO_BUFFER_TOO_SMALL: return "buffer too small";
    case ZABRELO_OUT_OF_MEMORY: return "out of memory";
    case ZABRELO_STOPPED: return "stopped by the caller";
    default: return "unknown status";
    }
}

const char* ZABRELO_CALL zabrelo_version(void) { return ZABRELO_VERSION_STRING; }

}  // extern "C"
