// CheckCommand: `zabrelo check`. Loads a table with the library's own loader
// and turns what the loader reports about each line into warnings about what
// the author probably did not mean. Reusing the loader (rather than parsing
// the file again) means the check can never disagree with a real load.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "Commands.h"
#include "Options.h"
#include "Output.h"
#include "Platform.h"
#include "Table.h"
#include "ToolError.h"
#include "collation/TableLoader.h"
#include "library/TableInspection.h"
#include "text/Hex.h"
#include "text/Utf8.h"

namespace zabrelo_tool {

namespace {

using zabrelo::Hex;
using zabrelo::LoadEvent;
using zabrelo::LoadEventKind;
using zabrelo::OrderBreak;
using zabrelo::TableInspection;

constexpr char kHelp[] =
    "Usage: zabrelo check [OPTION]... TABLE\n"
    "Load the weight table TABLE (standard input for -) as the library does and\n"
    "report, line by line, what the load does that its author probably did not\n"
    "mean: a first line that is no header (a word list, a UTF-8 signature,\n"
    "lower-case digits), lines lost to a bare line feed after the last \"]\", a\n"
    "line without \"]\" (stray text) or without a weight field, which the load\n"
    "reads together with the next line, lower-case hex digits (read as 0), lines\n"
    "for the space or a surrogate, repeated lines, pairs that can never match,\n"
    "more slots than the header announces, weights above FF; and weights that\n"
    "break the order of keys: a primary at or below the space's 41, a level-2\n"
    "or level-3 weight not below every primary (with two texts that then sort\n"
    "the wrong way round).\n"
    "\n"
    "      --verbose   follow an error opening TABLE with the library's own report\n"
    "  -h, --help      show this help\n"
    "      --version   show the version\n"
    "\n"
    "Exit status: 0 when clean, 1 with warnings, 2 when the table does not load\n"
    "or gives no letter a weight (sort, key and compare refuse it then).\n";

std::string U(std::int32_t codePoint) { return "U+" + Hex(static_cast<std::uint32_t>(codePoint), 4); }

// A field as the author would have to look for it in the file.
std::string Shown(const std::string& bytes) {
    std::string shown = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') shown += "\\r";
        else if (c == '\n') shown += "\\n";
        else if (c == '"' || c == '\\') shown += std::string("\\") + c;
        else if (byte >= 0x20 && byte < 0x7F) shown += c;
        else shown += "\\x" + Hex(byte, 2);
    }
    return shown + "\"";
}

bool HasText(const std::string& bytes) {
    for (const char c : bytes) {
        if (c != ' ' && c != '\t' && c != '\r') return true;
    }
    return false;
}

bool HasLowerCaseHex(const std::string& bytes) {
    for (const char c : bytes) {
        if (c >= 'a' && c <= 'f') return true;
    }
    return false;
}

// The part of a code point field its line holds: after the last line feed
// taken in, or after the ignored first byte.
std::string OwnPart(const std::string& field) {
    const std::size_t feed = field.rfind('\n');
    return field.substr(feed == std::string::npos ? 1 : feed + 1);
}

constexpr std::int32_t kSpace = 0x0020;

bool IsSurrogate(std::int32_t codePoint) { return codePoint >= 0xD800 && codePoint < 0xE000; }

// Why the full order reads no line for a code point. U+0000 is what a field
// without hex digits reads as: stray text rather than a character.
std::string WhyNotWeighed(std::int32_t codePoint) {
    if (codePoint == kSpace) return "the space, which keeps its fixed weight";
    if (IsSurrogate(codePoint)) return "a surrogate, which is half of a character";
    return "no character of the table's";
}

// A text as a reader sees it, with control and invisible formatting
// characters named instead.
std::string ShownText(const std::u16string& text) {
    std::string shown = "\"";
    for (const char16_t u : text) {
        const bool invisible = u < 0x20 || (u >= 0x7F && u < 0xA0) || u == 0xAD || (u >= 0x200B && u <= 0x200F) ||
                               (u >= 0x2028 && u <= 0x202E) || (u >= 0x2060 && u <= 0x206F) || u == 0xFEFF;
        if (invisible) shown += "<" + U(u) + ">";
        else shown += zabrelo::Utf16ToUtf8(&u, 1, zabrelo::LoneSurrogate::kReplace);
    }
    return shown + "\"";
}

std::string Units(const std::u16string& text) {
    std::string units;
    for (const char16_t u : text) units += (units.empty() ? "" : " ") + U(u);
    return units;
}

std::string OrderMessage(const OrderBreak& b) {
    const std::string weight = Hex(static_cast<std::uint32_t>(b.weight), 2);
    std::string message;
    if (b.kind == OrderBreak::Kind::kPrimaryNotAboveSpace) {
        message = Units(b.text) + " has the primary " + weight + ", not above the space's 41";
        if (!b.first.empty())
            message += ": " + ShownText(b.first) + " then sorts after " + ShownText(b.second) +
                       ", so phrases no longer sort word by word";
    } else {
        message = Units(b.text) + " has the level-" + std::to_string(b.level) + " weight " + weight +
                  ", not below " +
                  (b.boundText.empty() ? std::string("the space's primary 41")
                                       : "the primary " + Hex(static_cast<std::uint32_t>(b.bound), 2) + " of " +
                                             Units(b.boundText));
        message += b.first.empty() ? std::string(": a text can then sort after a longer one it starts")
                                   : ": " + ShownText(b.first) + " then sorts after " + ShownText(b.second);
    }
    if (b.count > 1) message += " (" + std::to_string(b.count) + " units and pairs in all)";
    return message;
}

// A count of slots as the header writes it.
std::string Slots(std::int32_t count) { return Hex(static_cast<std::uint32_t>(count), 1); }

std::string Lines(int first, int last) {
    return first == last ? "line " + std::to_string(first)
                         : "lines " + std::to_string(first) + " to " + std::to_string(last);
}

class Checker {
public:
    Checker(std::string path, const TableInspection& table, Output& output)
        : path_(std::move(path)), table_(table), output_(output) {}

