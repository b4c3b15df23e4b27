// Table: which weight table a command uses and loading it into a library
// object. Without -t, the table installed with the tool
// (<prefix>/share/zabrelo/) or the one beside the tool in a build tree, both
// found from the executable's own location so a moved install still works.
#ifndef ZABRELO_TOOL_TABLE_H
#define ZABRELO_TOOL_TABLE_H

#include <string>

#include "zabrelo/ZabreloLib.h"

namespace zabrelo_tool {

/// `requested` when not empty, else the default table's path; the library's
/// own default name (in the current directory) when no default is found.
std::string TablePath(const std::string& requested);

/// Initializes `lib` from `path`. Throws ToolError with the exception's
/// one-line report when the file cannot be opened, or a plain message when
/// the load returns false.
void LoadTable(ZabreloLib& lib, const std::string& path);

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_TABLE_H
