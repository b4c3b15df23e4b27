// RunSet: when to merge, and what to merge.
#include "RunSet.h"

#include <algorithm>

#include "Platform.h"

namespace zabrelo_tool {

namespace {

// The output's files: the target, the result, and the result read back.
constexpr std::size_t kOutputFiles = 3;

}  // namespace

std::size_t FileRoom() {
    const std::size_t left = FilesLeft();
    return left > kOutputFiles + 3 ? left - kOutputFiles : 3;
}

RunSet::RunSet(std::vector<std::string> dirs, std::size_t fanIn, std::size_t bufferSize, const LineOrder& order,
               bool unique, Progress& progress, std::size_t files)
    : dirs_(std::move(dirs)),
      // A merge holds its runs and the run it writes.
      fanIn_(std::clamp<std::size_t>(fanIn, 2, std::max<std::size_t>(files, 3) - 1)),
      files_(std::max<std::size_t>(files, 3)),
      bufferSize_(bufferSize),
      order_(order),
      unique_(unique),
      progress_(progress) {}

RecordSink& RunSet::Begin() {
    runs_.push_back(std::make_unique<Run>(dirs_[nextDir_++ % dirs_.size()]));
    writer_ = std::make_unique<RunWriter>(*runs_.back(), bufferSize_);
    return *writer_;
}

void RunSet::End() {
    writer_->Finish();
    writer_.reset();
    // fanIn runs of one level at the end: one run of the next level.
    while (runs_.size() >= fanIn_) {
        const std::size_t first = runs_.size() - fanIn_;
        const int level = runs_.back()->level;
        const bool sameLevel = std::all_of(runs_.begin() + static_cast<std::ptrdiff_t>(first), runs_.end(),
                                           [level](const std::unique_ptr<Run>& run) { return run->level == level; });
        if (!sameLevel) break;
        MergeRuns(first, fanIn_);
    }
    // Room for the next run and the run a merge of it writes.
    while (runs_.size() + 2 > files_) {
        const std::size_t count = std::min(fanIn_, runs_.size());
        MergeRuns(runs_.size() - count, count);
    }
}

void RunSet::MergeInto(RecordSink& sink) {
    // Merge the oldest runs until fanIn are left: as few lines go through an
    // extra pass as can.
    while (runs_.size() > fanIn_) MergeRuns(0, std::min(fanIn_, runs_.size() - fanIn_ + 1));
    std::uint64_t total = 0;
    for (const auto& run : runs_) total += run->lines;
    progress_.Stage("merging", static_cast<std::size_t>(total));
    std::vector<std::unique_ptr<RunReader>> readers;
    Merge(Readers(0, runs_.size(), readers), order_, unique_, sink, progress_, total);
    readers.clear();
    runs_.clear();
}

void RunSet::MergeRuns(std::size_t first, std::size_t count) {
    auto merged = std::make_unique<Run>(dirs_[nextDir_++ % dirs_.size()]);
    std::uint64_t total = 0;
    int level = 0;
    for (std::size_t r = first; r < first + count; ++r) {
        total += runs_[r]->lines;
        level = std::max(level, runs_[r]->level);
    }
    merged->level = level + 1;
    progress_.Stage("merging runs into one of level " + std::to_string(merged->level), static_cast<std::size_t>(total));
    {
        RunWriter writer(*merged, bufferSize_);
        std::vector<std::unique_ptr<RunReader>> readers;
        Merge(Readers(first, count, readers), order_, unique_, writer, progress_, total);
        writer.Finish();
    }
    const auto at = runs_.begin() + static_cast<std::ptrdiff_t>(first);
    runs_.erase(at, at + static_cast<std::ptrdiff_t>(count));
    runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(first), std::move(merged));
}

std::vector<RecordSource*> RunSet::Readers(std::size_t first, std::size_t count,
                                           std::vector<std::unique_ptr<RunReader>>& readers) {
    std::vector<RecordSource*> sources;
    for (std::size_t r = first; r < first + count; ++r) {
        readers.push_back(std::make_unique<RunReader>(*runs_[r], bufferSize_));
        sources.push_back(readers.back().get());
    }
    return sources;
}

}  // namespace zabrelo_tool
