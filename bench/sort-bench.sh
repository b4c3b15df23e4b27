#!/usr/bin/env bash
# Times `zabrelo sort` against `LC_ALL=ur_PK.UTF-8 sort` on the same
# generated Urdu phrases, side by side in one run, in two cases:
#   in memory:   LINES lines (default 1,000,000); zabrelo at least 4 times faster;
#   numeric key: LINES lines "phrase<TAB>amount" sorted with
#                -t TAB -k2,2n -k1,1 by both, the amounts money (two decimals,
#                up to a million: few ties); zabrelo at least 3 times faster,
#                the amounts in the same order; then again with whole amounts
#                up to a million, where a third of the lines share theirs
#                with another (no bar: for the record);
#   past memory: 3 x LINES lines, both with -S 16M -T DIR, so both sort in runs
#                on disk; zabrelo's output must equal its sort in memory, its
#                peak RSS stay within 64 MB and DIR end empty, and it must be
#                at least 3 times faster.
#   bench/sort-bench.sh [LINES] [ZABRELO] [BASELINE]
# With BASELINE (another build of zabrelo, main's say) the in-memory and
# numeric cases time it too, in the same run: the plain sort must not be
# more than 10% slower than BASELINE's.
# Without ZABRELO it builds a Release tree in build-bench/. The peak RSS comes
# from GNU time (/usr/bin/time; apt-get install time). Exits 1 when a bar is missed.
set -euo pipefail
cd "$(dirname "$0")/.."
lines=${1:-1000000}
tool=${2:-}
baseline=${3:-}
if [ -z "$tool" ]; then
  cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DZABRELO_TESTS=OFF -DZABRELO_EXAMPLES=OFF >/dev/null
  cmake --build build-bench -j 2 --target zabrelo-tool >/dev/null
  tool=build-bench/zabrelo
fi
[ -x /usr/bin/time ] || { echo "needs GNU time for the peak RSS: apt-get install time"; exit 2; }
if ! locale -a | grep -qix 'ur_PK.utf-\?8'; then
  localedef -i ur_PK -f UTF-8 ur_PK.UTF-8
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/runs"
missed=0

seconds() { local t0 t1; t0=$(date +%s.%N); "$@"; t1=$(date +%s.%N); echo "$t1 - $t0" | bc; }
# ratio NAME SLOWER FASTER BAR: prints the ratio; a ratio under BAR is a miss.
ratio() {
  local r; r=$(echo "scale=1; $2 / $3" | bc)
  printf '%s: zabrelo is %sx faster\n' "$1" "$r"
  [ "$(echo "$2 >= $4 * $3" | bc)" = 1 ] || { echo "  slower than required (${4}x)"; missed=1; }
}

bench/phrases.sh "$lines" >"$work/input"
printf 'in memory: %s lines (%s bytes), cores: %s\n' "$lines" "$(wc -c <"$work/input")" "$(nproc)"
z=$(seconds "$tool" sort --quiet -o "$work/z.out" "$work/input")
g=$(seconds env LC_ALL=ur_PK.UTF-8 sort -o "$work/g.out" "$work/input")
printf '  zabrelo sort:               %6.2f s\n' "$z"
printf '  LC_ALL=ur_PK.UTF-8 sort:    %6.2f s\n' "$g"
ratio "in memory" "$g" "$z" 4
if [ -n "$baseline" ]; then
  # Taking turns, three times each, the best of each: a shared machine's
  # load comes and goes.
  zb= bb=
  for turn in 1 2 3; do
    t=$(seconds "$tool" sort --quiet -o "$work/z.out" "$work/input"); zb=$(printf '%s\n' $zb "$t" | sort -g | head -1)
    t=$(seconds "$baseline" sort --quiet -o "$work/b.out" "$work/input"); bb=$(printf '%s\n' $bb "$t" | sort -g | head -1)
  done
  printf '  zabrelo sort, best of 3:    %6.2f s\n' "$zb"
  printf '  baseline, best of 3:        %6.2f s\n' "$bb"
  cmp -s "$work/b.out" "$work/z.out" || { echo "  the output differs from the baseline's"; missed=1; }
  [ "$(echo "$zb <= 1.1 * $bb" | bc)" = 1 ] || { echo "  slower than the baseline"; missed=1; }
fi

# Amounts beside the phrases. Equal amounts may be spelt apart ("5" and
# "5.0"), so the check compares their values.
tab=$(printf '\t')
numeric() {  # numeric NAME BAR AWK-PROGRAM
  awk "$3" "$work/input" >"$work/amounts"
  printf 'numeric key, %s (-t TAB -k2,2n -k1,1): %s lines\n' "$1" "$lines"
  # Taking turns, three times each, the best of each.
  z= g=
  for turn in 1 2 3; do
    t=$(seconds "$tool" sort --quiet -t "$tab" -k2,2n -k1,1 -o "$work/z.out" "$work/amounts")
    z=$(printf '%s\n' $z "$t" | sort -g | head -1)
    t=$(seconds env LC_ALL=ur_PK.UTF-8 sort -t "$tab" -k2,2n -k1,1 -o "$work/g.out" "$work/amounts")
    g=$(printf '%s\n' $g "$t" | sort -g | head -1)
  done
  printf '  zabrelo sort, best of 3:    %6.2f s\n' "$z"
  printf '  LC_ALL=ur_PK.UTF-8 sort, best of 3: %6.2f s\n' "$g"
  if [ "$2" = 0 ]; then printf '%s: zabrelo is %sx faster\n' "$1" "$(echo "scale=1; $g / $z" | bc)"
  else ratio "$1" "$g" "$z" "$2"; fi
  cmp -s <(cut -f2 "$work/z.out" | awk '{ printf "%.2f\n", $1 }') <(cut -f2 "$work/g.out" | awk '{ printf "%.2f\n", $1 }') ||
    { echo "  the amounts come in another order"; missed=1; }
}
numeric "money" 3 'BEGIN { srand(2) } { printf "%s\t%.2f\n", $0, int(rand() * 100000000) / 100 }'
numeric "whole amounts" 0 'BEGIN { srand(2) } { a = int(rand() * 1000000); if (rand() < 0.3) a = a "." int(rand() * 100); print $0 "\t" a }'

big=$((3 * lines))
bench/phrases.sh "$big" >"$work/input"
printf 'past memory (-S 16M): %s lines (%s bytes)\n' "$big" "$(wc -c <"$work/input")"
"$tool" sort --quiet -o "$work/memory.out" "$work/input"
z=$(seconds /usr/bin/time -f %M -o "$work/rss" "$tool" sort --quiet -S 16M -T "$work/runs" -o "$work/z.out" "$work/input")
g=$(seconds env LC_ALL=ur_PK.UTF-8 sort -S 16M -T "$work/runs" -o "$work/g.out" "$work/input")
rss=$(($(tail -1 "$work/rss") / 1024))
printf '  zabrelo sort -S 16M:              %6.2f s, peak RSS %s MB\n' "$z" "$rss"
printf '  LC_ALL=ur_PK.UTF-8 sort -S 16M:   %6.2f s\n' "$g"
ratio "past memory" "$g" "$z" 3
cmp -s "$work/z.out" "$work/memory.out" || { echo "  the output differs from the sort in memory"; missed=1; }
[ "$rss" -le 64 ] || { echo "  peak RSS above 64 MB"; missed=1; }
[ -z "$(ls -A "$work/runs")" ] || { echo "  left in the temporary folder: $(ls "$work/runs")"; missed=1; }
exit "$missed"
