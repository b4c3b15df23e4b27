#!/usr/bin/env bash
# Drives the built zabrelo command as a user would, one behaviour per case:
#   ToolTest.sh TOOL SOURCE_DIR CASE...
# Each case runs in a fresh temporary directory and fails with a diff or a
# message. Inputs are written with printf so line ends stay byte-exact.
# A Windows build (TOOL ends in .exe) runs under the words of
# $ZABRELO_TOOL_EMULATOR (e.g. wine); cases that need POSIX files are skipped.
# $ZABRELO_BUILD_DIR is the build tree to install from (default: TOOL's folder).
set -uo pipefail
TOOL=$1 SRC=$2
shift 2
read -r -a EMULATOR <<<"${ZABRELO_TOOL_EMULATOR:-}"
WINDOWS=; EXE=
case $TOOL in *.exe) WINDOWS=1 EXE=.exe ;; esac
ORDERED=$SRC/tests/data/urdu-ordered.txt

# Most cases are about what a table leaves unweighed, which in the full order
# is little: they run in the classic order, where Latin letters, digits and
# punctuation weigh nothing. `full` runs the command as given.
zabrelo() {
  case ${1-} in
    sort|key|compare) "${EMULATOR[@]}" "$TOOL" "$1" --classic "${@:2}" ;;
    *) "${EMULATOR[@]}" "$TOOL" "$@" ;;
  esac
}
full() { "${EMULATOR[@]}" "$TOOL" "$@"; }
fail() { echo "FAIL: $CASE: $*" >&2; exit 1; }
# same FILE EXPECTED-FILE: byte-exact comparison, shown as a diff.
same() { cmp -s "$1" "$2" || { diff <(od -c "$2") <(od -c "$1") | head -20; fail "$1 differs from $2"; }; }
# status EXPECTED COMMAND...: runs the command, keeps stdout/stderr in out/err.
status() {
  local want=$1; shift
  "$@" >out 2>err; local got=$?
  [ "$got" = "$want" ] || { cat err >&2; fail "exit $got, expected $want: $*"; }
}

run_case() {
case $CASE in
order)  # a shuffled list of Urdu words comes back in dictionary order
  shuf --random-source=<(yes) "$ORDERED" >in
  status 0 zabrelo sort in; same out "$ORDERED"
  status 0 zabrelo sort <in; same out "$ORDERED"
  status 0 zabrelo sort -j 3 - <in; same out "$ORDERED" ;;
reverse)
  status 0 zabrelo sort -r "$ORDERED"; tac "$ORDERED" >want; same out want ;;
unique)  # duplicates: equal keys and the same unweighed characters; the first in output order stays
  printf 'ب\nاx\nا\nب\nا\n' >in
  status 0 zabrelo sort -u in; printf 'ا\nاx\nب\n' >want; same out want ;;
level1)  # at level 1, words that differ only in diacritics are equal
  printf 'مَلِک\nملک\nعِلم\nمُلک\nعلم\n' >in
  status 0 zabrelo sort -l 1 -u in; printf 'علم\nملک\n' >want; same out want
  status 0 zabrelo sort -s -l 1 -u in; printf 'عِلم\nمَلِک\n' >want; same out want
  status 0 zabrelo sort --level=3 -u in; [ "$(wc -l <out)" = 5 ] || fail "level 3 merged lines" ;;
stable)  # ties (Latin letters weigh nothing): by those letters, or with -s in input order; -r turns both
  printf 'bب\naب\nا\nبc\nبc\r\n' >in
  status 0 zabrelo sort in; printf 'ا\naب\nbب\nبc\nبc\r\n' >want; same out want
  status 0 zabrelo sort -r in; printf 'بc\r\nبc\nbب\naب\nا\n' >want; same out want
  status 0 zabrelo sort -s in; printf 'ا\nbب\naب\nبc\nبc\r\n' >want; same out want
  status 0 zabrelo sort -s -r in; printf 'bب\naب\nبc\nبc\r\nا\n' >want; same out want ;;
unweighed)  # what the table does not weigh orders equal keys and keeps -u from merging different lines
  printf 'abc\nxyz\nabc\nکتاب\nکِتاب\n' | zabrelo sort -u -l 1 >out; printf 'abc\nxyz\nکتاب\n' >want; same out want
  printf 'abc\nxyz\nabc\nکتاب\n' | zabrelo sort -u >out; printf 'abc\nxyz\nکتاب\n' >want; same out want
  # Digits, Latin letters and diacritics at each level, with and without -s.
  printf 'کِتاب1\nکتاب\nکِتاب\nکتاب1\nکتاب\nx1\nx0\nx1\n' >in
  for row in "-l1 -u:x0|x1|کتاب|کتاب1" "-l1 -s -u:x1|x0|کِتاب1|کتاب" "-l2 -u:x0|x1|کتاب|کتاب1|کِتاب|کِتاب1" \
             "-l3 -s -u:x1|x0|کتاب|کتاب1|کِتاب1|کِتاب" "-l1:x0|x1|x1|کتاب|کتاب|کِتاب|کتاب1|کِتاب1" \
             "-l1 -r:کِتاب1|کتاب1|کِتاب|کتاب|کتاب|x1|x1|x0"; do
    zabrelo sort ${row%%:*} in >out || fail "sort ${row%%:*}"
    printf '%s\n' "${row#*:}" | tr '|' '\n' >want; same out want
  done
  # Compared as UTF-16 code units: a character beyond the BMP before U+FF21, unlike their bytes.
  printf 'Ａ\n😀\n' | zabrelo sort >out; printf '😀\nＡ\n' >want; same out want
  # A word list with repeats and Latin words: any shuffle sorts to the same bytes, and -u is uniq.
  { cat "$ORDERED"; head -40 "$ORDERED"; printf 'apple\nZebra\napple\n42\nکتاب 2\nکتاب 10\nکتاب 2\n'; } >list
  shuf --random-source=<(yes) list >s1; shuf --random-source=<(yes 1) list >s2
  cmp -s s1 s2 && fail "the shuffles are the same"
  uniq <(zabrelo sort s1) >want; status 0 zabrelo sort -u s2; same out want
  # A repeat that differs in its line end only takes a place of its own too.
  printf 'کتاب 2\r\n' >>s1; { printf 'کتاب 2\r\n'; cat s2; } >s3
  for level in 1 2 3; do
    zabrelo sort -l $level s1 >o1 && zabrelo sort -l $level -j 1 s3 >o2 || fail "sort -l $level"
    same o2 o1
  done ;;
unweighed-places)  # the same unweighed characters at other places among the weighed ones: other lines
  printf 'کتاب2\n2کتاب\nک2تاب\n12 34\n1 234\nکتاب2\n😀کتاب\nکتاب😀\n' >in
  printf '12 34\n1 234\n2کتاب\nک2تاب\nکتاب2\n😀کتاب\nکتاب😀\n' >want
  mkdir tmp; head -4 in >a; tail -n +5 in >b
  zabrelo sort a >a.sorted && zabrelo sort b >b.sorted || fail "sort a part"
  for run in "sort -u in" "sort -u -l 1 in" "sort -u -S 1K --batch-size=2 -T tmp in" "sort -u -m a.sorted b.sorted"; do
    zabrelo $run >out || fail "$run"; same out want
  done
  status 0 zabrelo sort -c -u want
  zabrelo sort -s -u in >out; [ "$(wc -l <out)" = 7 ] || fail "-s -u merged lines"
  printf 'x\tکتاب2\ny\t2کتاب\n' | zabrelo sort -u -t "$(printf '\t')" -k 2,2 >out; [ "$(wc -l <out)" = 2 ] || fail "-k -u merged lines" ;;
