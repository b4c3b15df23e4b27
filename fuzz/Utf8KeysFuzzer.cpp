// Fuzzes the UTF-8 side of the C interface against the default Urdu table
// with arbitrary bytes. The first byte picks where the rest splits into two
// texts, the level and a buffer size; each text sits in a heap block of
// exactly its length. zabrelo_key8 and zabrelo_compare8 must refuse exactly
// the texts the strict decoder refuses, and on the others give the key and
// order of the UTF-16 form (zabrelo_key16, ZabreloLib in the full order). The lenient reading
// of any bytes is well-formed UTF-16 with no more units than bytes, and the
// keys and order that the core reads straight from any bytes (Utf8Keys, for
// the SQLite collations) are those of the lenient reading.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "collation/CollationKeys.h"
#include "collation/Utf8Keys.h"
#include "library/CollatorHandle.h"
#include "text/Utf8.h"
#include "zabrelo/zabrelo.h"

namespace {

ZabreloLib& Lib() {
    static ZabreloLib lib;
    return lib;
}

zabrelo_collator*& Collator() {
    static zabrelo_collator* collator = nullptr;
    return collator;
}

std::unique_ptr<char[]> ExactCopy(const std::string& bytes) {
    std::unique_ptr<char[]> copy(new char[bytes.size()]);
    if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
    return copy;
}

// What zabrelo_key8 gives with a buffer of `capacity` bytes.
struct Key8Result {
    zabrelo_status status;
    std::size_t length;   // as *key_length reports it
    std::string written;  // the bytes it wrote
};

Key8Result Key8(const char* text, std::size_t length, int level, std::size_t capacity) {
    std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[capacity]);
    Key8Result r{ZABRELO_OK, 12345, std::string()};
    r.status = zabrelo_key8(Collator(), text, length, level, capacity ? out.get() : nullptr, capacity, &r.length);
    r.written.assign(reinterpret_cast<const char*>(out.get()), std::min(r.length, capacity));
    return r;
}

std::string Key16(const std::u16string& text, int level) {
    std::size_t length = 0;
    zabrelo_key16(Collator(), reinterpret_cast<const std::uint16_t*>(text.data()), text.size(), level, nullptr, 0,
                  &length);
    std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[length + 1]);
    zabrelo_fuzz::Check(zabrelo_key16(Collator(), reinterpret_cast<const std::uint16_t*>(text.data()), text.size(),
                                      level, out.get(), length, &length) == ZABRELO_OK,
                        "key16 fits the preflighted length");
    return std::string(reinterpret_cast<const char*>(out.get()), length);
}

void CheckLenient(const std::string& bytes, bool valid, const std::u16string& strict) {
    using zabrelo::LoneSurrogate;
    const std::u16string lenient = zabrelo::Utf8ToUtf16Lenient(bytes.data(), bytes.size(), LoneSurrogate::kReplace);
    zabrelo_fuzz::Check(lenient.size() <= bytes.size(), "no more units than bytes");
    if (valid) zabrelo_fuzz::Check(lenient == strict, "the lenient reading of valid UTF-8 is the strict one");
    // Replacements and all, the result has no lone surrogate: it encodes to
    // well-formed UTF-8 that reads back the same.
    const std::string again = zabrelo::Utf16ToUtf8(lenient, LoneSurrogate::kReplace);
    std::u16string back;
    zabrelo_fuzz::Check(zabrelo::Utf8ToUtf16(again.data(), again.size(), back) && back == lenient,
                        "the lenient reading is well-formed UTF-16");
    if (valid) zabrelo_fuzz::Check(again == bytes, "valid UTF-8 encodes back byte for byte");
}

