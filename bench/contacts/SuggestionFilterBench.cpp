// Filtering 100,000 suggestions for a one- and a three-letter prefix, as the To field does on
// every keystroke, against a raw prefix scan over the same names upper-cased beforehand. The
// filter should take at most twice the scan's time, and either way less than a 16 ms frame.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "RatioReporter.h"
#include "base/Text.h"
#include "contacts/SuggestionFilter.h"

namespace {

constexpr int kNames = 100000;
constexpr double kFrameMs = 16.0;
const char* const kPrefixes[] = {"m", "mar"};  // typed in lower case, as a user would

// Names in random order, as a book that was never sorted hands them over.
std::vector<std::string> MakeNames() {
    static const char* const kFirst[] = {
        "Maria", "Mark", "Mohammed", "Ann",   "Bob",  "Carla", "Dmitri", "Eve",  "Fran", "Gus",
        "Hana",  "Ivan", "Jo",       "Karim", "Lena", "Marta", "Nils",   "Olga", "Pia",  "Ravi"};
    static const char* const kLast[] = {"Smith", "Nguyen", "Okafor", "Jensen", "Alvarez",
                                        "Kim",   "Marsh",  "Moreau", "Silva",  "Weber"};
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    std::vector<std::string> names;
    names.reserve(kNames);
    for (int i = 0; i < kNames; ++i) {
        names.push_back(std::string(kFirst[next() % 20]) + " " + kLast[next() % 10] + " " +
                        std::to_string(next() % 100000));
    }
    return names;
}

const std::vector<std::string>& Names() {
    static const std::vector<std::string> names = MakeNames();
    return names;
}

const std::vector<std::string>& UpperNames() {
    static const std::vector<std::string> upper = [] {
        std::vector<std::string> out;
        for (const std::string& name : Names()) out.push_back(UpperCase(name));
        return out;
    }();
    return upper;
}

// Baseline: every upper-cased name compared with the upper-cased prefix, matches collected.
void BM_RawPrefixScan(benchmark::State& state) {
    const std::string prefix = UpperCase(kPrefixes[state.range(0)]);
    const std::vector<std::string>& upper = UpperNames();
    std::vector<const std::string*> matches;
    matches.reserve(upper.size());
    for (auto _ : state) {
        matches.clear();
        for (const std::string& name : upper) {
            if (name.compare(0, prefix.size(), prefix) == 0)
                matches.push_back(&name);
        }
        benchmark::DoNotOptimize(matches.data());
    }
    state.counters["matches"] = static_cast<double>(matches.size());
}

// The program's filter on the same names, once they are in (the first filter sorts them).
void BM_Filter(benchmark::State& state) {
    CSuggestionFilter filter;
    for (const std::string& name : Names()) filter.Add(name);
    const char* typed = kPrefixes[state.range(0)];
    filter.Filter(typed);
    std::size_t count = 0;
    for (auto _ : state) {
        count = filter.Filter(typed);
        benchmark::DoNotOptimize(count);
    }
    state.counters["matches"] = static_cast<double>(count);
}

// What a refill costs up to the first keystroke's list: adding every name and the first
// filter, for names in random order and for names already in order (the address book's).
void BM_RefillAndFirstFilter(benchmark::State& state) {
    std::vector<std::string> names = Names();
    if (state.range(0) == 1)
        std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            return UpperCase(a) < UpperCase(b);
        });
    for (auto _ : state) {
        CSuggestionFilter filter;
        for (const std::string& name : names) filter.Add(name);
        benchmark::DoNotOptimize(filter.Filter("m"));
    }
}

BENCHMARK(BM_RawPrefixScan)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Filter)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefillAndFirstFilter)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("%d names; filter against the raw scan (goal: ratio <= 2, under %.0f ms):\n",
                kNames, kFrameMs);
    const char* const args[] = {"/0", "/1"};
    for (int i = 0; i < 2; ++i) {
        const double scan = reporter.cpuTimes[std::string("BM_RawPrefixScan") + args[i]];
        const double filter = reporter.cpuTimes[std::string("BM_Filter") + args[i]];
        std::printf("  \"%s\": filter %.2f us, scan %.1f us (cpu), ratio %.4f\n", kPrefixes[i],
                    filter, scan, scan > 0 ? filter / scan : 0.0);
    }
    benchmark::Shutdown();
    return 0;
}
