// LineKeys: building the joined keys of -k.
#include "LineKeys.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "KeyFilters.h"
#include "MonthKeys.h"
#include "NumericKeys.h"
#include "VersionKeys.h"
#include "library/KeyHead.h"
#include "text/Utf8.h"

namespace zabrelo_tool {

namespace {

// Appends `bytes` escaped and closed (see LineKeys.h), inverted when `invert`.
void AppendPart(std::string& out, const std::string& bytes, bool invert) {
    const unsigned char flip = invert ? 0xFF : 0x00;
    const std::size_t at = out.size();
    if (std::memchr(bytes.data(), '\0', bytes.size()) == nullptr) {
        // Most parts (every number, most weights) have no 00 byte to escape.
        out.append(bytes);
        out += '\0';
        out += '\0';
        if (invert) {
            for (std::size_t i = at; i < out.size(); ++i) out[i] = static_cast<char>(out[i] ^ 0xFF);
        }
        return;
    }
    for (const char c : bytes) {
        out += static_cast<char>(static_cast<unsigned char>(c) ^ flip);
        if (c == '\0') out += static_cast<char>(0xFF ^ flip);
    }
    out += static_cast<char>(flip);
    out += static_cast<char>(flip);
}

// How many of the eight bytes at `p` are whole characters of well-formed
// UTF-8 of one or two bytes (ASCII, Urdu and the rest of U+0080..U+07FF),
// checked all at once: 8, or 7 when the last is the first byte of a pair,
// which the next check takes with its second; 0 when the eight bytes hold
// anything else (longer characters, or bytes out of place), which the
// check byte by byte then settles.
std::size_t ShortCharacters(const unsigned char* p) {
    constexpr std::uint64_t kTop = 0x8080808080808080ULL;
    const std::uint64_t word = zabrelo::BigEndian64(p);  // p[0] in the top byte, p[1] below it, ...
    const std::uint64_t high = word & kTop;               // bytes 1xxxxxxx
    const std::uint64_t bit6 = (word << 1) & kTop;
    const std::uint64_t leads = high & bit6;               // 11xxxxxx
    const std::uint64_t followers = high & ~bit6;          // 10xxxxxx
    // A lead of three or four bytes (111xxxxx), or C0 and C1 (1100000x),
    // which would only spell overlong forms.
    const std::uint64_t bit5 = (word << 2) & kTop;
    const std::uint64_t middle = ((word & 0x1E1E1E1E1E1E1E1EULL) + 0x7F7F7F7F7F7F7F7FULL) & kTop;  // xxx????x not 0
    if ((leads & (bit5 | ~middle)) != 0) return 0;
    const std::uint64_t lastLead = leads & 0x80;
    // Every follower right after a lead, and every lead (the last aside) before one.
    if (followers != (leads ^ lastLead) >> 8) return 0;
    return lastLead ? 7 : 8;
}

// Escapes and closes the part that `out` holds from `at` on, as AppendPart
// would have appended it; `scratch` holds it meanwhile if it must be escaped.
void ClosePart(std::string& out, std::size_t at, bool invert, std::string& scratch) {
    if (std::memchr(out.data() + at, '\0', out.size() - at) != nullptr) {
        scratch.assign(out, at, std::string::npos);
        out.resize(at);
        AppendPart(out, scratch, invert);
        return;
    }
    out += '\0';
    out += '\0';
    if (invert) {
        for (std::size_t i = at; i < out.size(); ++i) out[i] = static_cast<char>(out[i] ^ 0xFF);
    }
}

// Whether [text, text + size) is well-formed UTF-8 (no overlong forms, no
// surrogates, nothing past U+10FFFF), as Utf8ToUtf16 takes it, without
// decoding it.
bool IsValidUtf8(const char* text, std::size_t size) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const auto* const end = p + size;
    while (p < end) {
        if (end - p >= 8) {
            if (const std::size_t taken = ShortCharacters(p)) {
                p += taken;
                continue;
            }
        }
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
        } else if (c >= 0xC2 && c <= 0xDF) {
            if (end - p < 2 || (p[1] & 0xC0) != 0x80) return false;
            p += 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            if (end - p < 3 || (p[1] & 0xC0) != 0x80 || (p[2] & 0xC0) != 0x80) return false;
            if ((c == 0xE0 && p[1] < 0xA0) || (c == 0xED && p[1] >= 0xA0)) return false;
            p += 3;
        } else if (c >= 0xF0 && c <= 0xF4) {
            if (end - p < 4 || (p[1] & 0xC0) != 0x80 || (p[2] & 0xC0) != 0x80 || (p[3] & 0xC0) != 0x80) return false;
            if ((c == 0xF0 && p[1] < 0x90) || (c == 0xF4 && p[1] >= 0x90)) return false;
            p += 4;
        } else {
            return false;
        }
    }
    return true;
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
      replaceInvalid_(replaceInvalid) {
    for (const KeyRange& key : keys_) {
        const bool quick = key.numeric || key.generalNumeric || key.humanNumeric || key.month ||
                           (key.version && !key.random && !FiltersText(key));
        if (!quick) break;
        ++quickKeys_;
    }
}

std::size_t LineKeys::FieldsSize(const char* key, std::size_t size) {
    std::size_t fields = 0;
    for (std::size_t k = size - 4; k < size; ++k) fields = (fields << 8) | static_cast<unsigned char>(key[k]);
    return fields;
}

KeyBuilder::KeyBuilder(const LineKeys& keys, const Collation& collation)
    : keys_(keys), collation_(collation), splitter_(keys.mode_, keys.separator_) {
    for (std::size_t k = 0; k < keys.keys_.size(); ++k) {
        if (splitter_.Direct(keys.keys_[k])) continue;
        allDirect_ = false;
        if (k < keys.quickKeys_) quickDirect_ = false;
    }
}

void KeyBuilder::AppendText(const std::u16string& units, std::string_view text, bool invert, std::string& out) {
    AppendPart(out, collation_.Key(units, keys_.level_), invert);
    part_.clear();
    keys_.unweighed_.AppendSortable(text.data(), text.size(), keys_.level_, part_);
    AppendPart(out, part_, invert);
}

bool KeyBuilder::Append(const char* text, std::size_t size, std::string& out, Stage stage) {
    // Only the full key weighs the whole line; the quick stage checks the
    // line, which the later stages then take as checked.
    if (stage == Stage::kFull ? !zabrelo::Utf8ToUtf16(text, size, units_)
                              : stage == Stage::kQuick && !IsValidUtf8(text, size)) {
        if (!keys_.replaceInvalid_) return false;
        if (stage == Stage::kFull) units_ = zabrelo::Utf8ToUtf16Lenient(text, size, zabrelo::LoneSurrogate::kReplace);
    }
    if (!keys_.Fields()) {
        out += collation_.Key(units_, keys_.level_);
        return true;
    }
    const std::size_t start = out.size();
    const bool direct = stage == Stage::kQuick ? quickDirect_ : allDirect_;
    if (!direct) splitter_.Split(text, size);
    const std::size_t count = stage == Stage::kQuick ? keys_.quickKeys_ : keys_.keys_.size();
    for (std::size_t k = 0; k < count; ++k) {
        const KeyRange& key = keys_.keys_[k];
        // -r already turns the whole order round; a key that goes the other way is inverted.
        const bool invert = key.reverse != keys_.reverse_;
        const std::string_view field = direct ? splitter_.DirectKey(text, size, key) : splitter_.Key(key);
        part_.clear();
        if (key.numeric) {
            // Written in place: a number's part seldom holds a 00 byte to escape.
            const std::size_t at = out.size();
            AppendNumeric(field, out);
            ClosePart(out, at, invert, part_);
            continue;
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
    if (!keys_.stable_ && stage == Stage::kFull) AppendPart(out, collation_.Key(units_, keys_.level_), false);
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((fields >> shift) & 0xFF);
    return true;
}

}  // namespace zabrelo_tool
