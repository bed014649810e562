// Saving and loading an address book of 100,000 contacts against zlib alone on the same stream
// bytes. The program's own work (building, checking, scrambling and parsing the stream) should
// add at most 30% to zlib's compress + uncompress.

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "RatioReporter.h"
#include "res/StringTable.h"
#include "storage/AppSettings.h"
#include "storage/ScrambledArchive.h"
#include "storage/Settings.h"
#include "storage/SettingsFormat.h"

namespace {

constexpr int kContacts = 100000;

void FillAddressBook(CAppSettings& s) {
    static const char* const kFirst[] = {"Ann", "Bob", "Carla", "Dmitri", "Eve", "Fran", "Gus"};
    static const char* const kLast[] = {"Smith", "Nguyen", "Okafor", "Jensen", "Alvarez", "Kim"};
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    s.AddressBook.clear();
    for (int i = 0; i < kContacts; ++i) {
        CContact c;
        c.Name =
            std::string(kFirst[next() % 7]) + " " + kLast[next() % 6] + " " + std::to_string(i);
        c.Number = std::to_string(2000000000ULL + next() % 7999999999ULL);
        c.Carrier = static_cast<std::int32_t>(next() % kCarrierCount);
        s.AddressBook.push_back(std::move(c));
    }
}

const std::string& Stream() {
    static const std::string stream = [] {
        CAppSettings s;
        FillAddressBook(s);
        return WriteSettingsStream(s);
    }();
    return stream;
}

// Baseline: zlib alone, compress at the default level and uncompress the same bytes.
void BM_ZlibOnly(benchmark::State& state) {
    const std::string& stream = Stream();
    std::string compressed(compressBound(stream.size()), '\0');
    std::string restored(stream.size(), '\0');
    for (auto _ : state) {
        uLongf length = compressed.size();
        compress(reinterpret_cast<Bytef*>(compressed.data()), &length,
                 reinterpret_cast<const Bytef*>(stream.data()), stream.size());
        uLongf restoredLength = restored.size();
        uncompress(reinterpret_cast<Bytef*>(restored.data()), &restoredLength,
                   reinterpret_cast<const Bytef*>(compressed.data()), length);
        benchmark::DoNotOptimize(restored.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(stream.size()));
}

// The program's save and load without the disk: record -> stream -> file bytes -> record.
void BM_EncodeDecode(benchmark::State& state) {
    CAppSettings source;
    FillAddressBook(source);
    const CScrambledArchive archive(LoadString(IDS_PASSPHRASE));
    CAppSettings loaded;
    for (auto _ : state) {
        const std::string file = archive.Encode(WriteSettingsStream(source));
        LoadSettings12(archive.Decode(file), loaded);
        benchmark::DoNotOptimize(loaded.AddressBook.data());
    }
    if (loaded.AddressBook.size() != kContacts)
        state.SkipWithError("round trip lost contacts");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Stream().size()));
}

// SaveSettings and LoadSettings as the program calls them, with the file flushed to disk.
void BM_SaveLoadFile(benchmark::State& state) {
    char pattern[] = "/tmp/quillo-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::filesystem::path folder = pattern;
    AppSettings().ExeDirectory = folder / "";
    FillAddressBook(AppSettings());
    for (auto _ : state) {
        SaveSettings();
        LoadSettings();  // replaces the book with the one just saved
    }
    if (AppSettings().AddressBook.size() != kContacts)
        state.SkipWithError("round trip lost contacts");
    std::filesystem::remove_all(folder);
}

BENCHMARK(BM_ZlibOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveLoadFile)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // CPU time is the steadier measure on a shared machine; wall time includes the disk.
    auto ratio = [](std::map<std::string, double>& times, const char* name) {
        const double zlib = times["BM_ZlibOnly"];
        return zlib > 0 ? times[name] / zlib : 0.0;
    };
    std::printf("stream %zu bytes, %d contacts; ratios to zlib alone (goal <= 1.3):\n",
                Stream().size(), kContacts);
    for (const char* name : {"BM_EncodeDecode", "BM_SaveLoadFile"}) {
        std::printf("  %-16s cpu %.3f  real %.3f\n", name, ratio(reporter.cpuTimes, name),
                    ratio(reporter.realTimes, name));
    }
    benchmark::Shutdown();
    return 0;
}
