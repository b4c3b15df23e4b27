/* zabrelo.h: the library's C interface, for C and for every language and
   compiler that can call C (C#, Delphi, Python's ctypes, another C++
   compiler). The same collation as ZabreloLib: a key here is byte for byte
   the key GetCollationKey gives, a comparison what Compare returns.

   A collator is a loaded weight table. It never changes once opened, so
   every function may be called at once from any number of threads on one
   collator; only zabrelo_close must wait until the others are done. No
   function throws, and keys and comparisons never fail for want of memory,
   whatever the texts' length: they allocate nothing, but for the UTF-16
   form of a UTF-8 text above 1024 bytes, which makes its key faster; when
   the heap has no room for it, the key is read from the bytes instead.

   Texts are a pointer and a length in code units (UTF-16 units for the
   *16 functions, bytes for the *8 ones), or ZABRELO_NUL_TERMINATED when the
   text ends at its first zero unit. A text may be NULL when its length is 0.
   A length of more than PTRDIFF_MAX bytes, which no object can have, is an
   invalid argument (as a NULL text is), and nothing of the text is read.

   Calling convention: cdecl on 32-bit Windows (ZABRELO_CALL), whatever the
   client compiler's default; declare it so in other languages
   (CallingConvention.Cdecl in C#, ctypes.CDLL in Python). */
#ifndef ZABRELO_ZABRELO_H
#define ZABRELO_ZABRELO_H

#include <stddef.h>
#include <stdint.h>

#include "zabrelo/Export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The version this header belongs to; zabrelo_version() gives the
   library's. */
#define ZABRELO_VERSION_STRING "0.1.0"

/* The default weight table's file name, as installed in
   <prefix>/share/zabrelo/ and bundled by the database extensions. */
#define ZABRELO_DEFAULT_TABLE_NAME "UrduCOdepage.txt"

typedef struct zabrelo_collator zabrelo_collator;

typedef enum zabrelo_status {
    ZABRELO_OK = 0, ZABRELO_INVALID_ARGUMENT = 1, ZABRELO_CANNOT_OPEN = 2,
    ZABRELO_NOT_A_TABLE = 3, ZABRELO_INVALID_UTF8 = 4, ZABRELO_BUFFER_TOO_SMALL = 5,
    ZABRELO_OUT_OF_MEMORY = 6, ZABRELO_STOPPED = 7
} zabrelo_status;

#define ZABRELO_NUL_TERMINATED ((size_t)-1)

/* What zabrelo_compare16 returns, and zabrelo_compare8 stores, when the
   arguments are invalid: no order is -2, so a caller can tell. */
#define ZABRELO_COMPARE_ERROR (-2)

/* Opens the weight table at `table_path` (relative paths start at the
   current directory; on Windows the path is in the ANSI code page, as for
   ZabreloLib::Initialize) and stores a new collator in *collator.
   A NULL `table_path` opens the default table: the file $ZABRELO_TABLE
   names when that is set and not empty, else ZABRELO_DEFAULT_TABLE_NAME installed
   with the library (<prefix>/share/zabrelo/, found from the library file
   itself, <prefix>/lib/ or <prefix>/bin/, so a moved install still finds
   it), else the copy beside the library in a build tree. Never a copy in
   the current directory.
   Only a regular file is read: a FIFO, a device or a directory is refused at
   once, without waiting on it.
   Returns ZABRELO_INVALID_ARGUMENT when `collator` is NULL; ZABRELO_CANNOT_OPEN
   when the file cannot be opened or is not a regular file, or no default
   table exists; ZABRELO_NOT_A_TABLE when the file has no header, a line lacks
   its weight field, the table gives no letter a weight (a word list, say,
   which would give every text an empty key) or the file is larger than
   64 MiB; ZABRELO_OUT_OF_MEMORY. On every failure *collator is NULL. */
ZABRELO_API zabrelo_status ZABRELO_CALL zabrelo_open(const char* table_path, zabrelo_collator** collator);

/* Why an open failed, for a person or a log. Strings are NUL-terminated
   and cut to fit when longer. */
