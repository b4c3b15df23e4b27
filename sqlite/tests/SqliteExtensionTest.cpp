// The SQLite extension through SQLite's C API, loaded as an application
// loads it (sqlite3_load_extension, no entry point named): the order of the
// Urdu word list, an index in URDU order under inserts and deletes, what
// URDU1 and URDU2 take for equal, consistency over random values of every
// kind, hostile values, urdu_key, many connections loading it at once, and
// tables that cannot be loaded. ZABRELO_SQLITE_EXTENSION names the built
// module; the default table is the copy beside it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "TestFiles.h"
#include "TestTables.h"
#include "TestText.h"
#include "zabrelo/zabrelo.h"

namespace {

using zabrelo_test::TempDir;

// The module's path without its suffix, as a user gives it to `.load`.
std::string ExtensionPath() {
    std::string path = ZABRELO_SQLITE_EXTENSION;
    const std::size_t dot = path.rfind('.');
    if (dot != std::string::npos && path.find('/', dot) == std::string::npos) path.erase(dot);
    return path;
}

// One connection, closed when the object goes.
class Db {
public:
    explicit Db(const std::string& file = ":memory:") {
        if (sqlite3_open(file.c_str(), &db_) != SQLITE_OK) ADD_FAILURE() << "cannot open " << file;
        sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 1, nullptr);
    }
    ~Db() { sqlite3_close(db_); }
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    /// Loads the extension; "" on success, else SQLite's message.
    std::string Load(const char* entry = nullptr) {
        char* error = nullptr;
        if (sqlite3_load_extension(db_, ExtensionPath().c_str(), entry, &error) == SQLITE_OK) return "";
        std::string message = error != nullptr ? error : "(no message)";
        sqlite3_free(error);
        return message;
    }
    void Exec(const std::string& sql) {
        char* error = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            ADD_FAILURE() << sql << ": " << (error != nullptr ? error : "");
        }
        sqlite3_free(error);
    }
    /// Each row's columns as their bytes ("<null>" for NULL); the statement
    /// binds `texts` in order.
    std::vector<std::vector<std::string>> Rows(const std::string& sql, const std::vector<std::string>& texts = {}) {
        std::vector<std::vector<std::string>> rows;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db_);
            return rows;
        }
        for (std::size_t i = 0; i < texts.size(); ++i) {
            sqlite3_bind_text(statement, static_cast<int>(i + 1), texts[i].data(), static_cast<int>(texts[i].size()),
                              SQLITE_TRANSIENT);
        }
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, c));
                row.push_back(sqlite3_column_type(statement, c) == SQLITE_NULL
                                  ? "<null>"
                                  : std::string(bytes != nullptr ? bytes : "",
                                                static_cast<std::size_t>(sqlite3_column_bytes(statement, c))));
            }
            rows.push_back(row);
        }
        if (rc != SQLITE_DONE) ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db_);
        sqlite3_finalize(statement);
        return rows;
    }
    std::vector<std::string> Column(const std::string& sql, const std::vector<std::string>& texts = {}) {
        std::vector<std::string> column;
        for (const auto& row : Rows(sql, texts)) column.push_back(row.at(0));
        return column;
    }
    std::string Value(const std::string& sql, const std::vector<std::string>& texts = {}) {
        const std::vector<std::string> column = Column(sql, texts);
        return column.empty() ? "<no row>" : column[0];
    }
    /// Inserts each text into t(w), as TEXT whatever its bytes.
    void Insert(const std::vector<std::string>& texts) {
        for (const std::string& text : texts) Rows("INSERT INTO t(w) VALUES (?)", {text});
    }

private:
    sqlite3* db_ = nullptr;
};

// Loads the extension into a fresh connection with the default table (the
// copy in the build tree), whatever the environment says.
class ExtensionTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("ZABRELO_TABLE");
        ASSERT_EQ(db_.Load(), "");
        db_.Exec("CREATE TABLE t(w TEXT)");
    }

    Db db_;
};

std::vector<std::string> UrduList() {
    return zabrelo_test::ReadLines(std::string(ZABRELO_TEST_DATA_DIR) + "/urdu-ordered.txt");
}

