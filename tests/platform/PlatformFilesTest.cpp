// What the host platform does to files and paths: the reader must see the
// file's bytes exactly (no text-mode translation on Windows) and a path
// passes through as 8-bit bytes (the ANSI code page on Windows) unchanged.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "TestFiles.h"
#include "zabrelo/FileReader.h"
#include "zabrelo/ZabreloLib.h"

namespace {

using zabrelo_test::TempDir;

// Text mode would turn CR LF into LF and stop at the Ctrl-Z byte (0x1A).
TEST(PlatformFilesTest, BytesArriveUntranslated) {
    TempDir dir;
    FileReader reader;
    reader.Open(dir.Write("crlf.txt", "a\x1A\r\nb\r\n").c_str(), 1);
    std::string out;
    ASSERT_TRUE(reader.ReadUntil(out, 512, '\n'));
    EXPECT_EQ(out, "a\x1A\r");
    ASSERT_TRUE(reader.ReadUntil(out, 512, '\n'));
    EXPECT_EQ(out, "b\r");
}

// A file name with a non-ASCII letter, as the 8-bit string a client passes:
// the ANSI code page's bytes on Windows, plain bytes elsewhere. Empty when
// the ANSI code page cannot spell it.
std::string EightBitName(const TempDir& dir) {
#ifdef _WIN32
    const std::wstring wide = (dir.Root() / L"caf\u00E9 table.txt").wstring();
    BOOL lossy = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, &lossy);
    if (size <= 1 || lossy) return {};
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &narrow[0], size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size) - 1);
    return narrow;
#else
    return dir.Path("caf\xE9 table.txt");
#endif
}

TEST(PlatformFilesTest, EightBitPathsReachTheFileSystemUnchanged) {
    TempDir dir;
    const std::string path = EightBitName(dir);
    if (path.empty()) GTEST_SKIP() << "the ANSI code page has no e-acute";
    ZabreloLib lib;
    EXPECT_IO_ERROR(lib.Initialize(path.c_str()), 16, "Could not open file: " + path + ".");

#ifdef _WIN32
    // Written through the wide name, so a wrong narrowing cannot find it.
    std::ofstream(dir.Root() / L"caf\u00E9 table.txt", std::ios::binary) << "FA=t\r\n[0627][1,2,3]\r\n";
#else
    std::ofstream(path, std::ios::binary) << "FA=t\r\n[0627][1,2,3]\r\n";
#endif
    ASSERT_TRUE(lib.Initialize(path.c_str()));
    EXPECT_EQ(lib.GetCollationKey(u"\u0627", 3), "\x01\x02\x03");
}

}  // namespace