typedef struct zabrelo_open_detail {
    zabrelo_status status; /* what the open returned */
    int line;              /* ZABRELO_NOT_A_TABLE: the line of `file` where loading stopped (1-based); else 0 */
    char file[1024];       /* the table the open was about: `table_path`, or the default it chose; "" when none */
    char message[1024];    /* one line saying what went wrong ("" after success), e.g.
                              "/srv/t.txt: No such file or directory", "/srv/t.txt:7: no weight field" */
    char report[1024];     /* when the library itself refused to open the file: its own report, as
                              ZabreloLib's IOException formats it ("Error Code (0x10) in <source file>
                              (<line>): Could not open file: ..."); else "" */
} zabrelo_open_detail;

/* zabrelo_open that also fills *detail (when not NULL), on success too:
   then `file` names the table that was opened, which tells which default
   table a NULL `table_path` found. */
ZABRELO_API zabrelo_status ZABRELO_CALL zabrelo_open_detailed(const char* table_path, zabrelo_collator** collator,
                                                              zabrelo_open_detail* detail);

/* Asked now and then during a long call (zabrelo_open_stoppable,
   zabrelo_key8_stoppable) with the `context` given to it: non-zero stops
   the call, which then returns ZABRELO_STOPPED. It must only answer, never
   leave through the library (no longjmp, no exception): a server that must
   honour a cancel or a time limit notes it in `stop` and acts on it once
   the call has returned. */
typedef int(ZABRELO_CALL* zabrelo_stop_check)(void* context);

/* zabrelo_open_detailed that the caller can stop: `stop` (when not NULL) is
   asked every few thousand lines of the table, about once a millisecond.
   Stopped, the result is ZABRELO_STOPPED, *collator is NULL and the
   detail's message "stopped by the caller". */
ZABRELO_API zabrelo_status ZABRELO_CALL zabrelo_open_stoppable(const char* table_path, zabrelo_collator** collator,
                                                               zabrelo_open_detail* detail, zabrelo_stop_check stop,
                                                               void* context);

/* Opens the table whose file bytes are the `size` bytes at `bytes` (NULL
   when `size` is 0): the collator, status and detail are those of
   zabrelo_open_detailed for a file holding these bytes, with `file`
   "(memory)" in the detail and its messages. The bytes are not needed after
   the call. ZABRELO_INVALID_ARGUMENT when `collator` is NULL or `bytes` is
   NULL with a size other than 0. */
ZABRELO_API zabrelo_status ZABRELO_CALL zabrelo_open_memory(const char* bytes, size_t size,
                                                            zabrelo_collator** collator,
                                                            zabrelo_open_detail* detail);

/* Options of zabrelo_open_ex and zabrelo_open_memory_ex; 0 is what every
   other open gives.
   The full order (the default) weighs every character the table has a line
   for: in the bundled table digits, punctuation, Latin letters and
   presentation forms beside the Arabic block, and canonically equivalent
   spellings of a letter (ي + U+0654 and ئ) alike.
   ZABRELO_CLASSIC_ORDER loads only the Arabic block U+0600..U+06F9 and
   U+200C, as ZabreloLib::Initialize does: the keys are ZabreloLib's, byte
   for byte, and everything else weighs nothing.
   ZABRELO_NATURAL_NUMBERS orders runs of digits (ASCII, Urdu and
   Arabic-Indic, mixed in one run too) by their value, so that "باب 2" comes
   before "باب 10"; it changes every key and comparison of the collator. At
   level 1 a run weighs as a number placed where the digits are among the
   letters; "۲", "٢" and "2" still differ at level 3, and "02" and "2" after
   level 1. Comparing texts whose natural keys exceed 1 KiB may take memory
   for the keys: a comparison then fails as its description says for memory
   running out. */
#define ZABRELO_CLASSIC_ORDER 1u
#define ZABRELO_NATURAL_NUMBERS 2u

/* zabrelo_open_stoppable with `options` (the bits above; any other bit is
   ZABRELO_INVALID_ARGUMENT); `detail` and `stop` may be NULL. */
ZABRELO_API zabrelo_status ZABRELO_CALL zabrelo_open_ex(const char* table_path, unsigned options,
                                                        zabrelo_collator** collator, zabrelo_open_detail* detail,
                                                        zabrelo_stop_check stop, void* context);

