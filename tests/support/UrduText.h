// UrduText: text for the tests, the fuzzers and the benchmark. Generated
// text the same on every machine and standard library: Urdu-like words drawn
// with Urdu letter frequencies (the benchmark's input), and strings drawn
// evenly from an alphabet that reaches every path of keys and comparison
// (the property tests'). And the lines of a UTF-8 word file.
#ifndef ZABRELO_TESTS_URDUTEXT_H
#define ZABRELO_TESTS_URDUTEXT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zabrelo_test {

/// splitmix64: tiny, fast, and the same everywhere, unlike std:: distributions.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    /// Uniform in [0, n); the modulo bias is far below anything a test sees.
    std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(Next() % n); }

private:
    std::uint64_t state_;
};

/// `count` strings, the same for a given `seed`: words of 2 to 12 letters
/// with aspirates, hamza letters, some vowel marks, and about one string in
/// seven made of 2 or 3 words.
std::vector<std::u16string> GenerateUrdu(std::size_t count, std::uint64_t seed);

/// Units that take every path of keys and comparison, with the default table
/// and with the small tables of TestTables.h: letters with and without pairs
/// (aspirates, hamza marks, doubled letters), the letters rewritten at the
/// end, diacritics, digits, the non-joiner, a space, and units no table
/// weighs (Latin, a lone surrogate, a noncharacter).
extern const std::u16string kWalkAlphabet;

/// `length` units drawn evenly from `alphabet`.
std::u16string RandomUnits(Random& random, const std::u16string& alphabet, std::size_t length);

/// The non-empty lines of a file, without their line ends (LF or CR LF).
/// False when it cannot be read.
bool ReadLines(const std::string& path, std::vector<std::string>& lines);
/// The lines of a UTF-8 file as UTF-16; a malformed line is left out, so
/// that nothing its author did not write is timed. False when it cannot be read.
bool ReadWordFile(const std::string& path, std::vector<std::u16string>& out);

}  // namespace zabrelo_test

#endif  // ZABRELO_TESTS_URDUTEXT_H
