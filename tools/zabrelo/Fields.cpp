// Fields: parsing -k, splitting a line into fields and cutting a key out.
#include "Fields.h"

#include "ToolError.h"

namespace zabrelo_tool {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A number of -k at `text[at]`; moves `at` past it. -1 when there is no
// digit there, or the number is absurdly large.
long long Number(const std::string& text, std::size_t& at) {
    if (at >= text.size() || !IsDigit(text[at])) return -1;
    long long value = 0;
    while (at < text.size() && IsDigit(text[at])) {
        value = value * 10 + (text[at++] - '0');
        if (value > 1000000000000LL) return -1;
    }
    return value;
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

}  // namespace

KeyRange ParseKeyRange(const std::string& text, bool globalBlanks, bool globalReverse) {
    const auto fail = [&text](const std::string& why) -> KeyRange {
        throw ToolError("sort: invalid key '" + text + "': " + why + "\nTry 'zabrelo sort --help'.");
    };
    KeyRange key;
    bool ownOptions = false;
    std::size_t at = 0;
    // POS1, then after a comma POS2: FIELD[.CHAR][OPTIONS].
    for (int part = 0; part < 2; ++part) {
        const long long field = Number(text, at);
        if (field < 0) return fail(part == 0 ? "no field number" : "no field number after ','");
        if (field == 0) return fail("field number is zero");
        long long character = part == 0 ? 1 : 0;
        if (at < text.size() && text[at] == '.') {
            ++at;
            character = Number(text, at);
            if (character < 0) return fail("no character position after '.'");
            if (character == 0 && part == 0) return fail("character position is zero");
        }
        bool blanks = false;
        for (; at < text.size() && text[at] != ','; ++at) {
            const char option = text[at];
            if (option == 'b') {
                blanks = true;
            } else if (option == 'r') {
                key.reverse = true;
            } else if ((option >= 'a' && option <= 'z') || (option >= 'A' && option <= 'Z')) {
                return fail(std::string("'") + option + "' is no option zabrelo sorts by (keys take b and r)");
            } else {
                return fail(std::string("stray character '") + option + "'");
            }
            ownOptions = true;
        }
        if (part == 0) {
            key.startField = static_cast<std::size_t>(field);
            key.startChar = static_cast<std::size_t>(character);
            key.skipStartBlanks = blanks;
        } else {
            key.endField = static_cast<std::size_t>(field);
            key.endChar = static_cast<std::size_t>(character);
            key.skipEndBlanks = blanks;
        }
        if (at >= text.size()) break;
        if (part == 1) return fail("stray character ','");
        ++at;
    }
    if (!ownOptions) {
        key.skipStartBlanks = key.skipEndBlanks = globalBlanks;
        key.reverse = globalReverse;
    }
    return key;
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

std::string_view FieldSplitter::Key(const KeyRange& key) const {
    if (key.startField > spans_.size()) return std::string_view();
    const char* const base = text_.data();
    const char* const fieldEnd = base + spans_[key.startField - 1].second;
    const char* begin = base + spans_[key.startField - 1].first;
    if (key.skipStartBlanks) begin = SkipBlanks(begin, fieldEnd);
    begin = Advance(begin, key.startChar - 1, fieldEnd);
    const char* end = base + text_.size();
    if (key.endField != 0 && key.endField <= spans_.size()) {
        const auto& field = spans_[key.endField - 1];
        end = base + field.second;
        if (key.endChar != 0) {
            const char* from = base + field.first;
            if (key.skipEndBlanks) from = SkipBlanks(from, end);
            end = Advance(from, key.endChar, end);
        }
    }
    return end > begin ? std::string_view(begin, static_cast<std::size_t>(end - begin)) : std::string_view();
}

}  // namespace zabrelo_tool
