// Options: the command-line parser shared by the zabrelo commands, in the
// usual style: "-l 3", "-l3", "--level 3", "--level=3", bundled flags
// ("-ru"), "--" ending the options and "-" as an operand (standard input).
#ifndef ZABRELO_TOOL_OPTIONS_H
#define ZABRELO_TOOL_OPTIONS_H

#include <map>
#include <string>
#include <vector>

namespace zabrelo_tool {

struct OptionSpec {
    char shortName;        // 0 when the option has only a long name
    const char* longName;
    bool takesValue;
};

class Options {
public:
    /// Parses argv[first..argc). Throws ToolError naming `command` on an
    /// unknown option or a missing value.
    Options(const std::string& command, const std::vector<OptionSpec>& specs, int argc,
            char** argv, int first);

    bool Has(const std::string& longName) const { return values_.count(longName) != 0; }
    /// The last value given, or `fallback`.
    std::string Value(const std::string& longName, const std::string& fallback = "") const;
    /// The value as a whole number from `low` to `high`, or `fallback` when absent.
    int Number(const std::string& longName, int low, int high, int fallback) const;
    const std::vector<std::string>& Operands() const { return operands_; }

private:
    std::string command_;
    std::map<std::string, std::string> values_;
    std::vector<std::string> operands_;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_OPTIONS_H
