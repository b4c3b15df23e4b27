// DefaultTable: the search order over the module's own folder.
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

namespace {

constexpr char kDataFromLibrary[] = ZABRELO_DATA_FROM_LIBRARY;
constexpr char kEnvironment[] = "ZABRELO_TABLE";

}  // namespace

DefaultTable FindDefaultTable() {
    const char* named = std::getenv(kEnvironment);
    if (named != nullptr && named[0] != '\0') return {named, ""};
    const std::string unset = std::string("no default table: ") + kEnvironment + " is not set and ";
    const std::string dir = ModuleDirectory();
    if (dir.empty()) return {"", unset + "the library cannot tell where it is installed"};
    std::string installed = dir + '/' + kDataFromLibrary + '/' + kDefaultTableName;
    std::replace(installed.begin() + static_cast<std::ptrdiff_t>(dir.size()), installed.end(), '/', kPathSeparator);
    const std::string beside = dir + kPathSeparator + kDefaultTableName;
    for (const std::string& candidate : {installed, beside}) {
        if (KindOf(candidate.c_str()) != PathKind::kMissing) return {candidate, ""};
    }
    return {"", unset + "neither " + installed + " nor " + beside + " exists"};
}

}  // namespace zabrelo
