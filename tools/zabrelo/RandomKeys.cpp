// RandomKeys: two 64-bit hashes of the text, each block of eight bytes mixed
// in with a multiply-and-shift finaliser, under four seeds.
#include "RandomKeys.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "Platform.h"
#include "ToolError.h"

namespace zabrelo_tool {

namespace {

std::uint64_t Mix(std::uint64_t x) {
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

std::uint64_t Hash(std::string_view text, std::uint64_t seed, std::uint64_t salt) {
    std::uint64_t h = Mix(seed ^ (text.size() * 0x9E3779B97F4A7C15ULL));
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t block = 0;
        std::memcpy(&block, text.data() + at, 8);
        h = Mix(h ^ block ^ salt) + salt;
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, text.data() + at, text.size() - at);
    return Mix(h ^ tail ^ salt);
}

}  // namespace

RandomKeys::RandomKeys(const std::string& secret) {
    if (secret.size() >= sizeof seeds_) {
        std::memcpy(seeds_, secret.data(), sizeof seeds_);
        return;
    }
    std::random_device device;
    for (std::uint64_t& seed : seeds_) seed = (static_cast<std::uint64_t>(device()) << 32) ^ device();
}

void RandomKeys::Append(std::string_view text, std::string& out) const {
    for (int half = 0; half < 2; ++half) {
        const std::uint64_t h = Hash(text, seeds_[2 * half], seeds_[2 * half + 1]);
        for (int shift = 56; shift >= 0; shift -= 8) out += static_cast<char>((h >> shift) & 0xFF);
    }
}

std::string ReadRandomSource(const std::string& path) {
    std::FILE* file = path == "-" ? stdin : OpenForReading(path);
    if (!file) throw ToolError("sort: open failed: " + path + ": " + std::strerror(errno));
    std::string secret(RandomKeys::kSecretSize, '\0');
    const std::size_t got = std::fread(&secret[0], 1, secret.size(), file);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    if (file != stdin) std::fclose(file);
    if (failed) throw ToolError("sort: " + path + ": " + std::strerror(error));
    if (got < secret.size()) throw ToolError("sort: '" + path + "': end of file");
    return secret;
}

}  // namespace zabrelo_tool
