// RunFile: what a run writes, it reads back the same, line and key, through
// buffers far smaller than its records; and Merge puts sorted streams
// together as the order and the streams' order say.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "LineOrder.h"
#include "Merge.h"
#include "RunFile.h"
#include "ToolError.h"
#include "TestFiles.h"
#include "collation/UnweighedUnits.h"
#include "library/TableInspection.h"
#include "text/Utf8.h"
#include "zabrelo/ZabreloLib.h"

namespace {

using namespace zabrelo_tool;

struct Stored {
    std::string key, text;
    std::uint8_t end;
};

KeyedLine Keyed(const Stored& stored) {
    KeyedLine item{};
    item.key = stored.key.data();
    item.keySize = static_cast<std::uint32_t>(stored.key.size());
    SetHeads(item, item.key);
    return item;
}

// Lines held in memory: a stream for Merge, in the order given.
class Lines : public RecordSource {
public:
    explicit Lines(std::vector<Stored> lines) : lines_(std::move(lines)) {}
    bool Next() override {
        if (next_ == lines_.size()) return false;
        const Stored& stored = lines_[next_++];
        item = Keyed(stored);
        line = Line{stored.text.data(), static_cast<std::uint32_t>(stored.text.size()), 0};
        SetEnd(line, stored.end);
        return true;
    }

private:
    std::vector<Stored> lines_;
    std::size_t next_ = 0;
};

class Collected : public RecordSink {
public:
    void Add(const KeyedLine& item, const Line& line) override {
        got.push_back({std::string(item.key, item.keySize), std::string(line.text, line.size), EndNumber(line)});
    }
    std::vector<Stored> got;
};

TEST(RunFileTest, ReadsBackWhatItWrote) {
    zabrelo_test::TempDir dir;
    std::vector<Stored> lines = {{"", "", 0}, {std::string("\0\x01\0", 3), "with zeros", 1}, {"k", "nul", 2},
                                 {std::string(300, 'k'), std::string(5000, 'x'), 0}, {"ab", "", 1}};
    std::mt19937 random(3);
    for (int i = 0; i < 2000; ++i) {
        lines.push_back({std::string(random() % 40, static_cast<char>(random())),
                         std::string(random() % 200, static_cast<char>('a' + random() % 26)),
                         static_cast<std::uint8_t>(random() % 3)});
    }
    {
        zabrelo_tool::Run run(dir.Root().string());
        RunWriter writer(run, 64);
        Lines source(lines);
        while (source.Next()) writer.Add(source.item, source.line);
        writer.Finish();
        EXPECT_EQ(run.lines, lines.size());
        RunReader reader(run, 32);
        Collected back;
        while (reader.Next()) back.Add(reader.item, reader.line);
        ASSERT_EQ(back.got.size(), lines.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(back.got[i].key, lines[i].key) << i;
            EXPECT_EQ(back.got[i].text, lines[i].text) << i;
            EXPECT_EQ(back.got[i].end, lines[i].end) << i;
        }
        EXPECT_FALSE(reader.Next());
#ifndef _WIN32
        // The run has no name, even while it is open.
        EXPECT_TRUE(std::filesystem::is_empty(dir.Root()));
#endif
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Root()));
}

TEST(RunFileTest, AFolderThatIsNotThereIsNamed) {
    zabrelo_test::TempDir dir;
    const std::string missing = dir.Path("missing");
    try {
        zabrelo_tool::Run run(missing);
        ADD_FAILURE() << "no error";
    } catch (const ToolError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("cannot create a temporary file in " + missing + ": ", 0), 0u)
            << error.what();
    }
}

// Streams of keyed lines with many ties merge as a stable sort of them all
// would order them: by LineOrder, then by stream.
TEST(MergeTest, OrdersAsAStableSortOfAllStreams) {
    ZabreloLib lib;
    ASSERT_TRUE(lib.Initialize(ZABRELO_DEFAULT_TABLE));
    const UnweighedUnits unweighed = zabrelo::UnweighedUnitsOf(lib);
    static const char* const kWords[] = {"ا", "ب", "اb", "اa", "ب ", "کِتاب", "کتاب", "abc", "xyz", ""};
    std::mt19937 random(11);
    for (const bool stable : {false, true}) {
        for (const bool reverse : {false, true}) {
            for (const bool unique : {false, true}) {
                SCOPED_TRACE(std::string(stable ? "-s " : "") + (reverse ? "-r " : "") + (unique ? "-u" : ""));
                const LineOrder order(unweighed, 1, reverse, stable, false);
                std::vector<std::vector<Stored>> streams(5);
                std::vector<std::pair<Stored, std::size_t>> all;
                for (std::size_t s = 0; s < streams.size(); ++s) {
                    for (int i = 0; i < 40; ++i) {
                        const std::string text = kWords[random() % 10];
                        std::u16string units;
                        ASSERT_TRUE(zabrelo::Utf8ToUtf16(text.data(), text.size(), units));
                        streams[s].push_back({lib.GetCollationKey(units, 1), text, static_cast<std::uint8_t>(random() % 2)});
                    }
                    const auto compare = [&order](const Stored& a, const Stored& b) {
                        const KeyedLine x = Keyed(a), y = Keyed(b);
                        const Line l{a.text.data(), static_cast<std::uint32_t>(a.text.size()), a.end},
                            m{b.text.data(), static_cast<std::uint32_t>(b.text.size()), b.end};
                        return order.Compare(x, l, y, m);
                    };
                    std::stable_sort(streams[s].begin(), streams[s].end(),
                                     [&](const Stored& a, const Stored& b) { return compare(a, b) < 0; });
                    for (const Stored& stored : streams[s]) all.push_back({stored, s});
                    std::stable_sort(all.begin(), all.end(), [&](const auto& a, const auto& b) {
                        const int byOrder = compare(a.first, b.first);
                        return byOrder != 0 ? byOrder < 0 : a.second < b.second;
                    });
                }
                std::vector<std::unique_ptr<Lines>> sources;
                std::vector<RecordSource*> pointers;
                for (const auto& stream : streams) {
                    sources.push_back(std::make_unique<Lines>(stream));
                    pointers.push_back(sources.back().get());
                }
                Collected merged;
                Progress progress(false, false);
                Merge(pointers, order, unique, merged, progress, 0);
                // The first of each set of duplicates in that order stays.
                std::vector<Stored> want;
                std::vector<std::pair<KeyedLine, Line>> kept;
                for (const auto& [stored, s] : all) {
                    const KeyedLine item = Keyed(stored);
                    Line line{stored.text.data(), static_cast<std::uint32_t>(stored.text.size()), 0};
                    SetEnd(line, stored.end);
                    const bool repeats = std::any_of(kept.begin(), kept.end(), [&](const auto& k) {
                        return order.Same(k.first, k.second, item, line);
                    });
                    if (unique && repeats) continue;
                    kept.push_back({item, line});
                    want.push_back(stored);
                }
                ASSERT_EQ(merged.got.size(), want.size());
                for (std::size_t i = 0; i < want.size(); ++i) {
                    EXPECT_EQ(merged.got[i].text + "|" + std::to_string(merged.got[i].end),
                              want[i].text + "|" + std::to_string(want[i].end))
                        << i;
                }
            }
        }
    }
}

}  // namespace
