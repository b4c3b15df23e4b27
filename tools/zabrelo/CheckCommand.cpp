// CheckCommand: `zabrelo check`. Loads a table with the library's own loader
// and turns what the loader reports about each line into warnings about what
// the author probably did not mean. Reusing the loader (rather than parsing
// the file again) means the check can never disagree with a real load.
#include <cstdio>
#include <map>
#include <vector>

#include "Commands.h"
#include "Options.h"
#include "Platform.h"
#include "ToolError.h"
#include "collation/LoadObserver.h"
#include "collation/TableLoader.h"
#include "zabrelo/VantorException.h"

namespace zabrelo_tool {

namespace {

using zabrelo::CollationTable;
using zabrelo::LoadEvent;
using zabrelo::LoadEventKind;

constexpr char kHelp[] =
    "Usage: zabrelo check TABLE\n"
    "Load the weight table TABLE as the library does and report, line by line,\n"
    "what the load does that its author probably did not mean: lines lost to a\n"
    "bare line feed after the last \"]\", lower-case hex digits (read as 0), code\n"
    "points outside U+0600..U+06F9 other than U+200C, repeated lines, pairs that\n"
    "can never match, more slots than the header announces, weights above FF,\n"
    "a missing weight field.\n"
    "\n"
    "Exit status: 0 when clean, 1 with warnings, 2 when the table does not load.\n";

std::string Hex(std::int32_t value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", width, static_cast<unsigned>(value));
    return buffer;
}

std::string U(std::int32_t codePoint) { return "U+" + Hex(codePoint, 4); }

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

class Checker {
public:
    explicit Checker(std::string path) : path_(std::move(path)) {}

    void Warn(int line, const std::string& message) {
        std::printf("%s:%d: %s\n", path_.c_str(), line, message.c_str());
        ++warnings_;
    }
    int Warnings() const { return warnings_; }
    bool Failed() const { return failed_; }
    int CodePoints() const { return codePoints_; }
    int Pairs() const { return pairs_; }

    void Event(const LoadEvent& e, const CollationTable& table);

private:
    void Pair(const LoadEvent& e);

    std::string path_;
    int warnings_ = 0;
    bool failed_ = false;
    int codePoints_ = 0;
    int pairs_ = 0;
    int specialLine_ = 0;
    bool slotsReported_ = false;
    std::map<std::int32_t, std::vector<int>> entryLines_;  // per code point: the line of each list entry
    std::map<std::int32_t, bool> openedByPair_;
};

void Checker::Event(const LoadEvent& e, const CollationTable& table) {
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
        Warn(e.line, std::string("lower-case hex digits in the ") +
                         (e.level == 0 ? "code point field " + field : "weight field") +
                         " read as 0: write A to F");
        break;
    case LoadEventKind::kOutOfRange:
        if (e.second < 0) {
            Warn(e.line, "the code point field " + field + " reads as " + U(e.codePoint) +
                             ", outside U+0600..U+06F9 and not U+200C: line ignored");
        } else {
            Warn(e.line, "the pair " + field + " starts with " + U(e.codePoint) +
                             ", outside U+0600..U+06F9: line ignored");
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
            Warn(e.line, "the header announces " + Hex(table.AnnouncedSlots(), 1) + " slots; " + U(e.codePoint) +
                             " needs one more, and the table needs " + Hex(table.HandedOutSlots(), 1) +
                             " in all: raise the header's count");
        }
        break;
    case LoadEventKind::kWideWeight:
        Warn(e.line, "weight " + Hex(e.detail, 1) + " at level " + std::to_string(e.level) +
                         " is above FF: only its low byte " + Hex(e.detail & 0xFF, 2) + " counts");
        break;
    case LoadEventKind::kMissingWeights:
        failed_ = true;
        Warn(e.line, "no weight field after the code point field " + field + ": the load stops here and fails");
        break;
    }
}

void Checker::Pair(const LoadEvent& e) {
    ++pairs_;
    std::vector<int>& lines = entryLines_[e.codePoint];
    const std::string pair = U(e.codePoint) + " " + U(e.second);
    if (lines.empty()) {
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

}  // namespace

int RunCheck(int argc, char** argv) {
    const Options options("check", {{0, "help", false}}, argc, argv, 2);
    if (options.Has("help")) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (options.Operands().size() != 1) {
        throw ToolError("check: needs exactly one TABLE\nTry 'zabrelo check --help'.");
    }
    const std::string path = options.Operands()[0];

    std::shared_ptr<const CollationTable> table;
    zabrelo::LoadObserver observer;
    bool loaded;
    try {
        loaded = zabrelo::TableLoader::Initialize(table, LibraryPath(path).c_str(), &observer);
    } catch (const VantorException& e) {
        throw ToolError(e.GetFormattedMessage());
    }

    Checker checker(path);
    for (const LoadEvent& event : observer.events) checker.Event(event, *table);
    if (!loaded && !checker.Failed()) {
        checker.Warn(1, "no header: the file must begin with the slot count in hex and \"=\"");
    }
    if (!loaded) {
        std::printf("%s: the load fails\n", path.c_str());
        std::fflush(stdout);
        return kExitTrouble;
    }
    std::printf("%s: %d code points, %d pairs, U+200C %s; %d warning%s\n", path.c_str(),
                checker.CodePoints(), checker.Pairs(), table->HasSpecial() ? "defined" : "not defined",
                checker.Warnings(), checker.Warnings() == 1 ? "" : "s");
    std::fflush(stdout);
    return checker.Warnings() == 0 ? kExitOk : kExitWarnings;
}

}  // namespace zabrelo_tool
