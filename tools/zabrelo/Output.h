// Output: where a command's result goes. Standard output, or a named file
// that behaves as if the user had written it: a file the user may not
// write is refused, and the file keeps its owner, group, mode and hard
// links. Its old content stays until the whole result exists: the result
// is written to a temporary file first and then either renamed over the
// file, when that changes nothing else one could see, or copied into it.
// So a failed or interrupted run never leaves a half-written file, and the
// file may also be one of the inputs. The temporary file goes on an error
// and when a signal ends the run.
#ifndef ZABRELO_TOOL_OUTPUT_H
#define ZABRELO_TOOL_OUTPUT_H

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace zabrelo_tool {

class Output {
public:
    /// Standard output when `path` is empty, else the file `path` ("-" is
    /// a file of that name). Opens nothing yet. A device or pipe is written
    /// to directly: it cannot be replaced.
    explicit Output(std::string path);
    /// Removes the temporary file when Commit was not reached.
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    /// Opens the existing file for writing (which refuses what the user may
    /// not write) and creates the temporary file. Throws ToolError.
    void Open();
    /// Throws ToolError on a write error (disk full, closed pipe).
    void Write(const char* data, std::size_t size) {
        if (size <= kBufferSize - used_) {
            if (size > 0) std::memcpy(pending_.get() + used_, data, size);
            used_ += size;
            return;
        }
        WriteLong(data, size);
    }
    void Write(const std::string& text) { Write(text.data(), text.size()); }
    /// Write for a block of lines gathered elsewhere: handed on as it is,
    /// rather than copied into the buffer.
    void WriteBlock(const char* data, std::size_t size);
    /// Flushes and closes; for a named file, renames the temporary file over
    /// it or copies it in. Throws ToolError on failure, leaving the old file
    /// as it was, except when copying in fails halfway: the message then
    /// names the temporary file, which is kept and holds the whole result.
    void Commit();

private:
    /// Throws ToolError: "<what> <output>: <reason>".
    [[noreturn]] void Fail(const std::string& what, const std::string& reason);

    /// Hands the gathered bytes to the stream.
    void Flush();
    /// Write for what the buffer's room does not take.
    void WriteLong(const char* data, std::size_t size);
    /// Hands `size` bytes at `data` to the stream.
    void Hand(const char* data, std::size_t size);

    std::string name_;  // as given, for messages
    std::string path_;  // symbolic links resolved
    std::string tempPath_;   // for an unnamed file, the handle that reaches it
    bool unnamed_ = false;
    int tempSlot_ = -1;      // its place among the names a signal removes
    std::FILE* file_ = nullptr;
    int target_ = -1;        // the existing file, open for writing; -1 when there is none
    bool inPlace_ = false;   // copy the result into target_ rather than rename over it
    // Lines are gathered here and handed on in large blocks: one stream call
    // per line and per line end cost more than the rest of writing.
    static constexpr std::size_t kBufferSize = 1 << 20;
    std::unique_ptr<char[]> pending_{new char[kBufferSize]};
    std::size_t used_ = 0;
    // A result that is synced at the end has the system write it out as it
    // grows, so the sync finds most of it on the disk already.
    std::size_t unsynced_ = 0;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_OUTPUT_H
