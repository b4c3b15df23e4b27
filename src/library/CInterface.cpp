// CInterface: the functions of zabrelo.h over the shared table, the key
// writer and the comparer. Keys and comparisons check their arguments and
// go straight to the core; nothing there can throw, and the one allocation
// (the UTF-16 form of a long UTF-8 text) is made without exceptions. Opening
// a table catches everything, since a C caller cannot.
#include "zabrelo/zabrelo.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include "collation/CollationKeys.h"
#include "collation/TableLoader.h"
#include "library/CTextArguments.h"
#include "library/CollatorHandle.h"
#include "library/DefaultTable.h"
#include "library/SystemPaths.h"
#include "text/Utf8.h"
#include "zabrelo/VantorException.h"

namespace {

using zabrelo::Text16;
using zabrelo::Text8;
using zabrelo::Units;

// UTF-8 texts up to this many bytes are decoded on the stack (at most one
// unit per byte): 512 Arabic letters, the length up to which keys are built
// on the stack too.
constexpr std::size_t kStackUnits = 1024;

// The UTF-16 form of one or two UTF-8 texts: on the stack when they are
// short, else in one heap block.
class DecodedTexts {
public:
    DecodedTexts() = default;
    DecodedTexts(const DecodedTexts&) = delete;
    DecodedTexts& operator=(const DecodedTexts&) = delete;

    /// Room for `bytes` units; false when the heap cannot give it.
    bool Reserve(std::size_t bytes) {
        if (bytes <= kStackUnits) return true;
        heap_.reset(new (std::nothrow) char16_t[bytes]);
        units_ = heap_.get();
        return units_ != nullptr;
    }
    /// Decodes `text` after what is there already; false on ill-formed UTF-8.
    bool Append(const char* text, std::size_t length, const char16_t*& start, std::size_t& count) {
        start = units_ + used_;
        count = zabrelo::DecodeUtf8(text, length, units_ + used_);
        if (count == zabrelo::kInvalidUtf8) return false;
        used_ += count;
        return true;
    }

private:
    char16_t stack_[kStackUnits];
    std::unique_ptr<char16_t[]> heap_;
    char16_t* units_ = stack_;
    std::size_t used_ = 0;
};

zabrelo_status Key(const zabrelo_collator* collator, const char16_t* text, std::size_t length, int level,
                   uint8_t* key, std::size_t capacity, std::size_t* keyLength) {
    const std::size_t total = zabrelo::WriteKey(*collator->table, text, length, level, key, capacity);
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

zabrelo_status Open(const char* tablePath, zabrelo_collator** collator, Outcome& outcome) {
    if (collator == nullptr) return outcome.Fail(ZABRELO_INVALID_ARGUMENT, "the collator argument is NULL");
    *collator = nullptr;
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
    // A directory opens as an empty stream on some systems and would read
    // as a file without a header: it is no file at all.
    if (!path.empty() && zabrelo::KindOf(path.c_str()) == zabrelo::PathKind::kDirectory) {
        return outcome.Fail(ZABRELO_CANNOT_OPEN, path + ": Is a directory");
    }
    auto handle = std::make_unique<zabrelo_collator>();
    zabrelo::LoadObserver observer;
    try {
        if (!zabrelo::TableLoader::Initialize(handle->table, path.c_str(), outcome.Wanted() ? &observer : nullptr)) {
            int line = 0;
            const std::string message = NotATable(path, observer, line);
            return outcome.Fail(ZABRELO_NOT_A_TABLE, message, line);
        }
    } catch (const IOException& e) {
        std::string reason = path.empty() ? std::string() : zabrelo::OpenFailure(path.c_str());
        if (reason.empty()) reason = e.GetErrorMessage();
        return outcome.Fail(ZABRELO_CANNOT_OPEN, path + ": " + reason, 0, e.GetFormattedMessage());
    }
    *collator = handle.release();
    return outcome.Done(ZABRELO_OK);
}

}  // namespace

extern "C" {

zabrelo_status ZABRELO_CALL zabrelo_open(const char* table_path, zabrelo_collator** collator) {
    return zabrelo_open_detailed(table_path, collator, nullptr);
}

zabrelo_status ZABRELO_CALL zabrelo_open_detailed(const char* table_path, zabrelo_collator** collator,
                                                  zabrelo_open_detail* detail) {
    Outcome outcome(detail);
    try {
        return Open(table_path, collator, outcome);
    } catch (const std::bad_alloc&) {
        return outcome.FailPlain(ZABRELO_OUT_OF_MEMORY, "out of memory");
    } catch (const std::length_error&) {
        return outcome.FailPlain(ZABRELO_OUT_OF_MEMORY, "out of memory");
    } catch (...) {
        // Nothing else is thrown on the way; should it be, the file was not loaded.
        return outcome.FailPlain(ZABRELO_CANNOT_OPEN, "the table could not be loaded");
    }
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
    DecodedTexts units;
    if (!units.Reserve(length)) return ZABRELO_OUT_OF_MEMORY;
    const char16_t* start;
    std::size_t count;
    if (!units.Append(text, length, start, count)) return ZABRELO_INVALID_UTF8;
    return Key(collator, start, count, level, key, capacity, key_length);
}

int ZABRELO_CALL zabrelo_compare16(const zabrelo_collator* collator, const uint16_t* a, size_t a_length,
                                   const uint16_t* b, size_t b_length, int level) {
    if (collator == nullptr || !Text16(a, a_length) || !Text16(b, b_length)) return ZABRELO_COMPARE_ERROR;
    return zabrelo::CompareStrings(*collator->table, Units(a), a_length, Units(b), b_length, level);
}

zabrelo_status ZABRELO_CALL zabrelo_compare8(const zabrelo_collator* collator, const char* a, size_t a_length,
                                             const char* b, size_t b_length, int level, int* result) {
    if (result == nullptr) return ZABRELO_INVALID_ARGUMENT;
    *result = ZABRELO_COMPARE_ERROR;
    if (collator == nullptr || !Text8(a, a_length) || !Text8(b, b_length)) return ZABRELO_INVALID_ARGUMENT;
    DecodedTexts units;
    // Two lengths that overflow together could never be held in memory.
    if (a_length > SIZE_MAX - b_length || !units.Reserve(a_length + b_length)) return ZABRELO_OUT_OF_MEMORY;
    const char16_t *first, *second;
    std::size_t firstCount, secondCount;
    if (!units.Append(a, a_length, first, firstCount) || !units.Append(b, b_length, second, secondCount)) {
        return ZABRELO_INVALID_UTF8;
    }
    *result = zabrelo::CompareStrings(*collator->table, first, firstCount, second, secondCount, level);
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
    default: return "unknown status";
    }
}

const char* ZABRELO_CALL zabrelo_version(void) { return ZABRELO_VERSION_STRING; }

}  // extern "C"
