// MemoryReader against FileReader in kAsciiMode on the same bytes: the same
// random sequence of delimited reads must store the same bytes, give the
// same results and end of file, and raise at the same read.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "TestFiles.h"
#include "fileio/MemoryReader.h"
#include "zabrelo/FileReader.h"

namespace {

// One read's outcome: the result, or the message it raised, and what `out` holds.
template <class Reader>
std::string Step(Reader& reader, std::string& out, int maxCount, char delimiter) {
    try {
        const bool stored = reader.ReadUntil(out, maxCount, delimiter);
        return std::string(stored ? "stored " : "none ") + out + (reader.IsEOF() ? " eof" : "");
    } catch (const IOException& error) {
        return "raised " + error.GetErrorMessage() + " " + std::to_string(error.GetErrorCode());
    }
}

TEST(MemoryReaderTest, ReadsAsAFileReaderInAsciiModeReadsTheSameBytes) {
    zabrelo_test::TempDir dir;
    std::mt19937 random(27);
    const char kBytes[] = "=]\n\r[A,0 \xFF";
    for (int round = 0; round < 300; ++round) {
        std::string bytes(random() % 24, '\0');
        for (char& byte : bytes) byte = kBytes[random() % (sizeof kBytes)];  // NUL included
        FileReader file;
        file.Open(dir.Write("t.txt", bytes).c_str(), FileReader::kAsciiMode);
        zabrelo::MemoryReader memory(bytes.data(), bytes.size());
        std::string fromFile = "old", fromMemory = "old";
        for (int read = 0; read < 12; ++read) {
            const int maxCount = static_cast<int>(random() % 5) - 1;  // 0 and -1 store nothing
            const char delimiter = kBytes[random() % (sizeof kBytes)];
            ASSERT_EQ(Step(memory, fromMemory, maxCount, delimiter), Step(file, fromFile, maxCount, delimiter))
                << "round " << round << " read " << read;
        }
    }
}

}  // namespace
