// Platform: the few operating-system questions the tool asks, kept in one
// place: where its own executable lives, whether standard error is a
// terminal, how many cores there are, and the text of the last system error.
#ifndef ZABRELO_TOOL_PLATFORM_H
#define ZABRELO_TOOL_PLATFORM_H

#include <string>

namespace zabrelo_tool {

/// Directory of the running executable, or "" when it cannot be found.
std::string ExecutableDir();
bool StderrIsTerminal();
/// Number of hardware threads, at least 1.
int CoreCount();
/// strerror(errno), for messages.
std::string LastSystemError();
/// Makes a write to a closed pipe fail with an error the tool reports,
/// instead of killing it silently.
void IgnoreBrokenPipeSignal();

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_PLATFORM_H
