// RunSet: the runs a sort has spilled to scratch files, in input order, and
// their merging. At most `fanIn` runs are merged at once, each read through
// its own buffer: when that many runs of one level pile up, they are merged
// into one run of the next level, so the files open at once stay few
// (fanIn - 1 per level) however long the input; the final merge goes to the
// output once at most fanIn runs are left. Each run holds a file open, so
// the runs kept at once also stay within the files the process may open:
// when they would not, the newest are merged early. Runs are merged with
// their neighbours only, which keeps the sort stable.
#ifndef ZABRELO_TOOL_RUNSET_H
#define ZABRELO_TOOL_RUNSET_H

#include <memory>
#include <string>
#include <vector>

#include "LineOrder.h"
#include "Merge.h"
#include "Progress.h"
#include "RunFile.h"

namespace zabrelo_tool {

/// How many files a sort may open for its inputs and runs: what the process
/// may still open, less what the output takes at the end. At least 3.
std::size_t FileRoom();

class RunSet {
public:
    /// Runs go to the folders `dirs` in turn; `bufferSize` is the buffer of
    /// each run read or written; merges keep the first of each set of
    /// duplicates when `unique`. `files`: how many files the runs may hold
    /// open at once (see FileRoom); fanIn is cut to fit them.
    RunSet(std::vector<std::string> dirs, std::size_t fanIn, std::size_t bufferSize, const LineOrder& order,
           bool unique, Progress& progress, std::size_t files);

    /// Starts a run: its lines, sorted, go to the sink returned.
    RecordSink& Begin();
    /// Ends the run begun last, merging runs that have piled up.
    void End();
    bool Empty() const { return runs_.empty(); }

    /// Merges every run into `sink`, first in passes while more than fanIn
    /// are left. The runs are gone afterwards.
    void MergeInto(RecordSink& sink);

private:
    /// Merges runs_[first, first + count) into one run in their place.
    void MergeRuns(std::size_t first, std::size_t count);
    std::vector<RecordSource*> Readers(std::size_t first, std::size_t count,
                                       std::vector<std::unique_ptr<RunReader>>& readers);

    std::vector<std::string> dirs_;
    std::size_t nextDir_ = 0;
    std::size_t fanIn_;
    std::size_t files_;
    std::size_t bufferSize_;
    const LineOrder& order_;
    bool unique_;
    Progress& progress_;
    std::vector<std::unique_ptr<Run>> runs_;
    std::unique_ptr<RunWriter> writer_;  // of the run begun last
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_RUNSET_H
