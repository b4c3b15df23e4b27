/* CInterfaceTest: the C interface as a C program uses it, compiled as C
   and linked against the shared library alone (cross-built, it runs under
   Wine against zabrelo.dll). It writes its tables into the current
   directory; argv[1] is the test data folder with the ordered word list.
   Prints each failure and exits 1 when there was one. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "zabrelo/zabrelo.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#endif

static int failures = 0;
static const char* context = "";

#define CHECK(condition) Check((condition) != 0, #condition, __LINE__)
#define CHECK_STATUS(call, expected) CheckStatus((call), (expected), #call, __LINE__)

static void Check(int ok, const char* what, int line) {
    if (ok) return;
    fprintf(stderr, "CInterfaceTest.c:%d: %s%sfailed: %s\n", line, context, context[0] ? ": " : "", what);
    ++failures;
}

static void CheckStatus(zabrelo_status got, zabrelo_status expected, const char* call, int line) {
    if (got == expected) return;
    fprintf(stderr, "CInterfaceTest.c:%d: %s%s%s gave %d (%s), expected %d (%s)\n", line, context,
            context[0] ? ": " : "", call, (int)got, zabrelo_status_message(got), (int)expected,
            zabrelo_status_message(expected));
    ++failures;
}

static void WriteBytes(const char* path, const char* bytes) {
    FILE* file = fopen(path, "wb");
    if (file == NULL || fwrite(bytes, 1, strlen(bytes), file) != strlen(bytes)) {
        fprintf(stderr, "cannot write %s\n", path);
        exit(2);
    }
    fclose(file);
}

static void SetEnvironment(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    if (value) setenv(name, value, 1); else unsetenv(name);
#endif
}

static int EndsWith(const char* text, const char* end) {
    const size_t n = strlen(text), m = strlen(end);
    return n >= m && strcmp(text + n - m, end) == 0;
}

/* Primaries: alef 20, lam 30, lam-alef 40, beh 50, thal 01 (below the
   secondaries, so levels visibly join); the hamza mark weighs at level 2
   only and the joiner at level 3 only. */
static const char kTinyTable[] =
    "FA=tiny\r\n"
    "[0627][20,2,3]\r\n"
    "[0644][30,1,1]\r\n"
    "[0644,0627][40,5,6]\r\n"
    "[0628][50,1,1]\r\n"
    "[0630][1,1,1]\r\n"
    "[0654][0,9,0]\r\n"
    "[200C][0,0,7]\r\n";
static const char kTinyPath[] = "c-test-tiny.txt";

/* ---- status texts and version ---- */

static void TestStatusMessagesAndVersion(void) {
    int s, t;
    for (s = ZABRELO_OK; s <= ZABRELO_STOPPED; ++s) {
        const char* text = zabrelo_status_message((zabrelo_status)s);
        CHECK(text != NULL && text[0] != '\0');
        for (t = ZABRELO_OK; t < s; ++t) CHECK(strcmp(text, zabrelo_status_message((zabrelo_status)t)) != 0);
    }
    CHECK(strcmp(zabrelo_status_message((zabrelo_status)99), "unknown status") == 0);
    CHECK(strcmp(zabrelo_version(), ZABRELO_VERSION_STRING) == 0);
}

/* ---- opening ---- */

struct OpenCase {
    const char* why;
    const char* path;
    const char* bytes; /* what the test writes to `path`, else NULL */
    zabrelo_status status;
    int line;
    const char* message_end;
};

