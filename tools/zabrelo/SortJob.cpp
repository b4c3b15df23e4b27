// SortJob: the output's beginning and keyed inputs read a chunk at a time.
#include "SortJob.h"

#include <algorithm>

namespace zabrelo_tool {

namespace {

constexpr char kSignature[] = "\xEF\xBB\xBF";
constexpr std::size_t kLeastRunBuffer = 4 << 10, kMostRunBuffer = 1 << 20;

}  // namespace

void BeginOutput(Output& output, bool signature, const Headers& headers) {
    output.Open();
    if (signature) output.Write(kSignature, 3);
    if (headers.Has()) output.Write(headers.Text());
}

std::size_t RunBufferSize(const SortSettings& settings) {
    return std::clamp(settings.bufferSize / (4 * settings.batchSize), kLeastRunBuffer, kMostRunBuffer);
}

KeyedInput::KeyedInput(const SortJob& job, std::vector<std::string> files, Headers* headers, std::size_t textLimit)
    : input_(std::move(files), job.settings.format, headers),
      keys_(job.collation, job.keys, job.settings.jobs),
      progress_(job.progress),
      textLimit_(textLimit) {
    input_.TakeLinesAsTheyCome();
}

bool KeyedInput::Fill() {
    if (!input_.Fill(textLimit_)) return false;
    keys_.Build(input_, progress_);
    next_ = 0;
    return true;
}

void KeyedInput::Start() {
    if (started_) return;
    started_ = true;
    Fill();
}

bool KeyedInput::Next() {
    Start();
    while (next_ >= keys_.Items().size()) {
        if (!Fill()) return false;
    }
    item = keys_.Items()[next_];
    line = input_.Lines()[next_];
    ++next_;
    return true;
}

}  // namespace zabrelo_tool
