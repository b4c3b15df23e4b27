-- Keys computed in parallel workers are the leader's, also under a table
-- that a SET chose: the setting travels to the workers with the query.
CREATE FUNCTION workers_launched(query text) RETURNS int LANGUAGE plpgsql AS $$
DECLARE
  plan jsonb;
BEGIN
  EXECUTE 'EXPLAIN (ANALYZE, FORMAT JSON) ' || query INTO plan;
  RETURN jsonb_path_query_first(plan, 'strict $.**."Workers Launched"')::int;
END $$;

SELECT md5(string_agg(encode(zabrelo_key(w), 'hex'), ',' ORDER BY n)) AS serial_installed FROM words \gset
SET zabrelo."table" = 'zabrelo-test/example-table.txt';
SELECT md5(string_agg(encode(zabrelo_key(w), 'hex'), ',' ORDER BY n)) AS serial_example FROM words \gset
RESET zabrelo."table";

-- Every row through two workers, none through the leader.
SET parallel_setup_cost = 0;
SET parallel_tuple_cost = 0;
SET min_parallel_table_scan_size = 0;
SET max_parallel_workers_per_gather = 2;
SET parallel_leader_participation = off;

EXPLAIN (COSTS OFF, VERBOSE) SELECT n, zabrelo_key(w) FROM words;
SELECT workers_launched('SELECT n, zabrelo_key(w) FROM words');
SELECT md5(string_agg(encode(k, 'hex'), ',' ORDER BY n)) = :'serial_installed' AS same_keys
FROM (SELECT n, zabrelo_key(w) AS k FROM words) t;

SET zabrelo."table" = 'zabrelo-test/example-table.txt';
SELECT workers_launched('SELECT n, zabrelo_key(w) FROM words');
SELECT md5(string_agg(encode(k, 'hex'), ',' ORDER BY n)) = :'serial_example' AS same_keys,
       :'serial_example' <> :'serial_installed' AS other_table
FROM (SELECT n, zabrelo_key(w) AS k FROM words) t;

-- A worker reports a bad table as the leader would.
SET zabrelo."table" = 'zabrelo-test/missing.txt';
SELECT count(zabrelo_key(w)) FROM words;

RESET ALL;
DROP FUNCTION workers_launched(text);