static void TestOpen(void) {
    static const struct OpenCase cases[] = {
        {"missing file", "c-test-missing.txt", NULL, ZABRELO_CANNOT_OPEN, 0, ""},
        {"empty file", "c-test-empty.txt", "", ZABRELO_NOT_A_TABLE, 1, ":1: no header (a slot count and \"=\")"},
        {"no weight field on line 3", "c-test-no-weights.txt", "FA=\r\n[0627][1,2,3]\r\n[0628]]\r\n",
         ZABRELO_NOT_A_TABLE, 3, ":3: no weight field"},
        {"a header alone", "c-test-header.txt", "FA=x", ZABRELO_NOT_A_TABLE, 0, ": the table gives no letter a weight"},
        {"a password file", "c-test-passwd.txt", "root:x:0:0:root:/root:/bin/bash\nbin:x:1:1:bin:/bin:/sbin/nologin\n",
         ZABRELO_NOT_A_TABLE, 0, ": the table gives no letter a weight"},
        {"a directory", ".", NULL, ZABRELO_CANNOT_OPEN, 0, ".: Is a directory"},
#ifndef _WIN32
        {"a device without end", "/dev/zero", NULL, ZABRELO_CANNOT_OPEN, 0, ": not a regular file (a FIFO, a device or a socket)"},
#endif
        {"empty path", "", NULL, ZABRELO_CANNOT_OPEN, 0, ": Invalid file name specified."},
        {"a table", kTinyPath, kTinyTable, ZABRELO_OK, 0, ""},
    };
    size_t i;
    zabrelo_open_detail detail, fromMemory;
    zabrelo_collator* collator;

    remove("c-test-missing.txt");
    for (i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const struct OpenCase* c = &cases[i];
        context = c->why;
        if (c->bytes != NULL) WriteBytes(c->path, c->bytes);
        collator = (zabrelo_collator*)&detail; /* anything but NULL: a failure must clear it */
        CHECK_STATUS(zabrelo_open(c->path, &collator), c->status);
        CHECK((collator != NULL) == (c->status == ZABRELO_OK));
        zabrelo_close(collator);

        memset(&detail, 0x55, sizeof detail);
        collator = (zabrelo_collator*)&detail;
        CHECK_STATUS(zabrelo_open_detailed(c->path, &collator, &detail), c->status);
        CHECK((collator != NULL) == (c->status == ZABRELO_OK));
        CHECK(detail.status == c->status);
        CHECK(detail.line == c->line);
        CHECK(strcmp(detail.file, c->path) == 0);
        CHECK(EndsWith(detail.message, c->message_end));
        CHECK((c->status == ZABRELO_OK) == (detail.message[0] == '\0'));
        zabrelo_close(collator);

        /* The same bytes from memory: the same outcome, told of "(memory)". */
        if (c->bytes == NULL) continue;
        memset(&fromMemory, 0x55, sizeof fromMemory);
        collator = (zabrelo_collator*)&detail;
        CHECK_STATUS(zabrelo_open_memory(c->bytes, strlen(c->bytes), &collator, &fromMemory), c->status);
        CHECK((collator != NULL) == (c->status == ZABRELO_OK));
        CHECK(fromMemory.status == c->status && fromMemory.line == c->line);
        CHECK(strcmp(fromMemory.file, "(memory)") == 0);
        CHECK(strncmp(fromMemory.message, "(memory)", c->status == ZABRELO_OK ? 0 : 8) == 0);
        CHECK(strcmp(fromMemory.message + (c->status == ZABRELO_OK ? 0 : 8),
                     detail.message + (c->status == ZABRELO_OK ? 0 : strlen(c->path))) == 0);
        zabrelo_close(collator);
    }
    /* The reason the system gives, and the library's own report. */
    context = "missing file, detail";
    zabrelo_open_detailed("c-test-missing.txt", &collator, &detail);
    CHECK(strncmp(detail.message, "c-test-missing.txt: ", 20) == 0 && strlen(detail.message) > 20);
    CHECK(strncmp(detail.report, "Error Code (0x10) in ", 21) == 0);
    CHECK(EndsWith(detail.report, ": Could not open file: c-test-missing.txt."));

    context = "NULL arguments";
    CHECK_STATUS(zabrelo_open(kTinyPath, NULL), ZABRELO_INVALID_ARGUMENT);
    CHECK_STATUS(zabrelo_open_memory(kTinyTable, 1, NULL, NULL), ZABRELO_INVALID_ARGUMENT);
    CHECK_STATUS(zabrelo_open_memory(NULL, 1, &collator, NULL), ZABRELO_INVALID_ARGUMENT);
    CHECK(collator == NULL);
    CHECK_STATUS(zabrelo_open_detailed(kTinyPath, NULL, &detail), ZABRELO_INVALID_ARGUMENT);
    CHECK(detail.status == ZABRELO_INVALID_ARGUMENT && detail.message[0] != '\0');
    zabrelo_close(NULL);
}

/* Counts the questions; stops once it has been asked `*limit` times. */
static int stop_asked = 0;
static int ZABRELO_CALL StopAfter(void* limit) {
    return ++stop_asked >= *(const int*)limit;
}

/* A long load asks the caller whether to stop, and stops when told; a short
   one is over before the first question. */
static void TestStoppableOpen(void) {
    static const int never = 1 << 30, first = 1;
    const char* path = "c-test-long.txt";
    zabrelo_open_detail detail;
    zabrelo_collator* collator;
    FILE* file = fopen(path, "wb");
    int i;
    context = "a load the caller stops";
    if (file == NULL) exit(2);
    fputs("FA=\r\n", file);
    for (i = 0; i < 20000; ++i) fputs("[0627][1,2,3]\r\n", file);
    fclose(file);

    stop_asked = 0;
    CHECK_STATUS(zabrelo_open_stoppable(path, &collator, &detail, StopAfter, (void*)&never), ZABRELO_OK);
    CHECK(stop_asked >= 3);
    zabrelo_close(collator);
    stop_asked = 0;
    collator = (zabrelo_collator*)&detail;
    CHECK_STATUS(zabrelo_open_stoppable(path, &collator, &detail, StopAfter, (void*)&first), ZABRELO_STOPPED);
    CHECK(collator == NULL && stop_asked == 1 && detail.status == ZABRELO_STOPPED);
    CHECK(strcmp(detail.message, "stopped by the caller") == 0);
    stop_asked = 0;
    CHECK_STATUS(zabrelo_open_stoppable(kTinyPath, &collator, NULL, StopAfter, (void*)&first), ZABRELO_OK);
    CHECK(stop_asked == 0);
    zabrelo_close(collator);
    remove(path);
}

/* A long key asks too, while the text is checked and while it is keyed;
   unstopped it is zabrelo_key8's key. */
static void TestStoppableKey(const zabrelo_collator* tiny) {
    enum { kBytes = 1 << 20 };
    static const int never = 1 << 30, first = 1, tenth = 10;
    static char text[kBytes];
    static uint8_t key[3 * kBytes], expected[3 * kBytes];
    size_t i, length = 0, expectedLength = 0;
    context = "a key the caller stops";
    for (i = 0; i < kBytes; i += 2) memcpy(text + i, i % 6 ? "\xD8\xA7" : "\xD8\xA8", 2);
    CHECK_STATUS(zabrelo_key8(tiny, text, kBytes, 3, expected, sizeof expected, &expectedLength), ZABRELO_OK);
    stop_asked = 0;
    CHECK_STATUS(zabrelo_key8_stoppable(tiny, text, kBytes, 3, key, sizeof key, &length, StopAfter, (void*)&never),
                 ZABRELO_OK);
    CHECK(length == expectedLength && memcmp(key, expected, length) == 0 && stop_asked >= 3 * 8);
    stop_asked = 0;
    CHECK_STATUS(zabrelo_key8_stoppable(tiny, text, kBytes, 3, key, sizeof key, &length, StopAfter, (void*)&first),
                 ZABRELO_STOPPED);
    CHECK(length == 0 && stop_asked == 1);
    stop_asked = 0;
    CHECK_STATUS(zabrelo_key8_stoppable(tiny, text, kBytes, 3, key, sizeof key, &length, StopAfter, (void*)&tenth),
                 ZABRELO_STOPPED);
    CHECK(length == 0 && stop_asked == 10);
    text[kBytes - 1] = '\xFF';
    CHECK_STATUS(zabrelo_key8_stoppable(tiny, text, kBytes, 3, key, sizeof key, &length, StopAfter, (void*)&never),
                 ZABRELO_INVALID_UTF8);
}

