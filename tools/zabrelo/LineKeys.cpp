// LineKeys: building the joined keys of -k.
#include "LineKeys.h"

#include <utility>

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
                   FieldSplitter::Mode mode, std::string separator)
    : unweighed_(unweighed),
      level_(level),
      reverse_(reverse),
      stable_(stable),
      keys_(std::move(keys)),
      mode_(mode),
      separator_(std::move(separator)) {}

std::size_t LineKeys::FieldsSize(const char* key, std::size_t size) {
    std::size_t fields = 0;
    for (std::size_t k = size - 4; k < size; ++k) fields = (fields << 8) | static_cast<unsigned char>(key[k]);
    return fields;
}

KeyBuilder::KeyBuilder(const LineKeys& keys, const ZabreloLib& lib)
    : keys_(keys), lib_(lib), splitter_(keys.mode_, keys.separator_) {}

bool KeyBuilder::Append(const char* text, std::size_t size, std::string& out) {
    if (!zabrelo::Utf8ToUtf16(text, size, units_)) return false;
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
        zabrelo::Utf8ToUtf16(field.data(), field.size(), fieldUnits_);  // valid: cut at character bounds
        AppendPart(out, lib_.GetCollationKey(fieldUnits_, keys_.level_), invert);
        part_.clear();
        keys_.unweighed_.AppendSortable(field.data(), field.size(), keys_.level_, part_);
        AppendPart(out, part_, invert);
    }
    const std::size_t fields = out.size() - start;
    if (!keys_.stable_) AppendPart(out, lib_.GetCollationKey(units_, keys_.level_), false);
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((fields >> shift) & 0xFF);
    return true;
}

}  // namespace zabrelo_tool