/* zabrelo_open_memory with `options`, as zabrelo_open_ex takes them. */
ZABRELO_API zabrelo_status ZABRELO_CALL zabrelo_open_memory_ex(const char* bytes, size_t size, unsigned options,
                                                               zabrelo_collator** collator,
                                                               zabrelo_open_detail* detail);

/* The options `collator` was opened with (0 for NULL). */
ZABRELO_API unsigned ZABRELO_CALL zabrelo_options(const zabrelo_collator* collator);

/* Frees a collator. NULL does nothing. */
ZABRELO_API void ZABRELO_CALL zabrelo_close(zabrelo_collator* collator);

/* The sort key of `text` at `level` into `key`: comparing keys with memcmp
   (the shorter first when one is a prefix of the other) orders the texts.
   Level 0 or less gives an empty key, above 3 counts as 3. *key_length
   always receives the whole key's length; when it exceeds `capacity` the
   first `capacity` bytes are written and the result is
   ZABRELO_BUFFER_TOO_SMALL, so a call with capacity 0 (key may then be NULL)
   tells how much room to give. ZABRELO_INVALID_ARGUMENT for a NULL collator
   or key_length, an invalid text (NULL with a length other than 0, or too
   long to exist), or a NULL key with a capacity other than 0; *key_length is then 0 when it can be set. */
ZABRELO_API zabrelo_status ZABRELO_CALL zabrelo_key16(const zabrelo_collator* collator, const uint16_t* text,
                                                      size_t length, int level, uint8_t* key, size_t capacity,
                                                      size_t* key_length);

/* zabrelo_key16 of a UTF-8 text: exactly the key of its UTF-16 form.
   ZABRELO_INVALID_UTF8 (and *key_length 0) when the text is not well-formed
   UTF-8: an overlong form, a surrogate, a value above U+10FFFF, a cut-off
   sequence or a stray continuation byte. */
ZABRELO_API zabrelo_status ZABRELO_CALL zabrelo_key8(const zabrelo_collator* collator, const char* text,
                                                     size_t length, int level, uint8_t* key, size_t capacity,
                                                     size_t* key_length);

/* zabrelo_key8 that the caller can stop: for a text of more than 64 KiB,
   `stop` (when not NULL) is asked every 65536 characters or so, a fraction
   of a millisecond apart, while the text is checked and while it is keyed.
   Stopped, the result is ZABRELO_STOPPED with *key_length 0, and `key`
   holds an unfinished key. A natural key is asked about between runs of
   digits and the text between them. */
ZABRELO_API zabrelo_status ZABRELO_CALL zabrelo_key8_stoppable(const zabrelo_collator* collator, const char* text,
                                                               size_t length, int level, uint8_t* key,
                                                               size_t capacity, size_t* key_length,
                                                               zabrelo_stop_check stop, void* context);

/* -1, 0 or 1 as the keys of `a` and `b` at `level` order; equal keys give -1
   when `a` has fewer units than `b`, and 0 otherwise (so comparing a with b
   and b with a may give 0 and -1), as ZabreloLib::Compare does. Returns
   ZABRELO_COMPARE_ERROR for a NULL collator or an invalid text, and with
   ZABRELO_NATURAL_NUMBERS when memory runs out. */
ZABRELO_API int ZABRELO_CALL zabrelo_compare16(const zabrelo_collator* collator, const uint16_t* a, size_t a_length,
                                               const uint16_t* b, size_t b_length, int level);

/* zabrelo_compare16 of the UTF-16 forms of two UTF-8 texts, into *result.
   The tie rule counts UTF-16 units. ZABRELO_INVALID_UTF8 when either text
   is not well-formed UTF-8, ZABRELO_INVALID_ARGUMENT as for compare16 or
   for a NULL result, ZABRELO_OUT_OF_MEMORY (natural numbers only); on
   failure *result (when not NULL) is ZABRELO_COMPARE_ERROR. */
ZABRELO_API zabrelo_status ZABRELO_CALL zabrelo_compare8(const zabrelo_collator* collator, const char* a,
                                                         size_t a_length, const char* b, size_t b_length, int level,
                                                         int* result);