TEST_F(ExtensionTest, OrderByUrduIsTheWordListsOrder) {
    std::vector<std::string> words = UrduList();
    ASSERT_GT(words.size(), 400u);
    std::vector<std::string> shuffled = words;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(1));
    db_.Insert(shuffled);
    EXPECT_EQ(db_.Column("SELECT w FROM t ORDER BY w COLLATE URDU"), words);
    std::reverse(words.begin(), words.end());
    EXPECT_EQ(db_.Column("SELECT w FROM t ORDER BY w COLLATE URDU DESC"), words);
    // The keys say the same, as plain BLOB order.
    std::reverse(words.begin(), words.end());
    EXPECT_EQ(db_.Column("SELECT w FROM t ORDER BY urdu_key(w)"), words);
}

// Values of every kind a collation meets: Urdu words, the same with marks,
// Latin, digits, punctuation, ill-formed bytes, embedded NULs, empty text.
std::vector<std::string> MixedValues(std::size_t count, unsigned seed) {
    const std::vector<std::string> words = UrduList();
    const std::string others[] = {"abc", "xyz", "ABC", "7", "42", "\xD9\x8E", " ", "-", "\xFF", "\x80\x80", "\xD8",
                                  "\xE2\x80", std::string(1, '\0'), "\xF0\x9F\x98\x80", "\xE2\x80\x8C", ""};
    std::mt19937 random(seed);
    std::vector<std::string> values;
    while (values.size() < count) {
        std::string value;
        for (std::size_t parts = 1 + random() % 3; parts > 0; --parts) {
            value += random() % 3 != 0 ? words[random() % words.size()] : others[random() % 16];
        }
        if (random() % 10 == 0) value += std::string(1, '\0') + "b";
        values.push_back(value);
    }
    return values;
}

TEST_F(ExtensionTest, AnIndexInUrduOrderServesOrderByAndStaysSound) {
    db_.Exec("CREATE INDEX byUrdu ON t(w COLLATE URDU)");
    const std::vector<std::vector<std::string>> plan =
        db_.Rows("EXPLAIN QUERY PLAN SELECT w FROM t ORDER BY w COLLATE URDU LIMIT 10");
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_NE(plan[0].back().find("USING COVERING INDEX byUrdu"), std::string::npos) << plan[0].back();
    EXPECT_EQ(plan[0].back().find("TEMP B-TREE"), std::string::npos) << plan[0].back();

    const std::vector<std::string> values = MixedValues(3000, 2);
    db_.Insert(values);
    db_.Exec("DELETE FROM t WHERE rowid % 3 = 0");
    db_.Insert(MixedValues(1000, 3));
    db_.Exec("DELETE FROM t WHERE rowid % 7 = 1");
    EXPECT_EQ(db_.Value("PRAGMA integrity_check"), "ok");
    // The index's order, read by a scan of it, is the sort's.
    EXPECT_EQ(db_.Column("SELECT w FROM t INDEXED BY byUrdu ORDER BY w COLLATE URDU"),
              db_.Column("SELECT w FROM t NOT INDEXED ORDER BY w COLLATE URDU"));
    EXPECT_EQ(db_.Value("SELECT count(*) FROM t WHERE w = ? COLLATE URDU", {values[1]}),
              db_.Value("SELECT count(*) FROM t WHERE w = ?", {values[1]}));
}

// What each collation takes for equal, and how it orders what the table
// does not weigh: in the classic order, where Latin letters and digits
// weigh nothing.
struct EqualCase { const char* a; const char* b; int urdu; int urdu1; int urdu2; const char* why; };
const EqualCase kEqualCases[] = {
    {"abc", "xyz", 0, 0, 0, "Latin has equal (empty) keys but is never merged"},
    {"abc", "abc", 1, 1, 1, "the same text"},
    {"\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8", "\xDA\xA9\xD9\x90\xD8\xAA\xD8\xA7\xD8\xA8", 0, 1, 0,
     "a mark differs: the same at level 1 only"},
    {"\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8", "\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8" "2", 0, 0, 0,
     "a digit the table does not weigh"},
    {"\xD8\xA8" "a", "a\xD8\xA8", 0, 0, 0, "the same units, weighed and not, in another order"},
    {"\xD8\xA8" "a", "\xD8\xAA" "a", 0, 0, 0, "another letter before the same unweighed one"},
    {"\xD8\xA8" "a\xD8\xA8", "\xD8\xA8\xD9\x90" "a\xD8\xA8", 0, 1, 0, "a mark moves what follows it where marks weigh"},
    {"0300 1234567", "03001 234567", 0, 0, 0, "the same digits, the space elsewhere"},
    {"a b", "ab", 0, 0, 0, "the space weighs, at level 1"},
    {"\xD8\xA8\xFF", "\xD8\xA8\x80", 0, 1, 1, "each ill-formed byte is one U+FFFD"},
    {"", "", 1, 1, 1, "empty texts"},
};

