#pragma once
// A big history for the benchmarks that read one: 1,000,000 recipient rows in a folder of the
// program's own in /tmp, made once a run. Remove Folder() at the end of the run.

#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <cstddef>
#include <string>

#include "history/HistorySchema.h"
#include "history/HistoryStore.h"
#include "history/SqliteDatabase.h"
#include "history/SqliteStatement.h"

namespace bench {

namespace fs = std::filesystem;

inline constexpr int kRecipientRows = 1000000;
inline constexpr const char* kWord = "harbour";  // in about one batch of a hundred

inline fs::path Folder() {
    static const fs::path folder = [] {
        char pattern[] = "/tmp/quillo-bench-XXXXXX";
        return fs::path(::mkdtemp(pattern) != nullptr ? pattern : "/tmp");
    }();
    return folder;
}

inline std::uint32_t Next(std::uint32_t& seed) {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;  // the low bits of this generator repeat quickly
}

// A message of common words, now and then with the searched one.
inline std::string Message(std::uint32_t& seed) {
    std::string text;
    for (int w = 0, words = 4 + static_cast<int>(Next(seed) % 20); w < words; ++w)
        text.append("w").append(std::to_string(Next(seed) % 3000)).append(" ");
    if (Next(seed) % 100 == 0)
        text += kWord;
    return text;
}

// A history of 1,000,000 recipient rows, made once, as the program names it in Folder(): batches
// of 1 to 19 recipients, a tenth with a failure.
inline const fs::path& BigHistory() {
    static const fs::path file = [] {
        const fs::path path = HistoryFilePath(Folder());
        CSqliteDatabase db(path, CSqliteDatabase::Mode::ReadWrite);
        db.Exec("PRAGMA journal_mode = WAL; PRAGMA synchronous = OFF");
        MigrateHistory(db);
        auto batch = db.Prepare(
            "INSERT INTO batch(sent_at, route, message, sender_name, reply_number, reply_email, "
            "failed) VALUES (?1, 'web forms', ?2, 'Me', '5550009999', '', ?3)");
        auto recipient = db.Prepare(
            "INSERT INTO recipient(batch_id, name, number, carrier, parts, result, result_text) "
            "VALUES (?1, ?2, ?3, 'Verizon', 1, ?4, ?5)");
        auto words =
            db.Prepare("INSERT INTO batch_words(rowid, message, people) VALUES (?1, ?2, ?3)");
        std::uint32_t seed = 7;
        CSqliteTransaction transaction(db);
        for (int rows = 0, n = 1; rows < kRecipientRows; ++n) {
            const int count =
                std::min(1 + static_cast<int>(Next(seed) % 19), kRecipientRows - rows);
            const bool fails = Next(seed) % 10 == 0;
            const std::string text = Message(seed);
            batch.Bind(1, 1700000000000LL + n * 60000LL).Bind(2, text).Bind(3, fails ? 1 : 0).Run();
            std::string people;
            for (int r = 0; r < count; ++r, ++rows) {
                // 5,000 people, each with a number of their own.
                const std::uint32_t person = Next(seed) % 5000;
                const std::string name = "Contact " + std::to_string(person);
                const std::string number =
                    std::to_string(2000000000LL + (person * 1999993LL) % 7999999999LL);
                const bool failed = fails && r == 0;
                recipient.Bind(1, n)
                    .Bind(2, name)
                    .Bind(3, number)
                    .Bind(4, failed ? 4 : 0)
                    .Bind(5, failed ? "No connection" : "")
                    .Run();
                people += name + " " + number + " ";
            }
            words.Bind(1, n).Bind(2, text).Bind(3, people).Run();
        }
        transaction.Commit();
        db.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
        return path;
    }();
    return file;
}

// The bare queries the benchmarks compare with: a page's batch and recipient columns, and its
// rows stepped through as a reader would, every column read; the bytes read.
inline constexpr const char* kBarePageColumns =
    "SELECT b.id, b.sent_at, b.route, b.message, r.id, r.name, r.number, r.carrier, r.parts, "
    "r.result, r.result_text, r.message_id, r.state, r.state_at FROM ";
inline std::size_t ReadBarePage(CSqliteStatement& query) {
    std::size_t bytes = 0;
    while (query.Step()) {
        for (int column : {2, 3, 5, 6, 7, 10, 11}) bytes += query.Text(column).size();
        for (int column : {0, 1, 4, 8, 9, 12, 13})
            bytes += static_cast<std::size_t>(query.Int(column));
    }
    query.Reset();
    return bytes;
}

}  // namespace bench
