/*
 * ZabreloCollator: the extension's only door into the library, which is
 * C++. A C interface that never throws: every failure comes back as a
 * status and a message, so PostgreSQL's error handling (longjmp) never
 * runs through C++ frames and no C++ exception reaches PostgreSQL.
 */
#ifndef ZABRELO_PG_COLLATOR_H
#define ZABRELO_PG_COLLATOR_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ZabreloCollator ZabreloCollator;

typedef enum ZabreloStatus
{
	ZABRELO_OK,
	ZABRELO_CANNOT_OPEN,		/* the table file cannot be opened */
	ZABRELO_CANNOT_READ,		/* reading the opened file failed */
	ZABRELO_BAD_TABLE,			/* no header, or a line without weights */
	ZABRELO_NO_MEMORY,
	ZABRELO_FAILED				/* anything else the library threw */
} ZabreloStatus;

/*
 * Loads the weight table at `path` into a new collator. On failure
 * *collator is NULL and `message` holds the library's reason (possibly
 * empty, always NUL-terminated within `size` bytes).
 */
ZabreloStatus zabrelo_collator_load(const char *path, ZabreloCollator **collator,
									char *message, size_t size);

void		zabrelo_collator_free(ZabreloCollator *collator);

/*
 * Room for at least `count` UTF-16 units, owned by the collator and reused
 * from call to call; the caller writes the text there before asking for
 * its key. NULL when out of memory.
 */
uint16_t   *zabrelo_collator_units(ZabreloCollator *collator, size_t count);

/*
 * The key of the first `count` units of that room at `level`. *key points
 * into the collator and stays valid until the next call of any function
 * here on the same collator.
 */
ZabreloStatus zabrelo_collator_key(ZabreloCollator *collator, size_t count, int level,
								   const char **key, size_t *length);

/* Gives back the room of a large text or key once the caller is done. */
void		zabrelo_collator_trim(ZabreloCollator *collator);

#ifdef __cplusplus
}
#endif

#endif							/* ZABRELO_PG_COLLATOR_H */