TEST_F(ExtensionTest, WhatEachCollationTakesForEqual) {
    for (const EqualCase& c : kEqualCases) {
        SCOPED_TRACE(c.why);
        const std::vector<std::string> pair = {c.a, c.b, c.a, c.b, c.a, c.b};
        const std::vector<std::string> row = db_.Rows(
            "SELECT ? = ? COLLATE URDU_CLASSIC, ? = ? COLLATE URDU_CLASSIC1, ? = ? COLLATE URDU_CLASSIC2", pair).at(0);
        EXPECT_EQ(row, (std::vector<std::string>{std::to_string(c.urdu), std::to_string(c.urdu1),
                                                  std::to_string(c.urdu2)}));
    }
}

TEST_F(ExtensionTest, DistinctMergesOnlyWhatTheLevelCannotTellApart) {
    db_.Insert({"abc", "xyz", "abc", "\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8", "\xDA\xA9\xD9\x90\xD8\xAA\xD8\xA7\xD8\xA8",
                "\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8" "2"});
    // In the classic order Latin letters and digits weigh nothing.
    // Equal keys come in the order of their unweighed units: "abc" before
    // "xyz", none before "2"; the first of equal texts stays.
    EXPECT_EQ(db_.Column("SELECT DISTINCT w COLLATE URDU_CLASSIC1 FROM t ORDER BY 1"),
              (std::vector<std::string>{"abc", "xyz", "\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8",
                                        "\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8" "2"}));
    EXPECT_EQ(db_.Value("SELECT count(DISTINCT w COLLATE URDU_CLASSIC2) FROM t"), "5");
    EXPECT_EQ(db_.Value("SELECT count(DISTINCT w COLLATE URDU_CLASSIC) FROM t"), "5");
    // A digit after, before or inside a word: three words; the same digits
    // around a space elsewhere: two values a UNIQUE column takes.
    db_.Exec("DELETE FROM t");
    db_.Insert({"\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8" "2", "2\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8",
                "\xDA\xA9" "2\xD8\xAA\xD8\xA7\xD8\xA8"});
    EXPECT_EQ(db_.Value("SELECT count(DISTINCT w COLLATE URDU_CLASSIC1) FROM t"), "3");
    db_.Exec("CREATE TABLE u(w TEXT UNIQUE COLLATE URDU_CLASSIC2)");
    db_.Exec("INSERT INTO u VALUES ('0300 1234567'), ('03001 234567')");
    EXPECT_EQ(db_.Value("SELECT count(*) FROM u"), "2");
}

// The C interface's key of `text`, read as urdu_key reads it.
std::string LenientKey(const zabrelo_collator* collator, const std::string& text, int level) {
    std::size_t length = 0;
    zabrelo_key8_lenient(collator, text.data(), text.size(), level, nullptr, 0, &length);
    std::string key(length, '\0');
    zabrelo_key8_lenient(collator, text.data(), text.size(), level, reinterpret_cast<uint8_t*>(&key[0]), length,
                         &length);
    return key;
}

// The collations and key function of each order, and the options of the C
// interface's open that give the same.
struct OrderCase { const char* collation; const char* key; unsigned options; };
const OrderCase kOrderCases[] = {{"URDU", "urdu_key", 0},
                                 {"URDU_CLASSIC", "urdu_classic_key", ZABRELO_CLASSIC_ORDER},
                                 {"URDU_NATURAL", "urdu_natural_key", ZABRELO_NATURAL_NUMBERS}};

