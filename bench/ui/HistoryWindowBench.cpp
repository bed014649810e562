// How long the history window takes to open with 1,000,000 recipient rows: constructed and shown
// (offscreen) until its first page is in the list, against the bare first-page query (a fresh
// read-only connection and one statement for the newest 50 batches with their recipients).
// Goal: under 200 ms.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>
#include <cstdio>

#include "RatioReporter.h"
#include "app/AppHistory.h"
#include "history/BigHistory.h"
#include "ui/history/HistoryIds.h"
#include "ui/history/HistoryWindow.h"

namespace {

using namespace bench;

CAppHistory* g_history = nullptr;

void BM_OpenHistoryWindow(benchmark::State& state) {
    for (auto _ : state) {
        CHistoryWindow window(*g_history, nullptr);
        window.show();
        QApplication::processEvents();
        auto* list = window.findChild<QTableView*>(QString::fromLatin1(HistoryIds::kBatches.name));
        if (!list || list->model()->rowCount() == 0)
            state.SkipWithError("no rows shown");
    }
}

void BM_BareFirstPage(benchmark::State& state) {
    for (auto _ : state) {
        CSqliteDatabase db(BigHistory(), CSqliteDatabase::Mode::ReadOnly);
        CSqliteStatement query =
            db.Prepare("WITH newest AS (SELECT id FROM batch ORDER BY id DESC LIMIT 50) " +
                       std::string(kBarePageColumns) +
                       "newest JOIN batch b ON b.id = newest.id JOIN recipient r ON "
                       "r.batch_id = b.id ORDER BY b.id DESC, r.id");
        const std::size_t bytes = ReadBarePage(query);
        if (bytes == 0)
            state.SkipWithError("no rows");
        benchmark::DoNotOptimize(bytes);
    }
}

BENCHMARK(BM_BareFirstPage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenHistoryWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    BigHistory();  // made before any run is timed
    int status = 0;
    {
        CAppHistory history(Folder());
        if (!history.WaitUntilWritten(std::chrono::seconds(30)) || !history.Opened())
            return 1;
        g_history = &history;
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        const double window = reporter.realTimes["BM_OpenHistoryWindow/real_time"];
        const double bare = reporter.realTimes["BM_BareFirstPage/real_time"];
        std::printf(
            "history window with %d recipient rows, open until its first page shows: %.2f ms, "
            "%.1f x the bare first-page query (%.2f ms); goal under 200 ms\n",
            kRecipientRows, window, bare > 0 ? window / bare : 0.0, bare);
        status = window < 200 ? 0 : 2;
        g_history = nullptr;
    }
    fs::remove_all(Folder());
    benchmark::Shutdown();
    return status;
}
