// SortSettings: what `zabrelo sort`'s command line asks for, checked and
// with its defaults filled in: sort's own options in sort's spelling (-k,
// -t, -S, -T, -c, -m...) beside the table's level, --csv and --header.
#ifndef ZABRELO_TOOL_SORTSETTINGS_H
#define ZABRELO_TOOL_SORTSETTINGS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Fields.h"
#include "InputText.h"
#include "Options.h"

namespace zabrelo_tool {

enum class CheckMode { kNone, kDiagnose, kQuiet };

struct SortSettings {
    int level = 3;
    bool reverse = false;
    bool stable = false;
    bool unique = false;
    CheckMode check = CheckMode::kNone;
    bool merge = false;
    std::string outputPath;  // "" for standard output
    int jobs = 1;
    std::vector<KeyRange> keys;       // with ordering options but no -k: one key, the whole line
    std::string randomSecret;         // --random-source's bytes, "" for the system's
    bool replaceInvalid = false;
    std::string compressProgram;      // --compress-program: runs on disk go through it
    bool debug = false;               // --debug: mark the keys, warn about them
    KeyRange global;                  // the ordering options given outside -k
    bool keysGiven = false;           // whether -k (or +POS1) was given
    std::vector<std::string> obsoleteKeys;  // beside each key: its +POS1 [-POS2], or ""      // --invalid=replace: bad UTF-8 bytes weigh as U+FFFD
    FieldSplitter::Mode fieldMode = FieldSplitter::Mode::kBlanks;
    RecordFormat format;              // its separator is the field separator, if any
    std::size_t bufferSize = 0;       // -S: the most a run takes in memory
    std::vector<std::string> tempDirs;
    std::size_t batchSize = 64;       // --batch-size: runs merged at once
    bool quiet = false;
    std::vector<std::string> files;   // at least one ("-": standard input)
};

/// The options `zabrelo sort` takes.
std::vector<OptionRule> SortOptionRules();
/// Reads the parsed options. Throws ToolError for a bad value or a
/// combination that makes no sense (-c with -o, or with several files, -n
/// with -M), in sort's words.
SortSettings ReadSortSettings(const Options& options);

/// Reads sort's obsolete `+POS1 [-POS2]` as the option "obsolete-key": its
/// -k text, a newline and what was written (see PlusOperandReader).
int ReadPlusKey(const std::string& operand, const char* next, std::string& name, std::string& value);

/// -S's SIZE in bytes: a number with a suffix K, M, G, T, P or E (powers of
/// 1024, K when there is none), b for bytes or % of the physical memory.
/// Throws ToolError naming the text.
std::uint64_t ParseBufferSize(const std::string& text, std::uint64_t physicalMemory);
/// The default -S: half the memory free when the sort starts, but at least
/// an eighth of the physical memory (and no more than a 32-bit process can
/// hold).
std::size_t DefaultBufferSize();

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_SORTSETTINGS_H
