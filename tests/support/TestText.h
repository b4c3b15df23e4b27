// TestText: UTF-8 word lists for tests, read as UTF-16 strings, and a readable
// form of a key for failure messages.
#ifndef ZABRELO_TESTS_TESTTEXT_H
#define ZABRELO_TESTS_TESTTEXT_H

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "UrduText.h"
#include "text/Hex.h"
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

/// The non-empty lines of a test file; a missing file is a broken fixture.
inline std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    if (!ReadLines(path, lines)) ADD_FAILURE() << "cannot read " << path;
    return lines;
}

/// A key as hex bytes, each followed by a space, for messages.
inline std::string Hex(const std::string& key) {
    std::string out;
    for (const char c : key) {
        zabrelo::AppendHex(out, static_cast<unsigned char>(c), 2);
        out += ' ';
    }
    return out;
}

}  // namespace zabrelo_test

#endif  // ZABRELO_TESTS_TESTTEXT_H
