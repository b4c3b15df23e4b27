// Utf8: the strict decoder. Byte ranges follow the well-formed sequences of
// the Unicode standard (table 3-7), which rule out overlong forms and
// surrogates by the allowed range of the second byte.
#include "Utf8.h"

namespace zabrelo_tool {

bool Utf8ToUtf16(const char* data, std::size_t size, std::u16string& out) {
    // UTF-16 never needs more units than UTF-8 has bytes: size once, write
    // through a pointer, trim at the end.
    out.resize(size);
    char16_t* const first = &out[0];
    char16_t* w = first;
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    std::size_t i = 0;
    while (i < size) {
        const unsigned lead = bytes[i];
        if (lead < 0x80) {
            *w++ = static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        // Two-byte sequences, the whole Arabic block among them.
        if (lead >= 0xC2 && lead <= 0xDF && i + 1 < size && (bytes[i + 1] & 0xC0) == 0x80) {
            *w++ = static_cast<char16_t>(((lead & 0x1F) << 6) | (bytes[i + 1] & 0x3F));
            i += 2;
            continue;
        }
        int extra;
        unsigned low = 0x80, high = 0xBF;  // allowed range of the second byte
        char32_t cp;
        if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            cp = lead & 0x0F;
            if (lead == 0xE0) low = 0xA0;   // overlong
            if (lead == 0xED) high = 0x9F;  // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            cp = lead & 0x07;
            if (lead == 0xF0) low = 0x90;   // overlong
            if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
        } else {
            return false;  // a stray continuation byte, C0, C1, F5..FF, or a cut-off two-byte form
        }
        if (size - i <= static_cast<std::size_t>(extra)) return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned byte = bytes[i + static_cast<std::size_t>(k)];
            if (k == 1 ? (byte < low || byte > high) : (byte & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (byte & 0x3F);
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *w++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *w++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            *w++ = static_cast<char16_t>(cp);
        }
    }
    out.resize(static_cast<std::size_t>(w - first));
    return true;
}

}  // namespace zabrelo_tool
