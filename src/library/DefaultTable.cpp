// DefaultTable: the search order over the module's own folder.
#include "library/DefaultTable.h"

#include <cstdlib>

#include "library/SystemPaths.h"

namespace zabrelo {

namespace {

constexpr char kTableName[] = "UrduCOdepage.txt";
constexpr char kEnvironment[] = "ZABRELO_TABLE";

}  // namespace

DefaultTable FindDefaultTable() {
    const char* named = std::getenv(kEnvironment);
    if (named != nullptr && named[0] != '\0') return {named, ""};
    const std::string unset = std::string("no default table: ") + kEnvironment + " is not set and ";
    const std::string dir = ModuleDirectory();
    if (dir.empty()) return {"", unset + "the library cannot tell where it is installed"};
    const std::string sep(1, kPathSeparator);
    // <prefix>/lib/libzabrelo.so and <prefix>/bin/zabrelo.dll alike: the
    // data folder is a sibling of the library's.
    const std::string installed = dir + sep + ".." + sep + "share" + sep + "zabrelo" + sep + kTableName;
    const std::string beside = dir + sep + kTableName;
    for (const std::string* candidate : {&installed, &beside}) {
        if (KindOf(candidate->c_str()) != PathKind::kMissing) return {*candidate, ""};
    }
    return {"", unset + "neither " + installed + " nor " + beside + " exists"};
}

}  // namespace zabrelo
