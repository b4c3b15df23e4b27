// SortSettings: -S's sizes in sort's spelling.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "SortSettings.h"
#include "ToolError.h"

namespace {

using zabrelo_tool::ParseBufferSize;
using zabrelo_tool::ToolError;

TEST(BufferSizeTest, SortsSuffixes) {
    const std::pair<const char*, std::uint64_t> kSizes[] = {
        {"0", 0},          {"1", 1024},  {"1b", 1},           {"1k", 1024},       {"2K", 2048},
        {"3M", 3 << 20},   {"1G", 1 << 30}, {"1T", 1ULL << 40}, {"2E", 2ULL << 60}, {"50%", 500},
        {"100%", 1000},    {"0%", 0},
    };
    for (const auto& [text, bytes] : kSizes) EXPECT_EQ(ParseBufferSize(text, 1000), bytes) << text;
}

TEST(BufferSizeTest, RefusesWhatSortRefuses) {
    const std::pair<const char*, const char*> kBad[] = {
        {"", "invalid -S argument"},     {"abc", "invalid -S argument"},  {"-1", "invalid -S argument"},
        {"1x", "invalid suffix in -S"},  {"1KB", "invalid suffix in -S"}, {"1.5M", "invalid suffix in -S"},
        {"1m", "invalid suffix in -S"},  {"101%", "more than 100%"},      {"16E", "too large"},
        {"99999999999999999999", "too large"},
    };
    for (const auto& [text, message] : kBad) {
        try {
            ParseBufferSize(text, 1000);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const ToolError& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << text << ": " << error.what();
        }
    }
}

}  // namespace
