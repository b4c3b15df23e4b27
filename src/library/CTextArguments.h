// CTextArguments: a text as the C interface's functions receive it, a
// pointer and a length in units or ZABRELO_NUL_TERMINATED, made a pointer
// and a count.
#ifndef ZABRELO_LIBRARY_CTEXTARGUMENTS_H
#define ZABRELO_LIBRARY_CTEXTARGUMENTS_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "zabrelo/zabrelo.h"

namespace zabrelo {

/// A uint16_t text read as char16_t: both are 16-bit unsigned units of one
/// representation, and the caller wrote them in another module.
inline const char16_t* Units(const uint16_t* text) { return reinterpret_cast<const char16_t*>(text); }

/// Resolves ZABRELO_NUL_TERMINATED; false for a null text that claims units
/// and for a length no object can have (more bytes than PTRDIFF_MAX), which
/// is a caller's mistake, not a text: nothing of it is read.
inline bool Text16(const uint16_t* text, std::size_t& length) {
    if (text == nullptr) return length == 0;
    if (length == ZABRELO_NUL_TERMINATED) length = std::char_traits<char16_t>::length(Units(text));
    return length <= static_cast<std::size_t>(PTRDIFF_MAX) / sizeof(uint16_t);
}
inline bool Text8(const char* text, std::size_t& length) {
    if (text == nullptr) return length == 0;
    if (length == ZABRELO_NUL_TERMINATED) length = std::strlen(text);
    return length <= static_cast<std::size_t>(PTRDIFF_MAX);
}

}  // namespace zabrelo

#endif  // ZABRELO_LIBRARY_CTEXTARGUMENTS_H
