// Commands: the start every command shares, and the short texts it writes.
#include "Commands.h"

#include "Output.h"
#include "ToolError.h"

#ifndef ZABRELO_VERSION
#define ZABRELO_VERSION "unknown"
#endif

namespace zabrelo_tool {

int Start(const Command& command, int argc, char** argv) {
    const Options options(command.name, command.options, argc, argv, 2, command.plusOperands);
    if (options.Has("help")) return ShowText(command.help);
    if (options.Has("version")) return ShowVersion();
    return command.run(options);
}

int ShowText(const std::string& text) {
    Output output("");
    output.Open();
    output.Write(text);
    output.Commit();
    return kExitOk;
}

int ShowVersion() { return ShowText("zabrelo " ZABRELO_VERSION "\n"); }

}  // namespace zabrelo_tool
