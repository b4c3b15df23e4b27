-- Keys in an expression index: ordered scans, range searches, and a level-1
-- index that finds the words equal but for diacritics.
CREATE INDEX words_key ON words (zabrelo_key(w));
CREATE INDEX words_letters ON words (zabrelo_key(w, 1));
ANALYZE words;

EXPLAIN (COSTS OFF) SELECT w FROM words ORDER BY zabrelo_key(w) LIMIT 10;
SELECT w FROM words ORDER BY zabrelo_key(w) LIMIT 10;

-- All words from ب up to پ. The bounds' keys are constants, computed once.
EXPLAIN (COSTS OFF)
SELECT w FROM words WHERE zabrelo_key(w) >= zabrelo_key('ب') AND zabrelo_key(w) < zabrelo_key('پ')
ORDER BY zabrelo_key(w);
SELECT w FROM words WHERE zabrelo_key(w) >= zabrelo_key('ب') AND zabrelo_key(w) < zabrelo_key('پ')
ORDER BY zabrelo_key(w);

EXPLAIN (COSTS OFF) SELECT w FROM words WHERE zabrelo_key(w, 1) = zabrelo_key('ملک', 1);
SELECT w FROM words WHERE zabrelo_key(w, 1) = zabrelo_key('ملک', 1) ORDER BY zabrelo_key(w);

-- An index holds the keys of one order: a query in another order does not use it.
CREATE INDEX words_classic ON words (zabrelo_key(w, classic => true));
EXPLAIN (COSTS OFF) SELECT w FROM words ORDER BY zabrelo_key(w, classic => true) LIMIT 10;
EXPLAIN (COSTS OFF) SELECT w FROM words ORDER BY zabrelo_key(w, 3, false) LIMIT 10;
EXPLAIN (COSTS OFF) SELECT w FROM words ORDER BY zabrelo_key(w, natural => true) LIMIT 10;

DROP INDEX words_key, words_letters, words_classic;
