// CompareCommand: `zabrelo compare`. Prints what the library's Compare
// returns for two texts, tie rule included (-1 when the keys are equal and
// the first text is shorter), so scripts can check a pair without a program.
#include "Commands.h"
#include "Options.h"
#include "Output.h"
#include "Table.h"
#include "ToolError.h"
#include "text/Utf8.h"

namespace zabrelo_tool {

namespace {

constexpr char kHelp[] =
    "Usage: zabrelo compare [OPTION]... A B\n"
    "Print -1, 0 or 1 as the library's Compare orders text A against text B.\n"
    "Equal keys give -1 when A has fewer UTF-16 code units than B, else 0.\n"
    "\n"
    "  -l, --level N      compare N levels, 1 to 3 (default 3)\n"
    "      --natural      order runs of digits (0-9, ۰-۹, ٠-٩) by their value\n"
    "      --classic      the classic order: only the Arabic block weighs, as\n"
    "                     the C++ class ZabreloLib loads a table\n"
    "      --table=FILE   the weight table (default: $ZABRELO_TABLE, else the one\n"
    "                     installed with zabrelo)\n"
    "      --verbose      follow a table error with the library's own report\n"
    "  -h, --help         show this help\n"
    "      --version      show the version\n";

int RunCompare(const Options& options) {
    const int level = options.Number("level", 1, 3, 3);
    const std::vector<std::string>& texts = options.Operands();
    if (texts.size() != 2) options.Fail("needs exactly two texts, A and B");
    std::u16string a, b;
    if (!zabrelo::Utf8ToUtf16(texts[0].data(), texts[0].size(), a)) throw ToolError("argument A: invalid UTF-8");
    if (!zabrelo::Utf8ToUtf16(texts[1].data(), texts[1].size(), b)) throw ToolError("argument B: invalid UTF-8");

    const CommandTable table(options);
    Output output("");
    output.Open();
    output.Write(std::to_string(table.collation.Compare(a, b, level)) + "\n");
    output.Commit();
    return kExitOk;
}

}  // namespace

const Command kCompareCommand{
    "compare", kHelp,
    {{'l', "level", true}, {0, "table", true}, {0, "natural", false}, {0, "classic", false}, {0, "verbose", false}},
    RunCompare};

}  // namespace zabrelo_tool