/* The default table: $ZABRELO_TABLE when set and not empty, else the copy
   beside the library in this build tree (never one in the current directory). */
static void TestDefaultTable(void) {
    zabrelo_open_detail detail;
    zabrelo_collator* collator = NULL;
    static const uint16_t alef[] = {0x0627};
    uint8_t key[8];
    size_t length = 0;

    context = "ZABRELO_TABLE names the tiny table";
    SetEnvironment("ZABRELO_TABLE", kTinyPath);
    CHECK_STATUS(zabrelo_open_detailed(NULL, &collator, &detail), ZABRELO_OK);
    CHECK(strcmp(detail.file, kTinyPath) == 0);
    CHECK_STATUS(zabrelo_key16(collator, alef, 1, 3, key, sizeof key, &length), ZABRELO_OK);
    CHECK(length == 3 && memcmp(key, "\x20\x02\x03", 3) == 0);
    zabrelo_close(collator);

    context = "ZABRELO_TABLE names a missing file";
    SetEnvironment("ZABRELO_TABLE", "c-test-missing.txt");
    CHECK_STATUS(zabrelo_open_detailed(NULL, &collator, &detail), ZABRELO_CANNOT_OPEN);
    CHECK(collator == NULL && strcmp(detail.file, "c-test-missing.txt") == 0);

    /* A table in the current directory must not be taken for the default. */
    WriteBytes("UrduCOdepage.txt", kTinyTable);
    SetEnvironment("ZABRELO_TABLE", "");
    context = "ZABRELO_TABLE empty: the build tree's table";
    CHECK_STATUS(zabrelo_open_detailed(NULL, &collator, &detail), ZABRELO_OK);
    CHECK(EndsWith(detail.file, "UrduCOdepage.txt") && strcmp(detail.file, "UrduCOdepage.txt") != 0);
    CHECK_STATUS(zabrelo_key16(collator, alef, 1, 1, key, sizeof key, &length), ZABRELO_OK);
    CHECK(length == 1 && key[0] != 0x20); /* the real table's alef, not the tiny one's */
    zabrelo_close(collator);
    remove("UrduCOdepage.txt");
    SetEnvironment("ZABRELO_TABLE", NULL);
}

/* ---- keys ---- */

struct KeyCase {
    const char* why;
    uint16_t text[6];
    size_t length;
    int level;
    const char* key;
    size_t key_length;
};

static const struct KeyCase kKeyCases[] = {
    {"alef", {0x0627}, 1, 3, "\x20\x02\x03", 3},
    {"lam-alef is one element", {0x0644, 0x0627}, 2, 3, "\x40\x05\x06", 3},
    {"levels join without separators", {0x0627, 0x0630}, 2, 2, "\x20\x01\x02\x01", 4},
    {"space weighs only at level 1", {0x0627, 0x0020, 0x0627}, 3, 3, "\x20\x41\x20\x02\x02\x03\x03", 7},
    {"Latin is ignorable", {'a', 'b'}, 2, 3, "", 0},
    {"hamza mark at level 2 only", {0x0627, 0x0654}, 2, 3, "\x20\x02\x09\x03", 4},
    {"joiner at level 3 only", {0x200C, 0x0628}, 2, 3, "\x50\x01\x07\x01", 4},
    {"level 1", {0x0628, 0x0627}, 2, 1, "\x50\x20", 2},
    {"level 0 is empty", {0x0627}, 1, 0, "", 0},
    {"a negative level is empty", {0x0627}, 1, -5, "", 0},
    {"levels above 3 count as 3", {0x0627}, 1, 7, "\x20\x02\x03", 3},
    {"the length bounds the text", {0x0627, 0x0628}, 1, 1, "\x20", 1},
    {"an empty text", {0}, 0, 3, "", 0},
};

static void TestKeys(const zabrelo_collator* tiny) {
    size_t i, capacity;
    for (i = 0; i < sizeof kKeyCases / sizeof kKeyCases[0]; ++i) {
        const struct KeyCase* c = &kKeyCases[i];
        uint8_t key[16];
        size_t length = 99;
        context = c->why;
        CHECK_STATUS(zabrelo_key16(tiny, c->text, c->length, c->level, key, sizeof key, &length), ZABRELO_OK);
        CHECK(length == c->key_length && memcmp(key, c->key, length) == 0);

        /* Preflight, then every smaller buffer: the prefix that fits, nothing past it. */
        length = 99;
        CHECK_STATUS(zabrelo_key16(tiny, c->text, c->length, c->level, NULL, 0, &length),
                     c->key_length == 0 ? ZABRELO_OK : ZABRELO_BUFFER_TOO_SMALL);
        CHECK(length == c->key_length);
        for (capacity = 1; capacity < c->key_length; ++capacity) {
            memset(key, 0xEE, sizeof key);
            CHECK_STATUS(zabrelo_key16(tiny, c->text, c->length, c->level, key, capacity, &length),
                         ZABRELO_BUFFER_TOO_SMALL);
            CHECK(length == c->key_length && memcmp(key, c->key, capacity) == 0 && key[capacity] == 0xEE);
        }
    }
}

