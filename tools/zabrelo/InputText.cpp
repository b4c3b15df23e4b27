// InputText: reading and line splitting. A last line without an end gets
// the end its file used before it (LF when there is none to copy), as sort
// does, so joining files never glues two lines together. A UTF-8 signature
// (EF BB BF) that begins a file marks the file's encoding, not its first
// line's text: it is taken off and only remembered.
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
constexpr char kSignature[] = "\xEF\xBB\xBF";

}  // namespace

std::string ReadWhole(const std::string& name) {
    const bool isStdin = name == "-";
    const std::string shown = isStdin ? "standard input" : name;
    const auto close = [isStdin](std::FILE* f) { if (!isStdin) std::fclose(f); };
    const std::unique_ptr<std::FILE, decltype(close)> opened(isStdin ? stdin : OpenForReading(name), close);
    std::FILE* const file = opened.get();
    if (!file) throw ToolError(shown + ": " + LastSystemError());
    std::string bytes;
    // A regular file is read straight into place; a pipe, or whatever the
    // file grew by meanwhile, goes through the chunks below.
    const long long size = RegularFileSize(file);
    if (size > 0 && static_cast<unsigned long long>(size) < bytes.max_size()) {
        bytes.resize(static_cast<std::size_t>(size));
        bytes.resize(std::fread(&bytes[0], 1, bytes.size(), file));
    }
    std::vector<char> chunk(1 << 20);
    std::size_t n;
    while (!std::ferror(file) && (n = std::fread(chunk.data(), 1, chunk.size(), file)) > 0) {
        bytes.append(chunk.data(), n);
    }
    if (std::ferror(file)) throw ToolError(shown + ": " + LastSystemError());
    return bytes;
}

void InputText::Read(const std::string& name) {
    std::string bytes = ReadWhole(name);
    names_.push_back(name == "-" ? "standard input" : name);
    firstLine_.push_back(lines_.size());
    buffers_.push_back(std::make_unique<std::string>(std::move(bytes)));
    const std::string& stored = *buffers_.back();
    const bool hasSignature = stored.compare(0, 3, kSignature) == 0;
    hadSignature_ = hadSignature_ || hasSignature;
    Split(stored.data() + (hasSignature ? 3 : 0), stored.data() + stored.size());
}

void InputText::Split(const char* p, const char* const limit) {
    const char delimiter = zeroTerminated_ ? '\0' : '\n';
    const char* lastEnd = zeroTerminated_ ? kNul : kLf;
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
