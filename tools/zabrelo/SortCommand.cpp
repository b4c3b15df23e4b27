// SortCommand: `zabrelo sort`. Reads the options and the table, then sorts
// (SortInputs.cpp: in memory, or in runs on disk past -S), merges (-m) or
// checks (-c, -C) in the order LineOrder defines, with keys LineKeys makes.
#include <cstdio>
#include <memory>

#include "Commands.h"
#include "CompressFilter.h"
#include "DebugMarks.h"
#include "LineKeys.h"
#include "LineOrder.h"
#include "Options.h"
#include "Progress.h"
#include "SortJob.h"
#include "SortSettings.h"
#include "Table.h"

namespace zabrelo_tool {

namespace {

constexpr char kHelp[] =
    "Usage: zabrelo sort [OPTION]... [FILE]...\n"
    "Write the lines of the FILEs (standard input when none, or for -) in Urdu\n"
    "dictionary order. Input and output are UTF-8, and every line keeps its own\n"
    "line end (LF or CR LF). A UTF-8 signature (BOM) that begins an input is\n"
    "not part of its first line: the output begins with one when any input did.\n"
    "\n"
    "Keys weigh what the table weighs: with the installed table Urdu letters and\n"
    "diacritics, digits, punctuation and Latin letters, as an Urdu reader orders\n"
    "them (punctuation, digits, Urdu, then English). A character the table\n"
    "gives no weight (an emoji; with --classic all but the Arabic block) is\n"
    "unweighed: it adds nothing to a key. Lines with equal keys are ordered by\n"
    "their unweighed characters (as UTF-16 code units), then by where those\n"
    "stand among the weighed ones, then byte by byte and by line end, so the\n"
    "output does not depend on the input order.\n"
    "\n"
    "Order:\n"
    "  -l, --level N         compare N levels: 1 letters, 2 and diacritics,\n"
    "                        3 and letter variants (default 3)\n"
    "      --table=FILE      the weight table (default: $ZABRELO_TABLE, else the\n"
    "                        one installed with zabrelo)\n"
    "      --natural         order runs of digits (0-9, ۰-۹, ٠-٩, mixed too) by\n"
    "                        their value: \"باب 2\" before \"باب 10\"\n"
    "      --classic         the classic order: only the Arabic block weighs, as\n"
    "                        the C++ class ZabreloLib loads a table\n"
    "  -r, --reverse         reverse the order, the byte comparison included\n"
    "  -s, --stable          order lines with equal keys by input order alone\n"
    "  -u, --unique          of lines whose keys are equal and whose unweighed\n"
    "                        characters are the same, in the same places, keep\n"
    "                        only the first written: at -l 1, words that differ\n"
    "                        only in diacritics; never \"abc\" and \"xyz\",\n"
    "                        \"کتاب\" and \"کتاب2\", or \"کتاب2\" and \"2کتاب\"\n"
    "\n"
    "Ordering options, as sort's (for the whole line, or as letters of a -k key):\n"
    "  -n, --numeric-sort    by the number the key begins with (after blanks);\n"
    "                        digits 0-9, ۰-۹ or ٠-٩, '.' or '٫' before a fraction,\n"
    "                        '٬' between thousands, '-' or '−' for minus\n"
    "  -g, --general-numeric-sort  by the floating-point number (1e3, inf, nan)\n"
    "  -h, --human-numeric-sort  by numbers with an SI suffix: 2K before 1M\n"
    "  -M, --month-sort      by month: JAN ... DEC (any case), جنوری ... دسمبر;\n"
    "                        other keys first\n"
    "  -V, --version-sort    by version numbers within the text: a2 before a10\n"
    "  -R, --random-sort     shuffle, keeping equal keys together\n"
    "      --random-source=FILE  take -R's random bytes from FILE\n"
    "      --sort=WORD       general-numeric, human-numeric, month, numeric,\n"
    "                        random or version: -g, -h, -M, -n, -R or -V\n"
    "  -f, --ignore-case     fold Latin lower case to upper case\n"
    "  -d, --dictionary-order  only blanks, letters (Urdu letters and marks too)\n"
    "                        and digits count\n"
    "  -i, --ignore-nonprinting  control characters do not count\n"
    "At most one of -n, -g, -h, -M and of those none with -R, -V, -d or -i.\n"
    "Text keys go in Urdu order; numbers, months and versions by value. Lines\n"
    "equal on every key go by their whole lines, unless -s or -u.\n"
    "\n"
    "Fields:\n"
    "  -k, --key=POS1[,POS2] order by the text from POS1 to POS2 (to the line's\n"
    "                        end without POS2). POS is F[.C][OPTS]: field F and\n"
    "                        its character C, both from 1 (C 0 in POS2: the\n"
    "                        field's last); OPTS: b (blanks before the field do\n"
    "                        not count), r (this key descending). Several -k\n"
    "                        count in order; lines whose keys are all equal go\n"
    "                        by their whole lines. With -k, -u compares the keys\n"
    "  -t, --field-separator=SEP  fields end at the character SEP (\\0: NUL)\n"
    "                        rather than where blanks begin\n"
    "  -b, --ignore-leading-blanks  b for each key without options of its own\n"
    "      --csv             records and fields as in CSV (RFC 4180): a field in\n"
    "                        double quotes may hold the separator (',' or -t's),\n"
    "                        doubled quotes and line breaks, so a record may span\n"
    "                        lines; keys see the fields without their quotes\n"
    "      --header          the first line of each input is its header: it is\n"
    "                        written first, once (every input must have the\n"
    "                        same), and never sorted\n"
    "A character is a Unicode character (code point): a diacritic is one of its\n"
    "own. Positions past a field's end stop at its end. Blanks are spaces and\n"
    "tabs; without -t, each field begins with the blanks before it.\n"
    "\n"
    "Checking and merging:\n"
    "  -c, --check           check that the input is sorted: at the first line\n"
    "                        out of order, print FILE:LINE: disorder: LINE and\n"
    "                        exit with status 1; with -u, a repeated line is out\n"
    "                        of order too\n"
    "  -C, --check=quiet     the same, without printing\n"
    "  -m, --merge           merge FILEs that are sorted already, without sorting\n"
    "                        them again; of lines that sort the same, the earlier\n"
    "                        file's come first\n"
    "\n"
    "Memory and output:\n"
    "  -S, --buffer-size=SIZE  take at most SIZE of memory for the input's lines\n"
    "                        and their keys at once; a larger input is sorted in\n"
    "                        runs kept on disk and merged. SIZE ends in K, M, G\n"
    "                        or T (powers of 1024; K when none), b for bytes, or\n"
    "                        % of the physical memory. Default: half the memory\n"
    "                        free, at least an eighth of all of it\n"
    "  -T, --temporary-directory=DIR  keep runs in DIR, not in $TMPDIR or /tmp;\n"
    "                        several -T take turns\n"
    "      --batch-size=N    merge at most N runs or FILEs at once (default 64)\n"
    "      --compress-program=PROG  write runs on disk through PROG, and read\n"
    "                        them back through PROG -d\n"
    "  -o, --output FILE     write to FILE as if writing it yourself: a file you may\n"
    "                        not write is refused, and FILE keeps its owner, mode\n"
    "                        and links; it may be one of the inputs, and is changed\n"
    "                        only once the whole result is written\n"
    "  -j, --jobs N          build keys and sort on N threads (default: one per\n"
    "                        core)\n"
    "  -z, --zero-terminated lines end in NUL, not line feed\n"
    "      --files0-from=F   sort the files named in F, each name ended by NUL\n"
    "                        (- : read the names from standard input)\n"
    "      --debug           under each line, mark the text each key compares,\n"
    "                        and warn about keys on standard error\n"
    "      --invalid=replace  order each byte of invalid UTF-8 as U+FFFD and write\n"
    "                        the line back as it was, rather than stop (the\n"
    "                        default, --invalid=error)\n"
    "      --quiet           no progress line on a long run\n"
    "      --verbose         follow a table error with the library's own report\n"
    "      --help            show this help\n"
    "      --version         show the version\n"
    "\n"
    "Example: printf 'zebra\\nکتاب 10\\nApple\\nکتاب ۲\\n2024\\n!\\n' | zabrelo sort --natural\n"
    "prints !, 2024, کتاب ۲, کتاب 10, Apple, zebra: punctuation, digits, Urdu, then\n"
    "English, each in its own order, and numbers by their value.\n"
    "\n"
    "Runs on disk have no name another program could open, and go when the sort\n"
    "ends, however it ends. A long run shows its progress on standard error\n"
    "after two seconds ($ZABRELO_PROGRESS_DELAY), when that is a terminal and the\n"
    "sorted lines do not go to one, and never with TERM=dumb.\n"
    "\n"
    "Exit status: 0 on success (with -c, -C: the input is sorted), 1 when -c or -C\n"
    "finds a line out of order, 2 on an error (invalid UTF-8 names its file and\n"
    "line; nothing is written then, and -o's FILE is left as it was). When the\n"
    "reader of the output goes away (zabrelo sort | head), the sort ends quietly,\n"
    "as sort does.\n";

int RunSort(const Options& options) {
    const SortSettings settings = ReadSortSettings(options);
    SetCompressProgram(settings.compressProgram);
    const CommandTable table(options);
    const UnweighedUnits& unweighed = table.unweighed;
    const LineKeys keys(unweighed, settings.level, settings.reverse, settings.stable, settings.keys,
                        settings.fieldMode, settings.format.separator, RandomKeys(settings.randomSecret),
                        settings.replaceInvalid);
    const LineOrder order(unweighed, settings.level, settings.reverse, settings.stable, keys.Fields());
    Progress progress(!settings.quiet, settings.outputPath.empty() && settings.check == CheckMode::kNone);
    std::unique_ptr<DebugMarks> debug;
    if (settings.debug) {
        std::fflush(stdout);
        for (const std::string& warning : DebugWarnings(settings, settings.global, settings.keysGiven)) {
            std::fprintf(stderr, "zabrelo: sort: %s\n", warning.c_str());
        }
        debug = std::make_unique<DebugMarks>(settings);
    }
    const SortJob job{settings, table.collation, keys, order, progress, debug.get()};
    if (settings.check != CheckMode::kNone) return CheckInput(job);
    if (settings.merge) return MergeInputs(job);
    return SortInputs(job);
}

}  // namespace

const Command kSortCommand{"sort", kHelp, SortOptionRules(), RunSort, ReadPlusKey};

}  // namespace zabrelo_tool
