// Progress: one line on standard error saying what a long sort is doing
// (reading, keys, sorting, writing, merging; for a run past the memory
// limit, which run). Shown only where it cannot get in the
// way: standard error is a terminal that takes escapes (not TERM=dumb) and
// the sorted lines do not go to a terminal, where it would land between
// them. Silent for the first two seconds ($ZABRELO_PROGRESS_DELAY seconds),
// so short runs see nothing, and with --quiet.
#ifndef ZABRELO_TOOL_PROGRESS_H
#define ZABRELO_TOOL_PROGRESS_H

#include <chrono>
#include <cstddef>
#include <string>

namespace zabrelo_tool {

class Progress {
public:
    /// `wanted`: not --quiet. `toStdout`: the result goes to standard output.
    Progress(bool wanted, bool toStdout);
    /// Clears the line if anything was shown.
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    /// Starts a stage; `total` 0 shows no percentage.
    void Stage(std::string name, std::size_t total = 0);
    /// Reports `done` of the stage's total; cheap enough to call often.
    void Update(std::size_t done);

private:
    void Show(std::size_t done);

    bool enabled_;
    bool shown_ = false;
    std::string stage_;
    std::size_t total_ = 0;
    std::chrono::steady_clock::duration quietPeriod_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastShown_;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_PROGRESS_H
