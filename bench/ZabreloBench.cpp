// ZabreloBench: zabrelo, ICU's "ur" collator and glibc's ur_PK locale on the
// same Urdu strings in one run: a key per string (as a new string, and into
// a reused buffer), a compare per pair, through the C++ classes and the C
// interface, and sorting the whole list both ways; ends with zabrelo's
// ratio to each peer, and with how the time of a key and a comparison grows
// from a text of a million units to one of ten million.
// Build and run with bench/run.sh; the figures are kept in bench/README.md.
#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <map>
#include <memory>
#include <numeric>
#include <string>
#include <unistd.h>
#include <vector>

#include <benchmark/benchmark.h>
#include <unicode/ucol.h>

#include "KeyOrder.h"
#include "UrduText.h"
#include "library/KeyHead.h"
#include "text/Utf8.h"
#include "zabrelo/ZabreloLib.h"
#include "zabrelo/zabrelo.h"

namespace {

constexpr int kLevel = 3;  // all peers compare at their tertiary strength

struct Options {
    std::size_t count = 100000;
    std::uint64_t seed = 20240607;
    std::string words;  // a UTF-8 word file instead of generated text
    std::string table = ZABRELO_BENCH_TABLE;
    std::size_t verifyPairs = 20000;
    std::string profile;  // "key/icu" and so on: one plain pass, for callgrind
    bool classic = false;  // ZabreloLib::Initialize's order instead of the full order
};

// The same strings for every collator, converted before any timing. The
// list comes first; after it, the strings of the random pairs, copied in
// order so that a pair's comparison is timed rather than the cache misses of
// fetching two strings from anywhere in the list.
struct Corpus {
    std::size_t listSize = 0;
    std::vector<std::u16string> wide;
    std::vector<std::string> utf8;
    std::size_t PairCount() const { return (wide.size() - listSize) / 2; }
};

Corpus gCorpus;
ZabreloLib gZabrelo;
zabrelo_collator* gCollator = nullptr;  // the same table through the C interface
UCollator* gIcu = nullptr;
locale_t gGlibc = static_cast<locale_t>(nullptr);

// --- One adapter per collator: its text form, a key into `out`, a compare. ---

struct ZabreloImpl {
    using Text = std::u16string;
    static const std::vector<Text>& Texts() { return gCorpus.wide; }
    static void Key(const Text& s, std::string& out) { out = gZabrelo.GetCollationKey(s, kLevel); }
    static int Compare(const Text& a, const Text& b) { return gZabrelo.Compare(a, b, kLevel); }
};

// The C interface: keys into the caller's buffer, as C clients write them.
struct ZabreloCImpl {
    using Text = std::u16string;
    static const std::vector<Text>& Texts() { return gCorpus.wide; }
    static const std::uint16_t* Units(const Text& s) { return reinterpret_cast<const std::uint16_t*>(s.data()); }
    static std::size_t KeyInto(const Text& s, std::vector<std::uint8_t>& buffer) {
        std::size_t need = 0;
        if (zabrelo_key16(gCollator, Units(s), s.size(), kLevel, buffer.data(), buffer.size(), &need) ==
            ZABRELO_BUFFER_TOO_SMALL) {
            buffer.resize(need);
            zabrelo_key16(gCollator, Units(s), s.size(), kLevel, buffer.data(), buffer.size(), &need);
        }
        return need;
    }
    static int Compare(const Text& a, const Text& b) {
        return zabrelo_compare16(gCollator, Units(a), a.size(), Units(b), b.size(), kLevel);
    }
};

struct IcuImpl {
    using Text = std::u16string;
    static const std::vector<Text>& Texts() { return gCorpus.wide; }
    static std::size_t KeyInto(const Text& s, std::vector<std::uint8_t>& buffer) {
        auto need = ucol_getSortKey(gIcu, s.data(), static_cast<int32_t>(s.size()), buffer.data(),
                                    static_cast<int32_t>(buffer.size()));
        if (need > static_cast<int32_t>(buffer.size())) {
            buffer.resize(static_cast<std::size_t>(need));
            need = ucol_getSortKey(gIcu, s.data(), static_cast<int32_t>(s.size()), buffer.data(), need);
        }
        return static_cast<std::size_t>(need);
    }
    static void Key(const Text& s, std::string& out) {
        // A caller-owned buffer reused across calls: ICU's cheapest way.
        static std::vector<std::uint8_t> buffer(512);
        auto need = ucol_getSortKey(gIcu, s.data(), static_cast<int32_t>(s.size()), buffer.data(),
                                    static_cast<int32_t>(buffer.size()));
        if (need > static_cast<int32_t>(buffer.size())) {
            buffer.resize(static_cast<std::size_t>(need));
            need = ucol_getSortKey(gIcu, s.data(), static_cast<int32_t>(s.size()), buffer.data(), need);
        }
        // Stored without the final zero byte, which a length-aware compare does not need.
        out.assign(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(need > 0 ? need - 1 : 0));
    }
    static int Compare(const Text& a, const Text& b) {
        return ucol_strcoll(gIcu, a.data(), static_cast<int32_t>(a.size()), b.data(), static_cast<int32_t>(b.size()));
    }
};

struct GlibcImpl {
    using Text = std::string;  // UTF-8
    static const std::vector<Text>& Texts() { return gCorpus.utf8; }
    static std::size_t KeyInto(const Text& s, std::vector<std::uint8_t>& buffer) {
        char* const out = reinterpret_cast<char*>(buffer.data());
        std::size_t need = strxfrm_l(out, s.c_str(), buffer.size(), gGlibc);
        if (need >= buffer.size()) {
            buffer.resize(need + 1);
            need = strxfrm_l(reinterpret_cast<char*>(buffer.data()), s.c_str(), buffer.size(), gGlibc);
        }
        return need;
    }
    static void Key(const Text& s, std::string& out) {
        static std::vector<char> buffer(4096);
        std::size_t need = strxfrm_l(buffer.data(), s.c_str(), buffer.size(), gGlibc);
        if (need >= buffer.size()) {
            buffer.resize(need + 1);
            need = strxfrm_l(buffer.data(), s.c_str(), buffer.size(), gGlibc);
        }
        out.assign(buffer.data(), need);
    }
    static int Compare(const Text& a, const Text& b) { return strcoll_l(a.c_str(), b.c_str(), gGlibc); }
};

// --- The measures ---

template <class Impl>
void KeyPerString(benchmark::State& state) {
    const auto& texts = Impl::Texts();
    std::size_t i = 0;
    std::string key;
    for (auto _ : state) {
        Impl::Key(texts[i], key);
        benchmark::DoNotOptimize(key.data());
        if (++i == gCorpus.listSize) i = 0;
    }
}

// A key per string into one buffer the caller reuses, nothing copied: the
// cheapest way each peer offers.
template <class Impl>
void KeyIntoBuffer(benchmark::State& state) {
    const auto& texts = Impl::Texts();
    std::size_t i = 0;
    std::vector<std::uint8_t> buffer(512);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Impl::KeyInto(texts[i], buffer));
        benchmark::DoNotOptimize(buffer.data());
        if (++i == gCorpus.listSize) i = 0;
    }
}