// Over random values of every kind, in each order: each collation is an
// order (the comparison of b with a is the reverse of a with b, and it is
// transitive), the level-3 one is the key order with BINARY for equal keys,
// and the level-1 and level-2 ones take two values for equal exactly when
// their keys at that level are equal and the units the table does not weigh
// are the same; the keys are the C interface's for that order.
TEST_F(ExtensionTest, CollationsAreConsistentOrders) {
    const std::vector<std::string> values = MixedValues(90, 4);
    db_.Exec("CREATE TABLE v(i INTEGER, w TEXT)");
    for (std::size_t i = 0; i < values.size(); ++i) {
        db_.Rows("INSERT INTO v VALUES (" + std::to_string(i) + ", ?)", {values[i]});
    }
    const std::size_t n = values.size();
    for (const OrderCase& orderCase : kOrderCases) {
        zabrelo_collator* collator = nullptr;
        ASSERT_EQ(zabrelo_open_ex(ZABRELO_DEFAULT_TABLE, orderCase.options, &collator, nullptr, nullptr, nullptr),
                  ZABRELO_OK);
        const std::unique_ptr<zabrelo_collator, void (*)(zabrelo_collator*)> owner(collator, zabrelo_close);
        const std::string base = orderCase.collation, key = orderCase.key;
        for (int level = 1; level <= 3; ++level) {
            const std::string collation = level == 3 ? base : base + std::to_string(level);
            SCOPED_TRACE(collation);
            for (std::size_t i = 0; i < n; ++i) {
                ASSERT_EQ(db_.Value("SELECT " + key + "(?, " + std::to_string(level) + ")", {values[i]}),
                          LenientKey(collator, values[i], level))
                    << zabrelo_test::Hex(values[i]);
            }
            std::vector<int> order(n * n);
            for (const auto& row : db_.Rows("SELECT x.i, y.i, (x.w > y.w COLLATE " + collation +
                                            ") - (x.w < y.w COLLATE " + collation + "), " + key + "(x.w, " +
                                            std::to_string(level) + ") = " + key + "(y.w, " +
                                            std::to_string(level) + ") FROM v x, v y")) {
                const std::size_t i = std::stoul(row[0]), j = std::stoul(row[1]);
                const int c = std::stoi(row[2]);
                order[i * n + j] = c;
                const std::string& a = values[i];
                const std::string& b = values[j];
                const bool sameKeys = row[3] == "1";
                if (level == 3) {
                    if (!sameKeys) continue;
                    EXPECT_EQ(c, (a > b) - (a < b)) << zabrelo_test::Hex(a) << " | " << zabrelo_test::Hex(b);
                } else {
                    const bool same =
                        sameKeys && zabrelo_tie_order8(collator, a.data(), a.size(), b.data(), b.size(), level) == 0;
                    EXPECT_EQ(c == 0, same) << zabrelo_test::Hex(a) << " | " << zabrelo_test::Hex(b);
                }
            }
            for (std::size_t i = 0; i < n; ++i) {
                for (std::size_t j = 0; j < n; ++j) {
                    ASSERT_EQ(order[i * n + j], -order[j * n + i]) << i << ", " << j;
                    for (std::size_t k = 0; k < n; ++k) {
                        if (order[i * n + j] <= 0 && order[j * n + k] <= 0) {
                            ASSERT_LE(order[i * n + k], 0) << i << ", " << j << ", " << k;
                        }
                    }
                }
            }
        }
    }
}

// Chapter numbers in three digit sets: by their digits in the full order,
// by their value in the natural one; in the classic order ASCII digits weigh
// nothing, so 2 and 10 are one key.
TEST_F(ExtensionTest, EachOrderSortsNumbersItsWay) {
    const std::string bab = "\xD8\xA8\xD8\xA7\xD8\xA8 ";
    const std::string two = bab + "2", three = bab + "\xDB\xB3", ten = bab + "10", eleven = bab + "\xD9\xA1\xD9\xA1";
    db_.Insert({ten, three, two, eleven});
    EXPECT_EQ(db_.Column("SELECT w FROM t ORDER BY w COLLATE URDU_NATURAL"),
              (std::vector<std::string>{two, three, ten, eleven}));
    EXPECT_EQ(db_.Column("SELECT w FROM t ORDER BY urdu_natural_key(w)"),
              (std::vector<std::string>{two, three, ten, eleven}));
    EXPECT_EQ(db_.Column("SELECT w FROM t ORDER BY w COLLATE URDU"),
              (std::vector<std::string>{ten, eleven, two, three}));
    EXPECT_EQ(db_.Value("SELECT count(DISTINCT urdu_classic_key(w)) FROM t"), "3");
}

