// Utf8: the library's one UTF-8 codec, between UTF-8 bytes and the UTF-16
// units the collation reads. Three readings of bytes: strict (ill-formed
// input is refused), lenient (each byte that does not begin a well-formed
// sequence reads as U+FFFD), and, for file names only, lenient with encoded
// surrogates read back as themselves. Well-formed means the Unicode
// standard's table of well-formed byte sequences: no overlong forms, no
// surrogates, nothing above U+10FFFF, no cut-off sequence. Tested by
// tests/text/Utf8Test.cpp.
#ifndef ZABRELO_TEXT_UTF8_H
#define ZABRELO_TEXT_UTF8_H

#include <cstddef>
#include <string>

namespace zabrelo {

/// What a lone surrogate (a unit D800..DFFF outside a pair) becomes in
/// UTF-8, and what its 3-byte form (ED A0 80 .. ED BF BF) reads back as.
enum class LoneSurrogate {
    // U+FFFD one way, three ill-formed bytes the other: for text handed to
    // anything that expects well-formed UTF-8.
    kReplace,
    // Its own 3-byte form one way, the unit itself the other: for Windows
    // file names, which may hold one and must survive the round trip.
    kKeep,
};

/// Returned by DecodeUtf8 for ill-formed input.
constexpr std::size_t kInvalidUtf8 = static_cast<std::size_t>(-1);

/// Strict: decodes the `size` bytes at `data` into `out`, which has room
/// for `size` units (never more are needed; a code point above the BMP
/// takes two units and four bytes). Returns the number of units written,
/// or kInvalidUtf8 when the bytes are not well-formed UTF-8 (`out` then
/// holds some units of the valid part).
std::size_t DecodeUtf8(const char* data, std::size_t size, char16_t* out);

/// Strict, without decoding: the number of UTF-16 units the `size` bytes at
/// `data` decode to, or kInvalidUtf8 when they are not well-formed UTF-8.
/// Allocates nothing.
std::size_t Utf16Length(const char* data, std::size_t size);

/// Strict, into a string: false on ill-formed UTF-8 (`out` is then unspecified).
bool Utf8ToUtf16(const char* data, std::size_t size, std::u16string& out);

/// Lenient: never fails. A byte that does not begin a well-formed sequence
/// reads as one U+FFFD and decoding goes on at the next byte, so a cut-off
/// three-byte sequence gives three U+FFFD. With LoneSurrogate::kKeep, the
/// 3-byte form of a surrogate reads as that unit instead. Writes at most
/// `size` units to `out` and returns how many.
std::size_t DecodeUtf8Lenient(const char* data, std::size_t size, char16_t* out, LoneSurrogate surrogates);
std::u16string Utf8ToUtf16Lenient(const char* data, std::size_t size, LoneSurrogate surrogates);

/// Lenient, one character at a time: the code point of the character that
/// starts at `bytes`, of which `left` (at least 1) are there, into `cp`;
/// returns how many bytes it took. A byte that begins no well-formed
/// sequence reads as U+FFFD and takes one byte, as in DecodeUtf8Lenient
/// with LoneSurrogate::kReplace.
std::size_t ReadUtf8Lenient(const unsigned char* bytes, std::size_t left, char32_t& cp);

/// UTF-16 to UTF-8: a surrogate pair becomes one four-byte sequence, a lone
/// surrogate what `surrogates` says. Never fails.
std::string Utf16ToUtf8(const char16_t* text, std::size_t length, LoneSurrogate surrogates);
inline std::string Utf16ToUtf8(const std::u16string& text, LoneSurrogate surrogates) {
    return Utf16ToUtf8(text.data(), text.size(), surrogates);
}

}  // namespace zabrelo

#endif  // ZABRELO_TEXT_UTF8_H
