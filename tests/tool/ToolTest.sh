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

zabrelo() { "${EMULATOR[@]}" "$TOOL" "$@"; }
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
unique)  # the first of equal lines is kept, wherever it stood
  printf 'ب\nاx\nا\nب\nا\n' >in
  status 0 zabrelo sort -u in; printf 'اx\nب\n' >want; same out want ;;
level1)  # at level 1, words that differ only in diacritics are equal
  printf 'مَلِک\nملک\nعِلم\nمُلک\nعلم\n' >in
  status 0 zabrelo sort -l 1 -u in; printf 'عِلم\nمَلِک\n' >want; same out want
  status 0 zabrelo sort --level=3 -u in; [ "$(wc -l <out)" = 5 ] || fail "level 3 merged lines" ;;
stable)  # ties (Latin letters weigh nothing) keep input order, also reversed
  printf 'bب\naب\nا\nبc\n' >in
  status 0 zabrelo sort in; printf 'ا\nbب\naب\nبc\n' >want; same out want
  status 0 zabrelo sort -r in; printf 'bب\naب\nبc\nا\n' >want; same out want ;;
many-lines)  # enough lines for several threads: ties still keep input order, in both directions
  awk 'BEGIN { split("ا ب پ", l, " "); for (i = 0; i < 90000; i++) print l[1 + i % 3] i }' >in
  for letter in ا ب پ; do grep "^$letter" in; done >want
  status 0 zabrelo sort -j 4 in; same out want
  for letter in پ ب ا; do grep "^$letter" in; done >want
  status 0 zabrelo sort -j 3 -r in; same out want
  status 0 zabrelo sort -j 2 -u in; printf 'ا0\nب1\nپ2\n' >want; same out want ;;
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
write-error)  # a full disk or a closed pipe is an error, not success
  if [ -z "$WINDOWS" ] && [ -w /dev/full ]; then
    status 2 zabrelo sort "$ORDERED" -o /dev/full; grep -q 'write error' err || fail "$(cat err)"
    zabrelo sort "$ORDERED" >/dev/full 2>err && fail "disk full reported as success"
    grep -q 'write error' err || fail "no write error message"
  fi
  # Far more than a pipe holds, so the writes go on after head has gone.
  for i in $(seq 100); do cat "$ORDERED"; done >big
  zabrelo sort big 2>err | head -1 >/dev/null
  [ "${PIPESTATUS[0]}" = 2 ] || fail "closed pipe: exit ${PIPESTATUS[0]}"
  grep -q 'write error' err || fail "closed pipe not reported" ;;
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
  status 0 zabrelo key -t 'جدول.txt' 'با'; printf '6261 0505 0101\n' >want; same out want
  status 0 zabrelo check 'جدول.txt'; grep -q '^جدول.txt: 2 code points' out || fail "$(cat out)"
  status 2 zabrelo sort 'نہیں.txt'; grep -qx 'zabrelo: نہیں.txt: .*' err || fail "$(cat err)" ;;
table-errors)
  status 2 zabrelo sort -t missing.txt "$ORDERED"
  grep -q '^zabrelo: Error Code (0x10) in .*: Could not open file: missing.txt\.$' err || fail "$(cat err)"
  printf 'FA=t\r\n[0627]]\r\n' >bad.txt
  status 2 zabrelo sort -t bad.txt "$ORDERED"
  grep -q "bad.txt: not a usable weight table" err || fail "$(cat err)" ;;
default-table)  # found beside the built tool whatever the current directory
  printf 'ب\nا\n' >in
  status 0 zabrelo sort in; printf 'ا\nب\n' >want; same out want ;;
installed)  # an installed copy, moved elsewhere, still finds its library and table
  cmake --install "${ZABRELO_BUILD_DIR:-$(dirname "$TOOL")}" --prefix "$WORK/a" >/dev/null || fail "install"
  mv "$WORK/a" "$WORK/b"
  printf 'ب\nا\n' >in
  status 0 "${EMULATOR[@]}" "$WORK/b/bin/zabrelo$EXE" sort in; printf 'ا\nب\n' >want; same out want ;;
usage)
  status 2 zabrelo
  status 2 zabrelo frobnicate
  status 2 zabrelo sort --bogus
  status 2 zabrelo sort -l 4 "$ORDERED"
  status 2 zabrelo sort -l
  status 2 zabrelo compare onlyone
  status 0 zabrelo --version; grep -q '^zabrelo [0-9]' out || fail "version"
  for c in sort key compare check; do
    status 0 zabrelo $c --help; grep -q "^Usage: zabrelo $c" out || fail "$c --help"
  done ;;
key-compare)
  printf 'FA=t\r\n[0627][61,5,1]\r\n[064E][0,7,0]\r\n' >t.txt
  status 0 zabrelo key -t t.txt 'اَ ا' ab; printf '614161 050705 0101\n  \n' >want; same out want
  printf 'اَ\n' | zabrelo key -t t.txt -l2 >out; printf '61 0507\n' >want; same out want
  status 0 zabrelo compare -t t.txt 'ا' 'اَ'; [ "$(cat out)" = -1 ] || fail "compare: $(cat out)"
  status 0 zabrelo compare -t t.txt -l 1 'اَ' 'ا'; [ "$(cat out)" = 0 ] || fail "tie rule: $(cat out)"
  status 0 zabrelo compare -t t.txt -l 1 'ا' 'اَ'; [ "$(cat out)" = -1 ] || fail "tie rule: $(cat out)" ;;
check-clean)
  status 0 zabrelo check "$SRC/data/UrduCOdepage.txt" ;;
check-warnings)  # one line per kind of problem, each named by its line
  printf 'FA=t\r\n[0627][61,5,5]\r\n[0628][62,5,5]\n[062A][63,5,5]\r\n[06fa][64,5,5]\r\n' >t.txt
  printf '[0700][65,5,5]\r\n[0627][66,5,5]\r\n[0628,06FF][67,5,5]\r\n[0627,0627][68,5,5]\r\n' >>t.txt
  printf '[0628,0627][69,5,5]\r\n[0628,0627][6A,5,5]\r\n[062B][1FF,5,5]\r\n' >>t.txt
  printf '[062C,0627][6B,5,5]\r\n[062C][6C,5,5]\r\n[200C][0,0,1]\r\n[200C][0,0,2]\r\n' >>t.txt
  status 1 zabrelo check t.txt
  cat >want <<'WANT'
t.txt:4: this line is skipped whole, because the line before ends right after "]" with a bare line feed: end lines with CR LF, or put a comment after the "]"
t.txt:5: lower-case hex digits in the code point field "[06fa" read as 0: write A to F
t.txt:6: the code point field "[0700" reads as U+0700, outside U+0600..U+06F9 and not U+200C: line ignored
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
  status 2 zabrelo check missing.txt; grep -q 'Could not open file: missing.txt.' err || fail "$(cat err)" ;;
*)
  fail "no case $CASE" ;;
esac
}

for CASE in "$@"; do
  WORK=$(mktemp -d) || exit 1
  (trap 'rm -rf "$WORK"' EXIT; cd "$WORK" && run_case) || exit 1
done
