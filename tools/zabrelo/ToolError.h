// ToolError: a failure the zabrelo command reports as one line on standard
// error ("zabrelo: <message>") before exiting with its code. Only the tool
// throws it; main catches it.
#ifndef ZABRELO_TOOL_TOOLERROR_H
#define ZABRELO_TOOL_TOOLERROR_H

#include <stdexcept>
#include <string>

namespace zabrelo_tool {

constexpr int kExitOk = 0;
constexpr int kExitWarnings = 1;  // check: the table loads, but not as its author likely meant
constexpr int kExitTrouble = 2;   // bad usage, bad input, unreadable table, failed write

class ToolError : public std::runtime_error {
public:
    explicit ToolError(const std::string& message, int exitCode = kExitTrouble)
        : std::runtime_error(message), exitCode_(exitCode) {}
    int ExitCode() const { return exitCode_; }

private:
    int exitCode_;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_TOOLERROR_H
