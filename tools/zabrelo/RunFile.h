// RunFile: a sorted run that a sort keeps in a scratch file while it reads
// on: each line with its key, so merging never keys a line twice. A record
// is the key's size and the line's size (variable-length numbers), the
// line's end (0 LF, 1 CR LF, 2 NUL), the key, the line. Runs are written and
// read through buffers of a fixed size, whatever the run's size.
#ifndef ZABRELO_TOOL_RUNFILE_H
#define ZABRELO_TOOL_RUNFILE_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CompressFilter.h"
#include "Merge.h"

namespace zabrelo_tool {

/// The scratch file of one run (Platform's CreateScratchFile: it has no
/// name, and goes when closed or when the process ends).
class Run {
public:
    /// Creates the file in `dir`. Throws ToolError when it cannot.
    explicit Run(const std::string& dir);
    ~Run();
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    /// Throws ToolError: "<what> a temporary file in <dir>: <reason>".
    [[noreturn]] void Fail(const std::string& what, const std::string& reason) const;

    int Descriptor() const { return fd_; }
    std::uint64_t lines = 0;  // how many it holds
    int level = 0;            // 0 when sorted from the input, else 1 + the level of the runs merged into it

private:
    std::string dir_;
    int fd_;
};

/// Writes a run's records (through --compress-program's, if any); Finish
/// before reading it.
class RunWriter : public RecordSink {
public:
    RunWriter(Run& run, std::size_t bufferSize);
    ~RunWriter() override;
    void Add(const KeyedLine& item, const Line& line) override;
    /// Writes what is left and goes back to the start of the file.
    void Finish();

private:
    void Flush();

    Run& run_;
    std::unique_ptr<CompressFilter> filter_;
    int fd_;  // the run's file, or the filter's pipe
    std::vector<char> buffer_;
    std::size_t used_ = 0;
};

/// Reads a finished run's records back (through "--compress-program -d").
class RunReader : public RecordSource {
public:
    RunReader(Run& run, std::size_t bufferSize);
    ~RunReader() override;
    bool Next() override;

private:
    /// Keeps [pos_, used_) and reads on until `bytes` are at hand or the
    /// file ends; whether they are.
    bool Have(std::size_t bytes);

    Run& run_;
    std::unique_ptr<CompressFilter> filter_;
    int fd_;  // the run's file, or the filter's pipe
    std::vector<char> buffer_;
    std::size_t pos_ = 0, used_ = 0;
    bool ended_ = false;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_RUNFILE_H
