// Fields: parsing -k, splitting a line into fields and cutting a key out.
#include "Fields.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "ToolError.h"

namespace zabrelo_tool {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A count of -k at `text[at]`, moving `at` past it; a count too large for
// the machine reads as the largest there is. False when no digit is there.
bool Count(const std::string& text, std::size_t& at, std::size_t& value) {
    if (at >= text.size() || !IsDigit(text[at])) return false;
    constexpr std::size_t kMost = std::numeric_limits<std::size_t>::max();
    value = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        const auto digit = static_cast<std::size_t>(text[at] - '0');
        value = value > (kMost - digit) / 10 ? kMost : value * 10 + digit;
    }
    return true;
}

// `p` moved on by `count` characters of valid UTF-8, but not past `limit`.
const char* Advance(const char* p, std::size_t count, const char* limit) {
    for (; count > 0 && p < limit; --count) {
        ++p;
        while (p < limit && (static_cast<unsigned char>(*p) & 0xC0) == 0x80) ++p;
    }
    return p;
}

const char* SkipBlanks(const char* p, const char* limit) {
    while (p < limit && IsBlank(*p)) ++p;
    return p;
}

// Takes the ordering options at `text[at]` into `key`, moving `at` past them.
void TakeOptions(const std::string& text, std::size_t& at, KeyRange& key, bool end) {
    while (at < text.size() && key.SetOption(text[at], end)) ++at;
}

}  // namespace

bool KeyRange::HasOptions() const {
    return skipStartBlanks || skipEndBlanks || reverse || numeric || generalNumeric || humanNumeric || month ||
           version || random || fold || ignore != KeyIgnore::kNone;
}

bool KeyRange::SetOption(char letter, bool end) {
    switch (letter) {
        case 'b': (end ? skipEndBlanks : skipStartBlanks) = true; break;
        case 'd': ignore = KeyIgnore::kNonDictionary; break;
        case 'f': fold = true; break;
        case 'g': generalNumeric = true; break;
        case 'h': humanNumeric = true; break;
        case 'i': ignore = KeyIgnore::kNonPrinting; break;
        case 'M': month = true; break;
        case 'n': numeric = true; break;
        case 'R': random = true; break;
        case 'r': reverse = true; break;
        case 'V': version = true; break;
        default: return false;
    }
    return true;
}

std::string KeyRange::Conflict() const {
    const int kinds = numeric + generalNumeric + humanNumeric + month +
                      (version || random || ignore != KeyIgnore::kNone ? 1 : 0);
    if (kinds <= 1) return std::string();
    std::string letters = "-";
    if (ignore == KeyIgnore::kNonDictionary) letters += 'd';
    if (fold) letters += 'f';
    if (generalNumeric) letters += 'g';
    if (humanNumeric) letters += 'h';
    if (ignore == KeyIgnore::kNonPrinting) letters += 'i';
    if (month) letters += 'M';
    if (numeric) letters += 'n';
    if (random) letters += 'R';
    if (version) letters += 'V';
    return letters;
}

namespace {

// A key with no ordering option of its own takes the global ones.
KeyRange Inherit(KeyRange key, const KeyRange& global) {
    if (key.HasOptions()) return key;
    const KeyRange positions = key;
    key = global;
    key.startField = positions.startField;
    key.startChar = positions.startChar;
    key.endField = positions.endField;
    key.endChar = positions.endChar;
    key.inherited = true;
    return key;
}

}  // namespace

KeyRange ParseKeyRange(const std::string& text, const KeyRange& global) {
    // The reason is worded as GNU sort words it ("field number is zero"),
    // so people who know sort's errors recognise it; the text that was
    // refused is quoted after it.
    const auto fail = [&text](const std::string& why) {
        throw ToolError("sort: " + why + ": invalid key field '" + text + "'");
    };
    const auto badCount = [&text](const std::string& where, std::size_t at) {
        throw ToolError("sort: invalid number " + where + ": invalid count at start of '" + text.substr(at) + "'");
    };
    KeyRange key;
    std::size_t at = 0;
    if (!Count(text, at, key.startField)) badCount("at field start", at);
    if (key.startField == 0) fail("field number is zero");
    if (at < text.size() && text[at] == '.') {
        if (!Count(text, ++at, key.startChar)) badCount("after '.'", at);
        if (key.startChar == 0) fail("character offset is zero");
    }
    TakeOptions(text, at, key, false);
    if (at < text.size() && text[at] == ',') {
        if (!Count(text, ++at, key.endField)) badCount("after ','", at);
        if (key.endField == 0) fail("field number is zero");
        if (at < text.size() && text[at] == '.' && !Count(text, ++at, key.endChar)) badCount("after '.'", at);
        TakeOptions(text, at, key, true);
    }
    if (at < text.size()) fail("stray character in key position");
    return Inherit(key, global);
}

KeyRange ParseKeyRange(const std::string& text, bool globalBlanks, bool globalReverse) {
    KeyRange global;
    global.skipStartBlanks = global.skipEndBlanks = globalBlanks;
    global.reverse = globalReverse;
    return ParseKeyRange(text, global);
}

