// Commands: the entry point of each zabrelo command. Each takes the whole
// command line (argv[1] is the command's name), returns the exit status and
// throws ToolError for anything it reports as an error.
#ifndef ZABRELO_TOOL_COMMANDS_H
#define ZABRELO_TOOL_COMMANDS_H

namespace zabrelo_tool {

int RunSort(int argc, char** argv);     // SortCommand.cpp
int RunKey(int argc, char** argv);      // KeyCommand.cpp
int RunCompare(int argc, char** argv);  // CompareCommand.cpp
int RunCheck(int argc, char** argv);    // CheckCommand.cpp

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_COMMANDS_H
