// InputText: the input files of a command, read in chunks of whole lines
// (or, with --csv, whole records, which may span lines). Keeps each line's
// bytes and how it ended (LF, CR LF or NUL), so sorted output reproduces the
// input's line ends, and can name a line by file and line number in an
// error message. A chunk may hold all the input, or as much of it as a
// sort run takes.
#ifndef ZABRELO_TOOL_INPUTTEXT_H
#define ZABRELO_TOOL_INPUTTEXT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Fields.h"
#include "UnsetAllocator.h"

namespace zabrelo_tool {

/// The ends a line can have, by number.
constexpr std::uint8_t kEndLf = 0, kEndCrLf = 1, kEndNul = 2;

/// Sixteen bytes, as a sort holds one per line: a line is at most
/// kMostLineBytes long.
struct Line {
    const char* text;     // the line's bytes, its end excluded
    std::uint32_t size;
    std::uint8_t ending;  // kEndLf, kEndCrLf or kEndNul
};
constexpr std::uint64_t kMostLineBytes = 0xFFFFFFFFu;
static_assert(sizeof(Line) <= 16, "a sort holds one Line per line");

/// Lines as InputText holds them (see UnsetAllocator.h).
using LineList = std::vector<Line, UnsetAllocator<Line>>;

/// The bytes that end a line on output, and how many they are.
const char* EndText(const Line& line);
inline std::size_t EndSize(const Line& line) { return line.ending == kEndCrLf ? 2 : 1; }

/// The end's number, for files that store lines; SetEnd takes any byte
/// (one not an end's number reads as LF).
inline std::uint8_t EndNumber(const Line& line) { return line.ending; }
inline void SetEnd(Line& line, std::uint8_t number) { line.ending = number <= kEndNul ? number : kEndLf; }

/// How the input is cut into lines.
struct RecordFormat {
    bool zeroTerminated = false;  // lines end in NUL, not LF
    bool csv = false;             // a line break inside a quoted field belongs to the record
    std::string separator = ",";  // --csv: the field separator
    bool header = false;          // each file's first record is its header, not a line to sort
};

/// The header of the inputs with --header: the first input's first record.
/// Another input's first record must be the same text, and is dropped.
class Headers {
public:
    /// Takes the first record of the input named `shown`. Throws ToolError
    /// when it differs from the header taken before.
    void Offer(const std::string& shown, const Line& line);
    bool Has() const { return has_; }
    /// The header as written: its text and its own line end.
    std::string Text() const { return text_ + end_; }

private:
    bool has_ = false;
    std::string shown_, text_, end_;
};

class InputText {
public:
    /// `names`: the files, in order ("-": standard input). `headers` takes
    /// the first record of each with --header.
    InputText(std::vector<std::string> names, RecordFormat format, Headers* headers);
    ~InputText();
    InputText(const InputText&) = delete;
    InputText& operator=(const InputText&) = delete;

    /// Replaces the lines held with the next ones: whole lines, at least one,
    /// until they hold `textLimit` bytes or the input ends. False when the
    /// input had no more lines. A last line without an end gets the end its
    /// file used before it (LF when there is none), as sort does. Throws
    /// ToolError when a file cannot be read, and with --csv when a quoted
    /// field is still open at the end of a file.
    bool Fill(std::size_t textLimit);
    /// Makes Fill return as soon as a read has brought whole lines, rather
    /// than wait for a pipe to send more: for streams read line by line
    /// (-m, -c), where a chunk's size only bounds memory.
    void TakeLinesAsTheyCome() { eager_ = true; }
    /// Gives back the memory of the lines held.
    void Release();
    /// Splits large reads into lines on up to `threads` threads.
    void SplitOnThreads(int threads) { threads_ = threads; }

    const LineList& Lines() const { return lines_; }
    /// The bytes of the lines held, their ends included.
    std::size_t TextBytes() const { return textBytes_; }
    /// Whether every input has been read to its end.
    bool AtEnd() const { return atEnd_; }
    /// Whether some input began with a UTF-8 signature (not part of its lines).
    bool HadSignature() const { return hadSignature_; }
    /// "file:number" of line `index` held, for messages; the number counts
    /// the file's lines, a record's line breaks included.
    std::string Where(std::size_t index) const;

private:
    struct Segment {
        std::size_t file;       // index into names_
        std::size_t firstLine;  // into lines_
        std::uint64_t number;   // the line number of that line in its file
    };

    bool OpenNext();
    void CloseFile();
    /// Reads on in the open file, as much as ReadSize says.
    void Read();
    std::size_t ReadSize() const;
    /// Reads up to `size` bytes of a regular file as ReadSome would, its
    /// parts on several threads at once.
    long long ReadInParts(int fd, char* data, std::size_t size) const;
    void MakeRoom(std::size_t want);
    /// Takes the lines that end in the bytes read so far, while the chunk is
    /// not full; at the end of a file, also the line without an end.
    void Split();
    /// Takes the lines that end in [from, limit) at once, on several
    /// threads, as Split would one by one; false, taking none, when there
    /// are too few bytes for threads to be worth it.
    bool SplitLarge(const char* from, const char* limit);
    /// Makes room in lines_ for the lines [from, limit) probably holds.
    void ReserveLines(const char* from, const char* limit);
    bool Full() const { return !lines_.empty() && textBytes_ >= limit_; }
    void AddRecord(const char* start, const char* stop, bool terminated);
    /// Throws ToolError for line `number` of the open file, longer than a Line holds.
    [[noreturn]] void TooLong(std::uint64_t number) const;
    std::string Shown(std::size_t file) const;

    std::vector<std::string> names_;
    RecordFormat format_;
    Headers* headers_;
    char delimiter_;

    // The file being read.
    std::size_t file_ = 0;           // index of the next file to open, then of the open one plus one
    std::FILE* stream_ = nullptr;
    long long remaining_ = -1;       // bytes left of a regular file; -1 when unknown
    bool regular_ = false;           // a regular file, not a pipe or terminal
    bool ended_ = false;             // read to its end
    bool fileStart_ = false;         // nothing read from it yet (a signature may come)
    bool firstRecord_ = false;       // its next record is its first
    std::uint64_t lineNumber_ = 0;   // its lines taken so far
    std::uint8_t lastEnd_ = kEndLf;  // the end its last line had

    // Bytes read: blocks that never move, so lines can point into them. The
    // last block ends with what is read but not taken yet: lines for the next
    // chunk, and a line read only in part.
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* block_ = nullptr;
    std::size_t blockSize_ = 0, blockUsed_ = 0;
    std::size_t recordStart_ = 0;    // in block_: where the record in part starts
    std::size_t scanned_ = 0;        // in block_: how far its end has been looked for
    CsvState csvState_ = CsvState::kFieldStart;

    LineList lines_;
    std::vector<Segment> segments_;
    std::size_t textBytes_ = 0;
    std::size_t limit_ = 0;          // of textBytes_ in this chunk
    bool atEnd_ = false;
    bool hadSignature_ = false;
    bool eager_ = false;
    int threads_ = 1;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_INPUTTEXT_H
