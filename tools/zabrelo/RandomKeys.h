// RandomKeys: the order of -R, a shuffle that keeps equal keys together: a
// key's text is hashed with a secret drawn once per sort, and lines go by
// the hashes. The secret comes from the system's random source, or from the
// first bytes of --random-source's file, which makes the order repeatable.
#ifndef ZABRELO_TOOL_RANDOMKEYS_H
#define ZABRELO_TOOL_RANDOMKEYS_H

#include <cstdint>
#include <string>
#include <string_view>

namespace zabrelo_tool {

class RandomKeys {
public:
    /// The bytes a secret takes from a random source.
    static constexpr std::size_t kSecretSize = 32;

    /// `secret`: kSecretSize bytes, or "" for the system's random source.
    explicit RandomKeys(const std::string& secret = std::string());

    /// Appends the 16 bytes of `text`'s hash.
    void Append(std::string_view text, std::string& out) const;

private:
    std::uint64_t seeds_[4];
};

/// Reads a secret from `path` ("-": standard input). Throws ToolError when
/// it cannot, or the file ends first.
std::string ReadRandomSource(const std::string& path);

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_RANDOMKEYS_H
