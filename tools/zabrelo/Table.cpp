// Table: the default table's search order and the load's error messages.
#include "Table.h"

#include <cstdio>

#include "Platform.h"
#include "ToolError.h"

namespace zabrelo_tool {

namespace {

constexpr char kTableName[] = "UrduCOdepage.txt";

bool Readable(const std::string& path) {
    std::FILE* file = OpenFile(path, "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

}  // namespace

std::string TablePath(const std::string& requested) {
    if (!requested.empty()) return requested;
    const std::string dir = ExecutableDir();
    if (!dir.empty()) {
        for (const std::string& candidate :
             {dir + "/../share/zabrelo/" + kTableName, dir + "/" + kTableName}) {
            if (Readable(candidate)) return candidate;
        }
    }
    return kTableName;
}

void LoadTable(ZabreloLib& lib, const std::string& path) {
    bool loaded = false;
    try {
        loaded = lib.Initialize(LibraryPath(path).c_str());
    } catch (const VantorException& e) {
        throw ToolError(e.GetFormattedMessage());
    }
    if (!loaded) {
        throw ToolError(path + ": not a usable weight table (no header, or a line without a weight field); "
                        "'zabrelo check " + path + "' shows where");
    }
}

}  // namespace zabrelo_tool
