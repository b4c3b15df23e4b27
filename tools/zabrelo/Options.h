// Options: the command-line parser shared by the zabrelo commands, in the
// usual style: "-l 3", "-l3", "--level 3", "--level=3", a long name cut to
// any unambiguous start ("--rev"), bundled flags ("-ru"), "--" ending the
// options and "-" as an operand (standard input). Every command also takes
// -h/--help and --version.
#ifndef ZABRELO_TOOL_OPTIONS_H
#define ZABRELO_TOOL_OPTIONS_H

#include <map>
#include <string>
#include <vector>

namespace zabrelo_tool {

struct OptionRule {
    char shortName;        // 0 when the option has only a long name
    const char* longName;  // nullptr when it has only a short one: then known by that letter
    bool takesValue;
    // A value that only "--name=VALUE" gives (as in "--check=quiet"); "--name"
    // alone gives "".
    bool optionalValue = false;
};

class Options {
public:
    /// Parses argv[first..argc) against `rules` plus help and version.
    /// Throws ToolError naming `command` on an unknown or ambiguous option
    /// or a missing value.
    Options(const std::string& command, std::vector<OptionRule> rules, int argc, char** argv, int first);

    /// Options are named by their long name, or by their letter when they have none.
    bool Has(const std::string& longName) const { return values_.count(longName) != 0; }
    /// The last value given, or `fallback`.
    std::string Value(const std::string& longName, const std::string& fallback = "") const;
    /// Every value given, in order.
    const std::vector<std::string>& Values(const std::string& longName) const;
    /// The value as a whole number from `low` to `high`, or `fallback` when absent.
    int Number(const std::string& longName, int low, int high, int fallback) const;
    const std::vector<std::string>& Operands() const { return operands_; }

    /// Throws the usage error "<command>: <message>" with a pointer to --help.
    [[noreturn]] void Fail(const std::string& message) const;

private:
    std::string command_;
    std::map<std::string, std::vector<std::string>> values_;
    std::vector<std::string> operands_;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_OPTIONS_H
