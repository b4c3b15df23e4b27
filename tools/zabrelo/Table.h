// Table: which weight table a command uses and loading it into a library
// object. In order: --table, else $ZABRELO_TABLE, else the table installed
// with the tool (<prefix>/share/zabrelo/), else the one beside the tool in a
// build tree; both defaults are found from the executable's own location, so
// a moved install still works, and never from the current directory, where a
// stray copy would silently change the order.
#ifndef ZABRELO_TOOL_TABLE_H
#define ZABRELO_TOOL_TABLE_H

#include <functional>
#include <string>

#include "Collation.h"
#include "Options.h"
#include "collation/UnweighedUnits.h"

namespace zabrelo_tool {

using zabrelo::UnweighedUnits;

/// The path of the table `options` (--table) choose. Throws ToolError for an
/// empty --table, or naming the paths tried when no default table exists.
std::string TablePath(const Options& options);

/// Returns `load(name)`, where `name` is the form of `path` the library
/// opens and `load` a load through the library, which throws when it cannot
/// open the file. Throws ToolError "<shown>: <reason>" for a file that cannot
/// be opened; with `verbose`, the library's own report follows.
bool LoadThrough(const std::string& path, const std::string& shown, bool verbose,
                 const std::function<bool(const char*)>& load);

/// The table a command orders by: the one --table (or the default) names,
/// loaded in the full order (the classic one with --classic), with natural
/// numbers when --natural asks for them, and what it does not weigh. Loading throws ToolError "<path>:
/// <reason>" when the file cannot be opened (with --verbose, the library's
/// own report follows), when the load fails, and when the table gives no
/// letter a weight (a word list, say), since no order can come of it.
struct CommandTable {
    explicit CommandTable(const Options& options);

    Collation collation;
    UnweighedUnits unweighed;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_TABLE_H