// Utf8Keys on any bytes against the lenient reading's key and key order.
void CheckStraightFromBytes(const std::string& a, const char* exactA, const std::string& b, const char* exactB,
                            int level, std::size_t capacity) {
    using zabrelo::LoneSurrogate;
    const zabrelo::CollationTable& table = *Collator()->table;
    const std::u16string x = zabrelo::Utf8ToUtf16Lenient(a.data(), a.size(), LoneSurrogate::kReplace);
    const std::u16string y = zabrelo::Utf8ToUtf16Lenient(b.data(), b.size(), LoneSurrogate::kReplace);
    const int expected = zabrelo::CompareKeys(table, x.data(), x.size(), y.data(), y.size(), level);
    zabrelo_fuzz::Check(zabrelo::CompareUtf8Keys(table, exactA, a.size(), exactB, b.size(), level) == expected,
                        "CompareUtf8Keys is the key order of the lenient readings");
    zabrelo_fuzz::Check(zabrelo::CompareUtf8Keys(table, exactB, b.size(), exactA, a.size(), level) == -expected,
                        "CompareUtf8Keys is an order");
    const std::string key = zabrelo::BuildKey(table, x.data(), x.size(), level);
    std::unique_ptr<unsigned char[]> out(new unsigned char[capacity + 1]);
    zabrelo_fuzz::Check(zabrelo::WriteUtf8Key(table, exactA, a.size(), level, out.get(), capacity) == key.size(),
                        "WriteUtf8Key tells the lenient reading's key length");
    zabrelo_fuzz::Check(std::string(reinterpret_cast<const char*>(out.get()), std::min(capacity, key.size())) ==
                            key.substr(0, capacity),
                        "WriteUtf8Key writes the lenient reading's key, as much as fits");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The table path is fixed at build time: the fuzzer runs from anywhere.
    // The C interface reads the full order unless asked otherwise.
    zabrelo_fuzz::Check(Lib().InitializeFullOrder(ZABRELO_FUZZ_TABLE), "the default table loads");
    zabrelo_fuzz::Check(zabrelo_open(ZABRELO_FUZZ_TABLE, &Collator()) == ZABRELO_OK, "the collator opens");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using zabrelo_fuzz::Check;
    if (size == 0) return 0;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t split = data[0] * (rest.size() + 1) / 256;
    const std::string a = rest.substr(0, split), b = rest.substr(split);
    const int level = data[0] % 5;  // 0 to 4: the empty key and a level above 3 too
    const auto exactA = ExactCopy(a), exactB = ExactCopy(b);

    std::u16string unitsA, unitsB;
    const bool validA = zabrelo::Utf8ToUtf16(a.data(), a.size(), unitsA);
    const bool validB = zabrelo::Utf8ToUtf16(b.data(), b.size(), unitsB);
    CheckLenient(a, validA, unitsA);

    const std::size_t capacity = (data[0] >> 4) * 4u;  // 0 (a preflight) to 60 bytes
    CheckStraightFromBytes(a, exactA.get(), b, exactB.get(), level, capacity);
    const Key8Result key = Key8(exactA.get(), a.size(), level, capacity);
    if (!validA) {
        Check(key.status == ZABRELO_INVALID_UTF8 && key.length == 0, "key8 refuses what the strict decoder refuses");
    } else {
        const std::string expected = Key16(unitsA, level);
        Check(expected == Lib().GetCollationKey(unitsA, level), "key16 is GetCollationKey");
        Check(key.length == expected.size(), "key8 tells the length of the UTF-16 form's key");
        Check(key.status == (key.length > capacity ? ZABRELO_BUFFER_TOO_SMALL : ZABRELO_OK),
              "BUFFER_TOO_SMALL exactly when the key does not fit");
        Check(key.written == expected.substr(0, capacity), "key8 writes the UTF-16 form's key, as much as fits");
    }

    int result = 7;
    const zabrelo_status status = zabrelo_compare8(Collator(), exactA.get(), a.size(), exactB.get(), b.size(), level, &result);
    if (!validA || !validB) {
        Check(status == ZABRELO_INVALID_UTF8 && result == ZABRELO_COMPARE_ERROR, "compare8 refuses invalid UTF-8");
    } else {
        Check(status == ZABRELO_OK, "compare8 takes valid UTF-8");
        Check(result == Lib().Compare(unitsA, unitsB, level), "compare8 is Compare of the UTF-16 forms");
        Check(result == zabrelo_compare16(Collator(), reinterpret_cast<const std::uint16_t*>(unitsA.data()),
                                          unitsA.size(), reinterpret_cast<const std::uint16_t*>(unitsB.data()),
                                          unitsB.size(), level),
              "compare8 is compare16 of the UTF-16 forms");
    }
    return 0;
}