TEST_F(ExtensionTest, HostileValues) {
    // Ill-formed UTF-8 cast to text, NULs inside, NULL, empty, and two texts
    // of four million letters that differ only in their last.
    const std::string be = "\xD8\xA8", pe = "\xD9\xBE";
    std::string longText;
    for (int i = 0; i < 4000000; ++i) longText += be;
    db_.Exec("INSERT INTO t VALUES (CAST(x'ff80d8' AS TEXT)), (CAST(x'd8a800d8a8' AS TEXT)), (NULL), (''), "
             "(CAST(x'edA080' AS TEXT)), (CAST(x'd8' AS TEXT))");
    db_.Insert({longText + pe, longText + be, be + be});
    const std::vector<std::string> sorted = db_.Column("SELECT w FROM t ORDER BY w COLLATE URDU");
    ASSERT_EQ(sorted.size(), 9u);
    EXPECT_EQ(sorted[0], "<null>");
    // Texts without a weighed letter have empty keys; among them BINARY.
    EXPECT_EQ(std::vector<std::string>(sorted.begin() + 1, sorted.begin() + 5),
              (std::vector<std::string>{"", "\xD8", "\xED\xA0\x80", "\xFF\x80\xD8"}));
    // A NUL weighs nothing: equal keys, then bytes.
    EXPECT_EQ(sorted[5], std::string("\xD8\xA8\0\xD8\xA8", 5));
    EXPECT_EQ(sorted[6], be + be);
    EXPECT_EQ(sorted[7], longText + be);
    EXPECT_EQ(sorted[8], longText + pe);
    // At level 1 the two texts of three ill-formed bytes are one (three
    // U+FFFD each); a NUL is a unit the table does not weigh.
    EXPECT_EQ(db_.Value("SELECT count(DISTINCT w COLLATE URDU1) FROM t"), "7");
    EXPECT_EQ(db_.Value("SELECT length(urdu_key(w)) FROM t WHERE w = ?", {longText + pe}), "12000003");
    EXPECT_EQ(db_.Value("PRAGMA integrity_check"), "ok");
}

// urdu_key's arguments as SQLite hands them over: a number reads as its
// text, a BLOB as its bytes; the level as an integer, out of range as in
// the library.
struct KeyCase { const char* sql; const char* hex; };
const KeyCase kKeyCases[] = {
    {"SELECT hex(urdu_key('\xD8\xA8'))", "630505"},
    {"SELECT hex(urdu_key('\xD8\xA8', 1))", "63"},
    {"SELECT hex(urdu_key('\xD8\xA8', 2))", "6305"},
    {"SELECT hex(urdu_key('\xD8\xA8', 3))", "630505"},
    {"SELECT hex(urdu_key('\xD8\xA8', 9))", "630505"},
    {"SELECT hex(urdu_key('\xD8\xA8', 0))", ""},
    {"SELECT hex(urdu_key('\xD8\xA8', -1))", ""},
    {"SELECT hex(urdu_key('\xD8\xA8', '2'))", "6305"},
    {"SELECT hex(urdu_key('\xD8\xA8', 2.9))", "6305"},
    {"SELECT hex(urdu_key(x'd8a8'))", "630505"},
    {"SELECT urdu_key(12) = urdu_key('12')", "1"},
    {"SELECT hex(urdu_classic_key(12))", ""},
    {"SELECT typeof(urdu_key(12))", "blob"},
    {"SELECT typeof(urdu_key('abc'))", "blob"},
    {"SELECT typeof(urdu_key(NULL))", "null"},
    {"SELECT typeof(urdu_key('\xD8\xA8', NULL))", "null"},
    {"SELECT typeof(urdu_key(NULL, 2))", "null"},
};

TEST_F(ExtensionTest, UrduKeyArguments) {
    for (const KeyCase& c : kKeyCases) EXPECT_EQ(db_.Value(c.sql), c.hex) << c.sql;
    // The key's bytes are the library's.
    zabrelo_test::TestTable table;
    ASSERT_TRUE(table.LoadFile(ZABRELO_DEFAULT_TABLE));
    for (const std::string& word : UrduList()) {
        ASSERT_EQ(db_.Value("SELECT urdu_key(?)", {word}), table.Key(zabrelo_test::FromUtf8(word))) << word;
    }
    // Deterministic and innocuous: allowed in an index and a generated column.
    db_.Exec("CREATE INDEX byKey ON t(urdu_key(w, 1))");
    db_.Exec("CREATE TABLE g(w TEXT, k BLOB GENERATED ALWAYS AS (urdu_key(w)))");
}