template <class Impl>
void ComparePerPair(benchmark::State& state) {
    const auto& texts = Impl::Texts();
    const std::size_t first = gCorpus.listSize, end = texts.size();
    std::size_t i = first;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Impl::Compare(texts[i], texts[i + 1]));
        i += 2;
        if (i == end) i = first;
    }
}

// Copying a loaded object, and destroying the copy: the table is shared, so
// this should cost less than two keys of a ten-letter word (the row after).
void CopyObject(benchmark::State& state) {
    for (auto _ : state) {
        ZabreloLib copy(gZabrelo);
        benchmark::DoNotOptimize(&copy);
    }
}

// خوبصورتیاں, "beauties"
const std::u16string kTenLetters = u"\u062E\u0648\u0628\u0635\u0648\u0631\u062A\u06CC\u0627\u06BA";

void KeyOfTenLetters(benchmark::State& state) {
    std::string key;
    for (auto _ : state) {
        ZabreloImpl::Key(kTenLetters, key);
        benchmark::DoNotOptimize(key.data());
    }
}

// Long texts: a key and a comparison must take time in proportion to the
// text. The pattern holds a pair, hamza letters (one grows the prepared
// string), a space, the non-joiner, a unit no table weighs and a lam that
// pairs with nothing.
constexpr std::size_t kShortLong = 1000000, kLongLong = 10000000;

