-- Other server encodings: WIN1256 text is converted to UTF-8 and keyed
-- alike; SQL_ASCII text is taken as UTF-8 and must be valid UTF-8.
\set regress_db :DBNAME
SELECT string_agg(encode(zabrelo_key(w), 'hex'), ' ' ORDER BY n) AS utf8_keys
FROM unnest(ARRAY['کتاب', 'پاکستان', 'گھر', 'بچّہ', 'ژالہ بار', 'ہے']) WITH ORDINALITY AS t(w, n) \gset

CREATE DATABASE zabrelo_win1256 ENCODING 'WIN1256' LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE template0;
CREATE DATABASE zabrelo_sql_ascii ENCODING 'SQL_ASCII' LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE template0;

\c zabrelo_win1256
SET client_encoding = 'UTF8';
CREATE EXTENSION zabrelo;
SELECT string_agg(encode(zabrelo_key(w), 'hex'), ' ' ORDER BY n) = :'utf8_keys' AS same_keys
FROM unnest(ARRAY['کتاب', 'پاکستان', 'گھر', 'بچّہ', 'ژالہ بار', 'ہے']) WITH ORDINALITY AS t(w, n);

\c zabrelo_sql_ascii
SET client_encoding = 'UTF8';
CREATE EXTENSION zabrelo;
SELECT string_agg(encode(zabrelo_key(w), 'hex'), ' ' ORDER BY n) = :'utf8_keys' AS same_keys
FROM unnest(ARRAY['کتاب', 'پاکستان', 'گھر', 'بچّہ', 'ژالہ بار', 'ہے']) WITH ORDINALITY AS t(w, n);
SELECT zabrelo_key(E'\xD8\xA8\xD8');

\c :regress_db
DROP DATABASE zabrelo_win1256;
DROP DATABASE zabrelo_sql_ascii;
