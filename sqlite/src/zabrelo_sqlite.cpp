/*
 * zabrelo_sqlite: Urdu dictionary order for SQLite, as a loadable extension.
 *
 * Registers, on each connection that loads it:
 *   COLLATE URDU            level-3 key order; texts with equal keys by their
 *                           UTF-8 bytes (as BINARY), so distinct texts differ
 *   COLLATE URDU1, URDU2    key order at level 1 or 2; texts with equal keys by
 *                           the units the table does not weigh, and equal only
 *                           when those are the same too
 *   urdu_key(text)          the level-3 sort key as a BLOB; NULL for NULL
 *   urdu_key(text, level)   the key at `level` (0 or less: empty, above 3: 3)
 * in the full order (everything the table has a line for weighs), and the
 * same in the classic order (the Arabic block alone weighs), named
 * URDU_CLASSIC, URDU_CLASSIC1, URDU_CLASSIC2 and urdu_classic_key, and in
 * the natural order (the full order with runs of digits by their value),
 * named URDU_NATURAL, URDU_NATURAL1, URDU_NATURAL2 and urdu_natural_key.
 *
 * The weight table is the C interface's default table ($ZABRELO_TABLE, else
 * the one installed with this file), opened through the C interface at each
 * load, once per order, and shared by every connection that loaded the same
 * file; a table that cannot be loaded makes the load fail with its reason.
 * Values are read as UTF-8 whatever they hold: each byte that begins no
 * well-formed sequence reads as U+FFFD, which no table weighs. The
 * collations read the values' bytes in place and allocate nothing (but the
 * natural ones, for texts whose keys pass 1 KiB); urdu_key allocates only a
 * key longer than 512 bytes. Everything goes
 * through the C interface (zabrelo.h), whose UTF-8 functions read values as
 * SQLite holds them.
 * Nothing throws into SQLite. Tested by sqlite/tests/ (the C API, and the
 * sqlite3 shell in shell.sh).
 */
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1

#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "zabrelo/zabrelo.h"

#if defined(_WIN32)
#define ZABRELO_SQLITE_ENTRY __declspec(dllexport)
#else
#define ZABRELO_SQLITE_ENTRY __attribute__((visibility("default")))
#endif

