// Consumer of an installed zabrelo: loads the table given first, then expects
// the IOException of the missing file given second, caught by its base class.
#include <cstdio>
#include <string>

#include <zabrelo/ZabreloLib.h>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    ZabreloLib lib;
    if (!lib.Initialize(argv[1])) {
        std::puts("table did not load");
        return 1;
    }
    if (lib.GetCollationKey(u"\u0627", 3) != std::string("\x01\x02\x03")) {
        std::puts("unexpected key");
        return 1;
    }
    try {
        lib.Initialize(argv[2]);
    } catch (const VantorException& error) {
        if (error.GetErrorCode() != 16) return 1;
        std::printf("caught: %s\n", error.GetFormattedMessage().c_str());
        return 0;
    }
    std::puts("no exception for a missing file");
    return 1;
}
