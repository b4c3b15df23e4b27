// ZabreloBench: zabrelo, ICU's "ur" collator and glibc's ur_PK locale on the
// same Urdu strings in one run: a key per string, a compare per pair, and
// sorting the whole list both ways; ends with zabrelo's ratio to each peer.
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

#include "UrduWords.h"
#include "zabrelo/ZabreloLib.h"

namespace {

constexpr int kLevel = 3;  // all peers compare at their tertiary strength

struct Options {
    std::size_t count = 100000;
    std::uint64_t seed = 20240607;
    std::string words;  // a UTF-8 word file instead of generated text
    std::string table = ZABRELO_BENCH_TABLE;
    std::size_t verifyPairs = 20000;
    std::string profile;  // "key/icu" and so on: one plain pass, for callgrind
};

// The same strings for every collator, converted before any timing.
struct Corpus {
    std::vector<std::u16string> wide;
    std::vector<std::string> utf8;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;  // random pairs to compare
};

Corpus gCorpus;
ZabreloLib gZabrelo;
UCollator* gIcu = nullptr;
locale_t gGlibc = static_cast<locale_t>(nullptr);

// --- One adapter per collator: a key into `out`, and a three-way compare. ---

struct ZabreloImpl {
    static void Key(std::size_t i, std::string& out) { out = gZabrelo.GetCollationKey(gCorpus.wide[i], kLevel); }
    // Passing lvalues copies both strings: the public API takes them by value.
    static int Compare(std::size_t a, std::size_t b) {
        return gZabrelo.Compare(gCorpus.wide[a], gCorpus.wide[b], kLevel);
    }
};

struct IcuImpl {
    static void Key(std::size_t i, std::string& out) {
        const std::u16string& s = gCorpus.wide[i];
        // A caller-owned buffer reused across calls: ICU's cheapest way.
        static std::vector<std::uint8_t> buffer(512);
        auto need = ucol_getSortKey(gIcu, s.data(), static_cast<int32_t>(s.size()), buffer.data(),
                                    static_cast<int32_t>(buffer.size()));
        if (need > static_cast<int32_t>(buffer.size())) {
            buffer.resize(static_cast<std::size_t>(need));
            need = ucol_getSortKey(gIcu, s.data(), static_cast<int32_t>(s.size()), buffer.data(), need);
        }
        // The terminating zero byte is not needed to order keys by length-aware compare.
        out.assign(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(need > 0 ? need - 1 : 0));
    }
    static int Compare(std::size_t a, std::size_t b) {
        const std::u16string& x = gCorpus.wide[a];
        const std::u16string& y = gCorpus.wide[b];
        return ucol_strcoll(gIcu, x.data(), static_cast<int32_t>(x.size()), y.data(), static_cast<int32_t>(y.size()));
    }
};

struct GlibcImpl {
    static void Key(std::size_t i, std::string& out) {
        const char* s = gCorpus.utf8[i].c_str();
        static std::vector<char> buffer(4096);
        std::size_t need = strxfrm_l(buffer.data(), s, buffer.size(), gGlibc);
        if (need >= buffer.size()) {
            buffer.resize(need + 1);
            need = strxfrm_l(buffer.data(), s, buffer.size(), gGlibc);
        }
        out.assign(buffer.data(), need);
    }
    static int Compare(std::size_t a, std::size_t b) {
        return strcoll_l(gCorpus.utf8[a].c_str(), gCorpus.utf8[b].c_str(), gGlibc);
    }
};

// --- The measures ---

template <class Impl>
void KeyPerString(benchmark::State& state) {
    const std::size_t n = gCorpus.wide.size();
    std::size_t i = 0;
    std::string key;
    for (auto _ : state) {
        Impl::Key(i, key);
        benchmark::DoNotOptimize(key.data());
        if (++i == n) i = 0;
    }
}

template <class Impl>
void ComparePerPair(benchmark::State& state) {
    const std::size_t n = gCorpus.pairs.size();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Impl::Compare(gCorpus.pairs[i].first, gCorpus.pairs[i].second));
        if (++i == n) i = 0;
    }
}

template <class Impl>
void SortByCompare(benchmark::State& state) {
    std::vector<std::uint32_t> order(gCorpus.wide.size());
    for (auto _ : state) {
        std::iota(order.begin(), order.end(), 0u);
        std::sort(order.begin(), order.end(),
                  [](std::uint32_t a, std::uint32_t b) { return Impl::Compare(a, b) < 0; });
        benchmark::DoNotOptimize(order.data());
    }
}

