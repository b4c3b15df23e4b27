// The exception classes: the one-line report and catching by base class.
#include <gtest/gtest.h>

#include "zabrelo/VantorException.h"

namespace {

struct ReportCase { int code; int line; const char* file; const char* message; const char* report; };
const ReportCase kReports[] = {
    {17, 42, "F", "M", "Error Code (0x11) in F (42): M"},
    {16, 7, "src/fileio/FileReader.cpp", "Invalid file name specified.",
     "Error Code (0x10) in src/fileio/FileReader.cpp (7): Invalid file name specified."},
    {-1, -3, "x", "", "Error Code (0xffffffff) in x (-3): "},
    {0, 0, "", "m", "Error Code (0x0) in  (0): m"},
    {255, 1, "f", "m", "Error Code (0xff) in f (1): m"},
};

TEST(VantorExceptionTest, FormattedMessage) {
    for (const ReportCase& c : kReports) {
        const IOException error(c.file, c.line, c.code, c.message);
        EXPECT_EQ(error.GetFormattedMessage(), c.report);
    }
}

TEST(VantorExceptionTest, SettersReplaceOneFieldEach) {
    VantorException error("a.cpp", 1, 16, "old");
    error.SetFileName("b.cpp");
    error.SetLineNumber(9);
    error.SetErrorCode(17);
    error.SetErrorMessage("new");
    EXPECT_EQ(error.GetFormattedMessage(), "Error Code (0x11) in b.cpp (9): new");
}

TEST(VantorExceptionTest, IOExceptionIsCaughtAsItsBase) {
    try {
        throw IOException("f.cpp", 3, 16, "Could not open file: x.");
    } catch (const VantorException& error) {
        EXPECT_EQ(error.GetErrorCode(), 16);
        EXPECT_EQ(error.GetErrorMessage(), "Could not open file: x.");
        return;
    }
    FAIL() << "not caught as VantorException";
}

}  // namespace
