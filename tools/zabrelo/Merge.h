// Merge: the k-way merge of sorted streams of lines into one, in the order
// LineOrder defines. Lines that only the input order can tell apart come
// from the earlier stream first, so merging the runs of one input in their
// order keeps a sort stable, and -m takes the earlier file first.
#ifndef ZABRELO_TOOL_MERGE_H
#define ZABRELO_TOOL_MERGE_H

#include <cstdint>
#include <vector>

#include "InputText.h"
#include "LineOrder.h"
#include "Progress.h"
#include "SortKeys.h"

namespace zabrelo_tool {

/// A sorted stream of lines with their keys (`item.line` is unused).
class RecordSource {
public:
    virtual ~RecordSource() = default;
    /// Moves to the next line: false after the last. The line and its key
    /// stay valid until the next call.
    virtual bool Next() = 0;

    KeyedLine item{};
    Line line{};
};

/// Where merged or sorted lines go: the output, or a run in a scratch file.
class RecordSink {
public:
    virtual ~RecordSink() = default;
    virtual void Add(const KeyedLine& item, const Line& line) = 0;
};

/// Merges `sources` (none yet read) into `sink`; with `unique`, keeps only
/// the first of each set of duplicates. `total`: the lines to come, for
/// progress (0 when unknown).
void Merge(const std::vector<RecordSource*>& sources, const LineOrder& order, bool unique, RecordSink& sink,
           Progress& progress, std::uint64_t total);

/// Writes the lines sorted in `items` (their lines in `lines`) to `sink`:
/// each run of equal keys finished by LineOrder::NextRun just before.
void WriteSorted(KeyedLines& items, const LineList& lines, const LineOrder& order, bool unique,
                 RecordSink& sink, Progress& progress);

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_MERGE_H
