// DebugMarks: the spans of the keys, in columns.
#include "DebugMarks.h"

#include "MonthKeys.h"
#include "NumericKeys.h"
#include "SortSettings.h"
#include "text/Utf8.h"

namespace zabrelo_tool {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

bool ZeroWidth(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x0610 && c <= 0x061A) || c == 0x061C ||
           (c >= 0x064B && c <= 0x065F) || c == 0x0670 || (c >= 0x06D6 && c <= 0x06DC) ||
           (c >= 0x06DF && c <= 0x06E4) || c == 0x06E7 || c == 0x06E8 || (c >= 0x06EA && c <= 0x06ED) ||
           (c >= 0x200B && c <= 0x200F);
}

// The columns the bytes [from, to) of `text` take.
std::size_t Columns(std::string_view text, std::size_t from, std::size_t to) {
    std::size_t columns = 0;
    const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
    while (from < to) {
        char32_t c = 0;
        from += zabrelo::ReadUtf8Lenient(bytes + from, to - from, c);
        if (!ZeroWidth(c)) ++columns;
    }
    return columns;
}

void Mark(std::size_t offset, std::size_t width, std::string& out) {
    out.append(offset, ' ');
    if (width == 0) {
        out += "^ no match for key\n";
    } else {
        out.append(width, '_');
        out += '\n';
    }
}

// The options of a key as sort spells them in its warnings: d f g h i M n R V.
std::string Letters(const KeyRange& key) {
    std::string letters;
    if (key.ignore == KeyIgnore::kNonDictionary) letters += 'd';
    if (key.fold) letters += 'f';
    if (key.generalNumeric) letters += 'g';
    if (key.humanNumeric) letters += 'h';
    if (key.ignore == KeyIgnore::kNonPrinting) letters += 'i';
    if (key.month) letters += 'M';
    if (key.numeric) letters += 'n';
    if (key.random) letters += 'R';
    if (key.version) letters += 'V';
    return letters;
}

}  // namespace

DebugMarks::DebugMarks(const SortSettings& settings)
    : keys_(settings.keys),
      wholeLine_(!settings.stable && !settings.unique),
      splitter_(settings.fieldMode, settings.format.separator) {}

void DebugMarks::Show(const char* text, std::size_t size, std::string& out) {
    for (std::size_t i = 0; i < size; ++i) out += text[i] == '\t' ? '>' : text[i];
    out += '\n';
    splitter_.Split(text, size);
    const std::string_view line = splitter_.Text();
    for (const KeyRange& key : keys_) {
        auto [begin, end] = splitter_.Span(key);
        const std::string_view field = line.substr(begin, end - begin);
        if (key.numeric || key.generalNumeric || key.humanNumeric) {
            const auto [first, last] = NumberSpan(field, key.numeric ? 'n' : key.generalNumeric ? 'g' : 'h');
            end = begin + last;
            begin += first;
        } else if (key.month) {
            std::size_t blanks = 0;
            while (blanks < field.size() && IsBlank(field[blanks])) ++blanks;
            end = begin + std::max(MonthLength(field), blanks);
            begin += blanks;
        }
        Mark(Columns(line, 0, begin), Columns(line, begin, end), out);
    }
    if (keys_.empty() || wholeLine_) Mark(0, Columns(std::string_view(text, size), 0, size), out);
}

std::vector<std::string> DebugWarnings(const SortSettings& settings, const KeyRange& global, bool keysGiven) {
    std::vector<std::string> warnings;
    warnings.push_back("text ordering performed using Urdu dictionary order (level " +
                       std::to_string(settings.level) + ")");
    bool numbers = false, inherited = false;
    for (std::size_t k = 0; k < settings.keys.size(); ++k) {
        const KeyRange& key = settings.keys[k];
        const bool numeric = key.numeric || key.generalNumeric || key.humanNumeric;
        numbers = numbers || numeric;
        inherited = inherited || key.inherited;
        if (!keysGiven) continue;
        const std::string number = std::to_string(k + 1);
        if (k < settings.obsoleteKeys.size() && !settings.obsoleteKeys[k].empty()) {
            std::string spelt = "-k " + std::to_string(key.startField);
            if (key.startChar != 1) spelt += "." + std::to_string(key.startChar);
            if (key.endField != 0) spelt += "," + std::to_string(key.endField);
            if (key.endField != 0 && key.endChar != 0) spelt += "." + std::to_string(key.endChar);
            warnings.push_back("obsolescent key '" + settings.obsoleteKeys[k] + "' used; consider '" + spelt +
                               "' instead");
        }
        if (key.endField != 0 && (key.endField < key.startField ||
                                  (key.endField == key.startField && key.endChar != 0 && key.endChar + 1 < key.startChar))) {
            warnings.push_back("key " + number + " has zero width and will be ignored");
        }
        if (settings.fieldMode == FieldSplitter::Mode::kBlanks && !key.skipStartBlanks && !numeric && !key.month) {
            warnings.push_back("leading blanks are significant in key " + number + "; consider also specifying 'b'");
        }
        if (numeric && (key.endField == 0 || key.endField > key.startField)) {
            warnings.push_back("key " + number + " is numeric and spans multiple fields");
        }
    }
    if (numbers) warnings.push_back("note numbers use '.' or '\u066B' as a decimal point");
    if (keysGiven && !inherited) {
        const std::string letters = Letters(global);
        if (letters.size() == 1) warnings.push_back("option '-" + letters + "' is ignored");
        if (letters.size() > 1) warnings.push_back("options '-" + letters + "' are ignored");
        if (global.reverse && !settings.stable && !settings.unique) {
            warnings.push_back("option '-r' only applies to last-resort comparison");
        }
    }
    return warnings;
}

}  // namespace zabrelo_tool
