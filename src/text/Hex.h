// Hex: numbers and bytes as upper-case hex digits, for what people read:
// keys shown by the zabrelo command, code points and weights in its
// reports, keys in test failures.
#ifndef ZABRELO_HEX_H
#define ZABRELO_HEX_H

#include <cstdint>
#include <string>

namespace zabrelo {

/// Appends `value` in upper-case hex digits, zero-padded to at least
/// `digits` of them, as printf's "%0*X" writes it.
inline void AppendHex(std::string& out, std::uint32_t value, int digits) {
    static const char kDigits[] = "0123456789ABCDEF";
    int count = 1;
    while (count < 8 && value >> (4 * count) != 0) ++count;
    for (int k = count > digits ? count : digits; k > 0; --k) out += kDigits[k > 8 ? 0 : (value >> (4 * (k - 1))) & 0xF];
}

inline std::string Hex(std::uint32_t value, int digits) {
    std::string out;
    AppendHex(out, value, digits);
    return out;
}

}  // namespace zabrelo

#endif  // ZABRELO_HEX_H
