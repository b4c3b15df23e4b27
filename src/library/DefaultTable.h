// DefaultTable: which weight table a program opens when it is given no
// path. In order: the file $ZABRELO_TABLE names, the table installed with
// the program (<prefix>/share/zabrelo/, reached from <prefix>/lib/ or, for
// a DLL or the command, <prefix>/bin/), the copy beside the program in a
// build tree. Both defaults are found from the program's own file, so a
// moved install still finds its table, and never from the current
// directory, where a stray copy would silently change the order. The C
// interface searches from the library's file, the zabrelo command from its
// executable: one search, so the two cannot disagree. Tested by
// tests/library/CInterfaceTest.cpp, tests/c/, the tool's tests and the
// install round trip.
#ifndef ZABRELO_DEFAULTTABLE_H
#define ZABRELO_DEFAULTTABLE_H

#include <functional>
#include <string>

#include "zabrelo/zabrelo.h"

namespace zabrelo {

/// The default table's file name, for ZabreloLib::Initialize(), the C
/// interface and the zabrelo command alike.
constexpr char kDefaultTableName[] = ZABRELO_DEFAULT_TABLE_NAME;

/// The environment variable that names a default table.
constexpr char kDefaultTableVariable[] = "ZABRELO_TABLE";

struct DefaultTable {
    std::string path;     // the table to open, or "" when there is none
    std::string problem;  // why there is none, naming what was tried
};

/// Where one program looks, in its own terms (the command's paths are
/// UTF-8 on Windows, the library's in the ANSI code page).
struct DefaultTableSearch {
    std::string named;        // $ZABRELO_TABLE, "" when unset or empty
    std::string dir;          // the folder of the program's file, "" when it cannot tell
    std::string dataFromDir;  // the way from `dir` to the installed table's folder, '/'-separated
    char separator;           // the separator of `dir`'s paths
    std::function<bool(const std::string&)> exists;  // whether something is at a path, readable or not
};

/// The default table. A candidate that exists but cannot be read is still
/// the table meant: opening it says why it fails. The problem reads "no
/// default weight table: neither <installed> nor <beside> exists", or
/// "cannot find the default weight table" when `dir` is unknown; callers
/// add how their user names one.
DefaultTable FindDefaultTable(const DefaultTableSearch& search);

/// The C interface's default table: searched from the library's own file.
DefaultTable FindDefaultTable();

}  // namespace zabrelo

#endif  // ZABRELO_DEFAULTTABLE_H