static void TestTextLengthsAndArguments(const zabrelo_collator* tiny) {
    static const uint16_t withZero[] = {0x0627, 0x0628, 0, 0x0644};
    uint8_t key[16];
    size_t length = 99;

    context = "NUL-terminated texts end at their first zero unit";
    CHECK_STATUS(zabrelo_key16(tiny, withZero, ZABRELO_NUL_TERMINATED, 1, key, sizeof key, &length), ZABRELO_OK);
    CHECK(length == 2 && memcmp(key, "\x20\x50", 2) == 0);
    CHECK_STATUS(zabrelo_key8(tiny, "\xD8\xA7\xD8\xA8", ZABRELO_NUL_TERMINATED, 1, key, sizeof key, &length),
                 ZABRELO_OK);
    CHECK(length == 2 && memcmp(key, "\x20\x50", 2) == 0);
    context = "a counted length reads past a zero unit";
    CHECK_STATUS(zabrelo_key16(tiny, withZero, 4, 1, key, sizeof key, &length), ZABRELO_OK);
    CHECK(length == 3 && memcmp(key, "\x20\x50\x30", 3) == 0);
    CHECK(zabrelo_compare16(tiny, withZero, ZABRELO_NUL_TERMINATED, withZero, 2, 3) == 0);
    CHECK(zabrelo_compare16(tiny, withZero, 2, withZero, 3, 3) == -1); /* the zero unit counts for the tie */

    context = "invalid arguments";
    CHECK_STATUS(zabrelo_key16(NULL, withZero, 1, 3, key, sizeof key, &length), ZABRELO_INVALID_ARGUMENT);
    CHECK(length == 0);
    CHECK_STATUS(zabrelo_key16(tiny, NULL, 1, 3, key, sizeof key, &length), ZABRELO_INVALID_ARGUMENT);
    CHECK_STATUS(zabrelo_key16(tiny, NULL, ZABRELO_NUL_TERMINATED, 3, key, sizeof key, &length),
                 ZABRELO_INVALID_ARGUMENT);
    CHECK_STATUS(zabrelo_key16(tiny, withZero, 1, 3, NULL, 4, &length), ZABRELO_INVALID_ARGUMENT);
    CHECK_STATUS(zabrelo_key16(tiny, withZero, 1, 3, key, sizeof key, NULL), ZABRELO_INVALID_ARGUMENT);
    CHECK_STATUS(zabrelo_key8(NULL, "a", 1, 3, key, sizeof key, &length), ZABRELO_INVALID_ARGUMENT);
    CHECK_STATUS(zabrelo_key8(tiny, NULL, 1, 3, key, sizeof key, &length), ZABRELO_INVALID_ARGUMENT);
    CHECK_STATUS(zabrelo_key8(tiny, "a", 1, 3, NULL, 1, &length), ZABRELO_INVALID_ARGUMENT);
    CHECK_STATUS(zabrelo_key8(tiny, "a", 1, 3, key, 1, NULL), ZABRELO_INVALID_ARGUMENT);
    CHECK(zabrelo_compare16(NULL, withZero, 1, withZero, 1, 3) == ZABRELO_COMPARE_ERROR);
    CHECK(zabrelo_compare16(tiny, NULL, 1, withZero, 1, 3) == ZABRELO_COMPARE_ERROR);
    CHECK(zabrelo_compare16(tiny, withZero, 1, NULL, ZABRELO_NUL_TERMINATED, 3) == ZABRELO_COMPARE_ERROR);
    context = "lengths no text can have are refused before anything is read";
    {
        static const size_t lengths[] = {(size_t)-2, (size_t)PTRDIFF_MAX + 1, (size_t)PTRDIFF_MAX / 2 + 1};
        size_t i;
        int result = 7;
        for (i = 0; i < sizeof lengths / sizeof lengths[0]; ++i) {
            const size_t n = lengths[i];
            if (n > (size_t)PTRDIFF_MAX) { /* the last is too long only in UTF-16 units */
                CHECK_STATUS(zabrelo_key8(tiny, "abc", n, 3, key, sizeof key, &length), ZABRELO_INVALID_ARGUMENT);
                CHECK_STATUS(zabrelo_compare8(tiny, "abc", 3, "abc", n, 3, &result), ZABRELO_INVALID_ARGUMENT);
                CHECK(result == ZABRELO_COMPARE_ERROR);
            }
            CHECK_STATUS(zabrelo_key16(tiny, withZero, n, 3, key, sizeof key, &length), ZABRELO_INVALID_ARGUMENT);
            CHECK(zabrelo_compare16(tiny, withZero, n, withZero, 1, 3) == ZABRELO_COMPARE_ERROR);
        }
    }
    context = "a NULL text of length 0 is the empty text";
    CHECK_STATUS(zabrelo_key16(tiny, NULL, 0, 3, NULL, 0, &length), ZABRELO_OK);
    CHECK(length == 0);
    CHECK_STATUS(zabrelo_key8(tiny, NULL, 0, 3, NULL, 0, &length), ZABRELO_OK);
    CHECK(zabrelo_compare16(tiny, NULL, 0, withZero, 1, 3) == -1);
}

/* ---- UTF-8 ---- */

struct Utf8Case {
    const char* why;
    const char* utf8;
    uint16_t utf16[8];
    size_t units;
};

/* Each valid case sits between Arabic letters, so a decoding fault shows in the key. */
static const struct Utf8Case kValid[] = {
    {"ASCII", "\xD8\xA7" "a\x7F" "\xD8\xA8", {0x0627, 'a', 0x7F, 0x0628}, 4},
    {"two bytes, lowest and highest", "\xD8\xA7\xC2\x80\xDF\xBF\xD8\xA8", {0x0627, 0x80, 0x7FF, 0x0628}, 4},
    {"three bytes around the surrogates", "\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF\xD9\x84\xD8\xA7",
     {0x800, 0xD7FF, 0xE000, 0xFFFF, 0x0644, 0x0627}, 6},
    {"four bytes, lowest and highest", "\xD8\xA7\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\xD8\xA8",
     {0x0627, 0xD800, 0xDC00, 0xDBFF, 0xDFFF, 0x0628}, 6},
    {"the joiner and the hamza mark", "\xE2\x80\x8C\xD8\xA7\xD9\x94", {0x200C, 0x0627, 0x0654}, 3},
};

