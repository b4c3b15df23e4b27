// StreamSteps: the byte, unit and block reads every FileReader operation is
// made of. A read that fails for any reason other than the end of the file
// (a device error) is turned into the end of the file, so that every loop
// over a reader stops and later reads raise instead of spinning.
#ifndef ZABRELO_STREAMSTEPS_H
#define ZABRELO_STREAMSTEPS_H

#include <fstream>
#include <utility>

namespace zabrelo {

/// The next byte (0..255), or -1 when the read ran into the end of the file.
inline int NextByte(std::ifstream& stream) {
    const int c = stream.get();
    if (c == std::ifstream::traits_type::eof()) {
        if (!stream.eof()) stream.setstate(std::ios::eofbit);
        return -1;
    }
    return c;
}

/// The next 16-bit unit, first byte low, or -1 when fewer than two bytes
/// were left. A lone trailing byte is consumed but never delivered.
inline long NextUnit(std::ifstream& stream) {
    char bytes[2];
    stream.read(bytes, 2);
    if (stream.gcount() != 2) {
        if (!stream.eof()) stream.setstate(std::ios::eofbit);
        return -1;
    }
    return static_cast<long>(static_cast<unsigned char>(bytes[0]) |
                             (static_cast<unsigned>(static_cast<unsigned char>(bytes[1])) << 8));
}

/// Reads up to `size` bytes into `buffer` in one stream read; returns how many
/// arrived. Running short leaves the stream at the end of the file.
inline std::streamsize NextBytes(std::ifstream& stream, unsigned char* buffer, int size) {
    stream.read(reinterpret_cast<char*>(buffer), size);
    const std::streamsize got = stream.gcount();
    if (got != size && !stream.eof()) stream.setstate(std::ios::eofbit);
    return got;
}

/// Reads up to `maxCount` values with `next` (NextByte or NextUnit), stopping
/// at the end of the file or at `delimiter`, which is consumed but not stored.
/// `out` changes only when at least one value was stored; whether one was.
template <class Text, class Next>
bool ReadDelimited(Text& out, int maxCount, long delimiter, Next next) {
    Text values;
    for (int count = 0; count < maxCount; ++count) {
        const long value = next();
        if (value < 0 || value == delimiter) break;
        values.push_back(static_cast<typename Text::value_type>(value));
    }
    if (values.empty()) return false;
    out = std::move(values);
    return true;
}

}  // namespace zabrelo

#endif  // ZABRELO_STREAMSTEPS_H
