// The history's speed: recording a 50-recipient batch against the same inserts as a bare SQLite
// loop in one transaction, and with 1,000,000 recipient rows the window's first page and a
// search's first page against SQLite's own FTS5 query for the same word. Goals: a record at most
// 5 ms and 1.5 times the bare loop; the first page under 200 ms; a search's first page under
// 50 ms and 1.5 times the bare query, also for the first letters or digits typed into the
// search. Also reports the file's size per recipient row, and what deleting one batch costs.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "RatioReporter.h"
#include "history/BigHistory.h"

namespace {

using namespace bench;

HistoryBatchRecord Batch50(std::int64_t n) {
    HistoryBatchRecord batch{
        n,    "web forms",  "Meeting moved to 3 pm, room 4 (" + std::to_string(n) + ")",
        "Me", "5550009999", "",
        {}};
    for (int r = 0; r < 50; ++r)
        batch.parts.push_back({std::to_string(5550000000LL + r),
                               "Friend Number " + std::to_string(r), "Verizon", r % 10 == 0 ? 4 : 0,
                               r % 10 == 0 ? "No connection" : "", std::nullopt});
    return batch;
}

void BM_RecordBatch50(benchmark::State& state) {
    const fs::path file = Folder() / "record.db";
    CHistoryStore store;
    if (store.Open(file, {}) != HistoryStatus::Ready) {
        state.SkipWithError("cannot open");
        return;
    }
    std::int64_t n = 0;
    for (auto _ : state) {
        if (store.RecordBatch(Batch50(++n)) == 0)
            state.SkipWithError("not recorded");
    }
}

// The same rows with SQLite's API alone: statements prepared once, one transaction per batch.
void BM_BareInserts50(benchmark::State& state) {
    const fs::path file = Folder() / "bare.db";
    CSqliteDatabase db(file, CSqliteDatabase::Mode::ReadWrite);
    db.Exec(
        "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = ON;"
        "PRAGMA secure_delete = ON");
    MigrateHistory(db);
    sqlite3* h = db.Handle();
    auto prepare = [h](const char* sql) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(h, sql, -1, &s, nullptr);
        return s;
    };
    sqlite3_stmt* batch = prepare(
        "INSERT INTO batch(sent_at, route, message, sender_name, reply_number, reply_email, "
        "failed) VALUES (?, ?, ?, ?, ?, ?, ?)");
    sqlite3_stmt* recipient = prepare(
        "INSERT INTO recipient(batch_id, name, number, carrier, parts, result, result_text, "
        "message_id) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    sqlite3_stmt* words =
        prepare("INSERT INTO batch_words(rowid, message, people) VALUES (?, ?, ?)");
    std::int64_t n = 0;
    for (auto _ : state) {
        const HistoryBatchRecord b = Batch50(++n);
        sqlite3_exec(h, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_bind_int64(batch, 1, b.sentAt);
        sqlite3_bind_text(batch, 2, b.route.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(batch, 3, b.messageUtf8.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(batch, 4, b.senderName.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(batch, 5, b.replyNumber.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(batch, 6, b.replyEmail.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(batch, 7, 5);
        sqlite3_step(batch);
        sqlite3_reset(batch);
        const std::int64_t id = sqlite3_last_insert_rowid(h);
        std::string people;
        for (const HistoryPart& p : b.parts) {
            sqlite3_bind_int64(recipient, 1, id);
            sqlite3_bind_text(recipient, 2, p.name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(recipient, 3, p.number.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(recipient, 4, p.carrier.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(recipient, 5, 1);
            sqlite3_bind_int(recipient, 6, p.result);
            sqlite3_bind_text(recipient, 7, p.resultText.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_null(recipient, 8);
            sqlite3_step(recipient);
            sqlite3_reset(recipient);
            people += p.name + " " + p.number + " ";
        }
        sqlite3_bind_int64(words, 1, id);
        sqlite3_bind_text(words, 2, b.messageUtf8.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(words, 3, people.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(words);
        sqlite3_reset(words);
        sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    }
    for (sqlite3_stmt* s : {batch, recipient, words}) sqlite3_finalize(s);
}

// The window's first page of `query`, as the window's own reader fetches it.
void FirstPage(benchmark::State& state, const HistoryQuery& query) {
    CHistoryStore store;
    HistoryOptions reader;
    reader.reader = true;
    store.Open(BigHistory(), reader);
    for (auto _ : state) {
        const std::vector<HistoryBatch> page = store.Page(query);
        if (page.size() != 50)
            state.SkipWithError("short page");
        benchmark::DoNotOptimize(page.data());
    }
}

void BM_FirstPage(benchmark::State& state) {
    FirstPage(state, {});
}

void BM_SearchFirstPage(benchmark::State& state) {
    FirstPage(state, {kWord});
}

// Search as you type on a number: the first digits match a great many numbers.
void BM_NumberFirstPage(benchmark::State& state) {
    FirstPage(state, {std::to_string(state.range(0))});
}

// SQLite's own: the newest 50 batches with the word, from the word index alone.
void BM_BareFts5Query(benchmark::State& state) {
    CSqliteDatabase db(BigHistory(), CSqliteDatabase::Mode::ReadOnly);
    CSqliteStatement query = db.Prepare(
        "SELECT rowid FROM batch_words WHERE batch_words MATCH ?1 ORDER BY rowid DESC LIMIT 50");
    for (auto _ : state) {
        query.Bind(1, std::string_view(kWord));
        int rows = 0;
        while (query.Step()) rows += query.Int(0) > 0 ? 1 : 0;
        query.Reset();
        if (rows != 50)
            state.SkipWithError("short page");
    }
}

// SQLite's own, the same page: the word's newest 50 batches with every recipient, one statement.
void BM_BareFts5Page(benchmark::State& state) {
    CSqliteDatabase db(BigHistory(), CSqliteDatabase::Mode::ReadOnly);
    CSqliteStatement query = db.Prepare(
        "WITH hits AS (SELECT rowid AS id FROM batch_words WHERE batch_words MATCH ?1 "
        "ORDER BY rowid DESC LIMIT 50) " +
        std::string(kBarePageColumns) +
        "hits JOIN batch b ON b.id = hits.id JOIN recipient r ON r.batch_id = b.id "
        "ORDER BY b.id DESC, r.id");
    for (auto _ : state) {
        query.Bind(1, std::string_view(kWord));
        benchmark::DoNotOptimize(ReadBarePage(query));
    }
}

// Deleting one batch from the big history, the newest left each time: the store's delete (what
// the window waits for), which starts merging the word index so that the batch's words leave the
// file, against the bare DELETE, which only marks them gone. Each on a copy of its own. The
// merge's steps, which the writer takes while idle, are counted apart: the longest is what a
// batch to record may wait.
fs::path CopyOfBigHistory(const char* name) {
    const fs::path copy = Folder() / name;
    fs::copy_file(BigHistory(), copy, fs::copy_options::overwrite_existing);
    return copy;
}

void BM_DeleteBatch(benchmark::State& state) {
    CHistoryStore store;
    if (store.Open(CopyOfBigHistory("delete.db"), {}) != HistoryStatus::Ready) {
        state.SkipWithError("cannot open");
        return;
    }
    const std::vector<HistoryBatch> newest = store.Page({});
    std::int64_t id = newest.empty() ? 0 : newest[0].id;
    double steps = 0, longestMs = 0, totalMs = 0;
    for (auto _ : state) {
        if (!store.DeleteBatches({id--}))
            state.SkipWithError("not deleted");
        state.PauseTiming();
        for (bool more = true; more; ++steps) {
            const auto start = std::chrono::steady_clock::now();
            more = store.MergeDeletedWords();
            const std::chrono::duration<double, std::milli> took =
                std::chrono::steady_clock::now() - start;
            longestMs = std::max(longestMs, took.count());
            totalMs += took.count();
        }
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["merge_steps"] = steps / n;
    state.counters["merge_ms"] = totalMs / n;
    state.counters["longest_step_ms"] = longestMs;
}

void BM_BareDelete(benchmark::State& state) {
    CSqliteDatabase db(CopyOfBigHistory("bare-delete.db"), CSqliteDatabase::Mode::ReadWrite);
    db.Exec(
        "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = ON;"
        "PRAGMA secure_delete = ON");
    CSqliteStatement remove = db.Prepare("DELETE FROM batch WHERE id = ?1");
    std::int64_t id = db.QueryInt("SELECT max(id) FROM batch");
    for (auto _ : state) {
        CSqliteTransaction transaction(db);
        remove.Bind(1, id--).Run();
        transaction.Commit();
    }
}

BENCHMARK(BM_BareInserts50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordBatch50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareFts5Query)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareFts5Page)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchFirstPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NumberFirstPage)->Arg(2)->Arg(20)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstPage, letter, HistoryQuery{"w"})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstPage, two_letters, HistoryQuery{"w1"})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareDelete)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteBatch)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    constexpr const char* kDelete = "BM_DeleteBatch/iterations:5";
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // CPU time is the steadier measure on a shared machine; wall time includes the disk.
    auto ratio = [&](const char* name, const char* baseline) {
        const double base = reporter.cpuTimes[baseline];
        return base > 0 ? reporter.cpuTimes[name] / base : 0.0;
    };
    std::printf(
        "record 50 recipients: %.3f ms, %.2f x the bare loop in CPU time (goal <= 5 ms, <= 1.5)\n",
        reporter.realTimes["BM_RecordBatch50"], ratio("BM_RecordBatch50", "BM_BareInserts50"));
    std::printf("first page of %d recipient rows: %.3f ms (goal < 200 ms)\n", kRecipientRows,
                reporter.realTimes["BM_FirstPage"]);
    std::printf(
        "search \"%s\", first page: %.3f ms, %.2f x SQLite's FTS5 query of the same page in "
        "CPU time (goal < 50 ms, <= 1.5); %.1f x the word's ids alone\n",
        kWord, reporter.realTimes["BM_SearchFirstPage"],
        ratio("BM_SearchFirstPage", "BM_BareFts5Page"),
        ratio("BM_SearchFirstPage", "BM_BareFts5Query"));
    double slowest = 0;
    for (const auto& [name, time] : reporter.realTimes)
        if (name.rfind("BM_NumberFirstPage", 0) == 0 || name.rfind("FirstPage/", 0) == 0)
            slowest = std::max(slowest, time);
    std::printf("search as you type (1 or 2 letters, 1 to 4 digits): slowest first page %.3f ms\n",
                slowest);
    auto merge = [&](const char* counter) {
        return static_cast<double>(reporter.counters[kDelete][counter]);
    };
    std::printf(
        "delete one batch: %.1f ms, %.1f x a bare delete that leaves its words in CPU time; then "
        "%.0f merge steps while idle, %.0f ms in all, the longest %.1f ms\n",
        reporter.realTimes[kDelete], ratio(kDelete, "BM_BareDelete/iterations:5"),
        merge("merge_steps"), merge("merge_ms"), merge("longest_step_ms"));
    if (reporter.realTimes.count("BM_FirstPage"))
        std::printf("file size: %.1f bytes per recipient row\n",
                    static_cast<double>(fs::file_size(BigHistory())) / kRecipientRows);
    fs::remove_all(Folder());
    benchmark::Shutdown();
    return 0;
}
