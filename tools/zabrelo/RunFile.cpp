// RunFile: records in and out of scratch files. Failures name the folder:
// the file itself has no name a user could look for.
#include "RunFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "Platform.h"
#include "ToolError.h"

namespace zabrelo_tool {

namespace {

constexpr std::size_t kMaxHeader = 10 + 10 + 1;  // two variable-length numbers and the line's end

std::size_t PutNumber(char* out, std::uint64_t value) {
    std::size_t n = 0;
    for (; value >= 0x80; value >>= 7) out[n++] = static_cast<char>(0x80 | (value & 0x7F));
    out[n++] = static_cast<char>(value);
    return n;
}

// A number at `p` of at most `size` bytes; false when it is cut off.
bool GetNumber(const char*& p, const char* limit, std::uint64_t& value) {
    value = 0;
    for (int shift = 0; p < limit && shift < 64; shift += 7) {
        const auto byte = static_cast<unsigned char>(*p++);
        value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if (byte < 0x80) return true;
    }
    return false;
}

// Scratch bytes written so far, against the limit a test may set in
// $ZABRELO_TEST_TEMP_LIMIT: past it, writes fail as on a full disk, so the
// tests see that failure where they cannot make a small file system.
std::uint64_t gScratchWritten = 0;

std::uint64_t ScratchLimit() {
    static const std::uint64_t limit = [] {
        const std::string text = EnvironmentValue("ZABRELO_TEST_TEMP_LIMIT");
        return text.empty() ? std::numeric_limits<std::uint64_t>::max() : std::strtoull(text.c_str(), nullptr, 10);
    }();
    return limit;
}

bool Write(int fd, CompressFilter* filter, const char* data, std::size_t size, std::string& reason) {
    gScratchWritten += size;
    if (gScratchWritten > ScratchLimit()) {
        errno = ENOSPC;
        reason = LastSystemError();
        return false;
    }
    return filter ? filter->Write(data, size, reason) : WriteFully(fd, data, size, reason);
}

}  // namespace

Run::Run(const std::string& dir) : dir_(dir) {
    std::string reason;
    fd_ = CreateScratchFile(dir, reason);
    if (fd_ < 0) Fail("cannot create", reason);
}

Run::~Run() {
    if (fd_ >= 0) CloseDescriptor(fd_);
}

void Run::Fail(const std::string& what, const std::string& reason) const {
    throw ToolError(what + " a temporary file in " + dir_ + ": " + reason);
}

namespace {

// The --compress-program filter a run's file is written or read through, or
// null when there is none.
std::unique_ptr<CompressFilter> FilterOf(const Run& run, bool decompress) {
    return CompressProgram().empty() ? nullptr : std::make_unique<CompressFilter>(run.Descriptor(), decompress);
}

}  // namespace

RunWriter::RunWriter(Run& run, std::size_t bufferSize)
    : run_(run), filter_(FilterOf(run, false)), fd_(filter_ ? filter_->Descriptor() : run.Descriptor()),
      buffer_(bufferSize) {}

RunWriter::~RunWriter() = default;

void RunWriter::Add(const KeyedLine& item, const Line& line) {
    char header[kMaxHeader];
    std::size_t size = PutNumber(header, item.keySize);
    size += PutNumber(header + size, line.size);
    header[size++] = static_cast<char>(EndNumber(line));
    const std::size_t need = size + item.keySize + line.size;
    if (used_ + need > buffer_.size()) Flush();
    if (need > buffer_.size()) {
        std::string reason;
        CompressFilter* const filter = filter_.get();
        if (!Write(fd_, filter, header, size, reason) || !Write(fd_, filter, item.key, item.keySize, reason) ||
            !Write(fd_, filter, line.text, line.size, reason)) {
            run_.Fail("cannot write", reason);
        }
    } else {
        char* out = buffer_.data() + used_;
        std::memcpy(out, header, size);
        if (item.keySize > 0) std::memcpy(out + size, item.key, item.keySize);
        if (line.size > 0) std::memcpy(out + size + item.keySize, line.text, line.size);
        used_ += need;
    }
    ++run_.lines;
}

void RunWriter::Flush() {
    std::string reason;
    if (used_ > 0 && !Write(fd_, filter_.get(), buffer_.data(), used_, reason)) run_.Fail("cannot write", reason);
    used_ = 0;
}

void RunWriter::Finish() {
    Flush();
    if (filter_) filter_->Finish();
    if (!Rewind(run_.Descriptor())) run_.Fail("cannot read", LastSystemError());
}

RunReader::RunReader(Run& run, std::size_t bufferSize)
    : run_(run), filter_(FilterOf(run, true)), fd_(filter_ ? filter_->Descriptor() : run.Descriptor()),
      buffer_(bufferSize) {}

RunReader::~RunReader() = default;

bool RunReader::Next() {
    if (!Have(kMaxHeader) && pos_ == used_) return false;
    const char* p = buffer_.data() + pos_;
    const char* const limit = buffer_.data() + used_;
    std::uint64_t keySize = 0, textSize = 0;
    if (!GetNumber(p, limit, keySize) || !GetNumber(p, limit, textSize) || p == limit) {
        run_.Fail("cannot read", "a record is cut off");
    }
    const auto end = static_cast<std::uint8_t>(*p++);
    const auto header = static_cast<std::size_t>(p - (buffer_.data() + pos_));
    const std::size_t need = header + static_cast<std::size_t>(keySize) + static_cast<std::size_t>(textSize);
    if (!Have(need)) run_.Fail("cannot read", "a record is cut off");
    const char* const record = buffer_.data() + pos_ + header;
    item.key = record;
    item.keySize = static_cast<std::uint32_t>(keySize);
    SetHeads(item, record);
    line.text = record + keySize;
    line.size = static_cast<std::uint32_t>(textSize);  // written from a Line
    SetEnd(line, end);
    pos_ += need;
    return true;
}

bool RunReader::Have(std::size_t bytes) {
    if (used_ - pos_ >= bytes) return true;
    if (ended_) return false;
    std::memmove(buffer_.data(), buffer_.data() + pos_, used_ - pos_);
    used_ -= pos_;
    pos_ = 0;
    if (bytes > buffer_.size()) buffer_.resize(bytes);  // a line longer than the buffer
    while (used_ < bytes) {
        const long long n = ReadSome(fd_, buffer_.data() + used_, buffer_.size() - used_);
        if (n < 0) run_.Fail("cannot read", LastSystemError());
        if (n == 0) {
            if (filter_) filter_->Finish();
            ended_ = true;
            break;
        }
        used_ += static_cast<std::size_t>(n);
    }
    return used_ >= bytes;
}

}  // namespace zabrelo_tool