std::u16string LongText(std::size_t units) {
    const std::u16string pattern = u"\u0644\u0627\u0626\u0623 \u200C\xD800\u0628\u0644\u0628";
    std::u16string text;
    text.reserve(units);
    while (text.size() < units) text += pattern;
    return text;
}

// Equal to LongText(units) but for the last unit (beh, waw): a comparison walks both whole.
std::u16string LongTextOther(std::size_t units) { return LongText(units).substr(0, units - 1) + u"\u0648"; }

void KeyOfLongText(benchmark::State& state, std::size_t units) {
    const std::u16string text = LongText(units);
    std::string key;
    for (auto _ : state) {
        ZabreloImpl::Key(text, key);
        benchmark::DoNotOptimize(key.data());
    }
}

void CompareLongTexts(benchmark::State& state, std::size_t units) {
    const std::u16string a = LongText(units), b = LongTextOther(units);
    for (auto _ : state) benchmark::DoNotOptimize(ZabreloImpl::Compare(a, b));
}

// What a caller writes: sort the list itself with the comparison.
template <class Impl>
void SortByCompare(benchmark::State& state) {
    const auto& texts = Impl::Texts();
    std::vector<typename Impl::Text> list;
    for (auto _ : state) {
        state.PauseTiming();
        list.assign(texts.begin(), texts.begin() + static_cast<std::ptrdiff_t>(gCorpus.listSize));
        state.ResumeTiming();
        std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return Impl::Compare(a, b) < 0; });
        benchmark::DoNotOptimize(list.data());
    }
}

template <class Impl>
void BuildKeys(std::vector<std::string>& keys) {
    const auto& texts = Impl::Texts();
    keys.resize(gCorpus.listSize);
    for (std::size_t i = 0; i < gCorpus.listSize; ++i) Impl::Key(texts[i], keys[i]);
}

// Sorts positions in the list by their keys without moving the keys. Each
// position carries its key's head, so most comparisons are one integer
// compare instead of a trip to the key; only equal heads look at the whole
// keys. Every implementation's keys go through this same sort.
struct KeyPrefix {
    std::uint64_t prefix;
    std::uint32_t index;
};

void SortByKey(const std::vector<std::string>& keys, std::vector<std::uint32_t>& order) {
    std::vector<KeyPrefix> items(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        items[i] = {zabrelo::KeyHead(keys[i].data(), keys[i].size()), static_cast<std::uint32_t>(i)};
    }
    std::sort(items.begin(), items.end(), [&keys](const KeyPrefix& a, const KeyPrefix& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix;
        return keys[a.index] < keys[b.index];
    });
    order.resize(keys.size());
    for (std::size_t i = 0; i < items.size(); ++i) order[i] = items[i].index;
}

// Building every key is part of the time: a caller sorting by keys pays for them.
template <class Impl>
void SortByKeys(benchmark::State& state) {
    std::vector<std::string> keys;
    std::vector<std::uint32_t> order;
    for (auto _ : state) {
        state.PauseTiming();
        keys.clear();
        state.ResumeTiming();
        BuildKeys<Impl>(keys);
        SortByKey(keys, order);
        benchmark::DoNotOptimize(order.data());
    }
}

// Only the sort, over keys built before the timing.
template <class Impl>
void SortPrebuiltKeys(benchmark::State& state) {
    std::vector<std::string> keys;
    BuildKeys<Impl>(keys);
    std::vector<std::uint32_t> order;
    for (auto _ : state) {
        SortByKey(keys, order);
        benchmark::DoNotOptimize(order.data());
    }
}

template <class Impl>
double MeanKeyBytes() {
    const auto& texts = Impl::Texts();
    std::string key;
    double total = 0;
    for (std::size_t i = 0; i < gCorpus.listSize; ++i) {
        Impl::Key(texts[i], key);
        total += static_cast<double>(key.size());
    }
    return total / static_cast<double>(gCorpus.listSize);
}

template <class Impl>
void RegisterAll(const std::string& name) {
    benchmark::RegisterBenchmark(("key/" + name).c_str(), KeyPerString<Impl>)->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark(("compare/" + name).c_str(), ComparePerPair<Impl>)->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark(("sort_by_compare/" + name).c_str(), SortByCompare<Impl>)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("sort_by_keys/" + name).c_str(), SortByKeys<Impl>)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("sort_prebuilt_keys/" + name).c_str(), SortPrebuiltKeys<Impl>)
        ->Unit(benchmark::kMillisecond);
}

