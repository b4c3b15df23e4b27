// Commands: the zabrelo commands, and the one way each starts. A command is
// its name, its --help text, the options it takes and what it does with
// them. Start parses the options (every command also takes -h/--help and
// --version), answers --help and --version, and only then runs the command.
// Everything a command prints goes through Output, so every write is checked.
#ifndef ZABRELO_TOOL_COMMANDS_H
#define ZABRELO_TOOL_COMMANDS_H

#include <string>
#include <vector>

#include "Options.h"

namespace zabrelo_tool {

struct Command {
    const char* name;
    const char* help;
    std::vector<OptionRule> options;
    /// The exit status; throws ToolError for anything reported as an error.
    int (*run)(const Options& options);
    /// Reads operands that begin with '+' as options (sort's old +POS1 -POS2).
    PlusOperandReader plusOperands = nullptr;
};

extern const Command kSortCommand;     // SortCommand.cpp
extern const Command kKeyCommand;      // KeyCommand.cpp
extern const Command kCompareCommand;  // CompareCommand.cpp
extern const Command kCheckCommand;    // CheckCommand.cpp

/// Runs `command` on the whole command line (argv[1] is its name). Throws
/// ToolError for a usage error and for whatever the command throws.
int Start(const Command& command, int argc, char** argv);

/// Writes `text` to standard output; the exit status. Throws ToolError
/// when it cannot be written.
int ShowText(const std::string& text);
/// Writes "zabrelo VERSION" to standard output, as ShowText.
int ShowVersion();

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_COMMANDS_H
