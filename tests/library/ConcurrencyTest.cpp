// Separate objects share nothing: threads that each load, copy and use their
// own ZabreloLib get the keys a single thread gets. Run under the thread
// sanitizer build, this is where a hidden shared buffer or static would show.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "TestFiles.h"
#include "zabrelo/ZabreloLib.h"

namespace {

constexpr char kTable[] =
    "FA=\r\n[0627][3,1,1]\r\n[0628][4,1,1]\r\n[0644][10,1,1]\r\n[0644,0627][11,2,2]\r\n"
    "[0654][0,3,1]\r\n[06CC][6,1,1]\r\n[200C][0,0,4]\r\n";
const std::u16string kWords[] = {u"\u0644\u0627", u"\u0628\u0626", u"\u0623\u0628 \u200C", u"", u"\u0644\u0628"};

TEST(ConcurrencyTest, ObjectsOnSeparateThreadsAreIndependent) {
    zabrelo_test::TempDir dir;
    const std::string path = dir.Write("t.txt", kTable);
    ZabreloLib shared;
    ASSERT_TRUE(shared.Initialize(path.c_str()));
    std::vector<std::string> expected;
    for (const auto& word : kWords) expected.push_back(shared.GetCollationKey(word, 3));

    constexpr int kThreads = 4;
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            // Half the threads load the file themselves, half copy a loaded object.
            ZabreloLib own;
            if (t % 2 == 0) {
                if (!own.Initialize(path.c_str())) ++mismatches[t];
            } else {
                own = shared;
            }
            for (int round = 0; round < 200; ++round) {
                for (std::size_t w = 0; w < expected.size(); ++w) {
                    if (own.GetCollationKey(kWords[w], 3) != expected[w]) ++mismatches[t];
                    const std::string& next = expected[(w + 1) % expected.size()];
                    const int order = expected[w] < next ? -1 : next < expected[w] ? 1 : 0;
                    const std::u16string& a = kWords[w];
                    const std::u16string& b = kWords[(w + 1) % expected.size()];
                    const int want = order != 0 ? order : a.size() < b.size() ? -1 : 0;
                    if (own.Compare(a, b, 3) != want) ++mismatches[t];
                }
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

}  // namespace
