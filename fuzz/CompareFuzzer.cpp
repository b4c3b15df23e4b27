// Fuzzes keys and comparison against the default Urdu table. The input is
// UTF-16 little-endian, split into two strings at the position its first
// byte picks; both strings are checked against the contract of keys and
// Compare, and a copied object must answer exactly as the original.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"

namespace {

ZabreloLib& Lib() {
    static ZabreloLib lib;
    return lib;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The table path is fixed at build time: the fuzzer runs from anywhere.
    zabrelo_fuzz::Check(Lib().Initialize(ZABRELO_FUZZ_TABLE), "the default table loads");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::u16string units;
    for (std::size_t i = 1; i + 1 < size; i += 2) {
        units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    }
    const std::size_t split = data[0] * (units.size() + 1) / 256;
    const std::u16string a = units.substr(0, split), b = units.substr(split);

    ZabreloLib& lib = Lib();
    zabrelo_fuzz::CheckKeysAndCompare(lib, a, b);
    zabrelo_fuzz::CheckKeysAndCompare(lib, b, a);

    ZabreloLib copy(lib);
    for (int level = 1; level <= 3; ++level) {
        zabrelo_fuzz::Check(copy.Compare(a, b, level) == lib.Compare(a, b, level), "a copy compares the same");
        zabrelo_fuzz::Check(copy.GetCollationKey(a, level) == lib.GetCollationKey(a, level), "a copy keys the same");
    }
    return 0;
}