many-lines)  # enough lines for several threads: the same order on any number of them
  awk 'BEGIN { split("ا ب پ", l, " "); for (i = 0; i < 90000; i++) print l[1 + i % 3] (i % 7 ? i % 50 : i) }' >in
  # Equal keys (the letter) go by the digits, which the table does not weigh.
  for letter in ا ب پ; do grep "^$letter" in | LC_ALL=C sort; done >want
  status 0 zabrelo sort -j 4 in; same out want
  status 0 zabrelo sort -j 1 in; same out want
  tac want >want2; status 0 zabrelo sort -j 3 -r in; same out want2
  for letter in ا ب پ; do grep "^$letter" in | LC_ALL=C sort -u; done >want
  status 0 zabrelo sort -j 2 -u in; same out want
  # -s: ties keep input order, in both directions.
  for letter in ا ب پ; do grep "^$letter" in; done >want
  status 0 zabrelo sort -s -j 4 in; same out want
  for letter in پ ب ا; do grep "^$letter" in; done >want
  status 0 zabrelo sort -s -j 3 -r in; same out want
  for letter in ا ب پ; do grep "^$letter" in | awk '!seen[$0]++'; done >want
  status 0 zabrelo sort -s -u -j 2 in; same out want
  # Written by several threads in turns, the output still stops at a write error.
  if [ -z "$WINDOWS" ] && [ -w /dev/full ]; then
    status 2 zabrelo sort -j 2 in -o /dev/full; grep -q 'write error' err || fail "$(cat err)"
  fi ;;
external)  # past -S: runs in scratch files, merged in passes, give the same bytes as in memory, as do -m and -c
  bash "$SRC/bench/phrases.sh" 5000 >in
  # Latin words and digits (unweighed), repeats, CR LF ends.
  { head -200 "$ORDERED" | sed 's/$/ 7/'; head -100 "$ORDERED"; printf 'abc\nxyz\nabc\r\nکتاب 2\nکتاب 10\n'; } >>in
  shuf --random-source=<(yes) in >shuffled
  mkdir tmp
  for flags in "" "-s" "-r" "-u" "-s -u" "-r -u" "-s -r -u" "-l 1 -u" "-l 2 -s -r" "-k 2,2 -u" "-k 2 -r -s" \
               "-k 1,1r -k 2,2 -u" "-s -u -k 2,2"; do
    zabrelo sort $flags shuffled >want || fail "sort $flags"
    zabrelo sort $flags -S 16K --batch-size=3 -j 1 -T tmp shuffled >got || fail "sort -S $flags"
    same got want
    [ -z "$(ls -A tmp)" ] || fail "left in the temporary folder: $(ls tmp)"
    zabrelo sort -c $flags want || fail "-c $flags rejects what sort $flags wrote"
    # Sorted parts merged: the same again, with fewer inputs at once than there are.
    split -n l/4 shuffled part.
    for part in part.*; do zabrelo sort $flags "$part" >"$part.sorted" || fail "sort $flags $part"; done
    zabrelo sort -m $flags --batch-size=3 -T tmp part.*.sorted >got || fail "-m $flags"
    same got want
    rm part.*
  done
  status 1 zabrelo sort -C shuffled ;;