TEST(ExtensionLoadTest, BothEntryPointsAndTheNameSQLiteDerives) {
    unsetenv("ZABRELO_TABLE");
    const char* const entries[] = {nullptr, "sqlite3_zabrelosqlite_init", "sqlite3_extension_init"};
    for (const char* entry : entries) {
        Db db;
        EXPECT_EQ(db.Load(entry), "") << (entry != nullptr ? entry : "derived");
        EXPECT_EQ(db.Value("SELECT 'abc' < 'xyz' COLLATE URDU1"), "1");
    }
}

// Eight connections load the extension at once, and with it a table that
// no connection has loaded yet, which they share. One connection holds the
// module loaded before: the dynamic loader's own bookkeeping for a module
// it maps is invisible to the thread sanitizer, which would take the first
// thread to read it for a race with the one that mapped it.
TEST(ExtensionLoadTest, ManyConnectionsLoadAtOnce) {
    unsetenv("ZABRELO_TABLE");
    Db holder;
    ASSERT_EQ(holder.Load(), "");
    TempDir dir;
    const std::string copy = dir.Path("copy.txt");
    std::filesystem::copy_file(ZABRELO_DEFAULT_TABLE, copy);
    setenv("ZABRELO_TABLE", copy.c_str(), 1);
    const std::vector<std::string> words = UrduList();
    std::vector<std::string> results(8);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < results.size(); ++t) {
        threads.emplace_back([&, t] {
            Db db;
            results[t] = db.Load();
            if (!results[t].empty()) return;
            db.Exec("CREATE TABLE t(w TEXT)");
            for (std::size_t i = t; i < words.size(); i += 3) db.Rows("INSERT INTO t VALUES (?)", {words[i]});
            std::vector<std::string> expected;
            for (std::size_t i = t; i < words.size(); i += 3) expected.push_back(words[i]);
            std::sort(expected.begin(), expected.end(), [&](const std::string& a, const std::string& b) {
                return std::find(words.begin(), words.end(), a) < std::find(words.begin(), words.end(), b);
            });
            if (db.Column("SELECT w FROM t ORDER BY w COLLATE URDU") != expected) results[t] = "wrong order";
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (const std::string& result : results) EXPECT_EQ(result, "");
    unsetenv("ZABRELO_TABLE");
}

// A table that cannot be loaded makes the load fail with the reason; the
// next load tries again.
TEST(ExtensionLoadTest, TablesThatCannotBeLoaded) {
    TempDir dir;
    const std::string missing = dir.Path("missing.txt");
    const std::string empty = dir.Write("empty.txt", "");
    const std::string words = dir.Write("words.txt", "\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8\n");
    const std::string bare = dir.Write("bare.txt", "FA=\r\n");
    const std::string fifo = dir.Path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // SQLite puts its own words before the extension's.
    const std::string failed = "error during initialization: zabrelo_sqlite: cannot load the weight table: ";
    struct Case { std::string table, message; };
    const Case cases[] = {
        {missing, failed + missing + ": No such file or directory"},
        {empty, failed + empty + ":1: no header (a slot count and \"=\")"},
        {dir.Root().string(), failed + dir.Root().string() + ": Is a directory"},
        // A word list, or a header and nothing else, loads but weighs nothing.
        {words, failed + words + ": the table gives no letter a weight"},
        {bare, failed + bare + ": the table gives no letter a weight"},
        // Refused at once: neither may hold the load, and the table lock, for ever.
        {fifo, failed + fifo + ": not a regular file (a FIFO, a device or a socket)"},
        {"/dev/zero", failed + "/dev/zero: not a regular file (a FIFO, a device or a socket)"},
    };
    for (const Case& c : cases) {
        setenv("ZABRELO_TABLE", c.table.c_str(), 1);
        Db db;
        EXPECT_EQ(db.Load(), c.message);
        EXPECT_EQ(db.Value("SELECT count(*) FROM pragma_collation_list WHERE name LIKE 'URDU%'"), "0");
    }
    // The missing file appears: the next connection loads it.
    std::filesystem::copy_file(ZABRELO_DEFAULT_TABLE, missing);
    setenv("ZABRELO_TABLE", missing.c_str(), 1);
    Db db;
    EXPECT_EQ(db.Load(), "");
    unsetenv("ZABRELO_TABLE");
}

}  // namespace
