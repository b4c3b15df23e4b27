// SortInputs: `zabrelo sort` without -m or -c. Reads the input in chunks as
// large as -S allows; each chunk is keyed and sorted. When the first chunk
// holds the whole input, it goes straight to the output; otherwise each
// chunk becomes a run in a scratch file, and the runs are merged into the
// output. Either way every input is read before the output is opened, so
// -o may name an input.
#include "RunSet.h"
#include "SortJob.h"
#include "SortedOutput.h"

namespace zabrelo_tool {

namespace {

// What a chunk costs in memory per byte of its text, learnt chunk by chunk:
// the text, a Line and an item per line (and half an item again, which
// merging the threads' sorted parts may take), and the keys.
class Budget {
public:
    Budget(std::size_t size, int level)
        : size_(size), perByte_(1 + 0.5 * level + static_cast<double>(kPerLine) / kGuessedLine) {}

    /// How much text the next chunk may hold.
    std::size_t TextLimit() const {
        return std::max<std::size_t>(1, static_cast<std::size_t>(static_cast<double>(size_) / perByte_));
    }
    void Learn(std::size_t text, std::size_t lines, std::size_t keyBytes) {
        if (text == 0) return;
        perByte_ = static_cast<double>(text + lines * kPerLine + keyBytes) / static_cast<double>(text);
    }

private:
    static constexpr std::size_t kPerLine = sizeof(Line) + sizeof(KeyedLine) * 3 / 2;
    static constexpr std::size_t kGuessedLine = 24;  // bytes of text per line, until a chunk tells
    std::size_t size_;
    double perByte_;
};

}  // namespace

int SortInputs(const SortJob& job) {
    const SortSettings& settings = job.settings;
    Progress& progress = job.progress;
    Headers headers;
    InputText input(settings.files, settings.format, &headers);
    input.SplitOnThreads(settings.jobs);
    SortKeys keys(job.collation, job.keys, settings.jobs);
    Budget budget(settings.bufferSize, settings.level);
    // The input file being read takes one file of the room.
    RunSet runs(settings.tempDirs, settings.batchSize, RunBufferSize(settings), job.order, settings.unique, progress,
                FileRoom() - 1);
    std::size_t chunk = 0;
    // Once the input turns out not to fit, each stage names its run.
    const auto stage = [&](const char* what) {
        return runs.Empty() ? std::string(what) : "run " + std::to_string(chunk) + ": " + what;
    };

    for (;;) {
        ++chunk;
        progress.Stage(stage("reading"));
        if (!input.Fill(budget.TextLimit())) break;
        const LineList& lines = input.Lines();
        progress.Stage(stage("keys"), lines.size());
        // Sorted in memory at once, lines with numbers first are keyed by
        // those alone, and only lines that share them by the rest.
        if (runs.Empty() && input.AtEnd()) {
            keys.BuildStarts(input, progress);
        } else {
            keys.Build(input, progress);
        }
        budget.Learn(input.TextBytes(), lines.size(), keys.KeyBytes());
        progress.Stage(stage("sorting"));
        keys.Sort(settings.reverse);
        if (runs.Empty() && input.AtEnd()) {
            Output output(settings.outputPath);
            BeginOutput(output, input.HadSignature(), headers);
            progress.Stage("writing", lines.size());
            if (!settings.unique && !job.debug && settings.jobs > 1) {
                WriteSortedOnThreads(keys.Items(), lines, input.TextBytes(), job.order, output, settings.jobs,
                                     progress);
            } else {
                OutputSink sink(output, job.debug);
                WriteSorted(keys.Items(), lines, job.order, settings.unique, sink, progress);
            }
            output.Commit();
            return 0;
        }
        RecordSink& run = runs.Begin();
        progress.Stage("run " + std::to_string(chunk) + ": writing", lines.size());
        WriteSorted(keys.Items(), lines, job.order, settings.unique, run, progress);
        runs.End();
    }
    input.Release();
    keys.Release();
    Output output(settings.outputPath);
    BeginOutput(output, input.HadSignature(), headers);
    if (!runs.Empty()) {
        OutputSink sink(output, job.debug);
        runs.MergeInto(sink);
    }
    output.Commit();
    return 0;
}

}  // namespace zabrelo_tool
