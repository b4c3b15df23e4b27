-- zabrelo.table: the installed table by default; SET loads another at once
-- (relative paths start at the data directory); only a superuser may set it.
-- "table" is a keyword, hence the quotes in SET.
SELECT zabrelo_key('نام') AS installed;
-- The setting exists once the module is loaded, as it now is.
SELECT current_setting('zabrelo.table') LIKE '%/zabrelo/UrduCOdepage.txt' AS installed_table;
SET zabrelo."table" = 'zabrelo-test/example-table.txt';
SELECT zabrelo_key('نام') AS example;
RESET zabrelo."table";
SELECT zabrelo_key('نام') AS installed;

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
SET zabrelo."table" = '/nonexistent/UrduCOdepage.txt';
SELECT zabrelo_key('نام');
SET zabrelo."table" = 'zabrelo-test/unreadable-table.txt';
SELECT zabrelo_key('نام');
SET zabrelo."table" = 'zabrelo-test';
SELECT zabrelo_key('نام');
SET zabrelo."table" = 'zabrelo-test/empty-table.txt';
SELECT zabrelo_key('نام');
-- A file that loads but weighs no letter would give every text an empty key.
SET zabrelo."table" = '/etc/passwd';
SELECT zabrelo_key('کتاب') = zabrelo_key('قلم');
-- Files that would never end or never open are refused at once.
SET zabrelo."table" = '/dev/zero';
SELECT zabrelo_key('نام');
SET zabrelo."table" = 'zabrelo-test/fifo';
SELECT zabrelo_key('نام');
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
