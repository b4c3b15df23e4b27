// KeyCommand: `zabrelo key`. Shows a person what the library makes of a
// text: the key in hex, one group per level, so a table author can see which
// level decides between two words.
#include "Commands.h"
#include "InputText.h"
#include "Options.h"
#include "Output.h"
#include "Table.h"
#include "ToolError.h"
#include "text/Hex.h"
#include "text/Utf8.h"

namespace zabrelo_tool {

namespace {

constexpr char kHelp[] =
    "Usage: zabrelo key [OPTION]... [TEXT]...\n"
    "Print the sort key of each TEXT (or of each line of standard input) in hex,\n"
    "one line per text, the level strings separated by a space. A level that\n"
    "holds no bytes prints as nothing, so a key always has LEVEL-1 spaces.\n"
    "\n"
    "  -l, --level N      levels to show, 1 to 3 (default 3)\n"
    "      --natural      key runs of digits (0-9, ۰-۹, ٠-٩) by their value\n"
    "      --classic      the classic order: only the Arabic block weighs, as\n"
    "                     the C++ class ZabreloLib loads a table\n"
    "      --table=FILE   the weight table (default: $ZABRELO_TABLE, else the one\n"
    "                     installed with zabrelo)\n"
    "      --verbose      follow a table error with the library's own report\n"
    "  -h, --help         show this help\n"
    "      --version      show the version\n";

// The level strings of `text`, joined by spaces. The library joins them
// without separators, so each level's bytes are the part that the key of one
// more level adds.
std::string ReadableKey(const Collation& collation, const std::u16string& text, int level) {
    std::string shown, previous;
    for (int l = 1; l <= level; ++l) {
        const std::string key = collation.Key(text, l);
        if (l > 1) shown += ' ';
        for (std::size_t k = previous.size(); k < key.size(); ++k) {
            zabrelo::AppendHex(shown, static_cast<unsigned char>(key[k]), 2);
        }
        previous = key;
    }
    return shown + '\n';
}

int RunKey(const Options& options) {
    const int level = options.Number("level", 1, 3, 3);
    const CommandTable table(options);
    const Collation& collation = table.collation;

    Output output("");
    output.Open();
    std::u16string text;
    if (!options.Operands().empty()) {
        int number = 0;
        for (const std::string& arg : options.Operands()) {
            ++number;
            if (!zabrelo::Utf8ToUtf16(arg.data(), arg.size(), text)) {
                throw ToolError("argument " + std::to_string(number) + ": invalid UTF-8");
            }
            output.Write(ReadableKey(collation, text, level));
        }
    } else {
        InputText input({"-"}, RecordFormat(), nullptr);
        while (input.Fill(1 << 20)) {
            for (std::size_t i = 0; i < input.Lines().size(); ++i) {
                const Line& line = input.Lines()[i];
                if (!zabrelo::Utf8ToUtf16(line.text, line.size, text)) throw ToolError(input.Where(i) + ": invalid UTF-8");
                output.Write(ReadableKey(collation, text, level));
            }
        }
    }
    output.Commit();
    return kExitOk;
}

}  // namespace

const Command kKeyCommand{"key", kHelp, {{'l', "level", true}, {0, "table", true}, {0, "natural", false}, {0, "classic", false}, {0, "verbose", false}},
                               RunKey};

}  // namespace zabrelo_tool
