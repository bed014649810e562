// Importing a CSV file of 1,000,000 lines against a raw scan of the same file (read it line by
// line, split each line at its commas). Goal: the import takes at most twice the scan's time.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
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
        counts = ImportCsvFile(g_file, state.range(0), 1, book);
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
    const double scan = reporter.realTimes["BM_RawScan"];
    const double import = reporter.realTimes["BM_ImportCsvFile/0"];
    std::printf("%d lines: import %.1f ms, raw scan %.1f ms, ratio %.2f (goal <= 2)\n", kLines,
                import, scan, scan > 0 ? import / scan : 0.0);
    std::filesystem::remove_all(folder);
    benchmark::Shutdown();
    return 0;
}
