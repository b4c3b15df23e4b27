/*
 * zabrelo: Urdu dictionary order for PostgreSQL.
 *
 * Registers
 *   zabrelo_key(text, level int DEFAULT 3, classic bool DEFAULT false,
 *               natural bool DEFAULT false) RETURNS bytea    the sort key
 *   zabrelo.table (superuser setting)                       the weight table
 *
 * The order is an argument, not a setting, so that an index on the key of
 * one order is never read or written with another's: the full order by
 * default, the classic one (the Arabic block alone weighs) with classic,
 * runs of digits by their value with natural.
 * Each backend loads the table for an order on first use of that order,
 * and again when zabrelo.table names another file. Keys order as plain bytes, so bytea's own operators,
 * sorts and btree indexes serve them; the text reaches the library's C
 * interface as UTF-8, whatever the server encoding, and the key is written
 * straight into the bytea returned. The C interface never throws, so no
 * C++ exception meets PostgreSQL's error handling.
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

#include "zabrelo/zabrelo.h"

PG_MODULE_MAGIC;

void		_PG_init(void);

PG_FUNCTION_INFO_V1(zabrelo_key);

static char *table_setting;

/*
 * The table loaded for each order, by its options (ZABRELO_CLASSIC_ORDER,
 * ZABRELO_NATURAL_NUMBERS), NULL until that order's first use; and the path
 * they came from, NULL when none is loaded.
 */
#define ORDERS 4
static zabrelo_collator *collators[ORDERS];
static char *collator_path;

/* Set whenever zabrelo.table takes a value, so that a row need not compare paths. */
static bool table_assigned = true;

static void
assign_table(const char *newval, void *extra)
{
	table_assigned = true;
}

static void
report_load_failure(const char *path, const zabrelo_open_detail *detail)
{
	int			fd;
	int			code;
	const char *problem;

	switch (detail->status)
	{
		case ZABRELO_CANNOT_OPEN:
			/*
			 * The library keeps no errno; opening the file again finds the
			 * reason. Without blocking: the file may be a FIFO.
			 */
			fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
			if (fd < 0)
				ereport(ERROR,
						(errcode_for_file_access(),
						 errmsg("could not open zabrelo table \"%s\": %m", path),
						 errhint("zabrelo.table names the weight table; the server must be able to read it.")));
			close(fd);
			code = ERRCODE_UNDEFINED_FILE;
			problem = "could not open zabrelo table \"%s\"";
			break;
		case ZABRELO_NOT_A_TABLE:
			code = ERRCODE_CONFIG_FILE_ERROR;
			problem = "invalid zabrelo table \"%s\"";
			break;
		case ZABRELO_OUT_OF_MEMORY:
			ereport(ERROR,
					(errcode(ERRCODE_OUT_OF_MEMORY),
					 errmsg("out of memory"),
					 errdetail("Loading zabrelo table \"%s\".", path)));
			return;
		default:
			ereport(ERROR,
					(errcode(ERRCODE_INTERNAL_ERROR),
					 errmsg("could not load zabrelo table \"%s\"", path),
					 errdetail("%s", detail->message)));
			return;
	}
	ereport(ERROR,
			(errcode(code),
			 errmsg(problem, path),
			 errdetail("%s.", detail->message)));
}

/*
 * Asked by the library during a long load or key: stop when an interrupt
 * is pending that CHECK_FOR_INTERRUPTS would act on now (a cancel, a
 * statement_timeout, a terminate). The library cannot be unwound through,
 * so the interrupt is served once the call has returned.
 */
static int
interrupt_pending(void *context)
{
	return INTERRUPTS_PENDING_CONDITION() && INTERRUPTS_CAN_BE_PROCESSED();
}

/* Closes every loaded table. */
static void
forget_tables(void)
{
	int			i;

	for (i = 0; i < ORDERS; i++)
	{
		zabrelo_close(collators[i]);
		collators[i] = NULL;
	}
	if (collator_path != NULL)
		pfree(collator_path);
	collator_path = NULL;
}

/*
 * The table zabrelo.table names, loaded with `options` on the first use of
 * these options, and again whenever the setting names another path (SET,
 * RESET, the end of a SET LOCAL): then every order's table is closed. A
 * failed load leaves nothing loaded for these options, so the next call
 * tries again.
 */
static zabrelo_collator *
current_collator(unsigned options)
{
	const char *path = table_setting ? table_setting : "";
	zabrelo_collator *loaded;
	zabrelo_open_detail detail;

	if (table_assigned)
	{
		table_assigned = false;
		if (collator_path != NULL && strcmp(collator_path, path) != 0)
			forget_tables();
	}
	if (collators[options] != NULL)
		return collators[options];

	if (path[0] == '\0')
		ereport(ERROR,
				(errcode(ERRCODE_INVALID_PARAMETER_VALUE),
				 errmsg("zabrelo.table is empty"),
				 errhint("Set it to the path of a weight table, or RESET it to the installed one.")));

	/*
	 * A stopped load is tried again after CHECK_FOR_INTERRUPTS, which
	 * raises for a cancel or a timeout and returns only for interrupts that
	 * end nothing.
	 */
	while (zabrelo_open_ex(path, options, &loaded, &detail, interrupt_pending, NULL) != ZABRELO_OK)
	{
		if (detail.status != ZABRELO_STOPPED)
			report_load_failure(path, &detail);
		CHECK_FOR_INTERRUPTS();
	}
	if (collator_path == NULL)
		collator_path = MemoryContextStrdup(TopMemoryContext, path);
	collators[options] = loaded;
	return loaded;
}

