// Importing a CSV file of 1,000,000 lines against a raw scan of the same file (read it line by
// line, split each line at its commas). Goal: the import takes at most twice the scan's time.
// BM_ImportCsvFile/7 asks for a name field no line has: the reading, the encoding check and the
// splitting without a contact stored, to show what the book itself costs.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "RatioReporter.h"
#include "contacts/CsvImport.h"

namespace {

constexpr int kLines = 1000000;

std::filesystem::path g_file;

// A heading and then contacts as a mail program exports them: name, number, e-mail.
void WriteFile(const std::filesystem::path& file) {
    std::ofstream out(file, std::ios::binary);
    out << "Name,Mobile Phone,E-mail Address\r\n";
    char line[128];
    for (int i = 1; i < kLines; ++i) {
        const int n = std::snprintf(line, sizeof line,
                                    "\"Contact %d\",(555) %03d-%04d,contact%d@example.org\r\n", i,
                                    (i / 10000) % 1000, i % 10000, i);
        out.write(line, n);
    }
}

void BM_RawScan(benchmark::State& state) {
    std::size_t fields = 0;
    for (auto _ : state) {
        std::ifstream in(g_file, std::ios::binary);
        std::string line;
        std::vector<std::string_view> split;
        fields = 0;
        while (std::getline(in, line)) {
            split.clear();
            std::string_view rest(line);
            for (std::size_t comma; (comma = rest.find(',')) != std::string_view::npos;) {
                split.push_back(rest.substr(0, comma));
                rest.remove_prefix(comma + 1);
            }
            split.push_back(rest);
            fields += split.size();
        }
        benchmark::DoNotOptimize(fields);
    }
    state.counters["fields"] = static_cast<double>(fields);
}

void BM_ImportCsvFile(benchmark::State& state) {
    CsvImportCounts counts;
    for (auto _ : state) {
        AddressBook book;
        counts = ImportCsvFile(g_file, static_cast<std::size_t>(state.range(0)), 1, book);
        benchmark::DoNotOptimize(book.data());
        state.PauseTiming();
        book = AddressBook();  // freeing the book is not the import's work
        state.ResumeTiming();
    }
    state.counters["imported"] = counts.imported;
    if (state.range(0) == 0 && counts.imported != kLines - 1)
        state.SkipWithError("lines were not imported");
}

BENCHMARK(BM_RawScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportCsvFile)->Arg(0)->Arg(7)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    char folder[] = "/tmp/quillo-csv-bench-XXXXXX";
    if (::mkdtemp(folder) == nullptr)
        return 1;
    g_file = std::filesystem::path(folder) / "contacts.csv";
    WriteFile(g_file);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [](std::map<std::string, double>& times) {
        const double scan = times["BM_RawScan"];
        return scan > 0 ? times["BM_ImportCsvFile/0"] / scan : 0.0;
    };
    std::printf("%d lines, import against the raw scan: %.2f real, %.2f cpu (goal <= 2)\n", kLines,
                ratio(reporter.realTimes), ratio(reporter.cpuTimes));
    std::filesystem::remove_all(folder);
    benchmark::Shutdown();
    return 0;
}
