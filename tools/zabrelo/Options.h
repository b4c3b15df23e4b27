// Options: the command-line parser shared by the zabrelo commands, in the
// usual style: "-l 3", "-l3", "--level 3", "--level=3", a long name cut to
// any unambiguous start ("--rev"), bundled flags ("-ru"), "--" ending the
// options and "-" as an operand (standard input). Every command also takes
// --help (and -h, unless the command gives -h a meaning of its own) and
// --version. Errors read as the usual parser's ("invalid option -- 'x'").
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

/// Reads an operand that begins with '+' as an old spelling of an option,
/// for a command that has one: returns how many arguments it takes as that
/// option (`next` is the argument after it, or null), 0 to leave it an
/// operand, and sets `name` and `value` to the option it stands for.
using PlusOperandReader = int (*)(const std::string& operand, const char* next, std::string& name,
                                  std::string& value);

class Options {
public:
    /// Parses argv[first..argc) against `rules` plus help and version.
    /// Throws ToolError naming `command` on an unknown or ambiguous option
    /// or a missing value.
    Options(const std::string& command, std::vector<OptionRule> rules, int argc, char** argv, int first,
            PlusOperandReader plusOperands = nullptr);

    /// Options are named by their long name, or by their letter when they have none.
    bool Has(const std::string& longName) const { return values_.count(longName) != 0; }
    /// The last value given, or `fallback`.
    std::string Value(const std::string& longName, const std::string& fallback = "") const;
    /// Every value given, in order.
    const std::vector<std::string>& Values(const std::string& longName) const;
    /// The value as a whole number from `low` to `high`, or `fallback` when absent.
    int Number(const std::string& longName, int low, int high, int fallback) const;
    const std::vector<std::string>& Operands() const { return operands_; }
    /// The names of the options given, in the order given.
    const std::vector<std::string>& Given() const { return given_; }

    /// Throws the usage error "<command>: <message>" with a pointer to --help.
    [[noreturn]] void Fail(const std::string& message) const;

private:
    std::string command_;
    std::map<std::string, std::vector<std::string>> values_;
    std::vector<std::string> operands_;
    std::vector<std::string> given_;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_OPTIONS_H
