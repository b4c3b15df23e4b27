// Merge: a binary heap of the streams, by their current lines.
#include "Merge.h"

#include "Prefetch.h"
#include "UniqueFilter.h"

namespace zabrelo_tool {

namespace {

constexpr std::size_t kProgressMask = (1 << 16) - 1;

}  // namespace

void Merge(const std::vector<RecordSource*>& sources, const LineOrder& order, bool unique, RecordSink& sink,
           Progress& progress, std::uint64_t total) {
    const auto before = [&](std::size_t a, std::size_t b) {
        const RecordSource& x = *sources[a];
        const RecordSource& y = *sources[b];
        const int byOrder = order.Compare(x.item, x.line, y.item, y.line);
        return byOrder != 0 ? byOrder < 0 : a < b;
    };
    std::vector<std::size_t> heap;
    const auto siftDown = [&](std::size_t at) {
        const std::size_t n = heap.size();
        for (;;) {
            std::size_t least = at;
            const std::size_t left = 2 * at + 1, right = left + 1;
            if (left < n && before(heap[left], heap[least])) least = left;
            if (right < n && before(heap[right], heap[least])) least = right;
            if (least == at) return;
            std::swap(heap[at], heap[least]);
            at = least;
        }
    };
    for (std::size_t s = 0; s < sources.size(); ++s) {
        if (sources[s]->Next()) heap.push_back(s);
    }
    for (std::size_t at = heap.size() / 2; at-- > 0;) siftDown(at);

    UniqueFilter filter(order);
    std::uint64_t done = 0;
    while (!heap.empty()) {
        RecordSource& top = *sources[heap.front()];
        if (!unique || !filter.Repeats(top.item, top.line)) sink.Add(top.item, top.line);
        if (!top.Next()) {
            heap.front() = heap.back();
            heap.pop_back();
        }
        siftDown(0);
        if ((++done & kProgressMask) == 0 && total > 0) progress.Update(static_cast<std::size_t>(done));
    }
}

void WriteSorted(KeyedLines& items, const LineList& lines, const LineOrder& order, bool unique,
                 RecordSink& sink, Progress& progress) {
    KeyedLine* const first = items.data();
    KeyedLine* const last = first + items.size();
    for (KeyedLine* run = first; run < last;) {
        const auto [end, kept] = order.NextRun(run, last, lines, unique);
        for (const KeyedLine* item = run; item < kept; ++item) {
            if (last - item > 16) Prefetch(&lines[item[16].line]);
            if (last - item > 8) {
                Prefetch(lines[item[8].line].text);
                Prefetch(item[8].key);
            }
            sink.Add(*item, lines[item->line]);
        }
        const auto done = static_cast<std::size_t>(end - first);
        if (done >> 16 != static_cast<std::size_t>(run - first) >> 16) progress.Update(done);
        run = end;
    }
}

}  // namespace zabrelo_tool
