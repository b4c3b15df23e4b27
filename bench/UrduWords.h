// UrduWords: the benchmark's input. A deterministic generator of Urdu-like
// text drawn with Urdu letter frequencies, a reader for a UTF-8 word file,
// and the UTF-16 -> UTF-8 conversion that gives glibc the same text.
#ifndef ZABRELO_BENCH_URDUWORDS_H
#define ZABRELO_BENCH_URDUWORDS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zabrelo_bench {

/// `count` strings, the same for a given `seed` on every machine and
/// standard library: words of 2 to 12 letters with aspirates, hamza letters,
/// some vowel marks, and about one string in seven made of 2 or 3 words.
std::vector<std::u16string> GenerateUrdu(std::size_t count, std::uint64_t seed);

/// The non-empty, well-formed lines of a UTF-8 file (CR LF or LF), converted
/// to UTF-16. False when the file cannot be read.
bool ReadWordFile(const std::string& path, std::vector<std::u16string>& out);

/// UTF-8 for glibc's functions; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);

}  // namespace zabrelo_bench

#endif  // ZABRELO_BENCH_URDUWORDS_H
