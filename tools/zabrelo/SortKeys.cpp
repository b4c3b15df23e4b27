// SortKeys: each thread takes one contiguous share of the lines and appends
// their keys to an arena of its own; pointers into an arena are taken only
// once it has stopped growing. The calling thread does the last share and
// reports progress for all of them.
#include "SortKeys.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <thread>

#include "Platform.h"
#include "Prefetch.h"
#include "ToolError.h"
#include "library/KeySort.h"
#include "library/ThreadShares.h"

namespace zabrelo_tool {

namespace {

constexpr std::size_t kProgressStep = 4096;
constexpr std::size_t kLinesPerThread = 20000;  // below this a thread costs more than it saves
constexpr std::size_t kNoLine = std::numeric_limits<std::size_t>::max();
constexpr std::size_t kFinishAhead = 12;  // lines whose text is fetched before it is keyed

std::size_t Threads(int jobs, std::size_t lines) {
    return zabrelo::ThreadsFor(lines, static_cast<std::size_t>(jobs), kLinesPerThread);
}

}  // namespace

SortKeys::SortKeys(const Collation& collation, const LineKeys& keys, int jobs) : collation_(collation), keys_(keys), jobs_(jobs) {}

void SortKeys::Build(const InputText& input, Progress& progress) { Build(input, progress, false); }

void SortKeys::BuildStarts(const InputText& input, Progress& progress) {
    const bool starts = keys_.QuickStart();
    Build(input, progress, starts);
    starts_ = starts ? &input : nullptr;
}

void SortKeys::Build(const InputText& input, Progress& progress, bool starts) {
    starts_ = nullptr;
    const LineList& lines = input.Lines();
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
        KeyBuilder builder(keys_, collation_);
        std::string& arena = arenas_[t];
        const auto [begin, end] = zabrelo::ShareOf(n, t, threads);
        arena.clear();
        arena.reserve((keyedLines > 0 ? keyBytes / keyedLines * (end - begin) * 9 / 8 : (end - begin) * 24) +
                      zabrelo::kKeySlack);
        PreferHugePages(arena.data(), arena.capacity());
        for (std::size_t i = begin; i < end; ++i) {
            const std::size_t before = arena.size();
            KeyedLine& item = items_[i];
            item.line = static_cast<std::uint32_t>(i);
            if (!builder.Append(lines[i].text, lines[i].size, arena,
                                starts ? KeyBuilder::Stage::kQuick : KeyBuilder::Stage::kFull)) {
                if (firstBad[t] == kNoLine) firstBad[t] = i;
                item.keySize = 0;
                continue;
            }
            item.keySize = static_cast<std::uint32_t>(arena.size() - before);
            if ((i - begin) % kProgressStep == kProgressStep - 1) {
                done += kProgressStep;
                if (reports) progress.Update(done.load());
            }
        }
        // The sort reads keys eight bytes at a time, past the last one too.
        arena.append(zabrelo::kKeySlack, '\0');
        // The arena has stopped growing: the keys lie in it in line order.
        // Their heads are read here, not as each key is made: a word read
        // back right after its bytes were written one by one waits for them.
        const char* key = arena.data();
        for (std::size_t i = begin; i < end; ++i) {
            items_[i].key = key;
            SetHeads(items_[i], key);
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
    std::vector<std::string>().swap(fields_);
    std::vector<std::string>().swap(full_);
    KeyedLines().swap(items_);
}

void SortKeys::Sort(bool reverse) {
    // The library's key sorter: stable in both directions (-r reverses the
    // keys, not the ties), so LineOrder::NextRun finds each run of equal
    // keys in input order.
    const std::size_t n = items_.size();
    zabrelo::SortByKeys(items_.data(), n, reverse, static_cast<unsigned>(Threads(jobs_, n)),
                        [](const KeyedLine& item) { return item.line; });
    if (starts_) FinishStarts(reverse);
}

void SortKeys::EqualRuns(std::size_t first, std::size_t last,
                         std::vector<std::pair<std::size_t, std::size_t>>& runs) const {
    for (std::size_t i = first; i < last;) {
        std::size_t j = i + 1;
        while (j < last && KeysEqual(items_[i], items_[j])) ++j;
        if (j - i > 1) runs.emplace_back(i, j);
        i = j;
    }
}

std::vector<std::pair<std::size_t, std::size_t>> SortKeys::Finish(
    const std::vector<std::pair<std::size_t, std::size_t>>& runs, const LineList& lines,
    KeyBuilder::Stage stage, std::vector<std::string>& arenas, bool reverse) {
    using Runs = std::vector<std::pair<std::size_t, std::size_t>>;
    std::size_t keyed = 0;
    for (const auto& [first, last] : runs) keyed += last - first;
    // The runs are shared out whole, in order, so that each thread's
    // equal runs follow the previous thread's.
    const std::size_t threads = std::min(Threads(jobs_, keyed), runs.size());
    arenas.resize(threads);
    std::vector<Runs> equal(threads);
    const auto work = [&](std::size_t t) {
        // Named copies, not a structured binding: a lambda below uses them.
        const auto share = zabrelo::ShareOf(runs.size(), t, threads);
        const std::size_t begin = share.begin, end = share.end;
        std::string& arena = arenas[t];
        arena.clear();
        KeyBuilder builder(keys_, collation_);
        // The lines of the runs lie anywhere in the input: two cursors run
        // ahead through the runs, the first fetching each line's Line, the
        // second, behind it, the line's text.
        struct Cursor {
            std::size_t run, at;
        };
        const auto step = [&](Cursor& cursor) {
            if (cursor.run >= end) return false;
            if (++cursor.at == runs[cursor.run].second && ++cursor.run < end) cursor.at = runs[cursor.run].first;
            return true;
        };
        Cursor lineAhead{begin, begin < end ? runs[begin].first : 0}, textAhead = lineAhead;
        for (std::size_t k = 0; k < 2 * kFinishAhead && lineAhead.run < end; ++k) {
            Prefetch(&lines[items_[lineAhead.at].line]);
            step(lineAhead);
        }
        for (std::size_t k = 0; k < kFinishAhead && textAhead.run < end; ++k) {
            Prefetch(lines[items_[textAhead.at].line].text);
            step(textAhead);
        }
        for (std::size_t r = begin; r < end; ++r) {
            for (std::size_t i = runs[r].first; i < runs[r].second; ++i) {
                if (lineAhead.run < end) Prefetch(&lines[items_[lineAhead.at].line]);
                if (textAhead.run < end) Prefetch(lines[items_[textAhead.at].line].text);
                step(lineAhead);
                step(textAhead);
                KeyedLine& item = items_[i];
                const std::size_t before = arena.size();
                builder.Append(lines[item.line].text, lines[item.line].size, arena, stage);  // valid: keyed once
                item.keySize = static_cast<std::uint32_t>(arena.size() - before);
            }
        }
        // The arena has stopped growing: point the items at their keys.
        const char* key = arena.data();
        const auto at = [this](std::size_t index) { return items_.begin() + static_cast<std::ptrdiff_t>(index); };
        for (std::size_t r = begin; r < end; ++r) {
            const auto [first, last] = runs[r];
            for (std::size_t i = first; i < last; ++i) {
                items_[i].key = key;
                SetHeads(items_[i], key);
                key += items_[i].keySize;
            }
            std::sort(at(first), at(last), [reverse](const KeyedLine& a, const KeyedLine& b) {
                const int order = CompareKeys(a, b);
                if (order != 0) return reverse ? order > 0 : order < 0;
                return a.line < b.line;
            });
            EqualRuns(first, last, equal[t]);
        }
    };
    std::vector<std::thread> workers;
    for (std::size_t t = 0; t + 1 < threads; ++t) workers.emplace_back(work, t);
    if (threads > 0) work(threads - 1);
    for (std::thread& worker : workers) worker.join();
    Runs still;
    for (const Runs& part : equal) still.insert(still.end(), part.begin(), part.end());
    return still;
}

void SortKeys::FinishStarts(bool reverse) {
    // A line whose start no other line shares is ordered by it already,
    // against every other line; only runs of equal starts need their -k
    // keys, and only runs of equal -k keys the whole line's.
    const LineList& lines = starts_->Lines();
    starts_ = nullptr;
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    EqualRuns(0, items_.size(), runs);
    runs = Finish(runs, lines, KeyBuilder::Stage::kFields, fields_, reverse);
    if (!runs.empty()) Finish(runs, lines, KeyBuilder::Stage::kFull, full_, reverse);
}

}  // namespace zabrelo_tool
