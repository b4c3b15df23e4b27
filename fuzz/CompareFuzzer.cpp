// Fuzzes keys and comparison against the default Urdu table. The input is
// UTF-16 little-endian, split into two strings at the position its first
// byte picks; both strings are checked against the contract of keys and
// Compare, and a copied object must answer exactly as the original. The key
// writer and the comparer also get each string in a buffer of exactly its
// length (nothing behind it to lean on) and write into a buffer cut short.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "FuzzSupport.h"
#include "collation/CollationKeys.h"
#include "collation/TableLoader.h"

namespace {

ZabreloLib& Lib() {
    static ZabreloLib lib;
    return lib;
}

std::shared_ptr<const zabrelo::CollationTable>& Table() {
    static std::shared_ptr<const zabrelo::CollationTable> table;
    return table;
}

std::unique_ptr<char16_t[]> ExactCopy(const std::u16string& text) {
    std::unique_ptr<char16_t[]> copy(new char16_t[text.size()]);
    if (!text.empty()) std::memcpy(copy.get(), text.data(), text.size() * sizeof(char16_t));
    return copy;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The table path is fixed at build time: the fuzzer runs from anywhere.
    zabrelo_fuzz::Check(Lib().Initialize(ZABRELO_FUZZ_TABLE), "the default table loads");
    zabrelo_fuzz::Check(zabrelo::TableLoader::Initialize(Table(), ZABRELO_FUZZ_TABLE), "the table loads");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using zabrelo_fuzz::Check;
    if (size == 0) return 0;
    std::u16string units;
    for (std::size_t i = 1; i + 1 < size; i += 2) {
        units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    }
    const std::size_t split = data[0] * (units.size() + 1) / 256;
    const std::u16string a = units.substr(0, split), b = units.substr(split);

    const ZabreloLib& lib = Lib();
    zabrelo_fuzz::CheckKeysAndCompare(lib, a, b);
    zabrelo_fuzz::CheckKeysAndCompare(lib, b, a);

    ZabreloLib copy(lib);
    const zabrelo::CollationTable& table = *Table();
    const auto exactA = ExactCopy(a), exactB = ExactCopy(b);
    for (int level = 1; level <= 3; ++level) {
        Check(copy.Compare(a, b, level) == lib.Compare(a, b, level), "a copy compares the same");
        const std::string key = lib.GetCollationKey(a, level);
        Check(copy.GetCollationKey(a, level) == key, "a copy keys the same");

        Check(zabrelo::CompareStrings(table, exactA.get(), a.size(), exactB.get(), b.size(), level) ==
                  lib.Compare(a, b, level),
              "the comparer on exact buffers answers as Compare");
        const std::size_t capacity = key.empty() ? 0 : data[0] % (key.size() + 1);
        std::unique_ptr<unsigned char[]> out(new unsigned char[capacity]);
        Check(zabrelo::WriteKey(table, exactA.get(), a.size(), level, out.get(), capacity) == key.size(),
              "the key writer tells the whole length");
        Check(std::memcmp(out.get(), key.data(), capacity) == 0,
              "the key writer fills the buffer with the key's start");
    }
    return 0;
}
