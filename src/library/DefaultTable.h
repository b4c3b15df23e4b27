// DefaultTable: which weight table the C interface opens when it is given
// no path. In order: the file $ZABRELO_TABLE names, the table installed with
// the library (<prefix>/share/zabrelo/, reached from <prefix>/lib/ or, for a
// DLL, <prefix>/bin/), the copy beside the library in a build tree. Both
// defaults are found from the library file itself, so a moved install still
// finds its table, and never from the current directory, where a stray copy
// would silently change the order. Tested by tests/library/CInterfaceTest.cpp,
// tests/c/ and the install round trip.
#ifndef ZABRELO_DEFAULTTABLE_H
#define ZABRELO_DEFAULTTABLE_H

#include <string>

#include "zabrelo/zabrelo.h"

namespace zabrelo {

/// The default table's file name, for ZabreloLib::Initialize(), the C
/// interface and the zabrelo command alike.
constexpr char kDefaultTableName[] = ZABRELO_DEFAULT_TABLE_NAME;

struct DefaultTable {
    std::string path;     // the table to open, or "" when there is none
    std::string problem;  // why there is none, naming what was tried
};

/// The default table. A candidate that exists but cannot be read is still
/// the table meant: opening it says why it fails.
DefaultTable FindDefaultTable();

}  // namespace zabrelo

#endif  // ZABRELO_DEFAULTTABLE_H
