// CompressFilter: --compress-program between a run and its scratch file. A
// run is written through the program (its standard input a pipe from us,
// its standard output the file) and read back through "PROGRAM -d" (its
// standard input the file, its standard output a pipe to us), as sort does.
// Only on POSIX systems; elsewhere the option is refused when a run needs it.
#ifndef ZABRELO_TOOL_COMPRESSFILTER_H
#define ZABRELO_TOOL_COMPRESSFILTER_H

#include <cstddef>
#include <memory>
#include <string>

namespace zabrelo_tool {

/// The program runs go through: "" (the default) for none.
void SetCompressProgram(const std::string& program);
const std::string& CompressProgram();

class CompressFilter {
public:
    /// Starts CompressProgram() to compress into `file` (`decompress`: to
    /// decompress from it, with -d). Throws ToolError when it cannot start.
    CompressFilter(int file, bool decompress);
    /// Stops the program when Finish has not waited for it.
    ~CompressFilter();

    /// Our end of the pipe: to write to when compressing, to read from when
    /// decompressing.
    int Descriptor() const { return pipe_; }
    /// Writes to the program, compressing; false with `reason` when it cannot.
    /// A program that has gone away is not a signal that ends the sort but
    /// ToolError, as from Finish.
    bool Write(const char* data, std::size_t size, std::string& reason);
    /// Closes our end and waits for the program. Throws ToolError when it
    /// did not end well.
    void Finish();

private:
    CompressFilter(const CompressFilter&) = delete;
    CompressFilter& operator=(const CompressFilter&) = delete;

    int pipe_ = -1;
    long long process_ = -1;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_COMPRESSFILTER_H
