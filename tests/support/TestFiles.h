// TestFiles: byte-exact files in a fresh temporary directory per test, and
// a helper that checks an IOException's code and message in one line.
#ifndef ZABRELO_TESTS_TESTFILES_H
#define ZABRELO_TESTS_TESTFILES_H

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "zabrelo/VantorException.h"

namespace zabrelo_test {

/// A directory removed with everything in it when the object goes.
class TempDir {
public:
    TempDir() {
        static std::atomic<unsigned> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() /
                ("zabrelo-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    /// Writes `bytes` exactly (binary) to `name` and returns the file's path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::filesystem::path file = path_ / name;
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file.string();
    }
    std::string Path(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Root() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace zabrelo_test

/// Runs `call` and expects it to raise an IOException with `code` and `message`.
#define EXPECT_IO_ERROR(call, code, message)                                        \
    do {                                                                            \
        try {                                                                       \
            call;                                                                   \
            ADD_FAILURE() << "no IOException from " #call;                          \
        } catch (const IOException& error) {                                        \
            EXPECT_EQ(error.GetErrorCode(), (code)) << #call;                       \
            EXPECT_EQ(error.GetErrorMessage(), std::string(message)) << #call;      \
        }                                                                           \
    } while (0)

#endif  // ZABRELO_TESTS_TESTFILES_H