namespace {

using Collator = std::shared_ptr<const zabrelo_collator>;

// The tables loaded in this process, by path and options: a connection that
// opens a file already loaded shares the loaded one. A failed load leaves no
// entry, so the next connection tries again.
struct LoadedTable {
    std::string path;
    unsigned options;
    Collator collator;
};
std::mutex tablesMutex;
std::vector<LoadedTable> tables;

// The table at `path` (null: the default table, whose path `path` then
// receives) with `options`, loaded or found loaded; null with `error` set
// when it cannot be had.
Collator SharedTable(std::string& path, unsigned options, std::string& error) {
    // A path already known is looked up before it is opened again.
    if (!path.empty()) {
        const std::lock_guard<std::mutex> lock(tablesMutex);
        for (const LoadedTable& entry : tables) {
            if (entry.path == path && entry.options == options) return entry.collator;
        }
    }
    zabrelo_collator* opened = nullptr;
    const std::unique_ptr<zabrelo_open_detail> detail(new zabrelo_open_detail());
    if (zabrelo_open_ex(path.empty() ? nullptr : path.c_str(), options, &opened, detail.get(), nullptr, nullptr) !=
        ZABRELO_OK) {
        error = detail->message;
        return nullptr;
    }
    Collator collator(opened, zabrelo_close);
    path = detail->file;
    const std::lock_guard<std::mutex> lock(tablesMutex);
    for (const LoadedTable& entry : tables) {
        if (entry.path == path && entry.options == options) return entry.collator;
    }
    // The first tie order asks the table about every unit; asked here, no
    // comparison in a query has that to do.
    zabrelo_tie_order8(collator.get(), "", 0, "", 0, 3);
    tables.push_back({path, options, collator});
    return collator;
}

// What one registration (a collation, or urdu_key) holds: the collator,
// kept alive until SQLite drops the registration, and the collation's level.
struct Registration {
    Registration(Collator shared, int levelOf) : owner(std::move(shared)), collator(owner.get()), level(levelOf) {}
    Collator owner;
    const zabrelo_collator* collator;  // owner's, one step nearer for each comparison
    int level;
};

void DropRegistration(void* registration) { delete static_cast<Registration*>(registration); }

// Unsigned byte order, a start of the other first: BINARY's order.
int CompareBytes(const char* a, int aSize, const char* b, int bSize) {
    const int common = aSize < bSize ? aSize : bSize;
    const int order = common == 0 ? 0 : std::memcmp(a, b, static_cast<std::size_t>(common));
    if (order != 0) return order;
    return (aSize > bSize) - (aSize < bSize);
}

// A comparison that failed (memory for natural keys ran out) cannot be
// reported to SQLite: the pair then takes BINARY's order, which is at least
// the reverse of the pair's other way round.

// URDU: key order, then BINARY's, so that only the same bytes are equal.
int CompareUrdu(void* arg, int aSize, const void* aData, int bSize, const void* bData) {
    const auto& registration = *static_cast<const Registration*>(arg);
    const char* a = static_cast<const char*>(aData);
    const char* b = static_cast<const char*>(bData);
    const int order = zabrelo_order8(registration.collator, a, static_cast<std::size_t>(aSize), b,
                                     static_cast<std::size_t>(bSize), 3);
    return order != 0 && order != ZABRELO_COMPARE_ERROR ? order : CompareBytes(a, aSize, b, bSize);
}

// URDU1 and URDU2: key order at their level, then the order of the units
// the table does not weigh; equal when both are.
int CompareUrduLevel(void* arg, int aSize, const void* aData, int bSize, const void* bData) {
    const auto& registration = *static_cast<const Registration*>(arg);
    const char* a = static_cast<const char*>(aData);
    const char* b = static_cast<const char*>(bData);
    const auto aLength = static_cast<std::size_t>(aSize), bLength = static_cast<std::size_t>(bSize);
    const int order = zabrelo_order8(registration.collator, a, aLength, b, bLength, registration.level);
    if (order == ZABRELO_COMPARE_ERROR) return CompareBytes(a, aSize, b, bSize);
    if (order != 0) return order;
    // Equal keys are mostly the same value, compared with itself in a sort.
    if (CompareBytes(a, aSize, b, bSize) == 0) return 0;
    return zabrelo_tie_order8(registration.collator, a, aLength, b, bLength, registration.level);
}

// Keys up to this size are built on the stack and copied into the result.
constexpr std::size_t kStackKey = 512;

void UrduKey(sqlite3_context* context, int argc, sqlite3_value** argv) {
    const auto& registration = *static_cast<const Registration*>(sqlite3_user_data(context));
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || (argc > 1 && sqlite3_value_type(argv[1]) == SQLITE_NULL)) {
        sqlite3_result_null(context);
        return;
    }
    int level = 3;
    if (argc > 1) {
        const sqlite3_int64 asked = sqlite3_value_int64(argv[1]);
        level = asked <= 0 ? 0 : asked > 3 ? 3 : static_cast<int>(asked);
    }
    // A number reads as its text, a BLOB as its bytes.
    const char* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const auto size = static_cast<std::size_t>(sqlite3_value_bytes(argv[0]));
    if (text == nullptr) {
        sqlite3_result_error_nomem(context);
        return;
    }
    unsigned char stack[kStackKey];
    std::size_t length = 0;
    zabrelo_key8_lenient(registration.collator, text, size, level, stack, sizeof stack, &length);
    if (length <= sizeof stack) {
        sqlite3_result_blob(context, stack, static_cast<int>(length), SQLITE_TRANSIENT);
    } else if (auto* key = static_cast<unsigned char*>(sqlite3_malloc64(length))) {
        zabrelo_key8_lenient(registration.collator, text, size, level, key, length, &length);
        sqlite3_result_blob64(context, key, length, sqlite3_free);
    } else {
        sqlite3_result_error_nomem(context);
    }
}

int RegisterCollation(sqlite3* db, const char* name, int (*compare)(void*, int, const void*, int, const void*),
                      const Collator& loaded, int level) {
    auto* registration = new Registration(loaded, level);
    const int rc = sqlite3_create_collation_v2(db, name, SQLITE_UTF8, registration, compare, DropRegistration);
    // A failed registration leaves its data to the caller.
    if (rc != SQLITE_OK) delete registration;
    return rc;
}

