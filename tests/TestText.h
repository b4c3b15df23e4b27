// TestText: UTF-8 word lists for tests, read as UTF-16 strings, and a readable
// form of a key for failure messages.
#ifndef ZABRELO_TESTS_TESTTEXT_H
#define ZABRELO_TESTS_TESTTEXT_H

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace zabrelo_test {

/// UTF-8 to UTF-16 for the project's own well-formed test files.
inline std::u16string FromUtf8(const std::string& text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        char32_t cp = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra && i + static_cast<std::size_t>(k) < text.size(); ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3Fu);
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

/// The lines of a UTF-8 file, without line ends; empty lines are skipped.
inline std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

/// A key as hex bytes, for messages.
inline std::string Hex(const std::string& key) {
    std::string out;
    char byte[4];
    for (const char c : key) {
        std::snprintf(byte, sizeof byte, "%02X ", static_cast<unsigned>(static_cast<unsigned char>(c)));
        out += byte;
    }
    return out;
}

}  // namespace zabrelo_test

#endif  // ZABRELO_TESTS_TESTTEXT_H
