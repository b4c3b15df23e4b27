// Fields: where a sort key lies in a line. Fields are separated by -t's
// character, or by --csv's rules (RFC 4180: a field in double quotes may
// hold the separator, line breaks and doubled quotes), or else, as sort
// does, by blank-to-non-blank transitions: each field keeps the blanks
// before it. A -k key runs from a character of one field to a character
// of another, or to the line's end.
//
// A character is a Unicode code point, so `.C` never cuts a letter's UTF-8
// bytes apart, and a diacritic (zer, zabar) counts as a character of its
// own: "کِتاب" has five. Positions past a field's end stop at its end.
// Blanks are spaces and tabs.
#ifndef ZABRELO_TOOL_FIELDS_H
#define ZABRELO_TOOL_FIELDS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zabrelo_tool {

/// One -k key: POS1[,POS2], each FIELD[.CHAR][b][r], fields and characters
/// counted from 1.
struct KeyRange {
    std::size_t startField = 1;
    std::size_t startChar = 1;
    bool skipStartBlanks = false;  // b on POS1: count CHAR from the field's first non-blank
    std::size_t endField = 0;      // 0: the key runs to the end of the line
    std::size_t endChar = 0;       // 0: to the end of field endField
    bool skipEndBlanks = false;    // b on POS2
    bool reverse = false;          // r: this key in descending order
};

/// Parses the text of -k. A key with neither b nor r of its own takes the
/// global -b and -r, as in sort. Throws ToolError ("invalid key ...").
KeyRange ParseKeyRange(const std::string& text, bool globalBlanks, bool globalReverse);

enum class CsvState : std::uint8_t { kFieldStart, kUnquoted, kQuoted, kQuotedQuote };
enum class CsvRole : std::uint8_t { kText, kQuote, kSeparator };

/// Reads the byte at `p` of a --csv record (`limit` ends the data at hand)
/// and moves `state` on. Returns what the byte is: text of a field, a quote
/// that only marks one (opening, closing, or the first of a doubled pair),
/// or the first byte of `separator` (the caller skips the rest). A quote
/// opens a quoted field only at the field's start; anywhere else, as after
/// a closing quote, it is text. The record's own end is the caller's to
/// find: a line break ends a record unless `state` is kQuoted.
inline CsvRole CsvStep(CsvState& state, const char* p, const char* limit, const std::string& separator) {
    if (state == CsvState::kQuoted) {
        if (*p != '"') return CsvRole::kText;
        state = CsvState::kQuotedQuote;
        return CsvRole::kQuote;
    }
    if (state == CsvState::kQuotedQuote && *p == '"') {
        state = CsvState::kQuoted;
        return CsvRole::kText;  // the second of a doubled quote: a quote in the text
    }
    if (static_cast<std::size_t>(limit - p) >= separator.size() &&
        separator.compare(0, separator.size(), p, separator.size()) == 0) {
        state = CsvState::kFieldStart;
        return CsvRole::kSeparator;
    }
    if (*p == '"' && state == CsvState::kFieldStart) {
        state = CsvState::kQuoted;
        return CsvRole::kQuote;
    }
    state = CsvState::kUnquoted;
    return CsvRole::kText;
}

class FieldSplitter {
public:
    enum class Mode { kBlanks, kSeparator, kCsv };
    /// `separator`: one character (its UTF-8 bytes) for kSeparator and kCsv.
    FieldSplitter(Mode mode, std::string separator) : mode_(mode), separator_(std::move(separator)) {}

    /// Finds the fields of a line of valid UTF-8, which must stay in place
    /// until the next Split.
    void Split(const char* text, std::size_t size);
    /// The text `key` picks out of the line split last: part of the line or,
    /// with --csv, of its fields' unquoted text joined by the separator.
    std::string_view Key(const KeyRange& key) const;

private:
    Mode mode_;
    std::string separator_;
    std::string_view text_;                                   // the line, or with --csv its unquoted fields
    std::string unquoted_;                                    // --csv: the fields' text, separator between
    std::vector<std::pair<std::size_t, std::size_t>> spans_;  // each field's start and end in text_
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_FIELDS_H
