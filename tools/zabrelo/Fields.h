// Fields: where a sort key lies in a line. Fields are separated by -t's
// character, or by --csv's rules (RFC 4180: a field in double quotes may
// hold the separator, line breaks and doubled quotes), or else, as sort
// does, by blank-to-non-blank transitions: each field keeps the blanks
// before it. A -k key runs from a character of one field to a character
// of another, or to the line's end.
//
// A character is a Unicode code point, so `.C` never cuts a letter's UTF-8
// bytes apart, and a diacritic (zer, zabar) counts as a character of its
// own: "کِتاب" has five. As in sort, `.C` past a field's end runs on into
// the next fields (but never past the line's end), and a field past the
// line's last is empty at its end. Blanks are spaces, tabs and newlines
// (which only -z lets a line hold).
#ifndef ZABRELO_TOOL_FIELDS_H
#define ZABRELO_TOOL_FIELDS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zabrelo_tool {

/// How -d and -i leave characters out of a key's text.
enum class KeyIgnore : std::uint8_t { kNone, kNonDictionary, kNonPrinting };

/// One -k key: POS1[,POS2], each FIELD[.CHAR][OPTIONS], fields and
/// characters counted from 1, with the ordering options of the key (its
/// own, or else the global ones).
struct KeyRange {
    std::size_t startField = 1;
    std::size_t startChar = 1;
    bool skipStartBlanks = false;  // b on POS1: count CHAR from the field's first non-blank
    std::size_t endField = 0;      // 0: the key runs to the end of the line
    std::size_t endChar = 0;       // 0: to the end of field endField
    bool skipEndBlanks = false;    // b on POS2
    bool reverse = false;          // r: this key in descending order
    bool numeric = false;          // n
    bool generalNumeric = false;   // g
    bool humanNumeric = false;     // h
    bool month = false;            // M
    bool version = false;          // V
    bool random = false;           // R
    bool fold = false;             // f
    KeyIgnore ignore = KeyIgnore::kNone;  // d, i
    bool inherited = false;        // it took the global options (it had none of its own)

    /// Whether any ordering option is set (b and r included): a key with
    /// none of its own takes the global ones.
    bool HasOptions() const;
    /// Sets the ordering option `letter` (one of bdfgiMhnRrV; b on POS1 or
    /// POS2 as `end` says). False for any other letter.
    bool SetOption(char letter, bool end);
    /// The options that cannot go together, in sort's spelling ("-nR"), or
    /// "" when they can: at most one of n, g, h, M and of those none with R,
    /// V, d or i.
    std::string Conflict() const;
};

/// Parses the text of -k. A key with no ordering option of its own takes
/// `global`'s (the global -b, -n, -r...), as in sort. Throws ToolError with
/// sort's reasons ("field number is zero: invalid key field
/// '0'"). A field or character number too large for the machine reads as
/// the largest there is.
KeyRange ParseKeyRange(const std::string& text, const KeyRange& global);
/// The same, from just the global -b and -r.
KeyRange ParseKeyRange(const std::string& text, bool globalBlanks, bool globalReverse);

/// The -k text of the obsolete syntax `+POS1 [-POS2]` (fields and
/// characters counted from 0), when `start` spells a POS1: then `end`, if not
/// null, must spell a POS2, or ToolError says why. False when `start` is no
/// POS1 (it is a file then).
bool ObsoleteKeyText(const std::string& start, const std::string* end, std::string& keyText);

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
    /// Where that key starts and ends in Text(); the end is never before the start.
    std::pair<std::size_t, std::size_t> Span(const KeyRange& key) const;
    /// The line split last, or with --csv its unquoted fields.
    std::string_view Text() const { return text_; }

    /// Whether Key(key) can be found straight in a line, without splitting
    /// it first: for a key of one whole field (b allowed) of lines split at
    /// a one-byte separator, the usual -t TAB -k2,2.
    bool Direct(const KeyRange& key) const;
    /// Key(key) of the line [text, text + size), for a key that is Direct,
    /// without Split: the same text at the same place.
    std::string_view DirectKey(const char* text, std::size_t size, const KeyRange& key) const;

private:
    Mode mode_;
    std::string separator_;
    std::string_view text_;                                   // the line, or with --csv its unquoted fields
    std::string unquoted_;                                    // --csv: the fields' text, separator between
    std::vector<std::pair<std::size_t, std::size_t>> spans_;  // each field's start and end in text_
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_FIELDS_H
