-- Keys against the library's own: the zabrelo command wrote the key of every
-- line of each list (test/run.sh puts both in the data directory). The table
-- `words` stays for the tests after this one.
CREATE EXTENSION zabrelo;

CREATE TABLE words (n serial PRIMARY KEY, w text NOT NULL);
COPY words (w) FROM 'zabrelo-test/urdu-ordered.txt';
CREATE TABLE mixed (n serial PRIMARY KEY, w text NOT NULL);
COPY mixed (w) FROM 'zabrelo-test/mixed-scripts.txt';
-- The command prints the level strings in hex, separated by spaces; a line
-- holds the keys of the full, classic and natural orders.
CREATE TABLE words_keys (n serial PRIMARY KEY, k text NOT NULL, k_classic text NOT NULL, k_natural text NOT NULL);
COPY words_keys (k, k_classic, k_natural) FROM 'zabrelo-test/urdu-ordered.keys';
CREATE TABLE mixed_keys (n serial PRIMARY KEY, k text NOT NULL, k_classic text NOT NULL, k_natural text NOT NULL);
COPY mixed_keys (k, k_classic, k_natural) FROM 'zabrelo-test/mixed-scripts.keys';

SELECT list, count(*) AS texts,
       count(*) FILTER (WHERE zabrelo_key(w) = decode(replace(k, ' ', ''), 'hex')) AS same_key,
       count(*) FILTER (WHERE zabrelo_key(w, classic => true) = decode(replace(k_classic, ' ', ''), 'hex')) AS same_classic,
       count(*) FILTER (WHERE zabrelo_key(w, natural => true) = decode(replace(k_natural, ' ', ''), 'hex')) AS same_natural,
       count(*) FILTER (WHERE zabrelo_key(w) <> zabrelo_key(w, classic => true)) AS full_not_classic
FROM (SELECT 'words' AS list, w, k, k_classic, k_natural FROM words JOIN words_keys USING (n)
      UNION ALL SELECT 'mixed', w, k, k_classic, k_natural FROM mixed JOIN mixed_keys USING (n)) t
GROUP BY list ORDER BY list;
DROP TABLE words_keys, mixed, mixed_keys;

-- The list is in dictionary order, and bytea's order is the keys' order.
SELECT count(*) AS out_of_place
FROM (SELECT n, row_number() OVER (ORDER BY zabrelo_key(w), n) AS place FROM words) t
WHERE n <> place;

-- Levels: each adds its string to the one before; 0 or less gives an empty
-- key, more than 3 counts as 3, and 3 is the default.
SELECT level, zabrelo_key('کتاب', level) FROM generate_series(-1, 4) AS level
UNION ALL SELECT NULL, zabrelo_key('کتاب')
UNION ALL SELECT 2147483647, zabrelo_key('کتاب', 2147483647);

-- STRICT: a NULL text or level gives NULL; an empty text an empty key.
SELECT zabrelo_key(NULL) IS NULL AS null_text, zabrelo_key('کتاب', NULL) IS NULL AS null_level,
       zabrelo_key('') AS empty_text;

-- 4,000,000 letters, stored (and so compressed) and read back: the key is
-- the short text's level strings, each repeated.
CREATE TABLE long_text AS SELECT repeat('کتاب ', 1000000) AS t;
WITH levels AS (
  SELECT zabrelo_key('کتاب ', 1) AS k1, zabrelo_key('کتاب ', 2) AS k2, zabrelo_key('کتاب ', 3) AS k3)
SELECT length(t) - length(replace(t, ' ', '')) AS spaces,
       length(zabrelo_key(t)) AS key_bytes,
       zabrelo_key(t) = decode(repeat(encode(k1, 'hex'), 1000000)
                               || repeat(encode(substr(k2, length(k1) + 1), 'hex'), 1000000)
                               || repeat(encode(substr(k3, length(k2) + 1), 'hex'), 1000000), 'hex') AS repeated
FROM long_text, levels;
DROP TABLE long_text;
