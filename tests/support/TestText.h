// TestText: UTF-8 word lists for tests, read as UTF-16 strings, and a readable
// form of a key for failure messages.
#ifndef ZABRELO_TESTS_TESTTEXT_H
#define ZABRELO_TESTS_TESTTEXT_H

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "text/Utf8.h"

namespace zabrelo_test {

/// UTF-8 to UTF-16 for the project's own test files; a malformed file is a
/// broken fixture, so it fails loudly rather than testing something else.
inline std::u16string FromUtf8(const std::string& text) {
    std::u16string out;
    if (!zabrelo::Utf8ToUtf16(text.data(), text.size(), out)) {
        ADD_FAILURE() << "invalid UTF-8 in a test fixture: " << text;
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
