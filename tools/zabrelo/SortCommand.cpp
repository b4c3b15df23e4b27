// SortCommand: `zabrelo sort`. Reads every input before writing anything
// (so -o may name an input), keys each line once, sorts in the order
// LineOrder defines and writes the lines back byte for byte with their own
// line ends.
#include <cstdio>

#include "Commands.h"
#include "InputText.h"
#include "LineOrder.h"
#include "Options.h"
#include "Output.h"
#include "Platform.h"
#include "Progress.h"
#include "SortKeys.h"
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
    "Keys weigh Urdu letters, diacritics and spaces. A character the table gives\n"
    "no weight of its own (a Latin letter, digit, punctuation mark, emoji) is\n"
    "unweighed: it adds nothing to a key. Lines with equal keys are ordered by\n"
    "their unweighed characters (as UTF-16 code units), then byte by byte and by\n"
    "line end, so the output does not depend on the input order.\n"
    "\n"
    "  -l, --level N         compare N levels: 1 letters, 2 and diacritics,\n"
    "                        3 and letter variants (default 3)\n"
    "  -t, --table PATH      the weight table (default: $ZABRELO_TABLE, else the\n"
    "                        one installed with zabrelo)\n"
    "  -r, --reverse         reverse the order, the byte comparison included\n"
    "  -s, --stable          order lines with equal keys by input order alone\n"
    "  -u, --unique          of lines whose keys are equal and whose unweighed\n"
    "                        characters are the same, keep only the first written:\n"
    "                        at -l 1, words that differ only in diacritics; never\n"
    "                        \"abc\" and \"xyz\", or \"کتاب\" and \"کتاب2\"\n"
    "  -o, --output FILE     write to FILE as if writing it yourself: a file you may\n"
    "                        not write is refused, and FILE keeps its owner, mode\n"
    "                        and links; it may be one of the inputs, and is changed\n"
    "                        only once the whole result is written\n"
    "  -j, --jobs N          build keys on N threads (default: one per core)\n"
    "  -z, --zero-terminated lines end in NUL, not line feed\n"
    "      --quiet           no progress line on a long run\n"
    "      --verbose         follow a table error with the library's own report\n"
    "  -h, --help            show this help\n"
    "      --version         show the version\n"
    "\n"
    "A long run shows its progress on standard error after two seconds\n"
    "($ZABRELO_PROGRESS_DELAY), when that is a terminal and the sorted lines\n"
    "do not go to one, and never with TERM=dumb.\n"
    "\n"
    "Exit status: 0 on success, 2 on an error (invalid UTF-8 names its file and\n"
    "line; nothing is written then).\n";

constexpr char kSignature[] = "\xEF\xBB\xBF";

// The -o file: none (standard output), or one non-empty name, given any
// number of times.
std::string OutputPath(const Options& options) {
    const std::vector<std::string>& given = options.Values("output");
    for (const std::string& path : given) {
        if (path.empty()) options.Fail("the output file name is empty");
        if (path != given.front()) options.Fail("multiple output files specified");
    }
    return given.empty() ? std::string() : given.front();
}

}  // namespace

int RunSort(int argc, char** argv) {
    const Options options("sort",
                          {{'l', "level", true},
                           {'t', "table", true},
                           {'r', "reverse", false},
                           {'s', "stable", false},
                           {'u', "unique", false},
                           {'o', "output", true},
                           {'j', "jobs", true},
                           {'z', "zero-terminated", false},
                           {0, "quiet", false},
                           {0, "verbose", false}},
                          argc, argv, 2);
    if (options.Has("help")) return ShowText(kHelp);
    if (options.Has("version")) return ShowVersion();
    const int level = options.Number("level", 1, 3, 3);
    const int jobs = options.Number("jobs", 1, 1024, CoreCount());
    const std::string outputPath = OutputPath(options);

    ZabreloLib lib;
    const UnweighedUnits unweighed = LoadTable(lib, TablePath(options), options.Has("verbose"));

    Progress progress(!options.Has("quiet"), outputPath.empty());
    progress.Stage("reading");
    InputText input(options.Has("zero-terminated"));
    std::vector<std::string> files = options.Operands();
    if (files.empty()) files.push_back("-");
    for (const std::string& file : files) input.Read(file);

    SortKeys keys(lib, input, level, jobs, progress);
    std::vector<KeyedLine>& items = keys.Items();

    progress.Stage("sorting");
    const LineOrder order(input.Lines(), unweighed, options.Has("reverse"), options.Has("stable"));
    keys.Sort(options.Has("reverse"), jobs);

    Output output(outputPath);
    output.Open();
    progress.Stage("writing", items.size());
    if (input.HadSignature()) output.Write(kSignature, 3);
    const std::vector<Line>& lines = input.Lines();
    const bool unique = options.Has("unique");
    KeyedLine* const first = items.data();
    KeyedLine* const last = first + items.size();
    for (KeyedLine* run = first; run < last;) {
        const auto [end, kept] = order.NextRun(run, last, unique);
        for (const KeyedLine* item = run; item < kept; ++item) {
            const Line& line = lines[item->line];
            output.Write(line.text, line.size);
            output.Write(line.end, line.endSize);
        }
        const auto done = static_cast<std::size_t>(end - first);
        if (done >> 16 != static_cast<std::size_t>(run - first) >> 16) progress.Update(done);
        run = end;
    }
    output.Commit();
    return 0;
}

}  // namespace zabrelo_tool