static const uint16_t kAlef[] = {0x0627};

/* Equal keys: the text with fewer UTF-16 units comes first, whatever its
   length in bytes; the longer one stays equal rather than coming after. */
static const struct {
    const char* why;
    const char* a;
    const char* b;
    int result;
} kTies[] = {
    {"3 units in 8 bytes before 5 in 6", "\xD8\xA7\xE0\xA0\x80\xE0\xA0\x80", "\xD8\xA7" "aaaa", -1},
    {"5 units in 6 bytes after 3 in 8", "\xD8\xA7" "aaaa", "\xD8\xA7\xE0\xA0\x80\xE0\xA0\x80", 0},
    {"a pair is two units", "\xD8\xA7\xF0\x90\x80\x80", "\xD8\xA7" "aaa", -1},
    {"and equal to two more", "\xD8\xA7\xF0\x90\x80\x80", "\xD8\xA7" "aa", 0},
};

static const char* const kInvalid[][2] = {
    {"overlong two bytes", "\xD8\xA7\xC0\xAF"},         {"overlong two bytes, C1", "\xC1\xBF"},
    {"overlong three bytes", "\xE0\x80\xAF"},           {"overlong three bytes, highest", "\xE0\x9F\xBF"},
    {"overlong four bytes", "\xF0\x8F\xBF\xBF"},        {"high surrogate", "\xD8\xA7\xED\xA0\x80"},
    {"low surrogate", "\xED\xBF\xBF"},                  {"a surrogate pair in 3-byte forms", "\xED\xA0\xBD\xED\xB8\x80"},
    {"above U+10FFFF", "\xF4\x90\x80\x80"},             {"lead byte F5", "\xF5\x80\x80\x80"},
    {"lead byte FF", "\xFF"},                           {"stray continuation", "\xD8\xA7\x80"},
    {"cut-off two bytes at the end", "\xD8\xA7\xD8"},   {"cut-off three bytes", "\xE0\xA0"},
    {"cut-off four bytes", "\xF0\x9F\x98" "a"},         {"lead byte then ASCII", "\xD8" "a"},
};

static void TestUtf8(const zabrelo_collator* tiny) {
    size_t i;
    int level, result;
    uint8_t key8[32], key16[32];
    size_t length8, length16;
    for (i = 0; i < sizeof kValid / sizeof kValid[0]; ++i) {
        const struct Utf8Case* c = &kValid[i];
        context = c->why;
        for (level = 1; level <= 3; ++level) {
            CHECK_STATUS(zabrelo_key8(tiny, c->utf8, strlen(c->utf8), level, key8, sizeof key8, &length8),
                         ZABRELO_OK);
            CHECK_STATUS(zabrelo_key16(tiny, c->utf16, c->units, level, key16, sizeof key16, &length16),
                         ZABRELO_OK);
            CHECK(length8 == length16 && length8 > 0 && memcmp(key8, key16, length8) == 0);
        }
        CHECK_STATUS(zabrelo_compare8(tiny, c->utf8, strlen(c->utf8), "\xD8\xA7", 2, 3, &result), ZABRELO_OK);
        CHECK(result == zabrelo_compare16(tiny, c->utf16, c->units, kAlef, 1, 3));
        CHECK_STATUS(zabrelo_compare8(tiny, "\xD8\xA7", 2, c->utf8, strlen(c->utf8), 3, &result), ZABRELO_OK);
        CHECK(result == zabrelo_compare16(tiny, kAlef, 1, c->utf16, c->units, 3));
    }
    for (i = 0; i < sizeof kTies / sizeof kTies[0]; ++i) {
        context = kTies[i].why;
        CHECK_STATUS(zabrelo_compare8(tiny, kTies[i].a, strlen(kTies[i].a), kTies[i].b, strlen(kTies[i].b), 3,
                                      &result), ZABRELO_OK);
        CHECK(result == kTies[i].result);
    }
    for (i = 0; i < sizeof kInvalid / sizeof kInvalid[0]; ++i) {
        const char* bytes = kInvalid[i][1];
        context = kInvalid[i][0];
        length8 = 99;
        CHECK_STATUS(zabrelo_key8(tiny, bytes, strlen(bytes), 3, key8, sizeof key8, &length8),
                     ZABRELO_INVALID_UTF8);
        CHECK(length8 == 0);
        CHECK_STATUS(zabrelo_compare8(tiny, bytes, strlen(bytes), "a", 1, 3, &result), ZABRELO_INVALID_UTF8);
        CHECK(result == ZABRELO_COMPARE_ERROR);
        CHECK_STATUS(zabrelo_compare8(tiny, "a", 1, bytes, strlen(bytes), 3, &result), ZABRELO_INVALID_UTF8);
    }
    context = "compare8 arguments";
    CHECK_STATUS(zabrelo_compare8(tiny, "a", 1, "b", 1, 3, NULL), ZABRELO_INVALID_ARGUMENT);
    CHECK_STATUS(zabrelo_compare8(NULL, "a", 1, "b", 1, 3, &result), ZABRELO_INVALID_ARGUMENT);
    CHECK(result == ZABRELO_COMPARE_ERROR);
    CHECK_STATUS(zabrelo_compare8(tiny, NULL, 1, "b", 1, 3, &result), ZABRELO_INVALID_ARGUMENT);
    CHECK_STATUS(zabrelo_compare8(tiny, "\xD8\xA8", ZABRELO_NUL_TERMINATED, "\xD8\xA7", ZABRELO_NUL_TERMINATED, 3,
                                  &result), ZABRELO_OK);
    CHECK(result == 1);
}

