// Utf8: the decoders share one reading of a sequence; they differ only in
// what an ill-formed byte does (stops the strict one, reads as U+FFFD in the
// lenient one). The allowed range of a sequence's second byte rules out
// overlong forms, surrogates and values above U+10FFFF, as the Unicode
// standard's table of well-formed sequences does.
#include "text/Utf8.h"

namespace zabrelo {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// The code point of the well-formed sequence of at least two bytes that
// starts at bytes[0], with `left` bytes available; returns its length, or
// 0 when no well-formed sequence starts there. `keepSurrogates` lets the
// 3-byte form of a surrogate through.
inline std::size_t ReadSequence(const unsigned char* bytes, std::size_t left, bool keepSurrogates,
                                char32_t& cp) {
    const unsigned lead = bytes[0];
    std::size_t length;
    unsigned low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;                     // overlong
        if (lead == 0xED && !keepSurrogates) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
        if (lead == 0xF0) low = 0x90;   // overlong
        if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
        return 0;  // a continuation byte, C0, C1 or F5..FF
    }
    if (left < length) return 0;
    if (bytes[1] < low || bytes[1] > high) return 0;
    cp = (cp << 6) | (bytes[1] & 0x3F);
    for (std::size_t k = 2; k < length; ++k) {
        if ((bytes[k] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (bytes[k] & 0x3F);
    }
    return length;
}

inline char16_t* PutUnits(char32_t cp, char16_t* out) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
        *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
        *out++ = static_cast<char16_t>(cp);
    }
    return out;
}

// The one decoding loop: ASCII and two-byte sequences (the whole Arabic
// block among them) inline, the rest through ReadSequence. An ill-formed
// byte stops a strict decode (kInvalidUtf8) and reads as one U+FFFD in a
// lenient one, since the next byte may begin a sequence of its own.
template <bool kLenient>
std::size_t Decode(const char* data, std::size_t size, char16_t* out, bool keepSurrogates) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    char16_t* w = out;
    std::size_t i = 0;
    while (i < size) {
        const unsigned lead = bytes[i];
        if (lead < 0x80) {
            *w++ = static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF && i + 1 < size && (bytes[i + 1] & 0xC0) == 0x80) {
            *w++ = static_cast<char16_t>(((lead & 0x1F) << 6) | (bytes[i + 1] & 0x3F));
            i += 2;
            continue;
        }
        char32_t cp;
        const std::size_t length = ReadSequence(bytes + i, size - i, keepSurrogates, cp);
        if (length == 0) {
            if constexpr (!kLenient) return kInvalidUtf8;
            *w++ = kReplacement;
            ++i;
            continue;
        }
        w = PutUnits(cp, w);
        i += length;
    }
    return static_cast<std::size_t>(w - out);
}

}  // namespace

std::size_t DecodeUtf8(const char* data, std::size_t size, char16_t* out) {
    return Decode<false>(data, size, out, false);
}

std::size_t Utf16Length(const char* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    std::size_t units = 0, i = 0;
    while (i < size) {
        if (bytes[i] < 0x80) {
            ++units;
            ++i;
            continue;
        }
        char32_t cp;
        const std::size_t length = ReadSequence(bytes + i, size - i, false, cp);
        if (length == 0) return kInvalidUtf8;
        units += length == 4 ? 2 : 1;  // only four-byte sequences lie above the BMP
        i += length;
    }
    return units;
}

bool Utf8ToUtf16(const char* data, std::size_t size, std::u16string& out) {
    // Sized once for the worst case, trimmed at the end.
    out.resize(size);
    const std::size_t count = DecodeUtf8(data, size, &out[0]);
    if (count == kInvalidUtf8) return false;
    out.resize(count);
    return true;
}

std::size_t DecodeUtf8Lenient(const char* data, std::size_t size, char16_t* out, LoneSurrogate surrogates) {
    return Decode<true>(data, size, out, surrogates == LoneSurrogate::kKeep);
}

std::size_t ReadUtf8Lenient(const unsigned char* bytes, std::size_t left, char32_t& cp) {
    if (bytes[0] < 0x80) {
        cp = bytes[0];
        return 1;
    }
    const std::size_t length = ReadSequence(bytes, left, false, cp);
    if (length != 0) return length;
    cp = kReplacement;
    return 1;
}

std::u16string Utf8ToUtf16Lenient(const char* data, std::size_t size, LoneSurrogate surrogates) {
    std::u16string out(size, u'\0');
    out.resize(DecodeUtf8Lenient(data, size, &out[0], surrogates));
    return out;
}

std::string Utf16ToUtf8(const char16_t* text, std::size_t length, LoneSurrogate surrogates) {
    std::string out;
    out.reserve(length * 2);
    for (std::size_t i = 0; i < length; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF && surrogates == LoneSurrogate::kReplace) {
            c = kReplacement;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace zabrelo
