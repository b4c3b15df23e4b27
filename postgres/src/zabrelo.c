/*
 * zabrelo: Urdu dictionary order for PostgreSQL.
 *
 * Registers
 *   zabrelo_key(text, level int DEFAULT 3) RETURNS bytea  the sort key
 *   zabrelo.table (superuser setting)                     the weight table
 *
 * Each backend loads the table on first use and again when zabrelo.table
 * names another file. Keys order as plain bytes, so bytea's own operators,
 * sorts and btree indexes serve them; the text reaches the library as
 * UTF-16 decoded from UTF-8, whatever the server encoding.
 * Tested by the scripts in test/sql (test/run.sh starts a cluster for them).
 */
#include "postgres.h"

#include <fcntl.h>
#include <unistd.h>

#include "fmgr.h"
#include "mb/pg_wchar.h"
#include "miscadmin.h"
#include "utils/guc.h"
#include "utils/memutils.h"

#include "ZabreloCollator.h"

PG_MODULE_MAGIC;

void		_PG_init(void);

PG_FUNCTION_INFO_V1(zabrelo_key);

static char *table_setting;

/* The loaded table, and the path it came from; NULL until first use. */
static ZabreloCollator *collator;
static char *collator_path;

/* Set whenever zabrelo.table takes a value, so that a row need not compare paths. */
static bool table_assigned = true;

static void
assign_table(const char *newval, void *extra)
{
	table_assigned = true;
}

static void
report_load_failure(const char *path, ZabreloStatus status, const char *message)
{
	int			fd;

	switch (status)
	{
		case ZABRELO_CANNOT_OPEN:
			/* The library keeps no errno; opening the file again finds the reason. */
			fd = open(path, O_RDONLY);
			if (fd < 0)
				ereport(ERROR,
						(errcode_for_file_access(),
						 errmsg("could not open zabrelo table \"%s\": %m", path),
						 errhint("zabrelo.table names the weight table; the server must be able to read it.")));
			close(fd);
			ereport(ERROR,
					(errcode(ERRCODE_UNDEFINED_FILE),
					 errmsg("could not open zabrelo table \"%s\"", path),
					 errdetail("%s", message)));
			break;
		case ZABRELO_CANNOT_READ:
			ereport(ERROR,
					(errcode(ERRCODE_IO_ERROR),
					 errmsg("could not read zabrelo table \"%s\"", path),
					 errdetail("%s", message)));
			break;
		case ZABRELO_BAD_TABLE:
			ereport(ERROR,
					(errcode(ERRCODE_CONFIG_FILE_ERROR),
					 errmsg("invalid zabrelo table \"%s\"", path),
					 errdetail("The file has no header line, or a line has no weight field.")));
			break;
		case ZABRELO_NO_MEMORY:
			ereport(ERROR,
					(errcode(ERRCODE_OUT_OF_MEMORY),
					 errmsg("out of memory"),
					 errdetail("Loading zabrelo table \"%s\".", path)));
			break;
		default:
			ereport(ERROR,
					(errcode(ERRCODE_INTERNAL_ERROR),
					 errmsg("could not load zabrelo table \"%s\"", path)));
	}
}

/*
 * The table zabrelo.table names, loaded on first use and again whenever the
 * setting names another path (SET, RESET, the end of a SET LOCAL). A failed
 * load leaves nothing loaded, so the next call tries again.
 */
static ZabreloCollator *
current_collator(void)
{
	const char *path = table_setting ? table_setting : "";
	ZabreloCollator *loaded;
	ZabreloStatus status;
	char		message[256];

	if (collator != NULL && !table_assigned)
		return collator;
	table_assigned = false;
	if (collator != NULL && strcmp(collator_path, path) == 0)
		return collator;

	if (collator != NULL)
	{
		zabrelo_collator_free(collator);
		collator = NULL;
		pfree(collator_path);
	}
	if (path[0] == '\0')
		ereport(ERROR,
				(errcode(ERRCODE_INVALID_PARAMETER_VALUE),
				 errmsg("zabrelo.table is empty"),
				 errhint("Set it to the path of a weight table, or RESET it to the installed one.")));

	status = zabrelo_collator_load(path, &loaded, message, sizeof(message));
	if (status != ZABRELO_OK)
		report_load_failure(path, status, message);
	collator_path = MemoryContextStrdup(TopMemoryContext, path);
	collator = loaded;
	return collator;
}

/*
 * Decodes valid UTF-8 into UTF-16 units; `units` has room for one unit per
 * byte, which is enough: only four-byte sequences give two units.
 */
