// InputText: the input files of a command, read whole and cut into lines.
// Keeps each line's bytes and how it ended (LF, CR LF or NUL), so sorted
// output reproduces the input's line ends, and can name a line by file and
// number in an error message.
#ifndef ZABRELO_TOOL_INPUTTEXT_H
#define ZABRELO_TOOL_INPUTTEXT_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zabrelo_tool {

struct Line {
    const char* text;        // the line's bytes, its end excluded
    std::size_t size;
    const char* end;         // the bytes that end it on output
    std::uint8_t endSize;
};

/// The whole content of `name` ("-": standard input). Throws ToolError
/// "<name>: <reason>" when it cannot be opened or read (a directory included).
std::string ReadWhole(const std::string& name);

class InputText {
public:
    /// Lines end in a line feed (a CR before it belongs to the end), or with
    /// `zeroTerminated` in a NUL byte.
    explicit InputText(bool zeroTerminated) : zeroTerminated_(zeroTerminated) {}

    /// Appends the lines of `name` ("-": standard input). Throws ToolError
    /// when the file cannot be read.
    void Read(const std::string& name);

    const std::vector<Line>& Lines() const { return lines_; }
    /// Whether some input began with a UTF-8 signature (not part of its lines).
    bool HadSignature() const { return hadSignature_; }
    /// "file:number" of line `index`, for messages.
    std::string Where(std::size_t index) const;

private:
    void Split(const char* p, const char* limit);

    bool zeroTerminated_;
    bool hadSignature_ = false;
    std::vector<std::unique_ptr<std::string>> buffers_;  // owned apart, so line pointers stay put
    std::vector<std::string> names_;
    std::vector<std::size_t> firstLine_;  // per file: index of its first line
    std::vector<Line> lines_;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_INPUTTEXT_H
