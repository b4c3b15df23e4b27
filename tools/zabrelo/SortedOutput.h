// SortedOutput: a sort's lines, sorted in memory, written to the output on
// several threads. Gathering each line from wherever it lies in the input
// is most of what writing costs; the threads take turns: each gathers the
// next block of lines that is its own into a buffer of its own, then
// waits for its turn to hand the block to the output, in order.
#ifndef ZABRELO_TOOL_SORTEDOUTPUT_H
#define ZABRELO_TOOL_SORTEDOUTPUT_H

#include <cstddef>
#include <vector>

#include "InputText.h"
#include "LineOrder.h"
#include "Output.h"
#include "Progress.h"
#include "SortKeys.h"

namespace zabrelo_tool {

/// What WriteSorted writes to an OutputSink without -u or --debug (each
/// run of equal keys finished by LineOrder::NextRun, every line with its
/// own end), on up to `jobs` threads. Blocks end where the keys' heads
/// change, so no run of equal keys is cut. `textBytes`: the lines' bytes,
/// ends included, to size the blocks.
void WriteSortedOnThreads(KeyedLines& items, const LineList& lines, std::size_t textBytes,
                          const LineOrder& order, Output& output, int jobs, Progress& progress);

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_SORTEDOUTPUT_H