// Building every key is part of the time: a caller sorting by keys pays for them.
template <class Impl>
void SortByKeys(benchmark::State& state) {
    const std::size_t n = gCorpus.wide.size();
    std::vector<std::string> keys(n);
    std::vector<std::uint32_t> order(n);
    for (auto _ : state) {
        for (std::size_t i = 0; i < n; ++i) Impl::Key(i, keys[i]);
        std::iota(order.begin(), order.end(), 0u);
        std::sort(order.begin(), order.end(), [&keys](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
        benchmark::DoNotOptimize(order.data());
    }
}

// Only the sort, over keys built before the timing.
template <class Impl>
void SortPrebuiltKeys(benchmark::State& state) {
    const std::size_t n = gCorpus.wide.size();
    std::vector<std::string> keys(n);
    for (std::size_t i = 0; i < n; ++i) Impl::Key(i, keys[i]);
    std::vector<std::uint32_t> order(n);
    for (auto _ : state) {
        std::iota(order.begin(), order.end(), 0u);
        std::sort(order.begin(), order.end(), [&keys](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
        benchmark::DoNotOptimize(order.data());
    }
}

template <class Impl>
double MeanKeyBytes() {
    std::string key;
    double total = 0;
    for (std::size_t i = 0; i < gCorpus.wide.size(); ++i) {
        Impl::Key(i, key);
        total += static_cast<double>(key.size());
    }
    return total / static_cast<double>(gCorpus.wide.size());
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

void PrintSummary(const SummaryReporter& report, const double keyBytes[3]) {
    struct Measure { const char* name; const char* unit; double target; };
    const Measure measures[] = {{"key", "ns/string", 4.0},
                                {"compare", "ns/pair", 4.0},
                                {"sort_by_compare", "ms", 0.0},
                                {"sort_by_keys", "ms", 2.0},
                                {"sort_prebuilt_keys", "ms", 0.0}};
    std::printf("\nSummary (CPU time, median of repetitions; ratio = peer time / zabrelo time)\n");
    std::printf("%-20s %-10s %10s %10s %10s %9s %9s  %s\n", "measure", "unit", "zabrelo", "ICU", "glibc",
                "ICU/z", "glibc/z", "target");
    for (const Measure& m : measures) {
        const double z = report.Time(std::string(m.name) + "/zabrelo");
        const double icu = report.Time(std::string(m.name) + "/icu");
        const double glibc = report.Time(std::string(m.name) + "/glibc");
        if (z <= 0) continue;
        char target[64] = "";
        if (m.target > 0 && icu > 0)
            std::snprintf(target, sizeof target, ">= %.0fx ICU: %s", m.target, icu / z >= m.target ? "met" : "MISSED");
        std::printf("%-20s %-10s %10.1f %10.1f %10.1f %8.2fx %8.2fx  %s\n", m.name, m.unit, z, icu, glibc,
                    icu > 0 ? icu / z : 0.0, glibc > 0 ? glibc / z : 0.0, target);
    }
    std::printf("%-20s %-10s %10.2f %10.2f %10.2f %8.2fx %8.2fx  %s\n", "key size", "bytes", keyBytes[0],
                keyBytes[1], keyBytes[2], keyBytes[1] / keyBytes[0], keyBytes[2] > 0 ? keyBytes[2] / keyBytes[0] : 0.0,
                keyBytes[0] <= keyBytes[1] ? "<= ICU: met" : "<= ICU: MISSED");
}

// Compare must agree with whole keys plus the tie rule; the bench checks it on
// its own input so a fast but wrong build cannot post figures.
bool VerifyZabrelo(std::size_t pairs) {
    std::size_t bad = 0;
    for (std::size_t i = 0; i < pairs && i < gCorpus.pairs.size(); ++i) {
        const std::u16string& a = gCorpus.wide[gCorpus.pairs[i].first];
        const std::u16string& b = gCorpus.wide[gCorpus.pairs[i].second];
        for (int level = 1; level <= 3; ++level) {
            const std::string ka = gZabrelo.GetCollationKey(a, level), kb = gZabrelo.GetCollationKey(b, level);
            const int expected = ka < kb ? -1 : kb < ka ? 1 : (a.size() < b.size() ? -1 : 0);
            if (gZabrelo.Compare(a, b, level) != expected && ++bad <= 5)
                std::fprintf(stderr, "mismatch: pair %zu level %d\n", i, level);
        }
    }
    if (bad != 0) std::fprintf(stderr, "Compare disagrees with the keys on %zu cases\n", bad);
    return bad == 0;
}

// One pass over every string (keys) or every pair (compares), outside the
// benchmark's timing loop, so instruction counts divide by a known number.
// Kept out of line so callgrind can collect just this function.
template <class Impl>
__attribute__((noinline)) void ProfilePass(const std::string& measure) {
    std::string key;
    std::size_t sink = 0;
    if (measure == "key") {
        for (std::size_t i = 0; i < gCorpus.wide.size(); ++i) {
            Impl::Key(i, key);
            sink += key.size();
        }
        std::printf("%zu keys\n", gCorpus.wide.size());
    } else {
        for (const auto& pair : gCorpus.pairs) sink += static_cast<std::size_t>(Impl::Compare(pair.first, pair.second) + 1);
        std::printf("%zu compares\n", gCorpus.pairs.size());
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
        } else if (arg.rfind("--profile=", 0) == 0) {
            options.profile = value("--profile=");
        } else if (arg.rfind("--verify=", 0) == 0) {
            options.verifyPairs = std::strtoull(value("--verify=").c_str(), nullptr, 10);
        } else {
            std::fprintf(stderr,
                         "unknown option %s\nusage: zabrelo-bench [--count=N] [--seed=S] [--words=UTF8FILE] "
                         "[--table=PATH] [--verify=PAIRS] [--profile=key|compare/IMPL] [--benchmark_...]\n",
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
        if (!zabrelo_bench::ReadWordFile(options.words, gCorpus.wide) || gCorpus.wide.empty()) {
            std::fprintf(stderr, "cannot read any words from %s\n", options.words.c_str());
            return 2;
        }
    } else {
        if (options.count == 0) options.count = 1;
        gCorpus.wide = zabrelo_bench::GenerateUrdu(options.count, options.seed);
    }
    for (const std::u16string& s : gCorpus.wide) gCorpus.utf8.push_back(zabrelo_bench::Utf16ToUtf8(s));
    // Pairs drawn with a fixed LCG so every collator sees the same ones.
    std::uint64_t state = options.seed * 2 + 1;
    const auto n = static_cast<std::uint64_t>(gCorpus.wide.size());
    for (int i = 0; i < (1 << 16); ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const auto a = static_cast<std::uint32_t>((state >> 33) % n);
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const auto b = static_cast<std::uint32_t>((state >> 33) % n);
        gCorpus.pairs.emplace_back(a, b);
    }

    try {
        if (!gZabrelo.Initialize(options.table.c_str())) {
            std::fprintf(stderr, "zabrelo: %s is not a weight table\n", options.table.c_str());
            return 2;
        }
    } catch (const IOException& e) {
        std::fprintf(stderr, "zabrelo: cannot open %s (code %d)\n", options.table.c_str(), e.GetErrorCode());
        return 2;
    }
    if (!VerifyZabrelo(options.verifyPairs)) return 1;

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

    std::printf("%zu strings (%s), %zu pairs, table %s\n", gCorpus.wide.size(),
                options.words.empty() ? "generated" : options.words.c_str(), gCorpus.pairs.size(),
                options.table.c_str());
    RegisterAll<ZabreloImpl>("zabrelo");
    RegisterAll<IcuImpl>("icu");
    if (gGlibc != static_cast<locale_t>(nullptr)) RegisterAll<GlibcImpl>("glibc");

    const double keyBytes[3] = {MeanKeyBytes<ZabreloImpl>(), MeanKeyBytes<IcuImpl>(),
                                gGlibc != static_cast<locale_t>(nullptr) ? MeanKeyBytes<GlibcImpl>() : 0.0};
    // Colour only on a terminal, so logs and README excerpts stay plain.
    SummaryReporter reporter(isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                    : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter, keyBytes);

    ucol_close(gIcu);
    if (gGlibc != static_cast<locale_t>(nullptr)) freelocale(gGlibc);
    benchmark::Shutdown();
    return 0;
}