/*
 * Keys of ordinary texts take fewer bytes than three per byte of their UTF-8
 * (a letter is two bytes and weighs at most three, or six when it splits in
 * two), so they are written straight into a result of that size. A longer
 * key, or the key of a text too long to guess for, is measured first.
 */
#define KEY_BYTES_PER_TEXT_BYTE 3
#define GUESSED_TEXT_LIMIT (1024 * 1024)

/*
 * zabrelo_key8 that serves interrupts: a stopped call is repeated after
 * CHECK_FOR_INTERRUPTS, which raises for a cancel or a timeout and returns
 * only for interrupts that end nothing.
 */
static zabrelo_status
key_serving_interrupts(const zabrelo_collator *c, const char *utf8, size_t length, int level,
					   uint8_t *key, size_t capacity, size_t *key_length)
{
	zabrelo_status status;

	while ((status = zabrelo_key8_stoppable(c, utf8, length, level, key, capacity, key_length,
											interrupt_pending, NULL)) == ZABRELO_STOPPED)
		CHECK_FOR_INTERRUPTS();
	return status;
}

Datum
zabrelo_key(PG_FUNCTION_ARGS)
{
	text	   *input = PG_GETARG_TEXT_PP(0);
	int32		level = PG_GETARG_INT32(1);
	/* A definition from before the orders passes two arguments. */
	bool		classic = PG_NARGS() > 2 && PG_GETARG_BOOL(2);
	bool		natural = PG_NARGS() > 3 && PG_GETARG_BOOL(3);
	const char *source = VARDATA_ANY(input);
	int			length = VARSIZE_ANY_EXHDR(input);
	const char *utf8;
	zabrelo_collator *c;
	size_t		capacity;
	size_t		key_length;
	zabrelo_status status;
	bytea	   *result;

	if (level <= 0)
	{
		result = (bytea *) palloc(VARHDRSZ);
		SET_VARSIZE(result, VARHDRSZ);
		PG_RETURN_BYTEA_P(result);
	}
	c = current_collator((classic ? ZABRELO_CLASSIC_ORDER : 0) | (natural ? ZABRELO_NATURAL_NUMBERS : 0));

	/*
	 * In a UTF8 database this hands back the text itself. Other encodings
	 * are converted; in SQL_ASCII, where the server cannot convert, the
	 * bytes are checked to be UTF-8 and an error names the first bad one.
	 */
	utf8 = pg_server_to_any(source, length, PG_UTF8);
	if (utf8 != source)
		length = (int) strlen(utf8);

	capacity = length <= GUESSED_TEXT_LIMIT ? (size_t) length * KEY_BYTES_PER_TEXT_BYTE : 0;
	result = (bytea *) palloc(VARHDRSZ + capacity);
	status = key_serving_interrupts(c, utf8, (size_t) length, level, (uint8_t *) VARDATA(result), capacity,
									&key_length);
	if (status == ZABRELO_BUFFER_TOO_SMALL)
	{
		pfree(result);
		if (key_length > MaxAllocSize - VARHDRSZ)
			ereport(ERROR,
					(errcode(ERRCODE_PROGRAM_LIMIT_EXCEEDED),
					 errmsg("zabrelo key of %zu bytes exceeds the maximum bytea size", key_length)));
		result = (bytea *) palloc_extended(VARHDRSZ + key_length, MCXT_ALLOC_NO_OOM);
		if (result == NULL)
			ereport(ERROR,
					(errcode(ERRCODE_OUT_OF_MEMORY),
					 errmsg("out of memory"),
					 errdetail("A zabrelo key of %zu bytes.", key_length)));
		status = key_serving_interrupts(c, utf8, (size_t) length, level, (uint8_t *) VARDATA(result),
										key_length, &key_length);
	}
	if (status != ZABRELO_OK)
		ereport(ERROR,
				(errcode(status == ZABRELO_OUT_OF_MEMORY ? ERRCODE_OUT_OF_MEMORY : ERRCODE_INTERNAL_ERROR),
				 errmsg(status == ZABRELO_OUT_OF_MEMORY ? "out of memory" : "could not build a zabrelo key"),
				 errdetail("A text of %d bytes: %s.", length, zabrelo_status_message(status))));
	SET_VARSIZE(result, VARHDRSZ + key_length);
	PG_RETURN_BYTEA_P(result);
}

void
_PG_init(void)
{
	char		share[MAXPGPATH];
	char		installed[MAXPGPATH];

	get_share_path(my_exec_path, share);
	snprintf(installed, sizeof(installed), "%s/zabrelo/%s", share, ZABRELO_DEFAULT_TABLE_NAME);

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