// --- The summary: medians when repeated, the single run otherwise. ---

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    explicit SummaryReporter(OutputOptions options) : ConsoleReporter(options) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (median || single) times_[run.run_name.function_name] = run.GetAdjustedCPUTime();
        }
    }
    double Time(const std::string& name) const {
        const auto it = times_.find(name);
        return it == times_.end() ? 0.0 : it->second;
    }

private:
    std::map<std::string, double> times_;
};

std::string Figure(double value) {
    char text[32];
    std::snprintf(text, sizeof text, value >= 100 ? "%.0f" : value >= 10 ? "%.1f" : value >= 1 ? "%.2f" : "%.3f", value);
    return text;
}

void PrintRow(const char* name, const char* unit, double z, double icu, double glibc, const std::string& note) {
    std::printf("%-22s %-10s %9s %9s %9s %8.2fx %8.2fx  %s\n", name, unit, Figure(z).c_str(), Figure(icu).c_str(),
                Figure(glibc).c_str(), z > 0 ? icu / z : 0.0, z > 0 ? glibc / z : 0.0, note.c_str());
}

void PrintSummary(const SummaryReporter& report, const double keyBytes[3], double icuKeyTerminated) {
    // A row: zabrelo's benchmark against the peers' (`peers`/icu, `peers`/glibc).
    struct Measure { const char* name; const char* unit; double target; const char* zabrelo; const char* peers; };
    const Measure measures[] = {
        {"key", "ns/string", 5.0, "key/zabrelo", "key"},
        {"key16 (C), buffer", "ns/string", 6.0, "key_into_buffer/zabrelo_c", "key_into_buffer"},
        {"compare", "ns/pair", 5.0, "compare/zabrelo", "compare"},
        {"compare16 (C)", "ns/pair", 5.0, "compare/zabrelo_c", "compare"},
        {"sort_by_compare", "ms", 0.0, "sort_by_compare/zabrelo", "sort_by_compare"},
        {"sort_by_keys", "ms", 2.0, "sort_by_keys/zabrelo", "sort_by_keys"},
        {"sort_prebuilt_keys", "ms", 0.0, "sort_prebuilt_keys/zabrelo", "sort_prebuilt_keys"}};
    std::printf("\nSummary: CPU time, median of the repetitions; ratio = peer / zabrelo (above 1: zabrelo is faster)\n");
    std::printf("%-22s %-10s %9s %9s %9s %9s %9s  %s\n", "measure", "unit", "zabrelo", "ICU", "glibc", "ICU/z",
                "glibc/z", "target");
    for (const Measure& m : measures) {
        const double z = report.Time(m.zabrelo);
        const double icu = report.Time(std::string(m.peers) + "/icu");
        const double glibc = report.Time(std::string(m.peers) + "/glibc");
        if (z <= 0) continue;
        std::string note;
        if (m.target > 0 && icu > 0)
            note = ">= " + std::to_string(static_cast<int>(m.target)) + "x ICU: " + (icu / z >= m.target ? "met" : "MISSED");
        PrintRow(m.name, m.unit, z, icu, glibc, note);
    }
    const double copy = report.Time("copy/zabrelo"), tenLetters = report.Time("key_ten_letters/zabrelo");
    if (copy > 0 && tenLetters > 0) {
        std::printf("%-22s %-10s %9s %32s  < 2 keys of a ten-letter word (%s ns): %s\n", "copy of the object", "ns",
                    Figure(copy).c_str(), "", Figure(2 * tenLetters).c_str(), copy < 2 * tenLetters ? "met" : "MISSED");
    }
    for (const char* measure : {"key", "compare"}) {
        const double one = report.Time(std::string(measure) + "_1M_units/zabrelo");
        const double ten = report.Time(std::string(measure) + "_10M_units/zabrelo");
        if (one <= 0 || ten <= 0) continue;
        std::printf("%-22s %-10s %9s %32s  10M units / 1M units: %.1fx, < 16x (linear: 10x): %s\n",
                    (std::string(measure) + " of 10M units").c_str(), "ms", Figure(ten).c_str(), "", ten / one,
                    ten / one < 16 ? "met" : "MISSED");
    }
    // ICU's key is what ucol_getSortKey returns: its length counts the final
    // 0 byte its format ends with. The ICU column shows the key without it,
    // as the sort rows store it.
    PrintRow("key size", "bytes", keyBytes[0], keyBytes[1], keyBytes[2],
             std::string("<= ICU: ") + (keyBytes[0] <= icuKeyTerminated ? "met" : "MISSED") +
                 " (ICU's key as returned, final 0 byte included: " + Figure(icuKeyTerminated) + ")");
}

