// Options: parsing. Errors end with a pointer to the command's --help.
#include "Options.h"

#include "ToolError.h"

namespace zabrelo_tool {

namespace {

[[noreturn]] void Usage(const std::string& command, const std::string& message) {
    throw ToolError(command + ": " + message + "\nTry 'zabrelo " + command + " --help'.");
}

}  // namespace

Options::Options(const std::string& command, const std::vector<OptionSpec>& specs, int argc,
                 char** argv, int first)
    : command_(command) {
    bool optionsEnded = false;
    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg == "-" || arg.size() < 2 || arg[0] != '-') {
            operands_.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // The value of an option that takes one: inline, or the next argument.
        const auto takeValue = [&](const OptionSpec& option, const std::string& inlineValue,
                                   bool hasInline, const std::string& shown) {
            if (hasInline) {
                values_[option.longName] = inlineValue;
            } else if (i + 1 < argc) {
                values_[option.longName] = argv[++i];
            } else {
                Usage(command, "option '" + shown + "' needs a value");
            }
        };
        if (arg[1] == '-') {
            const std::size_t equals = arg.find('=');
            const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
            const OptionSpec* found = nullptr;
            for (const OptionSpec& option : specs) {
                if (name == option.longName) found = &option;
            }
            if (!found) Usage(command, "unknown option '--" + name + "'");
            if (found->takesValue) {
                takeValue(*found, equals == std::string::npos ? "" : arg.substr(equals + 1),
                          equals != std::string::npos, "--" + name);
            } else if (equals != std::string::npos) {
                Usage(command, "option '--" + name + "' takes no value");
            } else {
                values_[found->longName] = "";
            }
            continue;
        }
        for (std::size_t k = 1; k < arg.size(); ++k) {
            const OptionSpec* found = nullptr;
            for (const OptionSpec& option : specs) {
                if (option.shortName != 0 && option.shortName == arg[k]) found = &option;
            }
            if (!found) Usage(command, std::string("unknown option '-") + arg[k] + "'");
            if (found->takesValue) {
                takeValue(*found, arg.substr(k + 1), k + 1 < arg.size(), std::string("-") + arg[k]);
                break;
            }
            values_[found->longName] = "";
        }
    }
}

std::string Options::Value(const std::string& longName, const std::string& fallback) const {
    const auto it = values_.find(longName);
    return it == values_.end() ? fallback : it->second;
}

int Options::Number(const std::string& longName, int low, int high, int fallback) const {
    const auto it = values_.find(longName);
    if (it == values_.end()) return fallback;
    const std::string& text = it->second;
    long value = 0;
    bool ok = !text.empty() && text.size() <= 6;
    for (const char c : text) {
        if (c < '0' || c > '9') ok = false;
        else value = value * 10 + (c - '0');
    }
    if (!ok || value < low || value > high) {
        Usage(command_, "--" + longName + " must be a number from " + std::to_string(low) + " to " +
                            std::to_string(high) + ", not '" + text + "'");
    }
    return static_cast<int>(value);
}

}  // namespace zabrelo_tool
