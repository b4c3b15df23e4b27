// TextUnits: widening Python's one- and four-byte storage to UTF-16.
#include "TextUnits.h"

namespace zabrelo_python {

std::size_t Utf16Length(const TextRef& text) {
    if (text.kind != 4) return text.length;
    const auto* chars = static_cast<const std::uint32_t*>(text.data);
    std::size_t count = text.length;
    for (std::size_t i = 0; i < text.length; ++i) count += chars[i] > 0xFFFF;
    return count;
}

void WriteUtf16(const TextRef& text, char16_t* out) {
    if (text.kind == 1) {
        const auto* chars = static_cast<const unsigned char*>(text.data);
        for (std::size_t i = 0; i < text.length; ++i) out[i] = chars[i];
    } else if (text.kind == 2) {
        const auto* chars = static_cast<const std::uint16_t*>(text.data);
        for (std::size_t i = 0; i < text.length; ++i) out[i] = chars[i];
    } else {
        const auto* chars = static_cast<const std::uint32_t*>(text.data);
        for (std::size_t i = 0; i < text.length; ++i) {
            const std::uint32_t c = chars[i];
            if (c > 0xFFFF) {
                *out++ = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
                *out++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
            } else {
                *out++ = static_cast<char16_t>(c);
            }
        }
    }
}

}  // namespace zabrelo_python
