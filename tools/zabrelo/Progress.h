// Progress: one line on standard error saying what a long sort is doing
// (reading, keys, sorting, writing). Silent for the first two seconds, when
// standard error is not a terminal, or with --quiet, so short runs and
// scripts see nothing.
#ifndef ZABRELO_TOOL_PROGRESS_H
#define ZABRELO_TOOL_PROGRESS_H

#include <chrono>
#include <cstddef>
#include <string>

namespace zabrelo_tool {

class Progress {
public:
    explicit Progress(bool enabled);
    /// Clears the line if anything was shown.
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    /// Starts a stage; `total` 0 shows no percentage.
    void Stage(const char* name, std::size_t total = 0);
    /// Reports `done` of the stage's total; cheap enough to call often.
    void Update(std::size_t done);

private:
    void Show(std::size_t done);

    bool enabled_;
    bool shown_ = false;
    const char* stage_ = "";
    std::size_t total_ = 0;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastShown_;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_PROGRESS_H