int RegisterKey(sqlite3* db, const char* name, int argc, const Collator& loaded) {
    // SQLite drops the data itself when the registration fails.
    return sqlite3_create_function_v2(db, name, argc, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                      new Registration(loaded, 3), UrduKey, nullptr, nullptr, DropRegistration);
}

// Each order is a set of collations and a key function: URDU, URDU1, URDU2
// and urdu_key for the full order; the same names with _CLASSIC or _NATURAL
// for the others. Each opens the table on its own (a table's options are
// fixed when it is opened); all three are loaded at once, about a
// millisecond each.
struct Order {
    const char* collation;  // the level-3 collation; levels 1 and 2 add their digit
    const char* key;
    unsigned options;
};
const Order kOrders[] = {{"URDU", "urdu_key", 0},
                         {"URDU_CLASSIC", "urdu_classic_key", ZABRELO_CLASSIC_ORDER},
                         {"URDU_NATURAL", "urdu_natural_key", ZABRELO_NATURAL_NUMBERS}};

int RegisterOrder(sqlite3* db, const Order& order, const Collator& loaded) {
    const std::string name = order.collation;
    int rc = RegisterCollation(db, name.c_str(), CompareUrdu, loaded, 3);
    if (rc == SQLITE_OK) rc = RegisterCollation(db, (name + "1").c_str(), CompareUrduLevel, loaded, 1);
    if (rc == SQLITE_OK) rc = RegisterCollation(db, (name + "2").c_str(), CompareUrduLevel, loaded, 2);
    if (rc == SQLITE_OK) rc = RegisterKey(db, order.key, 1, loaded);
    if (rc == SQLITE_OK) rc = RegisterKey(db, order.key, 2, loaded);
    return rc;
}

// The routines SQLite hands every load are those of the one SQLite library
// in the process: taken once, so that connections loading at once on other
// threads do not write the pointer while one of them reads it.
std::once_flag apiTaken;

int Init(sqlite3* db, char** errorMessage, const sqlite3_api_routines* api) {
    try {
        std::call_once(apiTaken, [api] { SQLITE_EXTENSION_INIT2(api); });
    } catch (...) {
        return SQLITE_ERROR;  // no routines to report it with
    }
    const auto fail = [errorMessage](int rc, const char* what) {
        if (errorMessage != nullptr) *errorMessage = sqlite3_mprintf("zabrelo_sqlite: %s", what);
        return rc;
    };
    try {
        // The full order's open finds the default table (and says at once
        // when it is gone); the other orders take that same file, loaded
        // once in the process.
        std::string path, error;
        Collator loaded[std::size(kOrders)];
        for (std::size_t i = 0; i < std::size(kOrders); ++i) {
            loaded[i] = SharedTable(path, kOrders[i].options, error);
            if (loaded[i] == nullptr) return fail(SQLITE_ERROR, ("cannot load the weight table: " + error).c_str());
        }
        for (std::size_t i = 0; i < std::size(kOrders); ++i) {
            const int rc = RegisterOrder(db, kOrders[i], loaded[i]);
            if (rc != SQLITE_OK) return fail(rc, sqlite3_errmsg(db));
        }
        return SQLITE_OK;
    } catch (const std::bad_alloc&) {
        return fail(SQLITE_NOMEM, "out of memory");
    } catch (...) {
        return fail(SQLITE_ERROR, "cannot load the weight table");
    }
}

}  // namespace

// SQLite finds the entry point by the file's name: libzabrelo_sqlite.so
// gives sqlite3_zabrelosqlite_init. It tries the generic name first.
extern "C" ZABRELO_SQLITE_ENTRY int sqlite3_zabrelosqlite_init(sqlite3* db, char** errorMessage,
                                                               const sqlite3_api_routines* api) {
    return Init(db, errorMessage, api);
}

extern "C" ZABRELO_SQLITE_ENTRY int sqlite3_extension_init(sqlite3* db, char** errorMessage,
                                                           const sqlite3_api_routines* api) {
    return Init(db, errorMessage, api);
}
