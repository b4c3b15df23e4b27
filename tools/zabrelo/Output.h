// Output: where a command's result goes. Standard output, or a named file
// written through a temporary file beside it and renamed over it only once
// everything is written, so an interrupted or failed run never leaves a
// half-written file, and the file may also be one of the inputs.
#ifndef ZABRELO_TOOL_OUTPUT_H
#define ZABRELO_TOOL_OUTPUT_H

#include <cstddef>
#include <cstdio>
#include <string>

#include "Platform.h"

namespace zabrelo_tool {

class Output {
public:
    /// Standard output when `path` is empty or "-". Opens nothing yet. A
    /// device or pipe is written to directly: it cannot be replaced.
    explicit Output(std::string path);
    /// Removes the temporary file when Commit was not reached.
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    /// Creates the temporary file (a named output only). Throws ToolError.
    void Open();
    /// Throws ToolError on a write error (disk full, closed pipe).
    void Write(const char* data, std::size_t size);
    void Write(const std::string& text) { Write(text.data(), text.size()); }
    /// Flushes, closes and, for a named output, renames the temporary file
    /// over it. Throws ToolError on failure, leaving the old file as it was.
    void Commit();

private:
    /// Throws ToolError: "<what> <output>: <reason>".
    [[noreturn]] void Fail(const std::string& what, const std::string& reason = LastSystemError());

    /// Hands the gathered bytes to the stream.
    void Flush();

    std::string path_;
    std::string tempPath_;
    std::FILE* file_ = nullptr;
    // Lines are gathered here and handed on in large blocks: one stream call
    // per line and per line end cost more than the rest of writing.
    std::string pending_;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_OUTPUT_H