bool ObsoleteKeyText(const std::string& start, const std::string* end, std::string& keyText) {
    // +F.C is -k F+1.C+1; -F.C is ,F+1.C, or with C 0 (or none) ,F, the end
    // of field F (,1 for -0).
    constexpr std::size_t kMost = std::numeric_limits<std::size_t>::max();
    const auto next = [](std::size_t n) { return std::to_string(n == kMost ? n : n + 1); };
    std::size_t at = 1, field = 0, character = 0;
    if (start.size() < 2 || start[0] != '+' || !Count(start, at, field)) return false;
    if (at < start.size() && start[at] == '.' && !Count(start, ++at, character)) return false;
    KeyRange options;
    const std::size_t letters = at;
    TakeOptions(start, at, options, false);
    if (at < start.size()) return false;
    keyText = next(field) + "." + next(character) + start.substr(letters);
    if (!end) return true;
    at = 1;
    if (!Count(*end, at, field)) {
        throw ToolError("sort: invalid number after '-': invalid count at start of '" + end->substr(1) + "'");
    }
    character = 0;
    if (at < end->size() && (*end)[at] == '.' && !Count(*end, ++at, character)) {
        throw ToolError("sort: invalid number after '.': invalid count at start of '" + end->substr(at) + "'");
    }
    const std::size_t endLetters = at;
    TakeOptions(*end, at, options, true);
    if (at < end->size()) {
        throw ToolError("sort: stray character in key position: invalid key field '" + *end + "'");
    }
    keyText += "," + (character == 0 ? std::to_string(std::max<std::size_t>(field, 1))
                                      : next(field) + "." + std::to_string(character)) +
               end->substr(endLetters);
    return true;
}

void FieldSplitter::Split(const char* text, std::size_t size) {
    spans_.clear();
    const char* const limit = text + size;
    if (mode_ == Mode::kBlanks) {
        text_ = std::string_view(text, size);
        for (const char* p = text; p < limit;) {
            const char* const start = p;
            p = SkipBlanks(p, limit);
            while (p < limit && !IsBlank(*p)) ++p;
            spans_.emplace_back(static_cast<std::size_t>(start - text), static_cast<std::size_t>(p - text));
        }
        return;
    }
    if (mode_ == Mode::kSeparator) {
        text_ = std::string_view(text, size);
        std::size_t start = 0;
        if (separator_.size() == 1) {
            // The usual separator, a tab or a comma: one byte to look for.
            for (;;) {
                const auto* found =
                    static_cast<const char*>(std::memchr(text + start, separator_[0], size - start));
                if (!found) break;
                const auto at = static_cast<std::size_t>(found - text);
                spans_.emplace_back(start, at);
                start = at + 1;
            }
            spans_.emplace_back(start, size);
            return;
        }
        for (;;) {
            const std::size_t found = text_.find(separator_, start);
            spans_.emplace_back(start, found == std::string_view::npos ? size : found);
            if (found == std::string_view::npos) return;
            start = found + separator_.size();
        }
    }
    unquoted_.clear();
    CsvState state = CsvState::kFieldStart;
    std::size_t start = 0;
    for (const char* p = text; p < limit; ++p) {
        const CsvRole role = CsvStep(state, p, limit, separator_);
        if (role == CsvRole::kText) {
            unquoted_ += *p;
        } else if (role == CsvRole::kSeparator) {
            spans_.emplace_back(start, unquoted_.size());
            unquoted_ += separator_;
            start = unquoted_.size();
            p += separator_.size() - 1;
        }
    }
    spans_.emplace_back(start, unquoted_.size());
    text_ = unquoted_;
}

std::pair<std::size_t, std::size_t> FieldSplitter::Span(const KeyRange& key) const {
    const char* const base = text_.data();
    const char* const lineEnd = base + text_.size();
    const std::size_t fields = spans_.size();
    // The start: field startField's, past its blanks with b, then on by
    // startChar - 1 characters, into the next fields if need be.
    const char* begin = key.startField - 1 < fields ? base + spans_[key.startField - 1].first : lineEnd;
    if (key.skipStartBlanks) begin = SkipBlanks(begin, lineEnd);
    begin = Advance(begin, key.startChar - 1, lineEnd);
    // The end: field endField's with no character given, or else endChar
    // characters on from the field's start (past its blanks with b).
    const char* end = lineEnd;
    if (key.endField != 0 && key.endChar == 0) {
        if (key.endField - 1 < fields) end = base + spans_[key.endField - 1].second;
    } else if (key.endField != 0) {
        end = key.endField - 1 < fields ? base + spans_[key.endField - 1].first : lineEnd;
        if (key.skipEndBlanks) end = SkipBlanks(end, lineEnd);
        end = Advance(end, key.endChar, lineEnd);
    }
    const auto from = static_cast<std::size_t>(begin - base);
    return {from, end > begin ? static_cast<std::size_t>(end - base) : from};
}

bool FieldSplitter::Direct(const KeyRange& key) const {
    return mode_ == Mode::kSeparator && separator_.size() == 1 && key.startChar == 1 && key.endChar == 0 &&
           key.endField == key.startField;
}

std::string_view FieldSplitter::DirectKey(const char* text, std::size_t size, const KeyRange& key) const {
    const char* const lineEnd = text + size;
    const auto next = [&](const char* p) {
        return static_cast<const char*>(std::memchr(p, separator_[0], static_cast<std::size_t>(lineEnd - p)));
    };
    // As Span: a field past the last is empty, at the line's end.
    const char* begin = text;
    for (std::size_t field = 1; field < key.startField; ++field) {
        const char* const separator = next(begin);
        if (!separator) return std::string_view(lineEnd, 0);
        begin = separator + 1;
    }
    const char* end = next(begin);
    if (!end) end = lineEnd;
    if (key.skipStartBlanks) begin = SkipBlanks(begin, lineEnd);
    return std::string_view(begin, end > begin ? static_cast<std::size_t>(end - begin) : 0);
}

std::string_view FieldSplitter::Key(const KeyRange& key) const {
    const auto [begin, end] = Span(key);
    return text_.substr(begin, end - begin);
}

}  // namespace zabrelo_tool
