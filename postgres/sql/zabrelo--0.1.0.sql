-- complain if script is sourced in psql, rather than via CREATE EXTENSION
\echo Use "CREATE EXTENSION zabrelo" to load this file. \quit

-- Immutable so that indexes can hold it: a key depends on the text, the
-- level, the order and the table loaded, and keys from another table need a
-- REINDEX. The order is in the arguments, so an index holds one order only.
CREATE FUNCTION zabrelo_key(text, level int DEFAULT 3, classic boolean DEFAULT false,
                            natural boolean DEFAULT false) RETURNS bytea
AS 'MODULE_PATHNAME', 'zabrelo_key'
LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;

COMMENT ON FUNCTION zabrelo_key(text, int, boolean, boolean) IS
'Urdu sort key of the text at level 1 to 3 (letters, diacritics, letter variants); keys order as bytes. '
'classic: only the Arabic block weighs; natural: runs of digits by their value';