static size_t
utf8_to_utf16(const unsigned char *text, size_t length, uint16_t *units)
{
	const unsigned char *end = text + length;
	uint16_t   *out = units;

	while (text < end)
	{
		pg_wchar	c;

		if (*text < 0x80)
		{
			*out++ = *text++;
			continue;
		}
		/*
		 * Arabic script takes two bytes a letter. The text is valid UTF-8,
		 * so these need no checks, and decoding them here rather than by a
		 * call per letter saves a good part of the key's cost.
		 */
		if (*text < 0xE0)
		{
			*out++ = (uint16_t) (((text[0] & 0x1F) << 6) | (text[1] & 0x3F));
			text += 2;
			continue;
		}
		c = utf8_to_unicode(text);
		text += pg_utf_mblen(text);
		if (c > 0xFFFF)
		{
			c -= 0x10000;
			*out++ = (uint16_t) (0xD800 + (c >> 10));
			*out++ = (uint16_t) (0xDC00 + (c & 0x3FF));
		}
		else
			*out++ = (uint16_t) c;
	}
	return (size_t) (out - units);
}

Datum
zabrelo_key(PG_FUNCTION_ARGS)
{
	text	   *input = PG_GETARG_TEXT_PP(0);
	int32		level = PG_GETARG_INT32(1);
	const char *source = VARDATA_ANY(input);
	int			length = VARSIZE_ANY_EXHDR(input);
	const char *utf8;
	ZabreloCollator *c;
	uint16_t   *units;
	size_t		count;
	const char *key;
	size_t		key_length;
	ZabreloStatus status;
	bytea	   *result;

	if (level <= 0)
	{
		result = (bytea *) palloc(VARHDRSZ);
		SET_VARSIZE(result, VARHDRSZ);
		PG_RETURN_BYTEA_P(result);
	}
	c = current_collator();

	/*
	 * In a UTF8 database this hands back the text itself. Other encodings
	 * are converted; in SQL_ASCII, where the server cannot convert, the
	 * bytes are checked to be UTF-8 and an error names the first bad one.
	 */
	utf8 = pg_server_to_any(source, length, PG_UTF8);
	if (utf8 != source)
		length = (int) strlen(utf8);

	units = zabrelo_collator_units(c, (size_t) length);
	if (units == NULL)
		ereport(ERROR,
				(errcode(ERRCODE_OUT_OF_MEMORY),
				 errmsg("out of memory"),
				 errdetail("Decoding a text of %d bytes for its zabrelo key.", length)));
	count = utf8_to_utf16((const unsigned char *) utf8, (size_t) length, units);

	status = zabrelo_collator_key(c, count, level, &key, &key_length);
	if (status != ZABRELO_OK)
	{
		zabrelo_collator_trim(c);
		ereport(ERROR,
				(errcode(status == ZABRELO_NO_MEMORY ? ERRCODE_OUT_OF_MEMORY : ERRCODE_INTERNAL_ERROR),
				 errmsg(status == ZABRELO_NO_MEMORY ? "out of memory" : "could not build a zabrelo key"),
				 errdetail("A text of %zu UTF-16 units.", count)));
	}
	if (key_length > MaxAllocSize - VARHDRSZ)
	{
		zabrelo_collator_trim(c);
		ereport(ERROR,
				(errcode(ERRCODE_PROGRAM_LIMIT_EXCEEDED),
				 errmsg("zabrelo key of %zu bytes exceeds the maximum bytea size", key_length)));
	}
	result = (bytea *) palloc_extended(VARHDRSZ + key_length, MCXT_ALLOC_NO_OOM);
	if (result == NULL)
	{
		zabrelo_collator_trim(c);
		ereport(ERROR,
				(errcode(ERRCODE_OUT_OF_MEMORY),
				 errmsg("out of memory"),
				 errdetail("A zabrelo key of %zu bytes.", key_length)));
	}
	SET_VARSIZE(result, VARHDRSZ + key_length);
	memcpy(VARDATA(result), key, key_length);
	zabrelo_collator_trim(c);
	PG_RETURN_BYTEA_P(result);
}

void
_PG_init(void)
{
	char		share[MAXPGPATH];
	char		installed[MAXPGPATH];

	get_share_path(my_exec_path, share);
	snprintf(installed, sizeof(installed), "%s/zabrelo/UrduCOdepage.txt", share);

	DefineCustomStringVariable("zabrelo.table",
							   "The weight table zabrelo_key() uses.",
							   "A relative path starts at the data directory. "
							   "Keys from another table invalidate indexes built on them.",
							   &table_setting,
							   installed,
							   PGC_SUSET,
							   0,
							   NULL, assign_table, NULL);
	MarkGUCPrefixReserved("zabrelo");
}
