// Table: the default table, as the library searches for it from the
// executable, and the load's error messages.
// The library reports a file it cannot open with its own source location;
// the user is told the file's name and the system's reason instead.
#include "Table.h"

#include <cerrno>
#include <cstdio>

#include "Platform.h"
#include "ToolError.h"
#include "library/DefaultTable.h"
#include "library/SystemPaths.h"
#include "library/TableInspection.h"

namespace zabrelo_tool {

namespace {

// Loads the table `options` name into `collation`; what it does not weigh.
UnweighedUnits Load(Collation& collation, const Options& options) {
    const std::string path = TablePath(options);
    const bool classic = options.Has("classic");
    const bool loaded = LoadThrough(path, path, options.Has("verbose"),
                                    [&](const char* name) { return collation.Load(name, classic); });
    const std::string check = "; 'zabrelo check " + path + "' shows ";
    if (!loaded) {
        throw ToolError(path + ": not a usable weight table (no header, or a line without a weight field)" + check +
                        "where");
    }
    if (!zabrelo::WeighsALetter(collation.Table())) {
        throw ToolError(path + ": not a usable weight table: it gives no letter a weight" + check + "why");
    }
    collation.SetNatural(options.Has("natural"));
    return UnweighedUnits(collation.Table());
}

}  // namespace

std::string TablePath(const Options& options) {
    if (options.Has("table")) {
        const std::string requested = options.Value("table");
        if (requested.empty()) options.Fail("the table name is empty");
        return requested;
    }
    // The library's search, from this executable, in the command's UTF-8 paths.
    const zabrelo::DefaultTable found = zabrelo::FindDefaultTable(
        {EnvironmentValue(zabrelo::kDefaultTableVariable), ExecutableDir(), "../share/zabrelo", '/',
         [](const std::string& candidate) {
             if (std::FILE* file = OpenForReading(candidate)) {
                 std::fclose(file);
                 return true;
             }
             return errno != ENOENT;
         }});
    if (found.path.empty()) throw ToolError(found.problem + "; name one with --table or ZABRELO_TABLE");
    return found.path;
}

bool LoadThrough(const std::string& path, const std::string& shown, bool verbose,
                 const std::function<bool(const char*)>& load) {
    // The system's reason comes from opening the file here; a directory,
    // which the library would open and then find empty, is refused here too.
    // Anything else that is no regular file the library refuses unopened,
    // and so does this: opening a FIFO would wait for a writer.
    std::string reason, report;
    if (IsDeviceOrPipe(path) && zabrelo::KindOf(LibraryPath(path).c_str()) != zabrelo::PathKind::kDirectory) {
        reason = "not a regular file (a FIFO, a device or a socket)";
    } else if (std::FILE* file = OpenForReading(path)) {
        std::fclose(file);
    } else {
        reason = LastSystemError();
    }
    bool loaded = false;
    if (reason.empty() || verbose) {
        try {
            loaded = load(LibraryPath(path).c_str());
        } catch (const VantorException& e) {
            report = e.GetFormattedMessage();
            if (reason.empty()) reason = "cannot be opened";
        }
    }
    if (!reason.empty()) {
        throw ToolError(shown + ": " + reason + (verbose && !report.empty() ? "\nthe library reports: " + report : ""));
    }
    return loaded;
}

CommandTable::CommandTable(const Options& options) : unweighed(Load(collation, options)) {}

}  // namespace zabrelo_tool
