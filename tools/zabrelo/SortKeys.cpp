// SortKeys: each thread takes one contiguous share of the lines and appends
// their keys to an arena of its own; pointers into an arena are taken only
// once it has stopped growing. The calling thread does the last share and
// reports progress for all of them.
#include "SortKeys.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <thread>

#include "ToolError.h"
#include "library/KeySort.h"
#include "library/ThreadShares.h"

namespace zabrelo_tool {

namespace {

constexpr std::size_t kProgressStep = 4096;
constexpr std::size_t kLinesPerThread = 20000;  // below this a thread costs more than it saves
constexpr std::size_t kNoLine = std::numeric_limits<std::size_t>::max();

std::size_t Threads(int jobs, std::size_t lines) {
    return zabrelo::ThreadsFor(lines, static_cast<std::size_t>(jobs), kLinesPerThread);
}

}  // namespace

SortKeys::SortKeys(const ZabreloLib& lib, const LineKeys& keys, int jobs) : lib_(lib), keys_(keys), jobs_(jobs) {}

void SortKeys::Build(const InputText& input, Progress& progress) {
    const std::vector<Line>& lines = input.Lines();
    const std::size_t n = lines.size();
    if (n > std::numeric_limits<std::uint32_t>::max()) throw ToolError("too many lines");
    const std::size_t threads = Threads(jobs_, n);
    // The last chunk's keys tell how much room these will take.
    const std::size_t keyBytes = KeyBytes(), keyedLines = items_.size();
    arenas_.resize(threads);
    items_.resize(n);
    std::vector<std::size_t> firstBad(threads, kNoLine);
    std::atomic<std::size_t> done{0};

    const auto work = [&](std::size_t t, bool reports) {
        KeyBuilder builder(keys_, lib_);
        std::string& arena = arenas_[t];
        const auto [begin, end] = zabrelo::ShareOf(n, t, threads);
        arena.clear();
        arena.reserve((keyedLines > 0 ? keyBytes / keyedLines * (end - begin) * 9 / 8 : (end - begin) * 24) +
                      zabrelo::kKeySlack);
        for (std::size_t i = begin; i < end; ++i) {
            const std::size_t before = arena.size();
            KeyedLine& item = items_[i];
            item.line = static_cast<std::uint32_t>(i);
            if (!builder.Append(lines[i].text, lines[i].size, arena)) {
                if (firstBad[t] == kNoLine) firstBad[t] = i;
                item.keySize = 0;
                continue;
            }
            item.keySize = static_cast<std::uint32_t>(arena.size() - before);
            SetHeads(item, arena.data() + before);
            if ((i - begin) % kProgressStep == kProgressStep - 1) {
                done += kProgressStep;
                if (reports) progress.Update(done.load());
            }
        }
        // The sort reads keys eight bytes at a time, past the last one too.
        arena.append(zabrelo::kKeySlack, '\0');
        // The arena has stopped growing: the keys lie in it in line order.
        const char* key = arena.data();
        for (std::size_t i = begin; i < end; ++i) {
            items_[i].key = key;
            key += items_[i].keySize;
        }
    };

    std::vector<std::thread> workers;
    for (std::size_t t = 0; t + 1 < threads; ++t) workers.emplace_back(work, t, false);
    work(threads - 1, true);
    for (std::thread& worker : workers) worker.join();

    const std::size_t bad = *std::min_element(firstBad.begin(), firstBad.end());
    if (bad != kNoLine) throw ToolError(input.Where(bad) + ": invalid UTF-8");
}

std::size_t SortKeys::KeyBytes() const {
    std::size_t bytes = 0;
    for (const std::string& arena : arenas_) bytes += arena.size();
    return bytes;
}

void SortKeys::Release() {
    std::vector<std::string>().swap(arenas_);
    std::vector<KeyedLine>().swap(items_);
}

void SortKeys::Sort(bool reverse) {
    // The library's key sorter: stable in both directions (-r reverses the
    // keys, not the ties), so LineOrder::NextRun finds each run of equal
    // keys in input order.
    const std::size_t n = items_.size();
    zabrelo::SortByKeys(items_.data(), n, reverse, static_cast<unsigned>(Threads(jobs_, n)),
                        [](const KeyedLine& item) { return item.line; });
}

}  // namespace zabrelo_tool
