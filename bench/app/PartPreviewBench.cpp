// The part preview's work on every keystroke: 50 recipients named from the address book, a
// 2,500-character message, the read-out and the check for unsendable characters (goal: under
// 2 ms per update). The baseline is what the Go button does once with the same texts: resolving
// the recipients and building their jobs. A cold update (the first after the book changed looks
// every name up again) is measured too, for books of 1,000 and 100,000 contacts.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "RatioReporter.h"
#include "app/PartPreview.h"
#include "app/SendCommand.h"
#include "base/Unsendable.h"
#include "storage/AppSettings.h"

namespace {

constexpr int kRecipients = 50;
constexpr std::size_t kMessageLength = 2500;
constexpr double kGoalMs = 2.0;

struct Texts {
    CAppSettings settings;
    std::string to;
    std::string from = "Vera Zon, 555-987-6543, vera@example.org";
    std::string message;
};

// A book of `size` contacts over every carrier; the To names are spread through it.
const Texts& MakeTexts(int size) {
    static std::map<int, Texts> made;
    if (auto it = made.find(size); it != made.end())
        return it->second;
    Texts& t = made[size];
    for (int i = 0; i < size; ++i) {
        t.settings.AddressBook.push_back({"Contact " + std::to_string(i), "",
                                          std::to_string(5550000000LL + i), i % kCarrierCount});
    }
    for (int r = 0; r < kRecipients; ++r)
        t.to +=
            (r ? ", " : "") + t.settings.AddressBook[std::size_t(r * (size / kRecipients))].Name;
    for (std::size_t word = 0; t.message.size() < kMessageLength; ++word)
        t.message += std::string(word % 9 + 1, 'a' + char(word % 26)) + ' ';
    t.message.resize(kMessageLength);
    return t;
}

// What the window does as a character is typed into the message.
void Update(CPartPreview& preview, const Texts& t, std::string& message) {
    message[message.size() / 2] ^= 1;
    const PreviewReadOut out = MakePreviewReadOut(preview.Update(t.settings, t.to, t.from, message),
                                                  FindUnsendable(t.to + t.from + message));
    benchmark::DoNotOptimize(out.toolTip.data());
}

void BM_GoButtonPreparation(benchmark::State& state) {
    const Texts& t = MakeTexts(int(state.range(0)));
    for (auto _ : state) {
        const ResolvedRecipients resolved = ResolveRecipients(t.settings.AddressBook, t.to);
        benchmark::DoNotOptimize(BuildSendJobs(resolved.numbers, t.from, t.message, t.settings));
    }
}

void BM_PreviewWhileTyping(benchmark::State& state) {
    const Texts& t = MakeTexts(int(state.range(0)));
    CPartPreview preview;
    std::string message = t.message;
    Update(preview, t, message);
    for (auto _ : state) Update(preview, t, message);
}

void BM_PreviewAfterBookChange(benchmark::State& state) {
    const Texts& t = MakeTexts(int(state.range(0)));
    CPartPreview preview;
    std::string message = t.message;
    for (auto _ : state) {
        preview.ForgetAddressBook();
        Update(preview, t, message);
    }
}

BENCHMARK(BM_GoButtonPreparation)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PreviewWhileTyping)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PreviewAfterBookChange)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("%d recipients, %zu characters (goal: an update under %.1f ms):\n", kRecipients,
                kMessageLength, kGoalMs);
    for (const char* book : {"/1000", "/100000"}) {
        const double go = reporter.cpuTimes[std::string("BM_GoButtonPreparation") + book];
        const double typing = reporter.cpuTimes[std::string("BM_PreviewWhileTyping") + book];
        const double cold = reporter.cpuTimes[std::string("BM_PreviewAfterBookChange") + book];
        std::printf(
            "  book of %s: update %.3f ms, after a book change %.3f ms; "
            "update / Go button's preparation %.4f\n",
            book + 1, typing / 1000, cold / 1000, go > 0 ? typing / go : 0.0);
    }
    benchmark::Shutdown();
    return 0;
}