// Compare must agree with whole keys plus the tie rule; the bench checks it on
// its own input so a fast but wrong build cannot post figures.
bool VerifyZabrelo(std::size_t pairs) {
    std::size_t bad = 0;
    for (std::size_t i = 0; i < pairs && i < gCorpus.PairCount(); ++i) {
        const std::u16string& a = gCorpus.wide[gCorpus.listSize + 2 * i];
        const std::u16string& b = gCorpus.wide[gCorpus.listSize + 2 * i + 1];
        for (int level = 1; level <= 3; ++level) {
            const int expected = zabrelo_test::KeyOrder(gZabrelo.GetCollationKey(a, level), a.size(),
                                                        gZabrelo.GetCollationKey(b, level), b.size());
            if (gZabrelo.Compare(a, b, level) != expected && ++bad <= 5)
                std::fprintf(stderr, "mismatch: pair %zu level %d\n", i, level);
        }
    }
    if (bad != 0) std::fprintf(stderr, "Compare disagrees with the keys on %zu cases\n", bad);
    return bad == 0;
}

// The long texts' keys grow with the text, and the comparison sees the last unit.
bool VerifyLongTexts() {
    const std::string shortKey = gZabrelo.GetCollationKey(LongText(kShortLong), kLevel);
    const std::string longKey = gZabrelo.GetCollationKey(LongText(kLongLong), kLevel);
    const std::string otherKey = gZabrelo.GetCollationKey(LongTextOther(kLongLong), kLevel);
    const int order = gZabrelo.Compare(LongText(kLongLong), LongTextOther(kLongLong), kLevel);
    if (longKey.size() != 10 * shortKey.size() || order == 0 ||
        order != zabrelo_test::KeyOrder(longKey, kLongLong, otherKey, kLongLong)) {
        std::fprintf(stderr, "long texts: keys of %zu and %zu bytes, order %d\n", shortKey.size(), longKey.size(),
                     order);
        return false;
    }
    return true;
}

// The C interface must give the C++ API's answers: every string's key at
// every level (zabrelo_key16, and zabrelo_key8 of its UTF-8 form), every
// timed pair's order.
bool VerifyCInterface() {
    std::size_t bad = 0;
    std::vector<std::uint8_t> buffer(64);
    for (std::size_t i = 0; i < gCorpus.wide.size(); ++i) {
        const std::u16string& s = gCorpus.wide[i];
        for (int level = 1; level <= 3; ++level) {
            const std::string expected = gZabrelo.GetCollationKey(s, level);
            buffer.resize(std::max<std::size_t>(expected.size(), 1));
            std::size_t length = 0;
            const zabrelo_status status16 = zabrelo_key16(gCollator, ZabreloCImpl::Units(s), s.size(), level,
                                                          buffer.data(), buffer.size(), &length);
            const bool same16 = status16 == ZABRELO_OK && length == expected.size() &&
                                std::memcmp(buffer.data(), expected.data(), length) == 0;
            const zabrelo_status status8 = zabrelo_key8(gCollator, gCorpus.utf8[i].data(), gCorpus.utf8[i].size(),
                                                        level, buffer.data(), buffer.size(), &length);
            const bool same8 = status8 == ZABRELO_OK && length == expected.size() &&
                               std::memcmp(buffer.data(), expected.data(), length) == 0;
            if ((!same16 || !same8) && ++bad <= 5) std::fprintf(stderr, "key mismatch: string %zu level %d\n", i, level);
        }
    }
    for (std::size_t i = 0; i < gCorpus.PairCount(); ++i) {
        const std::u16string& a = gCorpus.wide[gCorpus.listSize + 2 * i];
        const std::u16string& b = gCorpus.wide[gCorpus.listSize + 2 * i + 1];
        for (int level = 1; level <= 3; ++level) {
            const int c = zabrelo_compare16(gCollator, ZabreloCImpl::Units(a), a.size(), ZabreloCImpl::Units(b),
                                            b.size(), level);
            if (c != gZabrelo.Compare(a, b, level) && ++bad <= 5)
                std::fprintf(stderr, "compare mismatch: pair %zu level %d\n", i, level);
        }
    }
    if (bad != 0) {
        std::fprintf(stderr, "the C interface disagrees with the C++ API on %zu cases\n", bad);
        return false;
    }
    std::printf("the C interface agrees with the C++ API: the keys of all %zu strings (the list and the pairs), "
                "the order of all %zu pairs, at levels 1 to 3\n",
                gCorpus.wide.size(), gCorpus.PairCount());
    return true;
}

