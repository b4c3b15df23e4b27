// Options: parsing. Errors end with a pointer to the command's --help.
#include "Options.h"

#include "ToolError.h"

namespace zabrelo_tool {

namespace {

// The option whose long name is `name`, or else the only one that starts with
// it; an exact match wins over longer names it begins ("--verbose" is not
// ambiguous, "--ver" is when there is also --version).
const OptionRule& FindLong(const Options& options, const std::vector<OptionRule>& rules,
                           const std::string& name) {
    std::vector<const OptionRule*> starts;
    for (const OptionRule& option : rules) {
        if (!option.longName) continue;
        if (name == option.longName) return option;
        if (std::string(option.longName).compare(0, name.size(), name) == 0) starts.push_back(&option);
    }
    if (starts.empty()) options.Fail("unrecognized option '--" + name + "'");
    if (starts.size() > 1) {
        std::string message = "option '--" + name + "' is ambiguous; possibilities:";
        for (const OptionRule* option : starts) message += std::string(" '--") + option->longName + "'";
        options.Fail(message);
    }
    return *starts.front();
}

// The name an option's values are kept under: its long name, or the letter
// of an option that has none.
std::string NameOf(const OptionRule& option) {
    return option.longName ? option.longName : std::string(1, option.shortName);
}

}  // namespace

Options::Options(const std::string& command, std::vector<OptionRule> rules, int argc, char** argv, int first,
                 PlusOperandReader plusOperands)
    : command_(command) {
    bool ownH = false;
    for (const OptionRule& option : rules) ownH = ownH || option.shortName == 'h';
    rules.push_back({ownH ? '\0' : 'h', "help", false});
    rules.push_back({0, "version", false});
    bool optionsEnded = false;
    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsEnded && plusOperands && arg.size() > 1 && arg[0] == '+') {
            std::string name, value;
            const int took = plusOperands(arg, i + 1 < argc ? argv[i + 1] : nullptr, name, value);
            if (took > 0) {
                values_[name].push_back(value);
                given_.push_back(name);
                i += took - 1;
                continue;
            }
        }
        if (optionsEnded || arg == "-" || arg.size() < 2 || arg[0] != '-') {
            operands_.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // The value of an option that takes one: inline, or the next argument.
        const auto takeValue = [&](const OptionRule& option, const std::string& inlineValue,
                                   bool hasInline, const std::string& shown) {
            std::vector<std::string>& values = values_[NameOf(option)];
            given_.push_back(NameOf(option));
            if (hasInline) {
                values.push_back(inlineValue);
            } else if (i + 1 < argc) {
                values.push_back(argv[++i]);
            } else if (shown.size() == 2) {
                Fail("option requires an argument -- '" + shown.substr(1) + "'");
            } else {
                Fail("option '" + shown + "' requires an argument");
            }
        };
        if (arg[1] == '-') {
            const std::size_t equals = arg.find('=');
            const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
            const OptionRule& found = FindLong(*this, rules, name);
            const std::string shown = std::string("--") + found.longName;
            if (found.optionalValue) {
                given_.push_back(found.longName);
                values_[found.longName].push_back(equals == std::string::npos ? "" : arg.substr(equals + 1));
            } else if (found.takesValue) {
                takeValue(found, equals == std::string::npos ? "" : arg.substr(equals + 1),
                          equals != std::string::npos, shown);
            } else if (equals != std::string::npos) {
                Fail("option '" + shown + "' doesn't allow an argument");
            } else {
                given_.push_back(found.longName);
                values_[found.longName].push_back("");
            }
            continue;
        }
        for (std::size_t k = 1; k < arg.size(); ++k) {
            const OptionRule* found = nullptr;
            for (const OptionRule& option : rules) {
                if (option.shortName != 0 && option.shortName == arg[k]) found = &option;
            }
            if (!found) Fail(std::string("invalid option -- '") + arg[k] + "'");
            if (found->takesValue) {
                takeValue(*found, arg.substr(k + 1), k + 1 < arg.size(), std::string("-") + arg[k]);
                break;
            }
            given_.push_back(NameOf(*found));
            values_[NameOf(*found)].push_back("");
        }
    }
}

void Options::Fail(const std::string& message) const {
    throw ToolError(command_ + ": " + message + "\nTry 'zabrelo " + command_ + " --help' for more information.");
}

std::string Options::Value(const std::string& longName, const std::string& fallback) const {
    const auto it = values_.find(longName);
    return it == values_.end() ? fallback : it->second.back();
}

const std::vector<std::string>& Options::Values(const std::string& longName) const {
    static const std::vector<std::string> kNone;
    const auto it = values_.find(longName);
    return it == values_.end() ? kNone : it->second;
}

int Options::Number(const std::string& longName, int low, int high, int fallback) const {
    if (!Has(longName)) return fallback;
    const std::string text = Value(longName);
    long value = 0;
    bool ok = !text.empty() && text.size() <= 6;
    for (const char c : text) {
        if (c < '0' || c > '9') ok = false;
        else value = value * 10 + (c - '0');
    }
    if (!ok || value < low || value > high) {
        Fail("--" + longName + " must be a number from " + std::to_string(low) + " to " + std::to_string(high) +
             ", not '" + text + "'");
    }
    return static_cast<int>(value);
}

}  // namespace zabrelo_tool
