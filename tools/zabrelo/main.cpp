// zabrelo: the command-line tool. Sorts UTF-8 text in Urdu dictionary order
// with the library, shows keys, compares two texts and checks a weight
// table. This file only dispatches to the commands and reports errors.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Commands.h"
#include "Platform.h"
#include "ToolError.h"

#ifndef ZABRELO_VERSION
#define ZABRELO_VERSION "unknown"
#endif

namespace {

constexpr char kUsage[] =
    "Usage: zabrelo COMMAND [OPTION]... [ARGUMENT]...\n"
    "Put Urdu text in dictionary order.\n"
    "\n"
    "  zabrelo sort [FILE]...       sort UTF-8 lines (-l, -t, -r, -u, -o, -j, -z)\n"
    "  zabrelo key [TEXT]...        show sort keys in hex, one group per level\n"
    "  zabrelo compare A B          print -1, 0 or 1 as the library compares A and B\n"
    "  zabrelo check TABLE          report what the loader makes of a weight table\n"
    "\n"
    "'zabrelo COMMAND --help' describes a command; 'zabrelo --version' shows the version.\n";

}  // namespace

int main(int argc, char** argv) {
    using namespace zabrelo_tool;
    IgnoreBrokenPipeSignal();
    UseBinaryStdio();
    // The commands parse UTF-8 whatever the system's own argv holds.
    std::vector<std::string> args = Arguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& arg : args) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    argc = static_cast<int>(args.size());
    argv = pointers.data();
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return kExitTrouble;
    }
    const char* command = argv[1];
    try {
        if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
            std::fputs(kUsage, stdout);
            return std::fflush(stdout) == 0 ? kExitOk : kExitTrouble;
        }
        if (std::strcmp(command, "--version") == 0) {
            std::printf("zabrelo %s\n", ZABRELO_VERSION);
            return std::fflush(stdout) == 0 ? kExitOk : kExitTrouble;
        }
        if (std::strcmp(command, "sort") == 0) return RunSort(argc, argv);
        if (std::strcmp(command, "key") == 0) return RunKey(argc, argv);
        if (std::strcmp(command, "compare") == 0) return RunCompare(argc, argv);
        if (std::strcmp(command, "check") == 0) return RunCheck(argc, argv);
        throw ToolError(std::string("unknown command '") + command + "'\nTry 'zabrelo --help'.");
    } catch (const ToolError& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "zabrelo: %s\n", e.what());
        return e.ExitCode();
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "zabrelo: %s\n", e.what());
        return kExitTrouble;
    }
}
