// zabrelo: the command-line tool. Sorts UTF-8 text in Urdu dictionary order
// with the library, shows keys, compares two texts and checks a weight
// table. This file only dispatches to the commands and reports errors.
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "Commands.h"
#include "Platform.h"
#include "ToolError.h"

namespace {

constexpr char kUsage[] =
    "Usage: zabrelo COMMAND [OPTION]... [ARGUMENT]...\n"
    "Put Urdu text in dictionary order.\n"
    "\n"
    "  zabrelo sort [FILE]...       sort UTF-8 lines (-k, -t, -n, -h, -M, -u, -c...)\n"
    "  zabrelo key [TEXT]...        show sort keys in hex, one group per level\n"
    "  zabrelo compare A B          print -1, 0 or 1 as the library compares A and B\n"
    "  zabrelo check TABLE          report what the loader makes of a weight table\n"
    "\n"
    "'zabrelo COMMAND --help' describes a command; 'zabrelo --version' shows the version.\n";

int Report(const std::string& message, int exitCode = zabrelo_tool::kExitTrouble) {
    std::fflush(stdout);
    std::fprintf(stderr, "zabrelo: %s\n", message.c_str());
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zabrelo_tool;
    InstallSignalCleanup();
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
        if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) return ShowText(kUsage);
        if (std::strcmp(command, "--version") == 0) return ShowVersion();
        for (const Command* known : {&kSortCommand, &kKeyCommand, &kCompareCommand, &kCheckCommand}) {
            if (std::strcmp(command, known->name) == 0) return Start(*known, argc, argv);
        }
        throw ToolError(std::string("unknown command '") + command + "'\nTry 'zabrelo --help'.");
    } catch (const ToolError& e) {
        return Report(e.what(), e.ExitCode());
    } catch (const std::bad_alloc&) {
        return Report("out of memory");
    } catch (const std::length_error&) {  // a size no allocation can meet
        return Report("out of memory");
    } catch (const std::system_error& e) {  // a thread that could not start
        return Report(e.code().message());
    } catch (...) {
        // Anything else is a fault of the tool; its text would mean nothing to a user.
        return Report("internal error");
    }
}