/* Texts longer than the stack buffers: UTF-8 of several kilobytes, and a
   key that needs the long-text writer. */
static void TestLongTexts(const zabrelo_collator* tiny) {
    enum { kLetters = 3000 };
    static uint16_t units[kLetters];
    static char utf8[2 * kLetters + 1];
    static uint8_t key8[3 * kLetters], key16[3 * kLetters];
    size_t i, length8 = 0, length16 = 0;
    int result = 0;
    for (i = 0; i < kLetters; ++i) {
        /* lam, alef, beh, ...: a lam-alef and a beh, again and again */
        static const uint16_t letters[3] = {0x0644, 0x0627, 0x0628};
        static const char bytes[3][2] = {{'\xD9', '\x84'}, {'\xD8', '\xA7'}, {'\xD8', '\xA8'}};
        units[i] = letters[i % 3];
        utf8[2 * i] = bytes[i % 3][0];
        utf8[2 * i + 1] = bytes[i % 3][1];
    }
    context = "long texts";
    CHECK_STATUS(zabrelo_key8(tiny, utf8, 2 * kLetters, 3, key8, sizeof key8, &length8), ZABRELO_OK);
    CHECK_STATUS(zabrelo_key16(tiny, units, kLetters, 3, key16, sizeof key16, &length16), ZABRELO_OK);
    CHECK(length8 == length16 && length8 == 3 * (2 * kLetters / 3) && memcmp(key8, key16, length8) == 0);
    CHECK_STATUS(zabrelo_compare8(tiny, utf8, 2 * kLetters, utf8, 2 * kLetters - 2, 3, &result), ZABRELO_OK);
    CHECK(result == 1);
    utf8[2 * kLetters - 1] = '\xFF'; /* the very last byte spoils it */
    CHECK_STATUS(zabrelo_key8(tiny, utf8, 2 * kLetters, 3, key8, sizeof key8, &length8), ZABRELO_INVALID_UTF8);
}

/* ---- the real table: the dictionary's own order ---- */

static void TestDictionaryOrder(const zabrelo_collator* urdu, const char* dataDir) {
    char path[1024], previous[256] = "", line[256];
    FILE* file;
    int result, words = 0;
    snprintf(path, sizeof path, "%s/urdu-ordered.txt", dataDir);
    file = fopen(path, "rb");
    context = "dictionary order";
    CHECK(file != NULL);
    if (file == NULL) return;
    while (fgets(line, sizeof line, file)) {
        line[strcspn(line, "\r\n")] = '\0';
        if (line[0] == '\0') continue;
        if (previous[0] != '\0') {
            CHECK_STATUS(zabrelo_compare8(urdu, previous, ZABRELO_NUL_TERMINATED, line, ZABRELO_NUL_TERMINATED, 3,
                                          &result), ZABRELO_OK);
            if (result != -1) fprintf(stderr, "out of order: %s, %s\n", previous, line);
            CHECK(result == -1);
            CHECK_STATUS(zabrelo_compare8(urdu, line, ZABRELO_NUL_TERMINATED, previous, ZABRELO_NUL_TERMINATED, 3,
                                          &result), ZABRELO_OK);
            CHECK(result == 1);
        }
        strcpy(previous, line);
        ++words;
    }
    fclose(file);
    CHECK(words > 400);
}
/* ---- UTF-8 as a database holds it, and sorting many texts ---- */

/* Texts with the UTF-16 form a lenient reading gives them: each byte that
   begins no well-formed sequence is one U+FFFD. */
static const struct Utf8Case kLenient[] = {
    {"empty", "", {0}, 0},
    {"alef", "\xD8\xA7", {0x0627}, 1},
    {"alef a", "\xD8\xA7" "a", {0x0627, 'a'}, 2},
    {"a alef", "a\xD8\xA7", {'a', 0x0627}, 2},
    {"alef b", "\xD8\xA7" "b", {0x0627, 'b'}, 2},
    {"alef, a stray byte", "\xD8\xA7\xFF", {0x0627, 0xFFFD}, 2},
    {"alef, another stray byte", "\xD8\xA7\xFE", {0x0627, 0xFFFD}, 2},
    {"alef, U+FFFD itself", "\xD8\xA7\xEF\xBF\xBD", {0x0627, 0xFFFD}, 2},
    {"a cut-off lead, then alef", "\xD8\xD8\xA7", {0xFFFD, 0x0627}, 2},
    {"alef, a surrogate's bytes", "\xD8\xA7\xED\xA0\x80", {0x0627, 0xFFFD, 0xFFFD, 0xFFFD}, 4},
    {"alef beyond the BMP", "\xD8\xA7\xF0\x90\x80\x80", {0x0627, 0xD800, 0xDC00}, 3},
    {"beh alef", "\xD8\xA8\xD8\xA7", {0x0628, 0x0627}, 2},
    {"alef, hamza mark", "\xD8\xA7\xD9\x94", {0x0627, 0x0654}, 2},
    {"lam alef", "\xD9\x84\xD8\xA7", {0x0644, 0x0627}, 2},
};

static int Sign(int value) { return (value > 0) - (value < 0); }

/* The order of two keys as memcmp, the shorter first when one begins the other. */
static int KeyOrder(const uint8_t* a, size_t aLength, const uint8_t* b, size_t bLength) {
    const int order = memcmp(a, b, aLength < bLength ? aLength : bLength);
    if (order != 0) return Sign(order);
    return (aLength > bLength) - (aLength < bLength);
}

/* Each function against the UTF-16 forms: the key of the form, the order
   of those keys, and "duplicates" exactly when the forms are equal. */