// One pass over every string (keys) or every pair (compares), outside the
// benchmark's timing loop, so instruction counts divide by a known number.
// Kept out of line so callgrind can collect just this function.
template <class Impl>
__attribute__((noinline)) void ProfilePass(const std::string& measure) {
    const auto& texts = Impl::Texts();
    std::string key;
    std::size_t sink = 0;
    if (measure == "key") {
        for (std::size_t i = 0; i < gCorpus.listSize; ++i) {
            Impl::Key(texts[i], key);
            sink += key.size();
        }
        std::printf("%zu keys\n", gCorpus.listSize);
    } else {
        for (std::size_t i = gCorpus.listSize; i < texts.size(); i += 2)
            sink += static_cast<std::size_t>(Impl::Compare(texts[i], texts[i + 1]) + 1);
        std::printf("%zu compares\n", gCorpus.PairCount());
    }
    benchmark::DoNotOptimize(sink);
}

bool RunProfile(const std::string& what) {
    const std::size_t slash = what.find('/');
    const std::string measure = what.substr(0, slash), impl = slash == std::string::npos ? "" : what.substr(slash + 1);
    if (measure != "key" && measure != "compare") return false;
    if (impl == "zabrelo") {
        ProfilePass<ZabreloImpl>(measure);
    } else if (impl == "icu") {
        ProfilePass<IcuImpl>(measure);
    } else if (impl == "glibc" && gGlibc != static_cast<locale_t>(nullptr)) {
        ProfilePass<GlibcImpl>(measure);
    } else {
        return false;
    }
    return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&arg](const char* prefix) { return arg.substr(std::strlen(prefix)); };
        if (arg.rfind("--count=", 0) == 0) {
            options.count = std::strtoull(value("--count=").c_str(), nullptr, 10);
        } else if (arg.rfind("--seed=", 0) == 0) {
            options.seed = std::strtoull(value("--seed=").c_str(), nullptr, 10);
        } else if (arg.rfind("--words=", 0) == 0) {
            options.words = value("--words=");
        } else if (arg.rfind("--table=", 0) == 0) {
            options.table = value("--table=");
        } else if (arg == "--classic") {
            options.classic = true;
        } else if (arg.rfind("--profile=", 0) == 0) {
            options.profile = value("--profile=");
        } else if (arg.rfind("--verify=", 0) == 0) {
            options.verifyPairs = std::strtoull(value("--verify=").c_str(), nullptr, 10);
        } else {
            std::fprintf(stderr,
                         "unknown option %s\nusage: zabrelo-bench [--count=N] [--seed=S] [--words=UTF8FILE] "
                         "[--table=PATH] [--classic] [--verify=PAIRS] [--profile=key|compare/IMPL] [--benchmark_...]\n",
                         arg.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Options options;
    if (!ParseOptions(argc, argv, options)) return 2;

    if (!options.words.empty()) {
        if (!zabrelo_test::ReadWordFile(options.words, gCorpus.wide) || gCorpus.wide.empty()) {
            std::fprintf(stderr, "cannot read any words from %s\n", options.words.c_str());
            return 2;
        }
    } else {
        if (options.count == 0) options.count = 1;
        gCorpus.wide = zabrelo_test::GenerateUrdu(options.count, options.seed);
    }
    // Pairs drawn with a fixed LCG so every collator sees the same ones.
    gCorpus.listSize = gCorpus.wide.size();
    std::uint64_t state = options.seed * 2 + 1;
    const auto n = static_cast<std::uint64_t>(gCorpus.listSize);
    for (int i = 0; i < 2 * (1 << 16); ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        gCorpus.wide.push_back(gCorpus.wide[static_cast<std::size_t>((state >> 33) % n)]);
    }
    for (const std::u16string& s : gCorpus.wide) {
        gCorpus.utf8.push_back(zabrelo::Utf16ToUtf8(s, zabrelo::LoneSurrogate::kReplace));
    }

    try {
        // Both the full order (what the C interface and the command read by
        // default) and, with --classic, ZabreloLib::Initialize's order.
        const bool loaded = options.classic ? gZabrelo.Initialize(options.table.c_str())
                                            : gZabrelo.InitializeFullOrder(options.table.c_str());
        if (!loaded) {
            std::fprintf(stderr, "zabrelo: %s is not a weight table\n", options.table.c_str());
            return 2;
        }
    } catch (const IOException& e) {
        std::fprintf(stderr, "zabrelo: cannot open %s (code %d)\n", options.table.c_str(), e.GetErrorCode());
        return 2;
    }
    if (zabrelo_open_ex(options.table.c_str(), options.classic ? ZABRELO_CLASSIC_ORDER : 0u, &gCollator, nullptr,
                        nullptr, nullptr) != ZABRELO_OK) {
        std::fprintf(stderr, "zabrelo: the C interface cannot open %s\n", options.table.c_str());
        return 2;
    }
    if (!VerifyZabrelo(options.verifyPairs) || !VerifyCInterface() || !VerifyLongTexts()) return 1;

    UErrorCode status = U_ZERO_ERROR;
    gIcu = ucol_open("ur", &status);
    if (U_FAILURE(status)) {
        std::fprintf(stderr, "ICU: ucol_open(\"ur\") failed: %s\n", u_errorName(status));
        return 2;
    }
    ucol_setStrength(gIcu, UCOL_TERTIARY);
    gGlibc = newlocale(LC_ALL_MASK, "ur_PK.UTF-8", static_cast<locale_t>(nullptr));
    if (gGlibc == static_cast<locale_t>(nullptr))
        std::fprintf(stderr, "glibc: no ur_PK.UTF-8 locale (run localedef -i ur_PK -f UTF-8 ur_PK.UTF-8); skipped\n");

    if (!options.profile.empty()) {
        if (RunProfile(options.profile)) return 0;
        std::fprintf(stderr, "--profile takes key/IMPL or compare/IMPL, IMPL one of zabrelo, icu, glibc\n");
        return 2;
    }

    std::printf("%zu strings (%s), %zu pairs, table %s\n", gCorpus.listSize,
                options.words.empty() ? "generated" : options.words.c_str(), gCorpus.PairCount(),
                options.table.c_str());
    RegisterAll<ZabreloImpl>("zabrelo");
    benchmark::RegisterBenchmark("key_into_buffer/zabrelo_c", KeyIntoBuffer<ZabreloCImpl>)->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("compare/zabrelo_c", ComparePerPair<ZabreloCImpl>)->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("copy/zabrelo", CopyObject)->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("key_ten_letters/zabrelo", KeyOfTenLetters)->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("key_1M_units/zabrelo", KeyOfLongText, kShortLong)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("key_10M_units/zabrelo", KeyOfLongText, kLongLong)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("compare_1M_units/zabrelo", CompareLongTexts, kShortLong)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("compare_10M_units/zabrelo", CompareLongTexts, kLongLong)
        ->Unit(benchmark::kMillisecond);
    RegisterAll<IcuImpl>("icu");
    benchmark::RegisterBenchmark("key_into_buffer/icu", KeyIntoBuffer<IcuImpl>)->Unit(benchmark::kNanosecond);
    if (gGlibc != static_cast<locale_t>(nullptr)) {
        RegisterAll<GlibcImpl>("glibc");
        benchmark::RegisterBenchmark("key_into_buffer/glibc", KeyIntoBuffer<GlibcImpl>)->Unit(benchmark::kNanosecond);
    }

    const double keyBytes[3] = {MeanKeyBytes<ZabreloImpl>(), MeanKeyBytes<IcuImpl>(),
                                gGlibc != static_cast<locale_t>(nullptr) ? MeanKeyBytes<GlibcImpl>() : 0.0};
    // Colour only on a terminal, so logs and README excerpts stay plain.
    SummaryReporter reporter(isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                    : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter, keyBytes, keyBytes[1] + 1.0);

    ucol_close(gIcu);
    zabrelo_close(gCollator);
    if (gGlibc != static_cast<locale_t>(nullptr)) freelocale(gGlibc);
    benchmark::Shutdown();
    return 0;
}
