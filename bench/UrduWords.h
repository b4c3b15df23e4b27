// UrduWords: the benchmark's input. A deterministic generator of Urdu-like
// text drawn with Urdu letter frequencies, and a reader for a UTF-8 word file.
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

}  // namespace zabrelo_bench

#endif  // ZABRELO_BENCH_URDUWORDS_H
