// SortJob: what the three ways `zabrelo sort` works share: sorting inputs
// (SortInputs.cpp), merging sorted ones (-m, MergeInputs.cpp) and checking
// one (-c, CheckInput.cpp); and the steps they all take to the output.
#ifndef ZABRELO_TOOL_SORTJOB_H
#define ZABRELO_TOOL_SORTJOB_H

#include <cstddef>
#include <string>
#include <vector>

#include "Collation.h"
#include "DebugMarks.h"
#include "InputText.h"
#include "LineKeys.h"
#include "LineOrder.h"
#include "Merge.h"
#include "Output.h"
#include "Progress.h"
#include "SortKeys.h"
#include "SortSettings.h"

namespace zabrelo_tool {

struct SortJob {
    const SortSettings& settings;
    const Collation& collation;
    const LineKeys& keys;
    const LineOrder& order;
    Progress& progress;
    DebugMarks* debug = nullptr;  // --debug: how lines are shown
};

/// Each returns the exit status and throws ToolError for an error.
int SortInputs(const SortJob& job);
int MergeInputs(const SortJob& job);
int CheckInput(const SortJob& job);

/// Opens `output` and writes what goes before the lines: a UTF-8 signature
/// when an input began with one, then the header of --header.
void BeginOutput(Output& output, bool signature, const Headers& headers);

/// Lines to the output, each with its own end, or as --debug shows them.
class OutputSink : public RecordSink {
public:
    explicit OutputSink(Output& output, DebugMarks* debug = nullptr) : output_(output), debug_(debug) {}
    void Add(const KeyedLine&, const Line& line) override {
        if (debug_) {
            shown_.clear();
            debug_->Show(line.text, line.size, shown_);
            output_.Write(shown_);
            return;
        }
        output_.Write(line.text, line.size);
        output_.Write(EndText(line), EndSize(line));
    }

private:
    Output& output_;
    DebugMarks* debug_;
    std::string shown_;
};

/// The buffer each run gets when runs are read or written: together, the
/// runs merged at once take a quarter of -S.
std::size_t RunBufferSize(const SortSettings& settings);

/// Lines of inputs read in chunks and keyed, one by one in input order: an
/// input of -m, or the one of -c.
class KeyedInput : public RecordSource {
public:
    /// `textLimit`: the bytes of text a chunk holds.
    KeyedInput(const SortJob& job, std::vector<std::string> files, Headers* headers, std::size_t textLimit);

    bool Next() override;
    /// Reads the first chunk, if that has not happened: then its signature
    /// and header are known.
    void Start();
    bool HadSignature() const { return input_.HadSignature(); }
    /// "file:number" of the current line.
    std::string Where() const { return input_.Where(next_ - 1); }

private:
    bool Fill();

    InputText input_;
    SortKeys keys_;
    Progress& progress_;
    std::size_t textLimit_;
    std::size_t next_ = 0;
    bool started_ = false;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_SORTJOB_H
