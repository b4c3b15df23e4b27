// MergeInputs: `zabrelo sort -m`. The inputs are taken as sorted already
// and merged as they are read, keyed a chunk at a time. More inputs than
// --batch-size, or than half the files the process may still open, are
// merged in groups into runs first.
#include <algorithm>
#include <memory>

#include "RunSet.h"
#include "SortJob.h"

namespace zabrelo_tool {

int MergeInputs(const SortJob& job) {
    const SortSettings& settings = job.settings;
    const std::vector<std::string>& files = settings.files;
    const std::size_t room = FileRoom();
    const std::size_t batch = std::clamp<std::size_t>(room / 2, 2, settings.batchSize);
    Headers headers;
    // The text of a chunk of each input: a share of -S for each input merged at once.
    const std::size_t textLimit = std::clamp<std::size_t>(
        settings.bufferSize / (4 * std::min(files.size(), batch)), 64 << 10, 16 << 20);
    bool signature = false;
    // The inputs [first, first + count), each started, so their signatures
    // and headers are known.
    const auto open = [&](std::size_t first, std::size_t count, std::vector<std::unique_ptr<KeyedInput>>& inputs) {
        std::vector<RecordSource*> sources;
        for (std::size_t f = first; f < first + count; ++f) {
            inputs.push_back(
                std::make_unique<KeyedInput>(job, std::vector<std::string>{files[f]}, &headers, textLimit));
            inputs.back()->Start();
            signature = signature || inputs.back()->HadSignature();
            sources.push_back(inputs.back().get());
        }
        return sources;
    };

    if (files.size() <= batch) {
        std::vector<std::unique_ptr<KeyedInput>> inputs;
        const std::vector<RecordSource*> sources = open(0, files.size(), inputs);
        Output output(settings.outputPath);
        BeginOutput(output, signature, headers);
        job.progress.Stage("merging");
        OutputSink sink(output, job.debug);
        Merge(sources, job.order, settings.unique, sink, job.progress, 0);
        output.Commit();
        return 0;
    }
    RunSet runs(settings.tempDirs, settings.batchSize, RunBufferSize(settings), job.order, settings.unique,
                job.progress, room - batch);
    for (std::size_t first = 0; first < files.size(); first += batch) {
        std::vector<std::unique_ptr<KeyedInput>> inputs;
        const std::size_t count = std::min(batch, files.size() - first);
        const std::vector<RecordSource*> sources = open(first, count, inputs);
        job.progress.Stage("merging inputs " + std::to_string(first + 1) + " to " + std::to_string(first + count));
        Merge(sources, job.order, settings.unique, runs.Begin(), job.progress, 0);
        runs.End();
    }
    Output output(settings.outputPath);
    BeginOutput(output, signature, headers);
    OutputSink sink(output, job.debug);
    runs.MergeInto(sink);
    output.Commit();
    return 0;
}

}  // namespace zabrelo_tool