static void TestLenientUtf8(const zabrelo_collator* tiny) {
    enum { kCount = sizeof kLenient / sizeof kLenient[0] };
    uint8_t keys[kCount][3][32];
    size_t lengths[kCount][3];
    size_t i, j;
    int level;
    for (i = 0; i < kCount; ++i) {
        context = kLenient[i].why;
        for (level = 1; level <= 3; ++level) {
            uint8_t expected[32];
            size_t expectedLength = 0;
            CHECK_STATUS(zabrelo_key16(tiny, kLenient[i].utf16, kLenient[i].units, level, expected, sizeof expected,
                                       &expectedLength), ZABRELO_OK);
            CHECK_STATUS(zabrelo_key8_lenient(tiny, kLenient[i].utf8, ZABRELO_NUL_TERMINATED, level, keys[i][level - 1],
                                              sizeof keys[i][level - 1], &lengths[i][level - 1]), ZABRELO_OK);
            CHECK(lengths[i][level - 1] == expectedLength &&
                  memcmp(keys[i][level - 1], expected, expectedLength) == 0);
        }
    }
    for (i = 0; i < kCount; ++i) {
        for (j = 0; j < kCount; ++j) {
            const char* a = kLenient[i].utf8;
            const char* b = kLenient[j].utf8;
            const int same = kLenient[i].units == kLenient[j].units &&
                             memcmp(kLenient[i].utf16, kLenient[j].utf16, kLenient[i].units * 2) == 0;
            const int tie = zabrelo_tie_order8(tiny, a, strlen(a), b, strlen(b), 3);
            context = kLenient[i].why;
            for (level = 1; level <= 3; ++level) {
                CHECK(zabrelo_order8(tiny, a, strlen(a), b, strlen(b), level) ==
                      KeyOrder(keys[i][level - 1], lengths[i][level - 1], keys[j][level - 1], lengths[j][level - 1]));
            }
            CHECK(tie == -zabrelo_tie_order8(tiny, b, strlen(b), a, strlen(a), 3));
            CHECK(tie >= -1 && tie <= 1);
            if (zabrelo_order8(tiny, a, strlen(a), b, strlen(b), 3) == 0) CHECK((tie == 0) == same);
        }
    }

    context = "lenient functions: invalid arguments";
    CHECK_STATUS(zabrelo_key8_lenient(NULL, "a", 1, 3, NULL, 0, &lengths[0][0]), ZABRELO_INVALID_ARGUMENT);
    CHECK_STATUS(zabrelo_key8_lenient(tiny, NULL, 1, 3, NULL, 0, &lengths[0][0]), ZABRELO_INVALID_ARGUMENT);
    CHECK_STATUS(zabrelo_key8_lenient(tiny, "a", 1, 3, NULL, 1, &lengths[0][0]), ZABRELO_INVALID_ARGUMENT);
    CHECK_STATUS(zabrelo_key8_lenient(tiny, "\xD8\xA7", 2, 3, keys[0][0], 1, &lengths[0][0]),
                 ZABRELO_BUFFER_TOO_SMALL);
    CHECK(lengths[0][0] == 3 && keys[0][0][0] == 0x20);
    CHECK(zabrelo_order8(NULL, "a", 1, "b", 1, 3) == ZABRELO_COMPARE_ERROR);
    CHECK(zabrelo_order8(tiny, NULL, 1, "b", 1, 3) == ZABRELO_COMPARE_ERROR);
    CHECK(zabrelo_tie_order8(NULL, "a", 1, "b", 1, 3) == ZABRELO_COMPARE_ERROR);
    CHECK(zabrelo_tie_order8(tiny, "a", 1, NULL, 1, 3) == ZABRELO_COMPARE_ERROR);
    CHECK(zabrelo_order8(tiny, NULL, 0, "", 0, 3) == 0 && zabrelo_tie_order8(tiny, NULL, 0, "", 0, 3) == 0);
}

/* Enough texts for the sorter's threads and its bucket passes; few letters,
   so that many keys are equal and stability shows, and long runs of them,
   so that keys differ only past their inline heads. */
enum { kSortTexts = 40000 };

static uint32_t NextRandom(uint32_t* state) {
    *state = *state * 1664525u + 1013904223u;
    return *state >> 8;
}

