// InputText: reading and line splitting. A regular file is read straight
// into place, as much of it at once as a chunk takes; a pipe in blocks. A
// UTF-8 signature (EF BB BF) that begins a file marks the file's encoding,
// not its first line's text: it is taken off and only remembered.
#include "InputText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "Platform.h"
#include "ToolError.h"
#include "library/ThreadShares.h"

namespace zabrelo_tool {

namespace {

constexpr char kSignature[] = "\xEF\xBB\xBF";

// Reads go at least this far, so small budgets still read in useful pieces,
// and not much further than the budget: what a chunk does not take is copied
// into the next one. A pipe is read at most this far at a time.
constexpr std::size_t kMinRead = 4 << 10;
constexpr std::size_t kPipeRead = 1 << 20;
constexpr unsigned long long kMostRead = 1ULL << 30;  // what every system reads in one call
constexpr std::size_t kSampleBytes = 64 << 10;         // of a large read, to guess its lines from
constexpr std::ptrdiff_t kSplitBytes = 1 << 20;        // below this, one thread splits lines
constexpr std::size_t kReadInParts = 1 << 20;          // from this on, threads read a regular file's parts at once
constexpr std::size_t kNoLine = static_cast<std::size_t>(-1);

}  // namespace

const char* EndText(const Line& line) {
    // The NUL end is the terminating NUL of "".
    static const char* const kEnds[] = {"\n", "\r\n", ""};
    return kEnds[line.ending];
}

void Headers::Offer(const std::string& shown, const Line& line) {
    const std::string text(line.text, line.size);
    if (!has_) {
        has_ = true;
        shown_ = shown;
        text_ = text;
        end_.assign(EndText(line), EndSize(line));
    } else if (text != text_) {
        // Sorted in among the lines, or dropped, it would be lost either way.
        throw ToolError(shown + ": its header differs from that of " + shown_ +
                        " (--header takes each input's first line for the same header)");
    }
}

InputText::InputText(std::vector<std::string> names, RecordFormat format, Headers* headers)
    : names_(std::move(names)), format_(std::move(format)), headers_(headers),
      delimiter_(format_.zeroTerminated ? '\0' : '\n') {}

InputText::~InputText() {
    if (stream_ && stream_ != stdin) std::fclose(stream_);
}

std::string InputText::Shown(std::size_t file) const {
    return names_[file] == "-" ? "standard input" : names_[file];
}

bool InputText::Fill(std::size_t textLimit) {
    lines_.clear();
    segments_.clear();
    textBytes_ = 0;
    limit_ = textLimit;
    // What is read but not taken yet stays, moved to a block of its own.
    const std::size_t unread = blockUsed_ - recordStart_;
    if (unread > 0 || !blocks_.empty()) {
        std::unique_ptr<char[]> kept;
        if (unread > 0) {
            kept.reset(new char[std::max(unread, kMinRead)]);
            std::memcpy(kept.get(), block_ + recordStart_, unread);
        }
        blocks_.clear();
        block_ = kept.get();
        blockSize_ = unread > 0 ? std::max(unread, kMinRead) : 0;
        if (kept) blocks_.push_back(std::move(kept));
        scanned_ -= recordStart_;
        recordStart_ = 0;
        blockUsed_ = unread;
    }
    for (;;) {
        if (stream_ && !fileStart_ && block_) Split();
        if (!lines_.empty() && (Full() || eager_)) break;
        if (ended_) CloseFile();  // Split took its last line
        if (!stream_ && !OpenNext()) {
            atEnd_ = true;
            break;
        }
        Read();
    }
    return !lines_.empty();
}

void InputText::Release() {
    LineList().swap(lines_);
    if (blockUsed_ == recordStart_) {
        blocks_.clear();
        block_ = nullptr;
        blockSize_ = blockUsed_ = recordStart_ = scanned_ = 0;
    }
}

bool InputText::OpenNext() {
    if (file_ >= names_.size()) return false;
    const std::string& name = names_[file_++];
    stream_ = name == "-" ? stdin : OpenForReading(name);
    if (!stream_) throw ToolError(Shown(file_ - 1) + ": " + LastSystemError());
    remaining_ = RegularFileSize(stream_);
    regular_ = remaining_ >= 0;
    ended_ = false;
    fileStart_ = true;
    firstRecord_ = true;
    lineNumber_ = 0;
    lastEnd_ = format_.zeroTerminated ? kEndNul : kEndLf;
    csvState_ = CsvState::kFieldStart;
    return true;
}

void InputText::CloseFile() {
    if (stream_ != stdin) std::fclose(stream_);
    stream_ = nullptr;
    ended_ = false;
}

void InputText::Read() {
    const std::size_t want = ReadSize();
    MakeRoom(want);
    const std::size_t asked = std::min(want, blockSize_ - blockUsed_);
    // What a pipe has now, not all that was asked: a merge goes on with the
    // lines an input has sent so far.
    const long long got = regular_ && threads_ > 1 && asked >= kReadInParts
                              ? ReadInParts(DescriptorOf(stream_), block_ + blockUsed_, asked)
                              : ReadSome(DescriptorOf(stream_), block_ + blockUsed_, asked);
    if (got < 0) throw ToolError(Shown(file_ - 1) + ": " + LastSystemError());
    const auto n = static_cast<std::size_t>(got);
    blockUsed_ += n;
    if (remaining_ > 0) remaining_ -= std::min(static_cast<long long>(n), remaining_);
    // A regular file is read to its end when it asked one byte more than was
    // left (a huge read may also stop short, at the system's limit).
    ended_ = n == 0 || (regular_ && remaining_ == 0 && n < asked);
    // A signature is looked for once three bytes are at hand: a pipe may
    // send fewer at first.
    const std::size_t start = blockUsed_ - recordStart_;
    if (fileStart_ && (start >= 3 || ended_)) {
        fileStart_ = false;
        if (start >= 3 && std::memcmp(block_ + recordStart_, kSignature, 3) == 0) {
            hadSignature_ = true;
            recordStart_ += 3;
            scanned_ = recordStart_;
        }
    }
}

long long InputText::ReadInParts(int fd, char* data, std::size_t size) const {
    const long long start = Position(fd);
    if (start < 0) return ReadSome(fd, data, size);
    // Each thread reads its part whole, as far as the file goes: the read
    // then ends where the first part that is not whole ends.
    const auto threads = static_cast<unsigned>(threads_);
    std::vector<std::size_t> got(threads, 0);
    std::vector<int> failure(threads, 0);
    zabrelo::RunShares(threads, [&](unsigned t) {
        const zabrelo::Share part = zabrelo::ShareOf(size, t, threads);
        for (std::size_t at = part.begin; at < part.end;) {
            const long long n = ReadSomeAt(fd, data + at, part.end - at, start + static_cast<long long>(at));
            if (n <= 0) {
                if (n < 0) failure[t] = errno;
                break;
            }
            at += static_cast<std::size_t>(n);
            got[t] += static_cast<std::size_t>(n);
        }
    });
    std::size_t total = 0;
    for (unsigned t = 0; t < threads; ++t) {
        if (failure[t] != 0 && total == 0 && got[t] == 0) {
            errno = failure[t];
            return -1;
        }
        total += got[t];
        const zabrelo::Share part = zabrelo::ShareOf(size, t, threads);
        if (failure[t] != 0 || got[t] < part.end - part.begin) break;
    }
    if (!SetPosition(fd, start + static_cast<long long>(total))) return -1;
    return static_cast<long long>(total);
}

std::size_t InputText::ReadSize() const {
    const std::size_t budget = limit_ > textBytes_ ? limit_ - textBytes_ : 0;
    // A pipe, or a file that has grown since it was opened, is read in blocks.
    if (remaining_ <= 0) return std::clamp(budget, kMinRead, kPipeRead);
    // A regular file: what is left of it, within the budget, and one byte
    // more, so the read that takes the rest also finds the end.
    const auto left = static_cast<unsigned long long>(remaining_) + 1;
    return static_cast<std::size_t>(std::min<unsigned long long>({std::max(budget, kMinRead), left, kMostRead}));
}

void InputText::MakeRoom(std::size_t want) {
    const std::size_t room = blockSize_ - blockUsed_;
    if (room >= want || (room >= kMinRead && block_)) return;
    // A new block, with the record read in part moved to its start: what the
    // old block holds besides stays for the lines that point into it.
    const std::size_t partial = blockUsed_ - recordStart_;
    const std::size_t size = std::max(want, kMinRead) + partial;
    std::unique_ptr<char[]> block(new char[size]);
    PreferHugePages(block.get(), size);
    if (partial > 0) std::memcpy(block.get(), block_ + recordStart_, partial);
    const bool oldHasLines = block_ && recordStart_ > 0;
    if (!oldHasLines && !blocks_.empty()) blocks_.pop_back();  // nothing points into it
    block_ = block.get();
    blocks_.push_back(std::move(block));
    blockSize_ = size;
    blockUsed_ = partial;
    scanned_ -= recordStart_;
    recordStart_ = 0;
}

void InputText::Split() {
    const char* const base = block_;
    const char* const limit = base + blockUsed_;
    ReserveLines(base + scanned_, limit);
    if (!format_.csv) {
        bool large = threads_ > 1;  // worth a look once
        while (!Full()) {
            // A file's first record may be its header, which one line at a time takes.
            if (large && !firstRecord_) {
                large = false;
                if (SplitLarge(base + scanned_, limit)) continue;
            }
            const char* const from = base + scanned_;
            const auto* stop =
                static_cast<const char*>(std::memchr(from, delimiter_, static_cast<std::size_t>(limit - from)));
            if (!stop) {
                scanned_ = blockUsed_;
                break;
            }
            AddRecord(base + recordStart_, stop, true);
            recordStart_ = scanned_ = static_cast<std::size_t>(stop + 1 - base);
        }
    } else {
        // A separator cut off at the end of what was read would not be seen
        // as one; it is looked at again once the rest has come.
        const char* p = base + scanned_;
        const std::size_t hold = ended_ ? 0 : format_.separator.size() - 1;
        const char* const scanLimit = limit - std::min<std::size_t>(hold, static_cast<std::size_t>(limit - p));
        while (p < scanLimit && !Full()) {
            if (*p == delimiter_ && csvState_ != CsvState::kQuoted) {
                AddRecord(base + recordStart_, p, true);
                ++p;
                recordStart_ = static_cast<std::size_t>(p - base);
                csvState_ = CsvState::kFieldStart;
                continue;
            }
            // Most records have no quote at all: then the next delimiter ends them.
            if (csvState_ == CsvState::kFieldStart && p == base + recordStart_) {
                const auto* stop =
                    static_cast<const char*>(std::memchr(p, delimiter_, static_cast<std::size_t>(scanLimit - p)));
                if (stop && !std::memchr(p, '"', static_cast<std::size_t>(stop - p))) {
                    p = stop;
                    continue;
                }
            }
            if (CsvStep(csvState_, p, limit, format_.separator) == CsvRole::kSeparator) {
                p += format_.separator.size();
            } else {
                ++p;
            }
        }
        scanned_ = static_cast<std::size_t>(p - base);
    }
    // At the end of the file, what follows the last line end is a line too.
    if (ended_ && !Full() && scanned_ == blockUsed_ && blockUsed_ > recordStart_) {
        if (format_.csv && csvState_ == CsvState::kQuoted) {
            throw ToolError(Shown(file_ - 1) + ":" + std::to_string(lineNumber_ + 1) +
                            ": a quoted field is not closed before the end of the file");
        }
        AddRecord(base + recordStart_, limit, false);
        recordStart_ = scanned_ = blockUsed_;
    }
}

bool InputText::SplitLarge(const char* from, const char* limit) {
    const auto enough = [](const char* first, const char* last) { return last - first >= kSplitBytes; };
    if (threads_ < 2 || block_ + recordStart_ != from || !enough(from, limit)) return false;
    // The lines that end in [from, stop): those whose end has been read, as
    // far as the one that fills the chunk (Full: the line that brings its
    // text to limit_ is the last taken; it is not full yet).
    const char* last = limit;
    while (last > from && last[-1] != delimiter_) --last;
    const char* stop = last;
    const std::size_t room = limit_ - textBytes_;
    if (room < static_cast<std::size_t>(last - from)) {
        const char* const filling = from + room - 1;
        stop = static_cast<const char*>(std::memchr(filling, delimiter_, static_cast<std::size_t>(last - filling))) + 1;
    }
    if (!enough(from, stop)) return false;

    // Each thread takes the lines that end in its share of the bytes: it
    // counts them, and once the lines before its own are counted too, makes them.
    const auto threads = static_cast<unsigned>(threads_);
    const auto bytes = static_cast<std::size_t>(stop - from);
    const auto share = [&](std::size_t t) { return from + bytes / threads * t + (t == threads ? bytes % threads : 0); };
    const auto nextEnd = [this](const char* p, const char* end) {
        return static_cast<const char*>(std::memchr(p, delimiter_, static_cast<std::size_t>(end - p)));
    };
    std::vector<std::size_t> before(threads + 1, 0);
    zabrelo::RunShares(threads, [&](unsigned t) {
        before[t + 1] = static_cast<std::size_t>(std::count(share(t), share(t + 1), delimiter_));
    });
    for (unsigned t = 0; t < threads; ++t) before[t + 1] += before[t];
    const std::size_t firstLine = lines_.size();
    lines_.resize(firstLine + before[threads]);
    const bool zero = format_.zeroTerminated;
    std::vector<std::size_t> tooLong(threads, kNoLine);
    zabrelo::RunShares(threads, [&](unsigned t) {
        // Its first line starts after the last end before its share.
        const char* start = share(t);
        while (start > from && start[-1] != delimiter_) --start;
        Line* line = lines_.data() + firstLine + before[t];
        for (const char* p = share(t); (p = nextEnd(p, share(t + 1))) != nullptr; start = ++p) {
            // As AddRecord ends a line: CR LF when a CR comes before the LF.
            const bool cr = !zero && p > start && p[-1] == '\r';
            const auto size = static_cast<std::size_t>(p - start) - (cr ? 1 : 0);
            if (static_cast<std::uint64_t>(size) > kMostLineBytes && tooLong[t] == kNoLine) {
                tooLong[t] = static_cast<std::size_t>(line - lines_.data()) - firstLine;
            }
            *line++ = Line{start, static_cast<std::uint32_t>(size), cr ? kEndCrLf : zero ? kEndNul : kEndLf};
        }
    });
    const std::size_t longLine = *std::min_element(tooLong.begin(), tooLong.end());
    if (longLine != kNoLine) TooLong(lineNumber_ + 1 + longLine);
    lastEnd_ = lines_.back().ending;
    if (segments_.empty() || segments_.back().file != file_ - 1) {
        segments_.push_back({file_ - 1, firstLine, lineNumber_ + 1});
    }
    lineNumber_ += before[threads];
    textBytes_ += bytes;
    recordStart_ = scanned_ = static_cast<std::size_t>(stop - block_);
    return true;
}

void InputText::ReserveLines(const char* from, const char* limit) {
    // A large read would otherwise grow the lines' vector step by step,
    // copying it each time onto memory never touched before; its first
    // bytes tell roughly how many lines it holds.
    const auto unscanned = static_cast<std::size_t>(limit - from);
    if (unscanned < kSampleBytes * 4) return;
    const std::size_t ends = static_cast<std::size_t>(std::count(from, from + kSampleBytes, delimiter_));
    const std::size_t budget = limit_ > textBytes_ ? limit_ - textBytes_ : 0;
    const std::size_t expected = std::min(unscanned, budget) / kSampleBytes * (ends + 1) * 9 / 8;
    if (lines_.capacity() - lines_.size() < expected) lines_.reserve(lines_.size() + expected);
}

void InputText::AddRecord(const char* start, const char* stop, bool terminated) {
    auto size = static_cast<std::size_t>(stop - start);
    std::uint8_t ending = lastEnd_;
    if (terminated) {
        if (!format_.zeroTerminated && size > 0 && stop[-1] == '\r') {
            --size;
            ending = lastEnd_ = kEndCrLf;
        } else {
            ending = lastEnd_ = format_.zeroTerminated ? kEndNul : kEndLf;
        }
    } else if (!format_.zeroTerminated && size > 0 && stop[-1] == '\r') {
        // An unended last line that stops at a CR: the LF it gets makes a CR LF of it.
        --size;
        ending = kEndCrLf;
    }
    const std::uint64_t number = lineNumber_ + 1;
    if (static_cast<std::uint64_t>(size) > kMostLineBytes) TooLong(number);
    const Line line{start, static_cast<std::uint32_t>(size), ending};
    lineNumber_ += 1;
    if (format_.csv) lineNumber_ += static_cast<std::uint64_t>(std::count(start, stop, delimiter_));
    if (firstRecord_) {
        firstRecord_ = false;
        if (format_.header && headers_) {
            headers_->Offer(Shown(file_ - 1), line);
            return;
        }
    }
    if (segments_.empty() || segments_.back().file != file_ - 1) {
        segments_.push_back({file_ - 1, lines_.size(), number});
    }
    lines_.push_back(line);
    textBytes_ += line.size + EndSize(line);
}

void InputText::TooLong(std::uint64_t number) const {
    throw ToolError(Shown(file_ - 1) + ":" + std::to_string(number) + ": a line longer than " +
                    std::to_string(kMostLineBytes) + " bytes");
}

std::string InputText::Where(std::size_t index) const {
    const auto it = std::upper_bound(segments_.begin(), segments_.end(), index,
                                     [](std::size_t i, const Segment& s) { return i < s.firstLine; });
    const Segment& segment = *(it - 1);
    std::uint64_t number = segment.number;
    for (std::size_t i = segment.firstLine; i < index; ++i) {
        const Line& line = lines_[i];
        number += 1;
        if (format_.csv) number += static_cast<std::uint64_t>(std::count(line.text, line.text + line.size, delimiter_));
    }
    return Shown(segment.file) + ":" + std::to_string(number);
}

}  // namespace zabrelo_tool