/* --- Texts as a database holds them, and many texts at once --- */

/* zabrelo_key8 of a text read leniently: each byte that begins no
   well-formed UTF-8 sequence (see zabrelo_key8) reads as U+FFFD, which no
   table weighs, so every text has a key and ZABRELO_INVALID_UTF8 is never
   returned. A well-formed text gets the key zabrelo_key8 gives it. Reads
   the bytes in place: nothing is allocated for any length. Statuses as for
   zabrelo_key8 otherwise. */
ZABRELO_API zabrelo_status ZABRELO_CALL zabrelo_key8_lenient(const zabrelo_collator* collator, const char* text,
                                                             size_t length, int level, uint8_t* key,
                                                             size_t capacity, size_t* key_length);

/* -1, 0 or 1 as the keys at `level` of two UTF-8 texts, read as
   zabrelo_key8_lenient reads them, order: the keys alone, with no tie rule,
   so the order is consistent (zabrelo_order8(a, b) is -zabrelo_order8(b, a))
   and 0 exactly when the keys are equal, as a database collation needs.
   Allocates nothing but natural keys of long texts. Returns
   ZABRELO_COMPARE_ERROR for a NULL collator, a NULL text with a length
   other than 0, or when memory for those keys runs out. */
ZABRELO_API int ZABRELO_CALL zabrelo_order8(const zabrelo_collator* collator, const char* a, size_t a_length,
                                            const char* b, size_t b_length, int level);

/* The order of two UTF-8 texts (read leniently) by what their keys at
   `level` leave out: the characters the table does not weigh (Latin
   letters, digits, punctuation, U+FFFD...) and their places, how many
   characters that weigh at `level` come before each. -1, 0 or 1,
   consistent as zabrelo_order8 is; after zabrelo_order8 at the same level
   gave 0, it tells the texts apart, and both giving 0 means the texts are
   duplicates at that level ("12 34" and "1 234" are not). The first call
   on a collator asks its table about every unit (a few milliseconds);
   later calls allocate nothing. Returns ZABRELO_COMPARE_ERROR for a NULL
   collator, a NULL text with a length other than 0, or when memory runs
   out on that first call. */
ZABRELO_API int ZABRELO_CALL zabrelo_tie_order8(const zabrelo_collator* collator, const char* a, size_t a_length,
                                                const char* b, size_t b_length, int level);

/* zabrelo_sort16's flag for descending key order. */
#define ZABRELO_SORT_REVERSE 1u

/* Sorts `count` UTF-16 texts by their keys at `level`: stores in order[0]
   .. order[count - 1] the texts' positions (0-based) in key order,
   descending with ZABRELO_SORT_REVERSE in `flags`. Stable: texts with equal
   keys keep their input order in both directions. Text i is texts[i] with
   lengths[i] units (or ZABRELO_NUL_TERMINATED). Each key is built once, on
   up to `threads` threads (0: one per core; small batches take fewer);
   the texts must not change meanwhile. Memory for the keys is taken for
   the call and given back before it returns.
   ZABRELO_INVALID_ARGUMENT for a NULL collator, NULL texts, lengths or
   order with a count other than 0, a NULL text with a length other than 0,
   a flag other than ZABRELO_SORT_REVERSE, or more than 4294967295 texts;
   ZABRELO_OUT_OF_MEMORY. On failure `order` holds nothing meaningful. */
ZABRELO_API zabrelo_status ZABRELO_CALL zabrelo_sort16(const zabrelo_collator* collator, const uint16_t* const* texts,
                                                       const size_t* lengths, size_t count, int level,
                                                       unsigned flags, unsigned threads, uint32_t* order);

/* A status in words ("ok", "cannot open the table file", ...); never NULL,
   also for a value that is no status. The text lives as long as the library. */
ZABRELO_API const char* ZABRELO_CALL zabrelo_status_message(zabrelo_status status);

/* The library's version, "major.minor.patch". */
ZABRELO_API const char* ZABRELO_CALL zabrelo_version(void);

#ifdef __cplusplus
}
#endif

#endif /* ZABRELO_ZABRELO_H */