static void TestSort(const zabrelo_collator* urdu) {
    static const uint16_t kUnits[] = {0x0627, 0x0628, 0x0644, 0x06CC, 0x0020, 'a', 0x064E};
    static uint16_t storage[kSortTexts][24];
    static const uint16_t* texts[kSortTexts];
    static size_t lengths[kSortTexts];
    static uint32_t order[kSortTexts];
    static uint8_t keys[kSortTexts][160];
    static size_t keyLengths[kSortTexts];
    static const unsigned kThreads[] = {0, 1, 3};
    static uint32_t seen[kSortTexts];
    uint32_t state = 7;
    size_t i, k, t;
    int reverse, level;
    for (i = 0; i < kSortTexts; ++i) {
        const size_t n = NextRandom(&state) % 23;
        for (k = 0; k < n; ++k) storage[i][k] = kUnits[NextRandom(&state) % (n > 12 ? 2 : 7)];
        storage[i][n] = 0;
        texts[i] = storage[i];
        lengths[i] = i % 5 == 0 ? ZABRELO_NUL_TERMINATED : n;
    }
    for (level = 1; level <= 3; level += 2) {
        for (i = 0; i < kSortTexts; ++i) {
            CHECK_STATUS(zabrelo_key16(urdu, texts[i], lengths[i], level, keys[i], sizeof keys[i], &keyLengths[i]),
                         ZABRELO_OK);
        }
        for (reverse = 0; reverse <= 1; ++reverse) {
            for (t = 0; t < sizeof kThreads / sizeof kThreads[0]; ++t) {
                context = reverse ? "sort16, descending" : "sort16, ascending";
                memset(seen, 0, sizeof seen);
                CHECK_STATUS(zabrelo_sort16(urdu, texts, lengths, kSortTexts, level,
                                            reverse ? ZABRELO_SORT_REVERSE : 0u, kThreads[t], order),
                             ZABRELO_OK);
                for (i = 0; i < kSortTexts; ++i) {
                    const uint32_t at = order[i];
                    CHECK(at < kSortTexts && seen[at]++ == 0);
                    if (i > 0 && at < kSortTexts) {
                        const uint32_t before = order[i - 1];
                        const int keyOrder = KeyOrder(keys[before], keyLengths[before], keys[at], keyLengths[at]);
                        if (!(reverse ? keyOrder > 0 : keyOrder < 0) && !(keyOrder == 0 && before < at)) {
                            Check(0, "sorted by key, equal keys in input order", __LINE__);
                            break;
                        }
                    }
                }
            }
        }
    }

    context = "sort16: arguments";
    CHECK_STATUS(zabrelo_sort16(urdu, NULL, NULL, 0, 3, 0, 0, NULL), ZABRELO_OK);
    CHECK_STATUS(zabrelo_sort16(NULL, texts, lengths, 1, 3, 0, 0, order), ZABRELO_INVALID_ARGUMENT);
    CHECK_STATUS(zabrelo_sort16(urdu, NULL, lengths, 1, 3, 0, 0, order), ZABRELO_INVALID_ARGUMENT);
    CHECK_STATUS(zabrelo_sort16(urdu, texts, NULL, 1, 3, 0, 0, order), ZABRELO_INVALID_ARGUMENT);
    CHECK_STATUS(zabrelo_sort16(urdu, texts, lengths, 1, 3, 0, 0, NULL), ZABRELO_INVALID_ARGUMENT);
    CHECK_STATUS(zabrelo_sort16(urdu, texts, lengths, 1, 3, 2u, 0, order), ZABRELO_INVALID_ARGUMENT);
    texts[0] = NULL;
    CHECK_STATUS(zabrelo_sort16(urdu, texts, lengths, 1, 3, 0, 0, order), ZABRELO_INVALID_ARGUMENT);
    lengths[0] = 0;
    CHECK_STATUS(zabrelo_sort16(urdu, texts, lengths, 1, 3, 0, 0, order), ZABRELO_OK);
    CHECK(order[0] == 0);
}


/* ---- one collator, many threads ---- */

enum { kThreads = 4, kRounds = 2000 };

struct Work {
    const zabrelo_collator* collator;
    int bad;
};

static const char* const kWords[] = {"\xD8\xA7", "\xD9\x84\xD8\xA7", "\xD8\xA8\xD8\xA7", "\xD8\xA7\xD9\x94", ""};

static void RunWork(struct Work* work) {
    int round, i, result;
    uint8_t key[16];
    size_t length;
    for (round = 0; round < kRounds; ++round) {
        for (i = 0; i < 4; ++i) {
            if (zabrelo_key8(work->collator, kWords[i], ZABRELO_NUL_TERMINATED, 3, key, sizeof key, &length) !=
                ZABRELO_OK) ++work->bad;
            if (zabrelo_compare8(work->collator, kWords[i], ZABRELO_NUL_TERMINATED, kWords[i + 1],
                                 ZABRELO_NUL_TERMINATED, 3, &result) != ZABRELO_OK || result == 0) ++work->bad;
        }
    }
}

#ifdef _WIN32
static DWORD WINAPI ThreadMain(LPVOID work) {
    RunWork((struct Work*)work);
    return 0;
}
#else
static void* ThreadMain(void* work) {
    RunWork((struct Work*)work);
    return NULL;
}
#endif

static void TestThreads(const zabrelo_collator* tiny) {
    struct Work work[kThreads];
    int t;
#ifdef _WIN32
    HANDLE threads[kThreads];
    for (t = 0; t < kThreads; ++t) {
        work[t].collator = tiny;
        work[t].bad = 0;
        threads[t] = CreateThread(NULL, 0, ThreadMain, &work[t], 0, NULL);
    }
    WaitForMultipleObjects(kThreads, threads, TRUE, INFINITE);
    for (t = 0; t < kThreads; ++t) CloseHandle(threads[t]);
#else
    pthread_t threads[kThreads];
    for (t = 0; t < kThreads; ++t) {
        work[t].collator = tiny;
        work[t].bad = 0;
        pthread_create(&threads[t], NULL, ThreadMain, &work[t]);
    }
    for (t = 0; t < kThreads; ++t) pthread_join(threads[t], NULL);
#endif
    context = "threads";
    for (t = 0; t < kThreads; ++t) CHECK(work[t].bad == 0);
}

int main(int argc, char** argv) {
    zabrelo_collator* tiny = NULL;
    zabrelo_collator* urdu = NULL;
    if (argc != 2) {
        fprintf(stderr, "usage: CInterfaceTest DATA_DIR\n");
        return 2;
    }
    WriteBytes(kTinyPath, kTinyTable);
    SetEnvironment("ZABRELO_TABLE", NULL);
    TestStatusMessagesAndVersion();
    TestOpen();
    TestDefaultTable();
    TestStoppableOpen();
    if (zabrelo_open(kTinyPath, &tiny) != ZABRELO_OK || zabrelo_open(NULL, &urdu) != ZABRELO_OK) {
        fprintf(stderr, "cannot open the tables\n");
        return 1;
    }
    TestKeys(tiny);
    TestTextLengthsAndArguments(tiny);
    TestUtf8(tiny);
    TestLongTexts(tiny);
    TestLenientUtf8(tiny);
    TestSort(urdu);
    TestStoppableKey(tiny);
    TestDictionaryOrder(urdu, argv[1]);
    TestThreads(tiny);
    zabrelo_close(tiny);
    zabrelo_close(urdu);
    remove(kTinyPath);
    if (failures != 0) fprintf(stderr, "%d failures\n", failures);
    return failures == 0 ? 0 : 1;
}
