// LineKeys: building the joined keys of -k.
#include "LineKeys.h"

#include <utility>

#include "KeyFilters.h"
#include "MonthKeys.h"
#include "NumericKeys.h"
#include "VersionKeys.h"
#include "text/Utf8.h"

namespace zabrelo_tool {

namespace {

// Appends `bytes` escaped and closed (see LineKeys.h), inverted when `invert`.
void AppendPart(std::string& out, const std::string& bytes, bool invert) {
    const unsigned char flip = invert ? 0xFF : 0x00;
    for (const char c : bytes) {
        out += static_cast<char>(static_cast<unsigned char>(c) ^ flip);
        if (c == '\0') out += static_cast<char>(0xFF ^ flip);
    }
    out += static_cast<char>(flip);
    out += static_cast<char>(flip);
}

}  // namespace

LineKeys::LineKeys(const UnweighedUnits& unweighed, int level, bool reverse, bool stable, std::vector<KeyRange> keys,
                   FieldSplitter::Mode mode, std::string separator, RandomKeys random, bool replaceInvalid)
    : unweighed_(unweighed),
      level_(level),
      reverse_(reverse),
      stable_(stable),
      keys_(std::move(keys)),
      mode_(mode),
      separator_(std::move(separator)),
      random_(random),
      replaceInvalid_(replaceInvalid) {}

std::size_t LineKeys::FieldsSize(const char* key, std::size_t size) {
    std::size_t fields = 0;
    for (std::size_t k = size - 4; k < size; ++k) fields = (fields << 8) | static_cast<unsigned char>(key[k]);
    return fields;
}

KeyBuilder::KeyBuilder(const LineKeys& keys, const ZabreloLib& lib)
    : keys_(keys), lib_(lib), splitter_(keys.mode_, keys.separator_) {}

void KeyBuilder::AppendText(const std::u16string& units, std::string_view text, bool invert, std::string& out) {
    AppendPart(out, lib_.GetCollationKey(units, keys_.level_), invert);
    part_.clear();
    keys_.unweighed_.AppendSortable(text.data(), text.size(), keys_.level_, part_);
    AppendPart(out, part_, invert);
}

bool KeyBuilder::Append(const char* text, std::size_t size, std::string& out) {
    if (!zabrelo::Utf8ToUtf16(text, size, units_)) {
        if (!keys_.replaceInvalid_) return false;
        units_ = zabrelo::Utf8ToUtf16Lenient(text, size, zabrelo::LoneSurrogate::kReplace);
    }
    if (!keys_.Fields()) {
        out += lib_.GetCollationKey(units_, keys_.level_);
        return true;
    }
    const std::size_t start = out.size();
    splitter_.Split(text, size);
    for (const KeyRange& key : keys_.keys_) {
        // -r already turns the whole order round; a key that goes the other way is inverted.
        const bool invert = key.reverse != keys_.reverse_;
        const std::string_view field = splitter_.Key(key);
        part_.clear();
        if (key.numeric) {
            AppendNumeric(field, part_);
        } else if (key.humanNumeric) {
            AppendHumanNumeric(field, part_);
        } else if (key.generalNumeric) {
            AppendGeneralNumeric(field, part_);
        } else if (key.month) {
            part_ += static_cast<char>(MonthOf(field) + 1);
        } else {
            if (!zabrelo::Utf8ToUtf16(field.data(), field.size(), fieldUnits_)) {  // only with replaceInvalid_
                fieldUnits_ = zabrelo::Utf8ToUtf16Lenient(field.data(), field.size(), zabrelo::LoneSurrogate::kReplace);
            }
            std::string_view keyText = field;
            if (FiltersText(key)) {
                FilterKeyText(key, fieldUnits_);
                text_ = zabrelo::Utf16ToUtf8(fieldUnits_, zabrelo::LoneSurrogate::kReplace);
                keyText = text_;
            }
            if (key.random) {
                keys_.random_.Append(keyText, part_);
                AppendPart(out, part_, invert);
                part_.clear();
            }
            if (!key.version || key.random) {
                AppendText(fieldUnits_, keyText, invert, out);
                continue;
            }
            AppendVersion(keyText, part_);
        }
        AppendPart(out, part_, invert);
    }
    const std::size_t fields = out.size() - start;
    if (!keys_.stable_) AppendPart(out, lib_.GetCollationKey(units_, keys_.level_), false);
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((fields >> shift) & 0xFF);
    return true;
}

}  // namespace zabrelo_tool