file-limit)  # merges fit the limit on open files: -m of 1,000 files under 64, runs past -S 1K under 20
  [ -n "$WINDOWS" ] && { echo "skipped: POSIX limits"; return 0; }
  mkdir parts tmp
  awk 'BEGIN { for (i = 1; i <= 1000; i++) { f = "parts/" i; print "ا" i > f; print "ب" i > f; close(f) } }'
  cat parts/* | full sort >want
  (ulimit -n 64 && exec "$TOOL" sort -m parts/*) >out 2>err || fail "-m under 64 files: $(cat err)"
  same out want
  bash "$SRC/bench/phrases.sh" 2000 >in; full sort in >want
  (ulimit -n 20 && exec "$TOOL" sort -S 1K -T tmp in) >out 2>err || fail "-S 1K under 20 files: $(cat err)"
  same out want ;;
fields)  # -k and -t as in sort: missing and empty fields, blanks, characters, several keys
  printf 'ب,2,z\nا,10,y\nپ,,x\nت\n' >in
  printf 'x  ب\ny ا\nz  ا\n' >blanks
  printf 'سب\nست\nسَت\n' >chars
  printf 'ا,1\nب,1\nا,2\n' >dups
  for row in "in -t , -k 2,2:پ,,x|ت|ا,10,y|ب,2,z" "in -t , -k 3,3r:ب,2,z|ا,10,y|پ,,x|ت" \
             "in -t , -k1,1 -r:ت|پ,,x|ب,2,z|ا,10,y" "in -t, -k2,2 -k1,1r:ت|پ,,x|ا,10,y|ب,2,z" \
             "in --field-separator=, --key=3:ت|پ,,x|ا,10,y|ب,2,z" \
             "blanks -k2,2:z  ا|x  ب|y ا" "blanks -k2,2b:z  ا|x  ب|y ا" "blanks -b -k2,2:z  ا|y ا|x  ب" \
             "blanks -k2.2b,2.2b:z  ا|x  ب|y ا" "chars -k1.2,1.2:سَت|سب|ست" "chars -k1.3:سب|ست|سَت" \
             "dups -t , -k1,1 -u:ا,1|ب,1" "dups -t , -k1,1 -u -r:ب,1|ا,2" "dups -s -t, -k1,1:ا,1|ا,2|ب,1" \
             "dups -t , -k 2,2 -u -s:ا,1|ا,2"; do
    zabrelo sort ${row%%:*} >out || fail "sort ${row%%:*}"
    printf '%s\n' "${row#*:}" | tr '|' '\n' >want; same out want
  done
  # An Urdu comma separates too: the separator is a character, not a byte.
  printf 'ب،ا\nا،ب\n' | zabrelo sort -t '،' -k2,2 >out; printf 'ب،ا\nا،ب\n' >want; same out want
  for bad in "-k 0:field number is zero: invalid key field '0'" \
             "-k 1.0:character offset is zero: invalid key field '1.0'" \
             "-k 2,:invalid number after ',': invalid count at start of ''" \
             "-k 1,2,3:stray character in key position: invalid key field '1,2,3'" \
             "-t ab:multi-character tab 'ab'" "-t '':empty tab" "-t , -t ';':incompatible tabs"; do
    eval "zabrelo sort ${bad%%:*} in" >out 2>err && fail "accepted ${bad%%:*}"
    grep -q -- "${bad#*:}" err || fail "${bad%%:*}: $(cat err)"
  done ;;
numbers)  # -n, -h, -g read Urdu and Arabic-Indic digits, '٫' '٬' and the minus sign; the rest of a line in Urdu order
  printf 'ج\t۱۰\nا\t۲\nب\t3\nد\t٠٫٥\n' | zabrelo sort -t "$(printf '\t')" -k2,2n >out
  printf 'د\t٠٫٥\nا\t۲\nب\t3\nج\t۱۰\n' >want; same out want
  printf '2K\n۱M\n500\n' | zabrelo sort -h >out; printf '500\n2K\n۱M\n' >want; same out want
  # Signs, separators and mixed digits; "abc" and "-0" are zero.
  printf '۱٬۰۰۰\n−۵\n\xd8\x9c-4\n12\nabc\n-0\n٩٩٩٫9\n' | zabrelo sort -n >out
  printf '−۵\n\xd8\x9c-4\n-0\nabc\n12\n٩٩٩٫9\n۱٬۰۰۰\n' >want; same out want
  printf '۱e۳\n-inf\n۲\nx\n' | zabrelo sort -g >out; printf 'x\n-inf\n۲\n۱e۳\n' >want; same out want
  # Equal amounts go by name in Urdu order, then by the whole line; -u keeps one line per amount.
  printf 'ب,۲\nپ,2\nا,02\nا,2.0\nت,1\n' >in
  status 0 zabrelo sort -t , -k2,2n -k1,1 in; printf 'ت,1\nا,02\nا,2.0\nب,۲\nپ,2\n' >want; same out want
  status 0 zabrelo sort -t , -k2,2n in; same out want
  status 0 zabrelo sort -t , -k2,2nr -k1,1 in; printf 'ا,02\nا,2.0\nب,۲\nپ,2\nت,1\n' >want; same out want
  status 0 zabrelo sort -t , -k2,2n -u in; printf 'ت,1\nا,02\n' >want; same out want ;;
months)  # -M: English abbreviations in any case and the Urdu month names; anything else first
  printf 'مارچ\nجنوری\nدسمبر\nفروری\n' | zabrelo sort -M >out; printf 'جنوری\nفروری\nمارچ\nدسمبر\n' >want; same out want
  printf ' feb\nمئی ۵\nJanuary\nx\nجولائي\nاكتوبر\n' | zabrelo sort -M >out
  printf 'x\nJanuary\n feb\nمئی ۵\nجولائي\nاكتوبر\n' >want; same out want ;;
natural)  # numbers by value, in the full order and the classic one, from arguments and lines alike
  printf 'باب 10\nباب ۳\nباب 2\nباب ١١\n' >in; printf 'باب 2\nباب ۳\nباب 10\nباب ١١\n' >want
  for order in "" --classic; do
    status 0 full sort --natural $order in; same out want
    [ "$(full compare --natural $order 'باب 2' 'باب 10')" = -1 ] || fail "compare --natural $order"
    full key --natural $order 'باب 10' 'باب ۱۰' 'باب ۰۱۰' >out || fail "key --natural $order"
    full key --natural $order <in | sed -n 1p >first
    [ "$(sed -n 2p out | cut -d' ' -f1)" = "$(sed -n 3p out | cut -d' ' -f1)" ] || fail "leading zeros at level 1"
    [ "$(sed -n 2p out)" != "$(sed -n 3p out)" ] || fail "leading zeros after level 1"
    [ "$(sed -n 1p out)" = "$(cat first)" ] || fail "a line's key and an argument's differ"
  done
  # Without --natural digits weigh one by one: ۱۰ before ۲.
  [ "$(full compare 'باب ۱۰' 'باب ۲')" = -1 ] || fail "plain compare" ;;
gnu-orders)  # on ASCII, -n -g -h -M -V and field positions order as LC_ALL=C sort does (ties kept by -s)
  command -v sort >/dev/null && sort --version 2>/dev/null | grep -q GNU || exit 0
  awk 'BEGIN { srand(7); n = split("0 00 1 9 10 010 - -0 . .5 0.50 -1.5 1e3 1E-2 0x10 inf -inf 2K 1k 3M -2G 1023M 1G 0K 1.5T JAN feb Mar december DECx jun a b ~ ~1 1.2.3 1.10 1.9 a1b a01b file.tar.gz .hidden .. . x2.txt x10.txt 1_2 Z +5 -.3 1e 0e0 ab.c~", a, " ")
    split("  ,\t,\t\t, , ", s, ",")
    for (i = 0; i < 2000; i++) { line = ""; f = 1 + int(rand() * 4)
      for (j = 0; j < f; j++) { if (j) line = line s[1 + int(rand() * 4)]; k = int(rand() * 3)
        for (m = 0; m < k; m++) line = line a[1 + int(rand() * n)] }
      print line } }' >in
  for opts in -n -nr -g -h -hr -M -V -Vr "-k2,2n" "-k2n,2" "-b -k2,3n" "-k1.2,2.1n" "-k1.3bn" "-k2.2,2.1n" \
              "-k3,3g -k2,2Vr" "-k2b,2h -k1,1M" "-t , -k2V" "-k1.2,1.4V" "-k2.2b,3.1bn" "-k9,9n -k1,1n" "-z -n"; do
    LC_ALL=C sort -s $opts in >want; zabrelo sort -s $opts in >out || fail "sort $opts"
    cmp -s out want || { diff want out | head -5; fail "sort -s $opts differs from LC_ALL=C sort"; }
  done ;;
ascii-orders)  # with a table that weighs printable ASCII by its code, ASCII lines come out as LC_ALL=C sort gives them
  command -v sort >/dev/null && sort --version 2>/dev/null | grep -q GNU || exit 0
  # The space keeps its fixed primary 0x41, below every other: as in C.
  { printf 'FA=ASCII by code\r\n[0627][F0,5,5] ARABIC LETTER ALEF\r\n'
    for c in $(seq 33 126); do printf '[%04X][%X,0,0]\r\n' "$c" $((c + 0x21)); done; } >table
  awk 'BEGIN { srand(25); n = split("a b z A B Z aB Ab ab AB 0 1 9 10 010 1.5 -3 a-b a_b a.b ~ ! # , ; x,y ,x {} [a] @ ` ^ Zz zZ", w, " ")
    for (i = 0; i < 1500; i++) { line = ""; f = 1 + int(rand() * 3)
      for (j = 0; j < f; j++) { if (j) line = line (rand() < 0.5 ? " " : (rand() < 0.5 ? "  " : ","))
        for (k = int(rand() * 3); k >= 0; k--) line = line w[1 + int(rand() * n)] }
      print line } }' >in
  for opts in "" -r -f -d -i -u -V "-k2,2" "-b -k2" "-k2,2r -k1,1" "-t , -k2,2" "-t , -k2,2f -k1,1" "-k1.2,1.3" \
              "-k2,2n" "-f -r" "-d -f -k2"; do
    LC_ALL=C sort $opts in >want; full sort --table=table $opts in >out || fail "sort $opts"
    cmp -s out want || { diff want out | head -5; fail "sort $opts differs from LC_ALL=C sort"; }
  done ;;
option-rules)  # sort's option letters, --sort, and its words for options that do not go together
  printf 'b 2\na 10\n' >in
  for same in "-n -k2:-k2n" "--sort=numeric -k2:-k2,2n" "--sort=h -k2:--human-numeric-sort -k2" \
              "-k2 -n:-k2,2n" "+1 -2 -n:-k2,2n" "+1n:-k2n" "+0.2 -1:-k1.3,1"; do
    zabrelo sort ${same%%:*} in >a && zabrelo sort ${same#*:} in >b || fail "${same}"; same a b
  done
  zabrelo sort -k2n in >out; printf 'b 2\na 10\n' >want; same out want
  for bad in "-nR:options '-nR' are incompatible" "-k1,1nM:options '-Mn' are incompatible" \
             "-d -g:options '-dg' are incompatible" "-n --sort=month:options '-Mn' are incompatible" \
             "-c -C:options '-cC' are incompatible" "--parallel=0:number in parallel must be nonzero" \
             "--parallel=x:invalid --parallel argument 'x'" "-x:invalid option -- 'x'" \
             "--frob:unrecognized option '--frob'" "-k:option requires an argument -- 'k'"; do
    status 2 zabrelo sort in ${bad%%:*}; grep -qxF "zabrelo: sort: ${bad#*:}" err || fail "${bad%%:*}: $(cat err)"
  done
  status 1 zabrelo sort --sort=size in; grep -q "invalid argument 'size' for '--sort'" err || fail "$(cat err)"
  # -h sorts; only --help helps. -d with -i, -f and -R with anything but n g h M: no conflict.
  printf '1G\n2K\n' | zabrelo sort -h >out; printf '2K\n1G\n' >want; same out want
  status 0 zabrelo sort -dif -k1,1R -k1,1fV --parallel 2 in ;;
text-options)  # -f folds Latin case, -d keeps Urdu letters and marks but not punctuation, -i drops controls
  printf 'Apple\napple\nBANANA\nbanana\n' | zabrelo sort -f -u >out; printf 'Apple\nBANANA\n' >want; same out want
  printf 'کِتاب\nکتاب!\nکتاب\n،کتاب\n' | zabrelo sort -d -u >out
  [ "$(wc -l <out)" = 2 ] && grep -qx 'کِتاب' out || fail "-d -u kept $(cat out)"
  printf 'a\001b\nab\n' | zabrelo sort -i -u >out; printf 'a\001b\n' >want; same out want
  # Lines equal under -f still come out in one order whatever the input order (the whole line decides).
  printf 'a\nA\n' | zabrelo sort -f >o1; printf 'A\na\n' | zabrelo sort -f >o2; same o1 o2 ;;
random)  # -R: a repeatable shuffle with --random-source that keeps equal keys together
  seq 200 | sed 's/$/ ک/' >in; seq 50 | sed 's/$/ ک/' >>in
  head -c 64 "$ORDERED" >src
  status 0 zabrelo sort -R --random-source=src in; cp out r1
  status 0 zabrelo sort --sort=random --random-source=src in; same out r1
  sort in | cmp -s - r1 && fail "not shuffled"
  [ "$(sort r1 | md5sum)" = "$(sort in | md5sum)" ] || fail "lines lost or changed"
  # Repeated lines (equal keys) stand side by side.
  [ "$(uniq r1 | wc -l)" = 200 ] || fail "equal keys apart"
  status 2 zabrelo sort -R --random-source=/dev/null in; grep -q "'/dev/null': end of file" err || fail "$(cat err)" ;;
debug)  # --debug marks each key's text under its line, and the whole line for the last resort
  printf 'b 10 x\na  2\n\tq\n' >in
  status 0 zabrelo sort --debug -k2,2n -k1,1 in
  printf '>q\n  ^ no match for key\n__\n__\na  2\n   _\n_\n____\nb 10 x\n  __\n_\n______\n' >want; same out want
  grep -q "^zabrelo: sort: leading blanks are significant in key 2; consider also specifying 'b'$" err || fail "$(cat err)"
  printf ' 1.5K x\n\xd8\xa8 \xdb\xb2\xd9\xab\xdb\xb5\n' >in
  status 0 zabrelo sort --debug -s -h in; printf '\xd8\xa8 \xdb\xb2\xd9\xab\xdb\xb5\n^ no match for key\n 1.5K x\n ____\n' >want; same out want
  status 0 zabrelo sort --debug -s -k2,2n in; printf ' 1.5K x\n      ^ no match for key\n\xd8\xa8 \xdb\xb2\xd9\xab\xdb\xb5\n  ___\n' >want; same out want
  status 2 zabrelo sort --debug -o x in; grep -q "options '-o --debug' are incompatible" err || fail "$(cat err)" ;;
quick-keys)  # keys that begin with numbers: sorted in memory by those first, the same order as in runs on disk
  awk 'BEGIN { srand(3); split("ا ب پ ت کتاب کِتاب x", w, " ")
    for (i = 0; i < 3000; i++) print w[1 + int(rand() * 7)] "\t" int(rand() * 40) (rand() < 0.3 ? ".50" : "") "\t" int(rand() * 3) }' >in
  for opts in "-k2,2n -k1,1" "-k2,2n -k3,3n" "-k2,2n" "-r -k2,2n -k1,1r" "-u -k2,2n -k1,1" "-s -k2,2n -k1,1" \
              "-k3,3n -k2,2g -k1,1" "-u -k2,2h" "-k3,3M -k1,1"; do
    zabrelo sort -t "$(printf '\t')" $opts in >mem || fail "$opts"
    zabrelo sort -t "$(printf '\t')" -S 1K $opts in >disk || fail "-S 1K $opts"
    cmp -s mem disk || fail "$opts: in memory and on disk differ"
  done ;;
files0-from)  # --files0-from: NUL-ended names from a file or standard input, with sort's errors
  printf 'ب\n' >'a b'; printf 'ا\n' >c
  printf 'a b\0c' >names
  status 0 zabrelo sort --files0-from=names; printf 'ا\nب\n' >want; same out want
  printf 'c\0a b\0' | zabrelo sort --files0-from=- >out; same out want
  for bad in "--files0-from=names c:extra operand 'c'" "--files0-from=/dev/null:no input from '/dev/null'"; do
    status 2 zabrelo sort ${bad%%:*}; grep -qF "zabrelo: sort: ${bad#*:}" err || fail "${bad%%:*}: $(cat err)"
  done
  printf 'c\0\0' >names; status 2 zabrelo sort --files0-from=names
  grep -qx "zabrelo: sort: names:2: invalid zero-length file name" err || fail "$(cat err)"
  printf -- '-\0' | zabrelo sort --files0-from=- >out 2>err && fail "took - from standard input"
  grep -q "no file name of '-' allowed" err || fail "$(cat err)" ;;
compress-program)  # --compress-program: runs on disk go through PROG and come back through PROG -d
  shuf --random-source=<(yes) "$ORDERED" >in
  printf '#!/bin/sh\necho "$@" >>"%s/calls"\nexec gzip "$@"\n' "$PWD" >squeeze; chmod +x squeeze
  status 0 zabrelo sort -S 1K --compress-program="$PWD/squeeze" in; same out "$ORDERED"
  grep -qx -- -d calls && grep -qx '' calls || fail "calls: $(sort calls | uniq -c)"
  status 2 zabrelo sort -S 1K --compress-program=false in
  grep -qx "zabrelo: sort: 'false' \[-d\] terminated abnormally" err || fail "$(cat err)"
  status 2 zabrelo sort -S 1K --compress-program=./no-such-program in
  grep -q "couldn't execute compress program './no-such-program'" err || fail "$(cat err)"
  # Without runs on disk the program is never started, as in sort.
  status 0 zabrelo sort --compress-program=./no-such-program in; same out "$ORDERED" ;;
csv)  # RFC 4180 fields: quoted separators and line breaks, doubled quotes, empty and missing fields; --header
  printf 'name,city\r\n"ب, ج",2\r\n"ا ""x""",1\r\nپ,"two\r\nlines"\r\n,\r\nت\r\n' >in
  head='name,city\r\n' comma=',\r\n' alif='"ا ""x""",1\r\n' be='"ب, ج",2\r\n' pe='پ,"two\r\nlines"\r\n' te='ت\r\n'
  for row in "-k1,1:$head$comma$alif$be$pe$te" "-k2,2:$head$comma$te$alif$be$pe" "-k2,2 -r:$head$pe$be$alif$te$comma"; do
    zabrelo sort --csv --header ${row%%:*} in >out || fail "--csv ${row%%:*}"
    printf "${row#*:}" >want; same out want
  done
  # Another separator: then "," is text, and a quote that does not open a field is text too.
  printf 'b;"x;y"\na;"z"\n' | zabrelo sort --csv -t ';' -k2,2 >out; printf 'b;"x;y"\na;"z"\n' >want; same out want
  # Line numbers count the lines inside records.
  printf 'a,"x\ny"\nc,1\nb,2\n' >c2
  status 1 zabrelo sort -c --csv c2; grep -qx 'zabrelo: c2:4: disorder: b,2' err || fail "$(cat err)"
  printf 'a\nb,"open\nc\n' >open
  status 2 zabrelo sort --csv open
  grep -qx 'zabrelo: open:2: a quoted field is not closed before the end of the file' err || fail "$(cat err)"
  # Each input's header: written once; one that differs is an error, not a line sorted in.
  printf 'h\nب\n' >h1; printf 'h\nا\n' >h2; printf 'H\nپ\n' >h3
  status 0 zabrelo sort --header h1 h2; printf 'h\nا\nب\n' >want; same out want
  status 0 zabrelo sort --header -m h1 h2; same out want
  status 0 zabrelo sort --header -c h1
  status 2 zabrelo sort --header h1 h3 -o x
  grep -qx "zabrelo: h3: its header differs from that of h1 .*" err || fail "$(cat err)"; [ -e x ] && fail "wrote x"; true ;;
check)  # -c and -C: the first line out of order, as the sort orders; with -u, a repeat is out of order too
  printf 'ا\nب\nب\n' >dup; printf 'abc\nxyz\nabc\n' >apart; printf 'کتاب\nکِتاب\n' >marks; printf 'ab\nac\nxb\n' >firsts
  for row in "0:dup" "1:-u dup:3" "0:-s apart" "1:apart:3" "1:-s -u apart:3" "0:-l 1 marks" "1:-l 1 -u marks:2" \
             "0:-k 1.1,1.1 firsts" "1:-u -k 1.1,1.1 firsts:2" "1:-r dup:2" "0:--check=silent dup"; do
    IFS=: read -r want flags line <<<"$row"
    status "$want" zabrelo sort -c $flags
    if [ "$want" = 1 ]; then
      file=${flags##* }
      grep -qx "zabrelo: $file:$line: disorder: .*" err || fail "-c $flags: $(cat err)"
      status 1 zabrelo sort -C $flags; [ -s err ] && fail "-C printed $(cat err)"
    fi
  done
  printf 'ب\nا\n' | zabrelo sort -c 2>err; grep -qx 'zabrelo: standard input:2: disorder: ا' err || fail "$(cat err)"
  status 2 zabrelo sort -c -o x dup; grep -q "options '-co' are incompatible" err || fail "$(cat err)"
  status 2 zabrelo sort -c dup dup; grep -q "extra operand 'dup' not allowed with -c" err || fail "$(cat err)"
  status 2 zabrelo sort -c -C dup; status 2 zabrelo sort --check=loud dup ;;
merge)  # -m: inputs taken as sorted and merged, equal lines from the earlier file first
  printf 'x\nا\nپ\n' >m1; printf 'y\nا\nب\n' >m2
  for row in ":x|y|ا|ا|ب|پ" "-s:x|y|ا|ا|ب|پ" "-u:x|y|ا|ب|پ"; do
    zabrelo sort -m ${row%%:*} m1 m2 >out || fail "-m ${row%%:*}"
    printf '%s\n' "${row#*:}" | tr '|' '\n' >want; same out want
  done
  printf 'x\nا\n' >s1; printf 'y\nا\n' >s2
  zabrelo sort -m -s s2 s1 >out; printf 'y\nx\nا\nا\n' >want; same out want
  # Onto one of its inputs, and through runs when there are more inputs than --batch-size.
  zabrelo sort -m -o m1 --batch-size=2 m1 m2 m1 m2 || fail "-m -o"
  printf 'x\nx\ny\ny\nا\nا\nا\nا\nب\nب\nپ\nپ\n' >want; same m1 want ;;
output-dangling-link)  # -o through a link to a file not made yet makes that file; a missing folder is an error
  [ -n "$WINDOWS" ] && { echo "skipped: POSIX links"; return 0; }
  printf 'ب\nا\n' >in; printf 'ا\nب\n' >want
  mkdir d; ln -s made d/link; ln -s d/link chain; ln -s missing/file broken
  status 0 zabrelo sort -o chain in; same d/made want
  [ -L chain ] && [ -L d/link ] || fail "a link was replaced"
  status 2 zabrelo sort -o broken in
  grep -q "broken: No such file or directory" err || fail "message: $(cat err)"
  [ -L broken ] && [ ! -e missing ] || fail "the link was replaced" ;;
output-killed)  # SIGKILL while the result is being written leaves no copy of it beside the target
  python3 -c 'import os; os.open(".", os.O_TMPFILE | os.O_WRONLY, 0o600)' 2>/dev/null ||
    { echo "skipped: this file system has no unnamed files"; return 0; }
  bash "$SRC/bench/phrases.sh" 20000 | zabrelo sort >sorted
  printf 'old\n' >target
  pid= writer=
  trap 'kill $pid $writer 2>/dev/null; rm -rf "$WORK"' EXIT
  mkfifo fifo; { cat sorted; exec sleep 30; } >fifo & writer=$!
  "$TOOL" sort -m -o target sorted fifo & pid=$!
  # The result's file exists: unnamed, or named beside the target.
  for i in $(seq 100); do
    { ls target.zabrelo-* || ls -l /proc/$pid/fd | grep -q "/#[0-9]* (deleted)"; } >/dev/null 2>&1 && break
    sleep 0.1
  done
  [ "$i" = 100 ] && fail "no result file appeared"
  kill -KILL $pid; wait $pid 2>/dev/null
  kill $writer; wait $writer 2>/dev/null
  [ -z "$(ls -A | grep -v -x -e sorted -e target -e fifo)" ] || fail "left beside the target: $(ls)"
  printf 'old\n' >want; same target want ;;
signals)  # SIGTERM, SIGINT and SIGHUP mid-run leave no file behind and the target as it was
  [ -n "$WINDOWS" ] && { echo "skipped: POSIX signals"; return 0; }
  bash "$SRC/bench/phrases.sh" 20000 | zabrelo sort >sorted
  mkdir tmp; printf 'old\n' >target
  # bash starts background commands with SIGINT ignored, and the tool keeps what its parent ignores.
  run() { env --default-signal=INT,HUP,TERM "$TOOL" "$@" & }
  pid= writer=
  trap 'kill $pid $writer 2>/dev/null; rm -rf "$WORK"' EXIT
  wait_for() { for i in $(seq 100); do eval "$1" && return 0; sleep 0.1; done; fail "timed out: $1"; }
  for signal in TERM INT HUP; do
    # A merge whose second input stops halfway: the output's temporary file exists by then.
    mkfifo fifo; { cat sorted; exec sleep 30; } >fifo & writer=$!
    run sort -m -o target sorted fifo; pid=$!
    wait_for "ls target.zabrelo-* >/dev/null 2>&1 || ls -l /proc/$pid/fd 2>/dev/null | grep -q '/#[0-9]* (deleted)'"
    kill -$signal $pid; wait $pid; got=$?
    [ "$got" = $((128 + $(kill -l $signal))) ] || fail "SIG$signal: exit $got"
    kill $writer; wait $writer 2>/dev/null; rm fifo
    ls target.zabrelo-* 2>/dev/null && fail "SIG$signal left the temporary file"
    printf 'old\n' >want; same target want
    # A sort past -S, stopped wherever it is: its runs are open files without a name.
    mkfifo fifo; { cat sorted; exec sleep 30; } >fifo & writer=$!
    run sort -S 16K -T tmp -o target fifo; pid=$!
    wait_for "ls -l /proc/$pid/fd 2>/dev/null | grep -q '$WORK/tmp/zabrelo-.* (deleted)'"
    kill -$signal $pid; wait $pid; got=$?
    [ "$got" = $((128 + $(kill -l $signal))) ] || fail "SIG$signal: exit $got"
    kill $writer; wait $writer 2>/dev/null; rm fifo
    [ -z "$(ls -A tmp)" ] || fail "SIG$signal left $(ls tmp)"
    ls target.zabrelo-* 2>/dev/null && fail "SIG$signal left the temporary file"
    same target want
  done ;;
full-temp)  # a full temporary folder stops the sort with its name, the target as it was, nothing left
  bash "$SRC/bench/phrases.sh" 40000 >in
  printf 'old\n' >target; mkdir small
  trap 'umount "$WORK/small" 2>/dev/null; rm -rf "$WORK"' EXIT
  if [ -z "$WINDOWS" ] && [ "$(id -u)" = 0 ] && mount -t tmpfs -o size=256k tmpfs small 2>/dev/null; then
    echo "a full temporary folder: a 256 KB tmpfs"
  else
    echo "a full temporary folder: writes past 256 KB fail as on a full disk (ZABRELO_TEST_TEMP_LIMIT)"
    export ZABRELO_TEST_TEMP_LIMIT=262144
  fi
  status 2 zabrelo sort -S 64K -T small -o target in
  grep -qx 'zabrelo: cannot write a temporary file in small: No space left on device' err || fail "$(cat err)"
  printf 'old\n' >want; same target want
  [ -z "$(ls -A small)" ] || fail "left $(ls small)"
  ls target.zabrelo-* 2>/dev/null && fail "left the output's temporary file"
  status 2 zabrelo sort -S 64K -T missing in
  grep -qx 'zabrelo: cannot create a temporary file in missing: No such file or directory' err || fail "$(cat err)"
  unset ZABRELO_TEST_TEMP_LIMIT; true ;;
output-onto-input)
  printf 'ب\nا\n' >f
  status 0 zabrelo sort -o f f; printf 'ا\nب\n' >want; same f want
  [ -s out ] && fail "wrote to standard output too"
  ls -a | grep -q zabrelo- && fail "temporary file left behind"; true ;;
crlf)  # every line keeps its own end; a last line without one gets its file's
  printf 'ب\r\nا\nپ\r\nت' >in
  printf 'ا\nب\r\nپ\r\nت\r\n' >want
  status 0 zabrelo sort in; same out want
  status 0 zabrelo sort <in; same out want
  status 0 zabrelo sort -o in2 in; same in2 want ;;
unended-cr)  # a last line that stops at a CR gains only the LF, as sort's does
  printf 'x\r\nb\r' | zabrelo sort >out; printf 'b\r\nx\r\n' >want; same out want
  printf 'x\nb\r' | zabrelo sort >out; printf 'b\r\nx\n' >want; same out want ;;
zero)
  printf 'ب\nx\0ا\0' >in
  status 0 zabrelo sort -z in; printf 'ا\0ب\nx\0' >want; same out want ;;
beyond-bmp)  # non-BMP characters weigh nothing and come back unchanged
  printf 'ب 😀\nا 😀\n' >in
  status 0 zabrelo sort in; printf 'ا 😀\nب 😀\n' >want; same out want ;;
invalid-utf8)  # the error names file and line, and -o leaves the file alone
  printf 'ب\nا\n' >f; printf 'ب\nا\n\xed\xa0\x80\n' >bad
  cp f before
  status 2 zabrelo sort -o f bad f
  same f before
  grep -qx 'zabrelo: bad:3: invalid UTF-8' err || fail "message: $(cat err)"
  for bytes in '\xc0\xaf' '\xe0\x80\xaf' '\xf4\x90\x80\x80' '\xe2\x82' '\xff'; do
    printf "ا\n$bytes\n" >bad2
    status 2 zabrelo sort bad2
    grep -qx 'zabrelo: bad2:2: invalid UTF-8' err || fail "not rejected: $bytes"
  done ;;
invalid-replace)  # --invalid=replace: each bad byte orders as U+FFFD and the line comes back unchanged
  printf 'ب\xff\t1\nا\t2\nx\xc3\t3\nب\t4\n\xed\xa0\x80ا\t5\n' >bad
  sed 's/\xff/\xef\xbf\xbd/; s/\xc3\t/\xef\xbf\xbd\t/; s/\xed\xa0\x80/\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd/' bad >good
  status 2 zabrelo sort bad; grep -qx 'zabrelo: bad:1: invalid UTF-8' err || fail "$(cat err)"
  status 2 zabrelo sort --invalid=skip bad
  for opts in "" "-k1,1" "-r -k1,1 -k2,2n" "-u"; do
    zabrelo sort -s $opts --invalid=replace bad >out || fail "$opts"
    zabrelo sort -s $opts good >want || fail "good $opts"
    cmp -s <(cut -f2 out) <(cut -f2 want) || fail "$opts: not the order of U+FFFD"
    [ "$(LC_ALL=C sort out | md5sum)" = "$(LC_ALL=C sort bad | md5sum)" ] || fail "$opts: lines changed"
  done ;;
write-error)  # a full disk is an error, not success, whatever the command writes
  if [ -z "$WINDOWS" ] && [ -w /dev/full ]; then
    status 2 zabrelo sort "$ORDERED" -o /dev/full; grep -q 'write error' err || fail "$(cat err)"
    printf 'FA=\r\n[0627][1,1,1]\r\n[0627][2,2,2]\r\n' >warned
    for c in "sort $ORDERED" "key ب" "compare ا ب" "check $SRC/data/UrduCOdepage.txt" "check warned" "--help" \
             "--version" "sort --help" "key -h" "compare --help" "check --help" "check --version"; do
      zabrelo $c >/dev/full 2>err; got=$?
      [ "$got" = 2 ] || fail "$c: exit $got on a full disk"
      grep -qx 'zabrelo: write error on standard output: .*' err || fail "$c: $(cat err)"
    done
  fi ;;
closed-pipe)  # a reader that goes away ends the sort quietly, as sort does; with SIGPIPE ignored, it is an error
  # Far more than a pipe holds, so the writes go on after head has gone.
  for i in $(seq 100); do cat "$ORDERED"; done >big
  zabrelo sort big 2>err | head -1 >/dev/null; got=${PIPESTATUS[0]}
  [ "$got" = 141 ] || fail "closed pipe: exit $got"
  [ -s err ] && fail "closed pipe reported: $(cat err)"
  [ -n "$WINDOWS" ] && return 0
  (trap '' PIPE; zabrelo sort big 2>err | head -1 >/dev/null; exit "${PIPESTATUS[0]}"); got=$?
  [ "$got" = 2 ] || fail "closed pipe, SIGPIPE ignored: exit $got"
  grep -qx 'zabrelo: write error on standard output: Broken pipe' err || fail "$(cat err)" ;;
output-permissions)  # -o writes FILE as the user would: refused where they may not, owner, mode and links kept
  [ -n "$WINDOWS" ] && { echo "skipped: POSIX owners, modes and links"; return 0; }
  printf 'ب\nا\n' >h1; ln h1 h2; chmod 640 h1; printf 'ا\nب\n' >want
  status 0 zabrelo sort -o h1 h1; same h2 want
  [ "$(stat -c %a h1)" = 640 ] || fail "mode became $(stat -c %a h1)"
  printf 'ب\nا\n' >f; ln -s f link
  status 0 zabrelo sort -o link link; [ -L link ] || fail "the link was replaced"; same f want
  # Extended attributes (ACLs among them) stay with the file, where the file system has them.
  printf 'ب\nا\n' >x
  if /usr/bin/python3 -c "import os; os.setxattr('x', 'user.zabrelo', b'kept')" 2>/dev/null; then
    status 0 zabrelo sort -o x x; same x want
    /usr/bin/python3 -c "import os; assert os.getxattr('x', 'user.zabrelo') == b'kept'" || fail "attribute lost"
  fi
  # The rest as an ordinary user: nobody, when the test runs as root.
  user=()
  if [ "$(id -u)" = 0 ]; then
    printf 'ب\nا\n' >g; chown 65534:65534 g
    status 0 zabrelo sort -o g g; [ "$(stat -c %u:%g g)" = 65534:65534 ] || fail "owner became $(stat -c %u:%g g)"
    user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
    chmod 755 "$WORK"
    "${user[@]}" test -x "$TOOL" || { echo "skipped the unprivileged part: nobody cannot run $TOOL"; return 0; }
  fi
  mkdir u u/locked u/tmp
  printf 'ب\nا\n' >u/in; cp u/in u/ro.txt; cp u/in u/locked/w.txt; chmod 444 u/ro.txt
  [ ${#user[@]} -gt 0 ] && chown -R 65534:65534 u
  chmod 555 u/locked
  TMPDIR=$WORK/u/tmp status 2 "${user[@]}" "$TOOL" sort u/in -o u/ro.txt
  grep -qx 'zabrelo: cannot write u/ro.txt: Permission denied' err || fail "$(cat err)"
  same u/ro.txt u/in
  # A file they may write in a folder they may not: the result waits in TMPDIR, then goes in.
  TMPDIR=$WORK/u/tmp status 0 "${user[@]}" "$TOOL" sort -o u/locked/w.txt u/locked/w.txt
  same u/locked/w.txt want
  [ -z "$(ls -A u/tmp u/locked | grep zabrelo)" ] || fail "temporary file left behind" ;;
progress)  # progress only on a terminal that is not also getting the sorted lines, never with TERM=dumb
  [ -n "$WINDOWS" ] && { echo "skipped: no terminals for a Windows program"; return 0; }
  command -v script >/dev/null || { echo "skipped: no script command"; return 0; }
  printf 'ب\nا\n' >in; printf 'ا\nب\n' >want
  export ZABRELO_PROGRESS_DELAY=0
  TERM=xterm script -qec "'$TOOL' sort in" /dev/null </dev/null >tty || fail "sort on a terminal"
  grep -q 'ب' tty || fail "the terminal got no lines: $(cat tty)"
  grep -q $'\e' tty && fail "progress among the sorted lines: $(od -c tty)"
  TERM=xterm script -qec "'$TOOL' sort in >sorted" /dev/null </dev/null >tty || fail "sort to a file"
  grep -q 'zabrelo: reading' tty || fail "no progress: $(od -c tty)"
  same sorted want
  TERM=dumb script -qec "'$TOOL' sort in >sorted" /dev/null </dev/null >tty || fail "sort with TERM=dumb"
  [ -s tty ] && fail "wrote to a dumb terminal: $(od -c tty)"
  same sorted want
  # Past -S, each run and each merge says which it is.
  bash "$SRC/bench/phrases.sh" 3000 >big
  TERM=xterm script -qec "'$TOOL' sort -S 16K --batch-size=2 -T . big >sorted" /dev/null </dev/null >tty || fail "sort past -S"
  for stage in 'run 2: keys' 'merging runs into one of level 2' 'merging 0%'; do
    grep -q "zabrelo: $stage" tty || fail "no '$stage' in $(tr '\r' '\n' <tty)"
  done ;;
output-to-pipe)  # a named pipe is written to, never replaced by a file
  [ -n "$WINDOWS" ] && { echo "skipped: no FIFOs for a Windows program"; return 0; }
  mkfifo p; cat p >got & reader=$!
  status 0 zabrelo sort -o p "$ORDERED"; wait $reader
  [ -p p ] || fail "the pipe was replaced"
  same got "$ORDERED" ;;
output-to-device)  # a device is written to, never replaced (nor renamed over)
  if [ -n "$WINDOWS" ]; then device=NUL; else device=/dev/null; fi
  status 0 zabrelo sort -o $device "$ORDERED"
  [ -s out ] && fail "wrote to standard output"
  [ -z "$WINDOWS" ] && { [ -c /dev/null ] || fail "/dev/null replaced"; }
  ls -a | grep -q zabrelo- && fail "temporary file left behind"; true ;;
unicode-names)  # Urdu file names and arguments reach the files and the library whole
  printf 'ب\r\nا\r\n' >'فہرست.txt'
  status 0 zabrelo sort -o 'فہرست.txt' 'فہرست.txt'
  printf 'ا\r\nب\r\n' >want; same 'فہرست.txt' want
  printf 'FA=t\r\n[0627][61,5,1]\r\n[0628][62,5,1]\r\n' >'جدول.txt'
  status 0 zabrelo key --table 'جدول.txt' 'با'; printf '6261 0505 0101\n' >want; same out want
  status 0 zabrelo check 'جدول.txt'; grep -q '^جدول.txt: 2 code points' out || fail "$(cat out)"
  status 2 zabrelo sort 'نہیں.txt'; grep -qx 'zabrelo: نہیں.txt: .*' err || fail "$(cat err)" ;;
table-errors)  # the file and the system's reason; the library's own report only on request
  status 2 zabrelo sort --table missing.txt "$ORDERED"
  printf 'zabrelo: missing.txt: No such file or directory\n' >want; same err want
  status 2 zabrelo key --verbose --table missing.txt x
  grep -q '^the library reports: Error Code (0x10) in .*: Could not open file: missing.txt\.$' err || fail "$(cat err)"
  mkdir dir
  status 2 zabrelo compare --table dir a b; grep -qx 'zabrelo: dir: Is a directory' err || fail "$(cat err)"
  status 2 zabrelo sort --table '' "$ORDERED"; grep -q 'table name is empty' err || fail "$(cat err)"
  printf 'FA=t\r\n[0627]]\r\n' >bad.txt
  status 2 zabrelo sort --table bad.txt "$ORDERED"
  grep -q "bad.txt: not a usable weight table" err || fail "$(cat err)"
  # Refused at once: a FIFO's open would wait for a writer, /dev/zero never ends.
  if [ ${#EMULATOR[@]} = 0 ] && mkfifo fifo 2>/dev/null; then
    for table in fifo /dev/zero; do
      status 2 zabrelo sort --table "$table" "$ORDERED"
      grep -qx "zabrelo: $table: not a regular file (a FIFO, a device or a socket)" err || fail "$(cat err)"
      status 2 zabrelo check "$table"
      grep -qx "zabrelo: $table: not a regular file (a FIFO, a device or a socket)" err || fail "$(cat err)"
    done
    status 2 zabrelo check - </dev/zero
    grep -qx "zabrelo: standard input: more than 64 MiB, more than any weight table holds" err || fail "$(cat err)"
  fi ;;
not-a-table)  # a word list loads without error but weighs nothing: refused, never sorted by
  printf 'apple\nbanana\ncherry\n' >words.txt
  for command in "sort words.txt" "key ب" "compare ا ب"; do
    status 2 zabrelo $command --table words.txt
    grep -qx "zabrelo: words.txt: not a usable weight table: it gives no letter a weight; .*" err || fail "$command: $(cat err)"
    [ -s out ] && fail "$command wrote output"
  done
  status 2 zabrelo check words.txt
  grep -qx 'words.txt:1: not a header: "app" is no slot count in hex .*' out || fail "$(cat out)"
  grep -qx 'words.txt: the table gives no letter a weight, so sort, key and compare refuse it' out || fail "$(cat out)" ;;
default-table)  # found beside the built tool whatever the current directory, never in it
  printf 'ب\nا\n' >in
  printf 'FA=t\r\n[0627][2,1,1]\r\n[0628][1,1,1]\r\n' >UrduCOdepage.txt  # ب before ا
  status 0 zabrelo sort in; printf 'ا\nب\n' >want; same out want
  ZABRELO_TABLE=UrduCOdepage.txt zabrelo sort in >out || fail "ZABRELO_TABLE"; printf 'ب\nا\n' >want; same out want
  ZABRELO_TABLE=UrduCOdepage.txt zabrelo sort --table "$SRC/data/UrduCOdepage.txt" in >out || fail "--table"
  printf 'ا\nب\n' >want; same out want ;;
installed)  # an installed copy, moved elsewhere, still finds its table (and on Windows its runtime DLLs)
  cmake --install "${ZABRELO_BUILD_DIR:-$(dirname "$TOOL")}" --prefix "$WORK/a" >/dev/null || fail "install"
  mv "$WORK/a" "$WORK/b"
  printf 'ب\nا\n' >in
  status 0 "${EMULATOR[@]}" "$WORK/b/bin/zabrelo$EXE" sort in; printf 'ا\nب\n' >want; same out want
  # Without its table it says where it looked, and takes no stray copy from here.
  rm "$WORK/b/share/zabrelo/UrduCOdepage.txt"; rm -f "$WORK/b/bin/UrduCOdepage.txt"
  cp "$SRC/data/UrduCOdepage.txt" .
  status 2 "${EMULATOR[@]}" "$WORK/b/bin/zabrelo$EXE" sort in
  grep -q '^zabrelo: no default weight table: neither .*share.zabrelo.UrduCOdepage.txt nor .*; name one with --table or ZABRELO_TABLE$' err ||
    fail "$(cat err)" ;;
usage)
  status 2 zabrelo
  status 2 zabrelo frobnicate
  status 2 zabrelo sort --bogus
  status 2 zabrelo sort -l 4 "$ORDERED"
  status 2 zabrelo sort -l
  status 2 zabrelo compare onlyone
  status 2 zabrelo sort --ver "$ORDERED"; grep -q "'--ver' is ambiguous; possibilities: '--version-sort' '--verbose' '--version'" err || fail "$(cat err)"
  status 0 zabrelo sort --rev --qu "$ORDERED"; tac "$ORDERED" >want; same out want
  # -t is sort's field separator: the table is --table alone, in every command.
  for c in "key -t t.txt ab" "compare -t t.txt a b"; do
    status 2 zabrelo $c; grep -q "invalid option -- 't'" err || fail "$c: $(cat err)"
  done
  for c in "" sort key compare check; do
    status 0 zabrelo $c --version; grep -q '^zabrelo [0-9]' out || fail "$c --version"
  done
  for c in sort key compare check; do
    for h in --help -h --hel; do
      [ "$c$h" = sort-h ] && continue  # sort's -h is --human-numeric-sort, as in sort
      status 0 zabrelo $c $h; grep -q "^Usage: zabrelo $c" out || fail "$c $h"
    done
  done ;;
output-name)  # an empty name is an error, "-" is a file, and one output is all there is
  printf 'ب\nا\n' >in
  for empty in "-o" "--output=" "-o in -o"; do
    status 2 zabrelo sort in $empty ''; grep -q 'sort: the output file name is empty' err || fail "$empty: $(cat err)"
  done
  status 2 zabrelo sort in -o x -o y; grep -q 'sort: multiple output files specified' err || fail "$(cat err)"
  [ -e x ] || [ -e y ] && fail "wrote a file"
  status 0 zabrelo sort in -o x -ox --output=x; printf 'ا\nب\n' >want; same x want
  status 0 zabrelo sort in -o -; same ./- want; [ -s out ] && fail "wrote to standard output"; true ;;
directory-input)  # a directory is an input that cannot be read, named as such
  mkdir d
  status 2 zabrelo sort d; printf 'zabrelo: d: Is a directory\n' >want; same err want
  status 2 zabrelo sort "$ORDERED" d -o f; [ -e f ] && fail "wrote output"
  if [ -z "$WINDOWS" ]; then
    printf 'zabrelo: standard input: Is a directory\n' >want
    status 2 zabrelo sort <d; same err want
    status 2 zabrelo key <d; same err want
    status 2 zabrelo check - <d; same err want
  fi ;;
signature)  # a UTF-8 signature is no part of the first line: it leads the output, once
  printf '\xef\xbb\xbfب\r\nا\r\n' >a; printf 'پ\n' >b; printf '\xef\xbb\xbfآ\n' >c
  status 0 zabrelo sort a; printf '\xef\xbb\xbfا\r\nب\r\n' >want; same out want
  status 0 zabrelo sort b c a; printf '\xef\xbb\xbfا\r\nآ\nب\r\nپ\n' >want; same out want
  status 0 zabrelo sort -o a a; printf '\xef\xbb\xbfا\r\nب\r\n' >want; same a want
  printf '\xef\xbb\xbfب\n' | zabrelo key >out; printf 'ب\n' | zabrelo key >want; same out want ;;
key-compare)
  printf 'FA=t\r\n[0627][61,5,1]\r\n[064E][0,7,0]\r\n' >t.txt
  status 0 zabrelo key --table t.txt 'اَ ا' ab; printf '614161 050705 0101\n  \n' >want; same out want
  printf 'اَ\n' | zabrelo key --table t.txt -l2 >out; printf '61 0507\n' >want; same out want
  status 0 zabrelo compare --table t.txt 'ا' 'اَ'; [ "$(cat out)" = -1 ] || fail "compare: $(cat out)"
  status 0 zabrelo compare --table t.txt -l 1 'اَ' 'ا'; [ "$(cat out)" = 0 ] || fail "tie rule: $(cat out)"
  status 0 zabrelo compare --table t.txt -l 1 'ا' 'اَ'; [ "$(cat out)" = -1 ] || fail "tie rule: $(cat out)" ;;
check-clean)
  status 0 zabrelo check "$SRC/data/UrduCOdepage.txt" ;;
check-warnings)  # one line per kind of problem, each named by its line
  printf 'FA=t\r\n[0627][61,5,5]\r\n[0628][62,5,5]\n[062A][63,5,5]\r\n[06fa][64,5,5]\r\n' >t.txt
  printf '[D800][65,5,5]\r\n[0627][66,5,5]\r\n[0628,06FF][67,5,5]\r\n[0627,0627][68,5,5]\r\n' >>t.txt
  printf '[0628,0627][69,5,5]\r\n[0628,0627][6A,5,5]\r\n[062B][1FF,5,5]\r\n' >>t.txt
  printf '[062C,0627][6B,5,5]\r\n[062C][6C,5,5]\r\n[200C][0,0,1]\r\n[200C][0,0,2]\r\n' >>t.txt
  status 1 zabrelo check t.txt
  cat >want <<'WANT'
t.txt:4: this line is skipped whole, because the line before ends right after "]" with a bare line feed: end lines with CR LF, or put a comment after the "]"
t.txt:5: lower-case hex digits in the code point field "[06fa" read as 0: write A to F
t.txt:6: the code point field "[D800" reads as U+D800, a surrogate, which is half of a character: line ignored
t.txt:7: repeats U+0627 of line 2: this line is ignored (the first line wins)
t.txt:8: the pair U+0628 U+06FF can never match: its second code point is outside U+0600..U+06F9
t.txt:9: the pair U+0627 U+0627 can never match: the walk meets U+0627's own entry (line 2) first
t.txt:11: the pair U+0628 U+0627 can never match: line 10 gives the same pair first
t.txt:12: weight 1FF at level 1 is above FF: only its low byte FF counts
t.txt:13: the pair U+062C U+0627 comes before any line of U+062C alone, so its weights become U+062C's own weights too
t.txt:14: U+062C already took its own weights from the pair on line 13: this line is ignored (put a code point's own line before its pairs)
t.txt:16: U+200C again: these weights replace those of line 15 (for U+200C the last line wins)
t.txt: 4 code points, 5 pairs, U+200C defined; 11 warnings
WANT
  same out want ;;
check-slots)
  printf '2=t\r\n[0627][1,1,1]\r\n[0628][2,1,1]\r\n[062A][3,1,1]\r\n[062B][4,1,1]\r\n' >t.txt
  status 1 zabrelo check t.txt
  grep -qx 't.txt:4: the header announces 2 slots; U+062A needs one more, and the table needs 4 in all: raise the header'"'"'s count' out ||
    fail "$(cat out)"
  [ "$(grep -c header out)" = 1 ] || fail "reported more than once" ;;
check-fails)
  printf 'FA=t\r\n[0627][1,1,1]\r\n\r\n[0628]]\r\n' >t.txt
  status 2 zabrelo check t.txt
  grep -qx 't.txt:4: no weight field after the code point field "\\r\\n\[0628": the load stops here and fails' out || fail "$(cat out)"
  : >empty.txt
  status 2 zabrelo check empty.txt; grep -q 'empty.txt:1: no header' out || fail "$(cat out)"
  status 2 zabrelo check missing.txt; grep -qx 'zabrelo: missing.txt: No such file or directory' err || fail "$(cat err)" ;;
check-lines)  # a line that takes in the next one is named, with the cause, on its own line
  # Line 3 has no weight field, so the load takes line 4 for one.
  printf 'FA=Urdu\r\n[0627][61,5,5]\r\n[0628]\r\n[062A][64,5,5]\r\n' >t.txt
  status 1 zabrelo check t.txt
  cat >want <<'WANT'
t.txt:3: no weight field on this line: the load reads on for one, "\r\n[062A", so line 4 is lost
t.txt: 2 code points, 0 pairs, U+200C not defined; 1 warning
WANT
  same out want
  status 1 zabrelo check - <t.txt; sed 's/^t.txt/standard input/' want >want2; same out want2
  # A stray text line, a lower-case header, a signature.
  printf 'fa=t\r\n[0627][61,5,5]\r\nfaded note\r\n[0628][62,5,5]\r\n[0020,0627][1,1,1]\r\n' >t.txt
  printf '\xef\xbb\xbfFA=t\r\n[0627][61,5,5]\r\n' >s.txt
  status 1 zabrelo check t.txt; zabrelo check s.txt >>out
  cat >want <<'WANT'
t.txt:1: lower-case hex digits in the header "fa" read as 0, so it announces 0 slots: write A to F
t.txt:3: no "]" on this line (stray text?): the load reads it into the code point field of line 4, "faded note\r\n[0628"
t.txt:4: the code point field "faded note\r\n[0628" reads as U+0000, no character of the table's: line ignored
t.txt:5: the pair "[0020,0627" starts with U+0020, the space, which keeps its fixed weight: line ignored
t.txt: 1 code point, 0 pairs, U+200C not defined; 4 warnings
s.txt:1: the file begins with a UTF-8 signature (EF BB BF), which the load reads as the header: it announces 0 slots and the rest of the line is skipped; save the table without a signature
s.txt: 1 code point, 0 pairs, U+200C not defined; 1 warning
WANT
  same out want ;;
check-order)  # weights that break the order of keys, each with two texts that then sort the wrong way
  while IFS='|' read -r lines want; do
    printf 'FA=t\r\n[0627][61,5,5]\r\n' >t.txt
    for line in $lines; do printf '%s\r\n' "$line" >>t.txt; done
    if [ -z "$want" ]; then status 0 zabrelo check t.txt; continue; fi
    status 1 zabrelo check t.txt
    grep -qFx "t.txt:$want" out || fail "$lines: $(cat out)"
  done <<'ROWS'
[0628][62,70,5]|3: U+0628 has the level-2 weight 70, not below the primary 61 of U+0627: "ب" then sorts after "بب"
[0628][30,5,5]|3: U+0628 has the primary 30, not above the space's 41: "ب ب" then sorts after "بب", so phrases no longer sort word by word
[200C][0,0,50]|3: U+200C has the level-3 weight 50, not below the space's primary 41: "<U+200C>" then sorts after "<U+200C> "
[0628][62,5,5] [0628,0627][63,45,5]|4: U+0628 U+0627 has the level-2 weight 45, not below the space's primary 41: "با" then sorts after "با "
[00A0][41,0,0] [0041][F4,0,0,42,5,5]|
ROWS
  ;;
*)
  fail "no case $CASE" ;;
esac
}

for CASE in "$@"; do
  WORK=$(mktemp -d) || exit 1
  (trap 'rm -rf "$WORK"' EXIT; cd "$WORK" && run_case) || exit 1
done
