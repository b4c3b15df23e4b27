// Utf8: strict UTF-8 to UTF-16 for the text the tool hands to the library.
// Rejects what a careless decoder would let through (overlong forms,
// surrogates, code points above U+10FFFF, cut-off sequences), so a line that
// passes can be written back byte for byte and means what it says.
#ifndef ZABRELO_TOOL_UTF8_H
#define ZABRELO_TOOL_UTF8_H

#include <cstddef>
#include <string>

namespace zabrelo_tool {

/// Replaces `out` with the UTF-16 form of `size` bytes at `data`; code points
/// above the BMP become surrogate pairs. False on invalid UTF-8 (`out` is
/// then unspecified).
bool Utf8ToUtf16(const char* data, std::size_t size, std::u16string& out);

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_UTF8_H
