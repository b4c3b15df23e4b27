// SortedOutput: blocks by turns. Block b goes to thread b % threads; its
// bounds (the first change of heads at or after b times the block size) are
// found before the threads start, so they share nothing but the turn.
#include "SortedOutput.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

#include "Prefetch.h"

namespace zabrelo_tool {

namespace {

constexpr std::size_t kBlockBytes = 256 << 10;  // of text, about, per block
constexpr std::size_t kLeastBlockLines = 256;

}  // namespace

void WriteSortedOnThreads(KeyedLines& items, const LineList& lines, std::size_t textBytes,
                          const LineOrder& order, Output& output, int jobs, Progress& progress) {
    const std::size_t n = items.size();
    const std::size_t perLine = std::max<std::size_t>(1, textBytes / std::max<std::size_t>(1, n));
    const std::size_t blockLines = std::max(kLeastBlockLines, kBlockBytes / perLine);
    const std::size_t blocks = (n + blockLines - 1) / blockLines;
    const std::size_t threads = std::min<std::size_t>(static_cast<std::size_t>(std::max(jobs, 1)), blocks);
    KeyedLine* const first = items.data();
    // Where block b starts: the first item at or after its share whose head
    // differs from the one before it. Found before any thread starts, since
    // the search reads past a block's share into the next one, whose runs
    // its own thread is sorting.
    std::vector<std::size_t> starts(blocks + 1);
    for (std::size_t b = 0; b <= blocks; ++b) {
        std::size_t i = std::min(b * blockLines, n);
        while (i > 0 && i < n && first[i - 1].head == first[i].head) ++i;
        starts[b] = i;
    }

    std::mutex mutex;
    std::condition_variable turns;
    std::size_t turn = 0;  // the block whose turn it is to be written
    bool failed = false;
    std::exception_ptr failure;

    const auto work = [&](std::size_t t) {
        std::string buffer;
        try {
            for (std::size_t b = t; b < blocks; b += threads) {
                const std::size_t begin = starts[b], end = starts[b + 1];
                std::size_t used = 0;
                KeyedLine* const last = first + end;
                for (KeyedLine* run = first + begin; run < last;) {
                    // A head no neighbour shares is a run of one line, in order as it is.
                    KeyedLine* const runEnd = run + 1 == last || run[1].head != run->head
                                                  ? run + 1
                                                  : order.NextRun(run, last, lines, false).first;
                    for (const KeyedLine* item = run; item < runEnd; ++item) {
                        // The lines lie anywhere: fetched well ahead, as each
                        // needs its Line first, and a text's end as well as
                        // its start, as it often runs into the next cache line.
                        if (last - item > 64) Prefetch(&lines[item[64].line]);
                        if (last - item > 32) {
                            const Line& ahead = lines[item[32].line];
                            Prefetch(ahead.text);
                            Prefetch(ahead.text + ahead.size);
                        }
                        const Line& line = lines[item->line];
                        const std::size_t size = line.size + EndSize(line);
                        if (buffer.size() - used < size) buffer.resize(std::max(2 * buffer.size(), used + size));
                        char* const at = &buffer[used];
                        std::memcpy(at, line.text, line.size);
                        const char* const ending = EndText(line);  // one or two bytes
                        at[line.size] = ending[0];
                        if (size - line.size == 2) at[line.size + 1] = ending[1];
                        used += size;
                    }
                    run = runEnd;
                }
                std::unique_lock<std::mutex> lock(mutex);
                turns.wait(lock, [&] { return turn == b || failed; });
                if (failed) return;
                output.WriteBlock(buffer.data(), used);
                progress.Update(end);
                ++turn;
                turns.notify_all();
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(mutex);
            if (!failed) failure = std::current_exception();
            failed = true;
            turns.notify_all();
        }
    };
    std::vector<std::thread> workers;
    for (std::size_t t = 1; t < threads; ++t) workers.emplace_back(work, t);
    work(0);
    for (std::thread& worker : workers) worker.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace zabrelo_tool
