// VersionKeys: the tokens of a text's runs, and the file suffix cut off.
#include "VersionKeys.h"

#include <cstdint>

namespace zabrelo_tool {

namespace {

constexpr std::uint16_t kTilde = 1;
constexpr std::uint16_t kZerosThenTilde = 2;
constexpr std::uint16_t kEnd = 3;
constexpr std::uint16_t kZerosThenOther = 4;
constexpr std::uint16_t kNumber = 5;
constexpr std::uint16_t kLetters = 6;         // + the letter
constexpr std::uint16_t kOthers = 6 + 256;    // + the byte

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A token in as few bytes as keep the order: one for the marks and letters,
// F0 and one for any other byte.
void Put(std::uint16_t token, std::string& out) {
    if (token < kOthers) {
        out += static_cast<char>(token);
        return;
    }
    out += '\xF0';
    out += static_cast<char>(token - kOthers);
}

void AppendRuns(std::string_view text, std::string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = p + text.size();
    while (p < end) {
        for (; p < end && !IsDigit(*p); ++p) {
            Put(*p == '~' ? kTilde : IsAlpha(*p) ? static_cast<std::uint16_t>(kLetters + *p)
                                                   : static_cast<std::uint16_t>(kOthers + *p),
                out);
        }
        if (p == end) break;
        while (p < end && *p == '0') ++p;
        const auto* const digits = p;
        while (p < end && IsDigit(*p)) ++p;
        if (p > digits) {
            Put(kNumber, out);
            const auto count = static_cast<std::uint32_t>(p - digits);
            for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((count >> shift) & 0xFF);
            out.append(reinterpret_cast<const char*>(digits), static_cast<std::size_t>(p - digits));
        } else if (p < end) {
            Put(*p == '~' ? kZerosThenTilde : kZerosThenOther, out);
        }  // zeros that end the text are no more than its end
    }
    Put(kEnd, out);
}

// The length of `text` without its file suffixes: the longest end that is
// a run of '.', a letter or '~', then letters, digits or '~' (a component
// runs to the next '.'), which may be the whole text (".bashrc").
std::size_t PrefixLength(std::string_view text) {
    std::size_t prefix = text.size();
    std::size_t next = text.size();  // where the component after a '.' ends
    for (std::size_t j = text.size(); j-- > 0;) {
        if (text[j] != '.') continue;
        bool valid = next - j >= 2 && next == prefix;
        for (std::size_t k = j + 1; valid && k < next; ++k) {
            const auto c = static_cast<unsigned char>(text[k]);
            valid = IsAlpha(c) || c == '~' || (k > j + 1 && IsDigit(c));
        }
        if (valid) prefix = j;
        next = j;
    }
    return prefix;
}

}  // namespace

void AppendVersion(std::string_view text, std::string& out) {
    if (text.empty()) {
        out += '\x01';
        return;
    }
    if (text == ".") {
        out += '\x02';
        return;
    }
    if (text == "..") {
        out += '\x03';
        return;
    }
    out += text[0] == '.' ? '\x04' : '\x05';
    AppendRuns(text.substr(0, PrefixLength(text)), out);
    AppendRuns(text, out);
}

}  // namespace zabrelo_tool
