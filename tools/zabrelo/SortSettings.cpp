// SortSettings: reading the options, with sort's messages where sort has one.
#include "SortSettings.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "Platform.h"
#include "RandomKeys.h"
#include "ToolError.h"
#include "text/Utf8.h"

namespace zabrelo_tool {

namespace {

constexpr std::size_t kLeastBufferSize = 1 << 10;
// A 32-bit process has 2 GB of address space for everything.
constexpr std::uint64_t kMostBufferSize32 = 512ULL << 20;
constexpr std::uint64_t kFallbackBufferSize = 256ULL << 20;  // when the system does not say

// The -o file: none (standard output), or one non-empty name, given any
// number of times.
std::string OutputPath(const Options& options) {
    const std::vector<std::string>& given = options.Values("output");
    for (const std::string& path : given) {
        if (path.empty()) options.Fail("the output file name is empty");
        if (path != given.front()) options.Fail("multiple output files specified");
    }
    return given.empty() ? std::string() : given.front();
}

// -t: one character, "\0" for NUL; every -t the same.
std::string Separator(const Options& options) {
    const std::vector<std::string>& given = options.Values("field-separator");
    for (const std::string& text : given) {
        if (text != given.front()) {
            throw ToolError("sort: incompatible tabs");
        }
    }
    if (given.empty()) return std::string();
    const std::string& text = given.front();
    if (text.empty()) throw ToolError("sort: empty tab");
    if (text == "\\0") return std::string(1, '\0');
    std::u16string units;
    if (!zabrelo::Utf8ToUtf16(text.data(), text.size(), units)) options.Fail("the field separator is not valid UTF-8");
    const bool oneCharacter = units.size() == 1 || (units.size() == 2 && units[0] >= 0xD800 && units[0] < 0xDC00);
    if (!oneCharacter) throw ToolError("sort: multi-character tab '" + text + "'");
    return text;
}

CheckMode Check(const Options& options) {
    const bool quiet = options.Has("C");
    if (!options.Has("check")) return quiet ? CheckMode::kQuiet : CheckMode::kNone;
    const std::string how = options.Value("check");
    CheckMode mode = CheckMode::kDiagnose;
    if (how == "quiet" || how == "silent") {
        mode = CheckMode::kQuiet;
    } else if (!how.empty() && how != "diagnose-first") {
        options.Fail("invalid argument '" + how + "' for '--check' (diagnose-first, quiet or silent)");
    }
    if (quiet && mode != CheckMode::kQuiet) throw ToolError("sort: options '-cC' are incompatible");
    return mode;
}

// The ordering options given outside -k, in the order given (of -d and -i
// the last counts).
KeyRange GlobalOptions(const Options& options) {
    static const std::pair<const char*, char> kLetters[] = {
        {"ignore-leading-blanks", 'b'}, {"dictionary-order", 'd'}, {"ignore-case", 'f'},
        {"general-numeric-sort", 'g'}, {"human-numeric-sort", 'h'}, {"ignore-nonprinting", 'i'},
        {"month-sort", 'M'},           {"numeric-sort", 'n'},       {"random-sort", 'R'},
        {"reverse", 'r'},              {"version-sort", 'V'}};
    static const std::pair<const char*, char> kWords[] = {
        {"general-numeric", 'g'}, {"human-numeric", 'h'}, {"month", 'M'},
        {"numeric", 'n'},         {"random", 'R'},        {"version", 'V'}};
    KeyRange global;
    std::size_t sorts = 0;
    for (const std::string& name : options.Given()) {
        for (const auto& [longName, letter] : kLetters) {
            if (name == longName) {
                global.SetOption(letter, false);
                if (letter == 'b') global.SetOption(letter, true);
            }
        }
        if (name != "sort") continue;
        // As any long option: a word cut to an unambiguous start will do.
        const std::string& word = options.Values("sort")[sorts++];
        char letter = 0;
        int matches = 0;
        for (const auto& [full, option] : kWords) {
            if (word == full) {
                letter = option;
                matches = 1;
                break;
            }
            if (!word.empty() && std::string(full).compare(0, word.size(), word) == 0) {
                letter = option;
                ++matches;
            }
        }
        if (matches != 1) {
            std::string message = "sort: " + std::string(matches == 0 ? "invalid" : "ambiguous") + " argument '" +
                                  word + "' for '--sort'\nValid arguments are:";
            for (const auto& [full, option] : kWords) message += std::string("\n  - '") + full + "'";
            throw ToolError(message + "\nTry 'zabrelo sort --help' for more information.", 1);
        }
        global.SetOption(letter, false);
    }
    return global;
}

// -j and --parallel: the last given.
int Jobs(const Options& options) {
    std::string text;
    bool parallel = false;
    for (const std::string& name : options.Given()) {
        if (name == "jobs" || name == "parallel") parallel = name == "parallel";
    }
    if (!options.Has("jobs") && !options.Has("parallel")) return CoreCount();
    text = options.Value(parallel ? "parallel" : "jobs");
    std::size_t value = 0;
    bool ok = !text.empty();
    for (const char c : text) {
        if (c < '0' || c > '9') ok = false;
        else if (value < 1000000) value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    if (!ok) throw ToolError("sort: invalid --parallel argument '" + text + "'");
    if (value == 0) throw ToolError("sort: number in parallel must be nonzero");
    return static_cast<int>(std::min<std::size_t>(value, 1024));
}

// --files0-from's list: names each ended by NUL (the last may lack it),
// from `path` or, for "-", standard input.
std::vector<std::string> ReadFileNames(const std::string& path) {
    std::FILE* file = path == "-" ? stdin : OpenForReading(path);
    if (!file) throw ToolError("sort: open failed: " + path + ": " + std::strerror(errno));
    std::string bytes;
    char buffer[1 << 16];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    if (file != stdin) std::fclose(file);
    if (failed) throw ToolError("sort: read error: " + path + ": " + std::strerror(error));
    std::vector<std::string> names;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = bytes.find('\0', at);
        if (end == std::string::npos) end = bytes.size();
        const std::string name = bytes.substr(at, end - at);
        if (name.empty()) {
            throw ToolError("sort: " + path + ":" + std::to_string(names.size() + 1) + ": invalid zero-length file name");
        }
        if (path == "-" && name == "-") {
            throw ToolError("sort: when reading file names from stdin, no file name of '-' allowed");
        }
        names.push_back(name);
        at = end + 1;
    }
    if (names.empty()) throw ToolError("sort: no input from '" + path + "'");
    return names;
}

}  // namespace

std::vector<OptionRule> SortOptionRules() {
    // In this order, which names the candidates of an ambiguous abbreviation.
    return {{'l', "level", true}, {0, "table", true}, {0, "natural", false}, {0, "classic", false}, {'r', "reverse", false}, {'s', "stable", false},
            {'u', "unique", false}, {'b', "ignore-leading-blanks", false}, {'k', "key", true},
            {'t', "field-separator", true}, {0, "csv", false}, {0, "header", false}, {'c', "check", false, true},
            {'C', nullptr, false}, {'m', "merge", false}, {'o', "output", true}, {'S', "buffer-size", true},
            {'T', "temporary-directory", true}, {0, "batch-size", true}, {'j', "jobs", true},
            {'z', "zero-terminated", false}, {'n', "numeric-sort", false}, {'g', "general-numeric-sort", false},
            {'h', "human-numeric-sort", false}, {'M', "month-sort", false}, {'V', "version-sort", false},
            {'f', "ignore-case", false}, {'d', "dictionary-order", false}, {'i', "ignore-nonprinting", false},
            {'R', "random-sort", false}, {0, "random-source", true}, {0, "sort", true}, {0, "parallel", true},
            {0, "invalid", true}, {0, "debug", false}, {0, "files0-from", true}, {0, "compress-program", true},
            {0, "quiet", false}, {0, "verbose", false}};
}

SortSettings ReadSortSettings(const Options& options) {
    SortSettings settings;
    settings.level = options.Number("level", 1, 3, 3);
    settings.reverse = options.Has("reverse");
    settings.stable = options.Has("stable");
    settings.unique = options.Has("unique");
    settings.check = Check(options);
    settings.merge = options.Has("merge");
    settings.outputPath = OutputPath(options);
    settings.jobs = Jobs(options);
    settings.quiet = options.Has("quiet");
    const std::string invalid = options.Value("invalid", "error");
    if (invalid != "error" && invalid != "replace") {
        options.Fail("invalid argument '" + invalid + "' for '--invalid' (error or replace)");
    }
    settings.replaceInvalid = invalid == "replace";
    const KeyRange global = GlobalOptions(options);
    settings.global = global;
    settings.keysGiven = options.Has("key") || options.Has("obsolete-key");
    // -k and +POS1 [-POS2] keys, in the order given.
    std::size_t keys = 0, obsolete = 0;
    for (const std::string& name : options.Given()) {
        if (name == "key") {
            settings.keys.push_back(ParseKeyRange(options.Values("key")[keys++], global));
            settings.obsoleteKeys.emplace_back();
        } else if (name == "obsolete-key") {
            const std::string& value = options.Values("obsolete-key")[obsolete++];
            const std::size_t cut = value.find('\n');
            settings.keys.push_back(ParseKeyRange(value.substr(0, cut), global));
            settings.obsoleteKeys.push_back(value.substr(cut + 1));
        }
    }
    // Ordering options with no -k make the whole line a key of their own; -r
    // alone turns the whole order round.
    KeyRange whole = global;
    whole.reverse = false;
    if (settings.keys.empty() && whole.HasOptions()) settings.keys.push_back(global);
    bool random = false;
    for (const KeyRange& key : settings.keys) {
        const std::string conflict = key.Conflict();
        if (!conflict.empty()) throw ToolError("sort: options '" + conflict + "' are incompatible");
        random = random || key.random;
    }
    if (random && options.Has("random-source")) settings.randomSecret = ReadRandomSource(options.Value("random-source"));
    const std::string separator = Separator(options);
    settings.format.zeroTerminated = options.Has("zero-terminated");
    settings.format.csv = options.Has("csv");
    settings.format.header = options.Has("header");
    if (settings.format.csv) {
        settings.fieldMode = FieldSplitter::Mode::kCsv;
        settings.format.separator = separator.empty() ? "," : separator;
        if (settings.format.separator == "\"") options.Fail("the field separator of --csv cannot be '\"'");
    } else if (!separator.empty()) {
        settings.fieldMode = FieldSplitter::Mode::kSeparator;
        settings.format.separator = separator;
    }
    settings.bufferSize = options.Has("buffer-size")
                              ? static_cast<std::size_t>(std::min<std::uint64_t>(
                                    std::max<std::uint64_t>(ParseBufferSize(options.Value("buffer-size"),
                                                                            PhysicalMemory()),
                                                            kLeastBufferSize),
                                    std::numeric_limits<std::size_t>::max()))
                              : DefaultBufferSize();
    for (const std::string& dir : options.Values("temporary-directory")) {
        if (dir.empty()) options.Fail("the temporary folder's name is empty");
        settings.tempDirs.push_back(dir);
    }
    if (settings.tempDirs.empty()) settings.tempDirs.push_back(TemporaryDirectory());
    settings.batchSize = static_cast<std::size_t>(options.Number("batch-size", 2, 512, 64));
    settings.files = options.Operands();
    if (options.Has("files0-from")) {
        if (!settings.files.empty()) {
            throw ToolError("sort: extra operand '" + settings.files.front() +
                            "'\nfile operands cannot be combined with --files0-from\nTry 'zabrelo sort --help' for "
                            "more information.");
        }
        settings.files = ReadFileNames(options.Value("files0-from"));
    }
    if (settings.files.empty()) settings.files.push_back("-");
    settings.debug = options.Has("debug");
    settings.compressProgram = options.Value("compress-program");
    if (settings.debug && (settings.check != CheckMode::kNone || !settings.outputPath.empty())) {
        const char first = settings.check == CheckMode::kNone ? 'o' : options.Has("C") ? 'C' : 'c';
        throw ToolError(std::string("sort: options '-") + first + " --debug' are incompatible");
    }
    if (settings.check != CheckMode::kNone) {
        if (!settings.outputPath.empty()) {
            throw ToolError(std::string("sort: options '-") + (options.Has("C") ? 'C' : 'c') + "o' are incompatible");
        }
        if (settings.files.size() > 1) {
            throw ToolError("sort: extra operand '" + settings.files[1] + "' not allowed with -c");
        }
    }
    return settings;
}

int ReadPlusKey(const std::string& operand, const char* next, std::string& name, std::string& value) {
    std::string endText;
    const bool hasEnd = next && next[0] == '-' && next[1] >= '0' && next[1] <= '9';
    if (hasEnd) endText = next;
    if (!ObsoleteKeyText(operand, hasEnd ? &endText : nullptr, value)) return 0;
    // The -k text, then what was written, for --debug's warning.
    value += "\n" + operand + (hasEnd ? " " + endText : std::string());
    name = "obsolete-key";
    return hasEnd ? 2 : 1;
}

std::uint64_t ParseBufferSize(const std::string& text, std::uint64_t physicalMemory) {
    const auto fail = [&text](const std::string& why) -> std::uint64_t {
        throw ToolError("sort: " + why + " -S argument '" + text + "'\nTry 'zabrelo sort --help'.");
    };
    std::size_t at = 0;
    std::uint64_t number = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        const auto digit = static_cast<std::uint64_t>(text[at] - '0');
        if (number > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return fail("too large");
        number = number * 10 + digit;
    }
    if (at == 0) return fail("invalid");
    const std::string suffix = text.substr(at);
    if (suffix == "%") {
        if (number > 100) return fail("more than 100% of the memory in");
        return physicalMemory / 100 * number;
    }
    // Powers of 1024 by place in this list; a lower-case k as sort takes it.
    static const std::string kUnits = "bKMGTPE";
    std::size_t unit = suffix.empty() || suffix == "k" ? 1 : std::string::npos;
    if (suffix.size() == 1 && suffix != "k") unit = kUnits.find(suffix[0]);
    if (unit == std::string::npos) return fail("invalid suffix in");
    for (; unit > 0; --unit) {
        if (number > std::numeric_limits<std::uint64_t>::max() / 1024) return fail("too large");
        number *= 1024;
    }
    return number;
}

std::size_t DefaultBufferSize() {
    const std::uint64_t physical = PhysicalMemory();
    std::uint64_t size = physical == 0 ? kFallbackBufferSize : std::max(FreeMemory() / 2, physical / 8);
    if (sizeof(void*) < 8) size = std::min(size, kMostBufferSize32);
    return static_cast<std::size_t>(std::max<std::uint64_t>(size, kLeastBufferSize));
}

}  // namespace zabrelo_tool
