#!/usr/bin/env bash
# Cases of `zabrelo sort`'s ordering options and field rules written from
# sort's documented behaviour (and the Urdu readings of numbers and months),
# apart from the cases the code was built against, to check it from a
# second side. One line per case: what it shows, the options, the input and
# the output wanted (printf formats), and the exit status wanted. They run
# in the classic order, where ASCII weighs nothing and ties between ASCII
# lines go by their characters, as they were written for.
#   SortHeldOutTest.sh TOOL
set -uo pipefail
TOOL=$1
read -r -a EMULATOR <<<"${ZABRELO_TOOL_EMULATOR:-}"
failed=0
# check WHY STATUS OPTIONS INPUT WANT
out=$(mktemp) || exit 2
trap 'rm -f "$out"' EXIT
check() {
  local got status want
  printf -- "$4" | "${EMULATOR[@]}" "$TOOL" sort --classic $3 >"$out" 2>/dev/null
  status=${PIPESTATUS[1]}
  got=$(od -An -c "$out")
  want=$(printf -- "$5" | od -An -c)
  if [ "$got" != "$want" ] || [ "$status" != "$2" ]; then
    echo "FAIL: $1: sort $3 gave (exit $status):$got"; echo "  wanted (exit $2):$want"; failed=1
  fi
}
check "-n: a leading + is no sign, so every key is zero"  0 "-s -n"        '+1\n-0\n0\n'          '+1\n-0\n0\n'
check "-n: fractions"                                     0 "-n"           '1.5\n1.25\n.9\n'      '.9\n1.25\n1.5\n'
check "-n: negatives before zero"                         0 "-n"           '0\n-1\n-10\n'         '-10\n-1\n0\n'
check "-n -r"                                             0 "-n -r"        '2\n10\n1\n'           '10\n2\n1\n'
check "-n -u: the initial number alone counts"            0 "-n -u"        '7a\n7b\n'             '7a\n'
check "-h: 1023M before 1G"                               0 "-h"           '1G\n1023M\n'          '1023M\n1G\n'
check "-h: a negative with a suffix before one without"   0 "-h"           '-5\n-1K\n'            '-1K\n-5\n'
check "-h: k as K"                                        0 "-s -h"        '2K\n1k\n3\n'          '3\n1k\n2K\n'
check "-g: exponents and infinity"                        0 "-g"           '1e2\n50\n-inf\nx\n'   'x\n-inf\n50\n1e2\n'
check "-M: case and blanks"                               0 "-M"           '  Feb\njan\nxyz\n'    'xyz\njan\n  Feb\n'
check "-V: numbers within text"                           0 "-V"           'a10\na2\na1\n'        'a1\na2\na10\n'
check "-V: 8.1a before 8.2 before 8.10"                   0 "-V"           '8.10\n8.2\n8.1a\n'    '8.1a\n8.2\n8.10\n'
check "--sort=version"                                    0 "--sort=version" 'x-1.10\nx-1.9\n'    'x-1.9\nx-1.10\n'
check "-s: equal keys keep input order"                   0 "-s -k1,1n"    '1 b\n1 a\n'           '1 b\n1 a\n'
check "-b -k2: blanks before field 2 do not count"        0 "-s -b -k2,2"  'x  b\ny a\n'          'y a\nx  b\n'
check "-k1b,1: b on POS1 alone"                           0 "-k1b,1"       '  b\n a\n'            ' a\n  b\n'
check ".C past a field's end runs into the next"          0 "-r -k1.5,1.5" 'xy za\nxy zb\n'       'xy zb\nxy za\n'
check "a field count too large: an empty key"             0 "-s -k 99999999999999999999" 'b\na\n' 'b\na\n'
check "+1 -2 is -k 2,2"                                   0 "+1 -2 -n"     'a 3 1\nb 2 9\n'       'b 2 9\na 3 1\n'
check "+0.1 counts from 0"                                0 "-s +0.1 -0.2" 'ab\nba\n'             'ba\nab\n'
check "-z: a newline is a blank"                          0 "-z -k2,2n"    'a\n3\0b\n1\0'         'b\n1\0a\n3\0'
# Of lines equal on the keys, -u keeps the first in zabrelo's output order
# (sort: the first in input order), so the output never depends on the input order.
check "-f -u: Latin case folded"                          0 "-f -u"        'a\nA\n'               'A\n'
check "-d -u: punctuation does not count"                 0 "-d -u"        'a-b\nab\n'            'a-b\n'
check "-i -u: a tab is not printing"                      0 "-i -u"        'a\tb\nab\n'           'a\tb\n'
check "-c -n on sorted input"                             0 "-c -n"        '1\n2\n10\n'           ''
check "-C -n on unsorted input"                           1 "-C -n"        '10\n2\n'              ''
check "-m -n"                                             0 "-m -n -"      '1\n10\n'              '1\n10\n'
check "-nM cannot go together"                           2 "-nM"          'x\n'                  ''
check "-Rn cannot go together, in a key"                  2 "-k1,1Rn"      'x\n'                  ''
check "-fd may"                                           0 "-fd"          'x\n'                  'x\n'
check "Urdu digits"                                       0 "-n"           '۱۲\n3\n'              '3\n۱۲\n'
check "Arabic decimal separator"                          0 "-n"           '۱٫۵\n۱٫۲۵\n'          '۱٫۲۵\n۱٫۵\n'
check "Arabic thousands separator"                        0 "-n"           '۱٬۰۰۰\n۹۹۹\n'         '۹۹۹\n۱٬۰۰۰\n'
check "minus sign U+2212"                                 0 "-n"           '۱\n−۲\n'              '−۲\n۱\n'
check "Arabic-Indic digits with -h"                       0 "-h"           '١K\n٩٠٠\n'            '٩٠٠\n١K\n'
check "-g with Urdu digits"                               0 "-g"           '۱e۲\n۵۰\n'            '۵۰\n۱e۲\n'
check "Urdu months"                                       0 "-M"           'اپریل\nمئی\nجنوری\n'   'جنوری\nاپریل\nمئی\n'
check "amount, then name in Urdu order"                   0 "-t , -k2,2n -k1,1" 'ب,5\nا,5\nپ,1\n' 'پ,1\nا,5\nب,5\n'
check "-d keeps marks: kasra makes another word"          0 "-d -u"        'کِتاب\nکتاب\n'          'کتاب\nکِتاب\n'
exit $failed
