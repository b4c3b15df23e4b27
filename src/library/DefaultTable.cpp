// DefaultTable: the search order over a program's own folder.
#include "library/DefaultTable.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>

#include "library/SystemPaths.h"

// The way from the folder the library is installed in to the table's, as
// the build's install layout has it; builds without one (the database
// extensions) take the usual <prefix>/lib and <prefix>/share.
#ifndef ZABRELO_DATA_FROM_LIBRARY
#define ZABRELO_DATA_FROM_LIBRARY "../share/zabrelo"
#endif

namespace zabrelo {

DefaultTable FindDefaultTable(const DefaultTableSearch& search) {
    if (!search.named.empty()) return {search.named, ""};
    if (search.dir.empty()) return {"", "cannot find the default weight table"};
    std::string installed = search.dir + '/' + search.dataFromDir + '/' + kDefaultTableName;
    std::replace(installed.begin() + static_cast<std::ptrdiff_t>(search.dir.size()), installed.end(), '/',
                 search.separator);
    const std::string beside = search.dir + search.separator + kDefaultTableName;
    for (const std::string& candidate : {installed, beside}) {
        if (search.exists(candidate)) return {candidate, ""};
    }
    return {"", "no default weight table: neither " + installed + " nor " + beside + " exists"};
}

DefaultTable FindDefaultTable() {
    const char* named = std::getenv(kDefaultTableVariable);
    return FindDefaultTable({named != nullptr ? named : "", ModuleDirectory(), ZABRELO_DATA_FROM_LIBRARY,
                             kPathSeparator,
                             [](const std::string& path) { return KindOf(path.c_str()) != PathKind::kMissing; }});
}

}  // namespace zabrelo
