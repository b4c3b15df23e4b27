// KeyHead: a sort key's first bytes as one number, for programs that sort
// by keys (the zabrelo command, the Python package, the benchmark). Numbers
// built this way compare as the bytes do, so most comparisons of keys are
// one integer comparison instead of a trip to the keys' bytes.
#ifndef ZABRELO_KEYHEAD_H
#define ZABRELO_KEYHEAD_H

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zabrelo {

/// The eight bytes at `p` as a big-endian number.
inline std::uint64_t BigEndian64(const unsigned char* p) {
    std::uint64_t value;
    std::memcpy(&value, p, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    value = __builtin_bswap64(value);
#endif
    return value;
}

/// The first eight bytes of the `size` bytes at `key` as a big-endian
/// number, zero-padded past the key's end: a shorter key's head is never
/// above that of a key it begins, and the sizes settle equal heads.
inline std::uint64_t KeyHead(const unsigned char* key, std::size_t size) {
    if (size >= 8) return BigEndian64(key);
    std::uint64_t head = 0;
    for (std::size_t k = 0; k < size; ++k) head |= static_cast<std::uint64_t>(key[k]) << (56 - 8 * k);
    return head;
}
inline std::uint64_t KeyHead(const char* key, std::size_t size) {
    return KeyHead(reinterpret_cast<const unsigned char*>(key), size);
}

}  // namespace zabrelo

#endif  // ZABRELO_KEYHEAD_H
