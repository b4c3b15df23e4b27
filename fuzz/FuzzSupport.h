// FuzzSupport: what the fuzzers share: a scratch file per process for the
// bytes under test, a check that aborts with a message (so libFuzzer keeps
// the input), and the properties every key and comparison must have.
#ifndef ZABRELO_FUZZ_FUZZSUPPORT_H
#define ZABRELO_FUZZ_FUZZSUPPORT_H

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "KeyOrder.h"
#include "zabrelo/ZabreloLib.h"

namespace zabrelo_fuzz {

/// Aborts with `what` when `ok` is false: libFuzzer then saves the input.
inline void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

/// A file of this process's own (parallel fuzzing jobs must not share one),
/// rewritten with exactly `bytes` on each call.
inline const std::string& WriteScratch(const char* tag, const std::uint8_t* bytes, std::size_t size) {
    static const std::string path =
        (std::filesystem::temp_directory_path() /
         ("zabrelo-fuzz-" + std::string(tag) + "-" + std::to_string(getpid()) + ".txt"))
            .string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    out.close();
    Check(out.good(), "scratch file written");
    return path;
}

/// The contract of keys and Compare, whatever table `lib` holds: a key is
/// the same every time; levels nest (the key at level l begins with the key
/// at l - 1); levels above 3 are 3 and below 1 empty; Compare is the keys'
/// unsigned byte order plus the tie rule (equal keys: -1 when `a` is shorter).
inline void CheckKeysAndCompare(const ZabreloLib& lib, const std::u16string& a, const std::u16string& b) {
    std::string previous;
    for (int level = 0; level <= 3; ++level) {
        const std::string key = lib.GetCollationKey(a, level);
        Check(lib.GetCollationKey(a, level) == key, "the same key twice");
        Check(key.compare(0, previous.size(), previous) == 0, "level l-1 key is a prefix of level l");
        previous = key;

        const int byKeys = zabrelo_test::KeyOrder(key, a.size(), lib.GetCollationKey(b, level), b.size());
        Check(lib.Compare(a, b, level) == byKeys, "Compare agrees with the keys and the tie rule");
        Check(lib.GetCollationKey(a, level) == key, "a key does not depend on earlier calls");
    }
    Check(lib.GetCollationKey(a, 4) == previous, "level 4 is level 3");
    Check(lib.GetCollationKey(a, -1).empty(), "a negative level gives an empty key");
    Check(lib.Compare(a, a, 3) == 0, "a string equals itself");
}

}  // namespace zabrelo_fuzz

#endif  // ZABRELO_FUZZ_FUZZSUPPORT_H