    void Warn(int line, const std::string& message) {
        output_.Write(path_ + ":" + std::to_string(line) + ": " + message + "\n");
        ++warnings_;
    }
    int Warnings() const { return warnings_; }
    bool Failed() const { return failed_; }
    int CodePoints() const { return codePoints_; }
    int Pairs() const { return pairs_; }

    void Event(const LoadEvent& e);

private:
    void Pair(const LoadEvent& e);
    void Header(const LoadEvent& e);

    std::string path_;
    const TableInspection& table_;
    Output& output_;
    int warnings_ = 0;
    bool failed_ = false;
    int codePoints_ = 0;
    int pairs_ = 0;
    int specialLine_ = 0;
    bool slotsReported_ = false;  // also when the header was: the count is not what the author wrote
    // The last weight field that ran on: what the load made of it is no news.
    int ranOnLine_ = 0;
    int ranOnEnd_ = 0;
    std::map<std::int32_t, std::vector<int>> entryLines_;  // per code point: the line of each list entry
    std::map<std::int32_t, bool> openedByPair_;
};

void Checker::Event(const LoadEvent& e) {
    const std::string field = Shown(e.field);
    switch (e.kind) {
    case LoadEventKind::kStored:
        ++codePoints_;
        entryLines_[e.codePoint].push_back(e.line);
        break;
    case LoadEventKind::kContractionStored:
    case LoadEventKind::kFollowerOutOfRange:
    case LoadEventKind::kShadowed:
        Pair(e);
        break;
    case LoadEventKind::kSpecialStored:
        if (specialLine_ != 0) {
            Warn(e.line, "U+200C again: these weights replace those of line " + std::to_string(specialLine_) +
                             " (for U+200C the last line wins)");
        }
        specialLine_ = e.line;
        break;
    case LoadEventKind::kLineLost:
        if (HasText(e.field)) {
            Warn(e.line, "this line is skipped whole, because the line before ends right after \"]\" with a "
                         "bare line feed: end lines with CR LF, or put a comment after the \"]\"");
        }
        break;
    case LoadEventKind::kLowerCaseHex:
        // Letters of a line that ran into this field are that line's fault, reported with it.
        if (e.level == 0 ? !HasLowerCaseHex(OwnPart(e.field)) : e.line == ranOnEnd_) break;
        Warn(e.line, std::string("lower-case hex digits in the ") +
                         (e.level == 0 ? "code point field " + field : "weight field") +
                         " read as 0: write A to F");
        break;
    case LoadEventKind::kBadHeader:
        Header(e);
        break;
    case LoadEventKind::kFieldRunsOn:
        if (e.level == 0) {
            Warn(e.line, "no \"]\" on this line (stray text?): the load reads it into the code point field of line " +
                             std::to_string(e.detail) + ", " + Shown(e.field));
        } else {
            ranOnLine_ = e.line;
            ranOnEnd_ = e.detail;
            Warn(e.line, "no weight field on this line: the load reads on for one, " + Shown(e.field) + ", so " +
                             Lines(e.line + 1, e.detail) + (e.detail > e.line + 1 ? " are" : " is") + " lost");
        }
        break;
    case LoadEventKind::kOutOfRange:
        // The full order reads a line for every other code point of the BMP.
        if (e.second < 0) {
            Warn(e.line, "the code point field " + field + " reads as " + U(e.codePoint) + ", " +
                             WhyNotWeighed(e.codePoint) + ": line ignored");
        } else {
            Warn(e.line, "the pair " + field + " starts with " + U(e.codePoint) + ", " + WhyNotWeighed(e.codePoint) +
                             ": line ignored");
        }
        break;
    case LoadEventKind::kRepeated: {
        const int first = entryLines_[e.codePoint].front();
        if (openedByPair_[e.codePoint]) {
            Warn(e.line, U(e.codePoint) + " already took its own weights from the pair on line " +
                             std::to_string(first) + ": this line is ignored (put a code point's own line "
                                                     "before its pairs)");
        } else {
            Warn(e.line, "repeats " + U(e.codePoint) + " of line " + std::to_string(first) +
                             ": this line is ignored (the first line wins)");
        }
        break;
    }
    case LoadEventKind::kSlotOverflow:
        if (!slotsReported_) {
            slotsReported_ = true;
            Warn(e.line, "the header announces " + Slots(table_.announcedSlots) + " slots; " + U(e.codePoint) +
                             " needs one more, and the table needs " + Slots(table_.handedOutSlots) +
                             " in all: raise the header's count");
        }
        break;
    case LoadEventKind::kWideWeight:
        if (e.line == ranOnLine_) break;
        Warn(e.line, "weight " + Hex(static_cast<std::uint32_t>(e.detail), 1) + " at level " +
                         std::to_string(e.level) + " is above FF: only its low byte " +
                         Hex(static_cast<std::uint32_t>(e.detail) & 0xFF, 2) + " counts");
        break;
    case LoadEventKind::kMissingWeights:
        failed_ = true;
        Warn(e.line, "no weight field after the code point field " + field + ": the load stops here and fails");
        break;
    }
}

void Checker::Header(const LoadEvent& e) {
    slotsReported_ = true;
    const std::string& header = e.field;
    // Upper-case digits would be a header: the loader reported it for its lower-case ones.
    const bool hexDigits = header.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
    if (header == "\xEF\xBB\xBF") {
        Warn(e.line, "the file begins with a UTF-8 signature (EF BB BF), which the load reads as the header: it "
                     "announces 0 slots and the rest of the line is skipped; save the table without a signature");
    } else if (hexDigits) {
        Warn(e.line, "lower-case hex digits in the header " + Shown(header) + " read as 0, so it announces " +
                         Slots(table_.announcedSlots) + " slots: write A to F");
    } else {
        Warn(e.line, "not a header: " + Shown(header) +
                         " is no slot count in hex (a table begins with one and \"=\", as in \"FA=\")");
    }
}

void Checker::Pair(const LoadEvent& e) {
    ++pairs_;
    std::vector<int>& lines = entryLines_[e.codePoint];
    const std::string pair = U(e.codePoint) + " " + U(e.second);
    // Only a pair of the block opens its first code point's slot; one that
    // starts outside it leaves that code point's own weights alone.
    if (lines.empty() && e.codePoint >= 0x0600 && e.codePoint <= 0x06F9) {
        openedByPair_[e.codePoint] = true;
        Warn(e.line, "the pair " + pair + " comes before any line of " + U(e.codePoint) +
                         " alone, so its weights become " + U(e.codePoint) + "'s own weights too");
    }
    lines.push_back(e.line);
    if (e.kind == LoadEventKind::kFollowerOutOfRange) {
        Warn(e.line, "the pair " + pair + " can never match: its second code point is outside U+0600..U+06F9");
    } else if (e.kind == LoadEventKind::kShadowed) {
        const int earlier = lines[static_cast<std::size_t>(e.detail)];
        if (e.detail == 0 && !openedByPair_[e.codePoint]) {
            Warn(e.line, "the pair " + pair + " can never match: the walk meets " + U(e.codePoint) +
                             "'s own entry (line " + std::to_string(earlier) + ") first");
        } else {
            Warn(e.line, "the pair " + pair + " can never match: line " + std::to_string(earlier) +
                             " gives the same pair first");
        }
    }
}

// Standard input may never end (/dev/zero, say): no more of it is read
// than the largest table the library loads, and one byte more to tell.
std::string ReadStandardInputTable() {
    constexpr std::size_t kLimit = zabrelo::TableLoader::kMaxTableBytes;
    std::string bytes;
    std::vector<char> chunk(std::size_t{1} << 16);
    std::size_t n = 0;
    while (bytes.size() <= kLimit && !std::ferror(stdin) &&
           (n = std::fread(chunk.data(), 1, chunk.size(), stdin)) > 0) {
        bytes.append(chunk.data(), n);
    }
    if (std::ferror(stdin)) throw ToolError("standard input: " + LastSystemError());
    if (bytes.size() > kLimit) {
        throw ToolError("standard input: more than " + std::to_string(kLimit >> 20) +
                        " MiB, more than any weight table holds");
    }
    return bytes;
}

int RunCheck(const Options& options) {
    if (options.Operands().size() != 1) options.Fail("needs exactly one TABLE");
    std::string path = options.Operands()[0];
    const std::string shown = path == "-" ? "standard input" : path;

    // The loader reads files by name: standard input is copied to one first.
    struct Copy {
        std::string path;
        ~Copy() {
            if (!path.empty()) RemoveFile(path);
        }
    } copy;
    if (path == "-") {
        const std::string bytes = ReadStandardInputTable();
        std::string reason;
        std::FILE* file = CreateTemporary("", copy.path, reason);
        if (!file) throw ToolError("cannot copy standard input: " + reason);
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        if (std::fclose(file) != 0 || !written) throw ToolError("cannot copy standard input: " + LastSystemError());
        path = copy.path;
    }

    TableInspection table;
    LoadThrough(path, shown, options.Has("verbose"), [&table](const char* name) {
        table = zabrelo::InspectTable(name);
        return table.loaded;
    });

    Output output("");
    output.Open();
    Checker checker(shown, table, output);
    for (const LoadEvent& event : table.events) checker.Event(event);
    if (table.droppedEvents != 0) {
        output.Write(shown + ": " + std::to_string(table.droppedEvents) + " more findings not shown\n");
    }
    for (const OrderBreak& b : table.orderBreaks) checker.Warn(b.line > 0 ? b.line : 1, OrderMessage(b));
    if (!table.loaded && !checker.Failed()) {
        checker.Warn(1, "no header: the file must begin with the slot count in hex and \"=\"");
    }
    int status = checker.Warnings() == 0 ? kExitOk : kExitWarnings;
    if (!table.loaded) {
        output.Write(shown + ": the load fails\n");
        status = kExitTrouble;
    } else if (!table.weighsALetter) {
        output.Write(shown + ": the table gives no letter a weight, so sort, key and compare refuse it\n");
        status = kExitTrouble;
    } else {
        const auto counted = [](int n, const char* what) {
            return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
        };
        output.Write(shown + ": " + counted(checker.CodePoints(), "code point") + ", " +
                     counted(checker.Pairs(), "pair") + ", U+200C " +
                     (table.definesNonJoiner ? "defined" : "not defined") + "; " +
                     counted(checker.Warnings(), "warning") + "\n");
    }
    output.Commit();
    return status;
}

}  // namespace

const Command kCheckCommand{"check", kHelp, {{0, "verbose", false}}, RunCheck};

}  // namespace zabrelo_tool
