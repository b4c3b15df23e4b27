// InputText: reading and line splitting. A last line without an end gets
// the end its file used before it (LF when there is none to copy), as sort
// does, so joining files never glues two lines together.
#include "InputText.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "Platform.h"
#include "ToolError.h"

namespace zabrelo_tool {

namespace {

constexpr char kLf[] = "\n";
constexpr char kCrLf[] = "\r\n";
constexpr char kNul[] = "";  // one byte: the terminating NUL itself

std::string ReadAll(std::FILE* file, const std::string& shownName) {
    std::string bytes;
    // A file whose size can be asked is read straight into place; a pipe, or
    // whatever the file grew by meanwhile, goes through the chunks below.
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        if (size > 0 && std::fseek(file, 0, SEEK_SET) == 0) {
            bytes.resize(static_cast<std::size_t>(size));
            bytes.resize(std::fread(&bytes[0], 1, bytes.size(), file));
        } else {
            std::rewind(file);
        }
    }
    std::clearerr(file);
    std::vector<char> chunk(1 << 20);
    std::size_t n;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), file)) > 0) bytes.append(chunk.data(), n);
    if (std::ferror(file)) throw ToolError("cannot read " + shownName + ": " + LastSystemError());
    return bytes;
}

}  // namespace

void InputText::Read(const std::string& name) {
    std::string bytes;
    if (name == "-") {
        bytes = ReadAll(stdin, "standard input");
    } else {
        std::FILE* file = OpenFile(name, "rb");
        if (!file) throw ToolError(name + ": " + LastSystemError());
        try {
            bytes = ReadAll(file, name);
        } catch (...) {
            std::fclose(file);
            throw;
        }
        std::fclose(file);
    }
    names_.push_back(name == "-" ? "standard input" : name);
    firstLine_.push_back(lines_.size());
    buffers_.push_back(std::make_unique<std::string>(std::move(bytes)));
    Split(*buffers_.back());
}

void InputText::Split(const std::string& bytes) {
    const char delimiter = zeroTerminated_ ? '\0' : '\n';
    const char* lastEnd = zeroTerminated_ ? kNul : kLf;
    const char* p = bytes.data();
    const char* const limit = p + bytes.size();
    while (p < limit) {
        const char* stop = static_cast<const char*>(std::memchr(p, delimiter, static_cast<std::size_t>(limit - p)));
        Line line{p, 0, lastEnd, static_cast<std::uint8_t>(lastEnd == kCrLf ? 2 : 1)};
        if (!stop) {
            line.size = static_cast<std::size_t>(limit - p);
            p = limit;
        } else {
            line.size = static_cast<std::size_t>(stop - p);
            p = stop + 1;
            if (!zeroTerminated_ && line.size > 0 && stop[-1] == '\r') {
                --line.size;
                line.end = lastEnd = kCrLf;
                line.endSize = 2;
            } else {
                line.end = lastEnd = zeroTerminated_ ? kNul : kLf;
                line.endSize = 1;
            }
        }
        lines_.push_back(line);
    }
}

std::string InputText::Where(std::size_t index) const {
    const auto it = std::upper_bound(firstLine_.begin(), firstLine_.end(), index);
    const auto file = static_cast<std::size_t>(it - firstLine_.begin()) - 1;
    return names_[file] + ":" + std::to_string(index - firstLine_[file] + 1);
}

}  // namespace zabrelo_tool
