// A client of the shared library: load a table, compare two words, print a key.
#include <cstdio>

#include "zabrelo/ZabreloLib.h"

int main(int argc, char** argv) {
    ZabreloLib lib;
    try {
        const bool loaded = argc > 1 ? lib.Initialize(argv[1]) : lib.Initialize();
        std::printf("table loaded: %s\n", loaded ? "yes" : "no");
    } catch (const VantorException& error) {
        std::printf("%s\n", error.GetFormattedMessage().c_str());
        return 2;
    }
    const std::u16string kitab = u"\u06A9\u062A\u0627\u0628", qalam = u"\u0642\u0644\u0645";
    std::printf("Compare(kitab, qalam, 3) = %d\n", lib.Compare(kitab, qalam, 3));
    std::printf("key(kitab, 3) =");
    for (const char byte : lib.GetCollationKey(kitab, 3)) {
        std::printf(" %02X", static_cast<unsigned>(static_cast<unsigned char>(byte)));
    }
    std::printf("\n");
    return 0;
}
