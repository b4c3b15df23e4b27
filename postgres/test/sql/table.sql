-- zabrelo.table: the installed table by default; SET loads another at once
-- (relative paths start at the data directory); only a superuser may set it.
-- "table" is a keyword, hence the quotes in SET.
-- Each order loads the table for itself, and a new path drops them all.
SELECT zabrelo_key('نام') AS installed, zabrelo_key('نام', classic => true) AS installed_classic;
-- The setting exists once the module is loaded, as it now is.
SELECT current_setting('zabrelo.table') LIKE '%/zabrelo/UrduCOdepage.txt' AS installed_table;
SET zabrelo."table" = 'zabrelo-test/example-table.txt';
SELECT zabrelo_key('نام') AS example, zabrelo_key('نام', classic => true) AS example_classic;
RESET zabrelo."table";
SELECT zabrelo_key('نام') AS installed, zabrelo_key('نام', classic => true) AS installed_classic;

-- SET LOCAL lasts until the end of its transaction, and so does its table.
BEGIN;
SET LOCAL zabrelo."table" = 'zabrelo-test/example-table.txt';
SELECT zabrelo_key('نام') AS example;
COMMIT;
SELECT zabrelo_key('نام') AS installed;

-- A table that cannot be loaded: an error naming it, on every call, and
-- nothing of the table before it is used.
SET zabrelo."table" = 'zabrelo-test/missing.txt';
SELECT zabrelo_key('نام');
SELECT zabrelo_key(w) FROM words;
-- Each of these is refused with the reason, the same way: missing, unreadable,
-- a directory, no header, a file that loads but weighs no letter (it would
-- give every text an empty key), and files that would never end or never open.
DO $$
DECLARE
  path text;
  message text;
  detail text;
BEGIN
  FOREACH path IN ARRAY ARRAY['/nonexistent/UrduCOdepage.txt', 'zabrelo-test/unreadable-table.txt',
      'zabrelo-test', 'zabrelo-test/empty-table.txt', '/etc/passwd', '/dev/zero', 'zabrelo-test/fifo'] LOOP
    PERFORM set_config('zabrelo.table', path, false);
    BEGIN
      PERFORM zabrelo_key('نام');
      RAISE NOTICE '% loaded', path;
    EXCEPTION WHEN OTHERS THEN
      GET STACKED DIAGNOSTICS message = MESSAGE_TEXT, detail = PG_EXCEPTION_DETAIL;
      RAISE NOTICE '%', message || coalesce(' (' || nullif(detail, '') || ')', '');
    END;
  END LOOP;
END
$$;
SET zabrelo."table" = '';
SELECT zabrelo_key('نام');
-- Level 0 needs no table.
SELECT zabrelo_key('نام', 0);
-- Once the setting is good again, so are the keys.
SET zabrelo."table" = 'zabrelo-test/example-table.txt';
SELECT zabrelo_key('نام') AS example;
RESET zabrelo."table";

-- Other roles use the function but cannot point it at another file.
CREATE ROLE regress_zabrelo_user;
SET ROLE regress_zabrelo_user;
SELECT zabrelo_key('نام') AS installed;
SET zabrelo."table" = 'zabrelo-test/example-table.txt';
SELECT set_config('zabrelo.table', '/etc/passwd', false);
RESET ROLE;
DROP ROLE regress_zabrelo_user;
