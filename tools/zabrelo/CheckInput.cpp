// CheckInput: `zabrelo sort -c` and `-C`. Reads the input a chunk at a time
// and compares each line with the one before, as the sort would order them;
// with -u a line must also not repeat one before it.
#include "SortJob.h"
#include "ToolError.h"
#include "UniqueFilter.h"

namespace zabrelo_tool {

int CheckInput(const SortJob& job) {
    const SortSettings& settings = job.settings;
    Headers headers;
    // Reading in smaller chunks than a sort's runs: nothing is gained by more.
    KeyedInput input(job, settings.files, &headers, std::min<std::size_t>(settings.bufferSize / 4, 8 << 20));
    UniqueFilter filter(job.order);
    HeldLine previous;
    bool any = false;
    job.progress.Stage("checking");
    while (input.Next()) {
        bool disorder = any && job.order.Compare(previous.Item(), previous.Text(), input.item, input.line) > 0;
        if (!disorder && settings.unique) disorder = filter.Repeats(input.item, input.line);
        if (disorder) {
            if (settings.check == CheckMode::kQuiet) return kExitWarnings;
            throw ToolError(input.Where() + ": disorder: " + std::string(input.line.text, input.line.size),
                            kExitWarnings);
        }
        previous.Hold(input.item, input.line);
        any = true;
    }
    return kExitOk;
}

}  // namespace zabrelo_tool
