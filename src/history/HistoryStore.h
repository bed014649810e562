#pragma once
// CHistoryStore: the sent-message history, one SQLite file in the data folder (WAL journal,
// foreign keys on). One store opened as the writer records batches and delivery updates, each
// in one transaction, and deletes; readers beside it (the window's) only query.
//
// The history never fails a send: no call throws; a write that fails (a full disk) returns
// false and says why on standard error, and the store goes on. A damaged file is moved aside
// and a fresh one started; the caller learns it once from TakeNotice().

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/HistoryFileLock.h"
#include "history/HistoryRecords.h"
#include "history/SqliteDatabase.h"
#include "history/SqliteStatement.h"

enum class HistoryStatus {
    Closed,  // not opened yet, or closed
    Ready,
    Off,           // keeping no history: nothing is written
    CannotOpen,    // the folder or the file cannot be used
    Locked,        // another running copy of the program has it
    NewerVersion,  // written by a newer program; left untouched
    Restarted,     // the file was damaged: moved aside, a fresh one started
};

struct HistoryOptions {
    static constexpr int kKeepAll = -1;
    int keepDays = kKeepAll;  // 0: keep none; N: batches older than N days go at open
    // A cap on the file's size in pages of 4 KiB (0: none); reaching it fails a write as a full
    // disk does.
    std::int64_t maxPages = 0;
    bool reader = false;  // a reader beside the writer: no lock, no migration, no clean-up
    // The pages one step of the word index's merge after a delete writes (a few milliseconds).
    int mergePages = 128;
};

struct HistoryNotice {
    HistoryStatus status = HistoryStatus::Ready;
    std::filesystem::path movedAside;  // Restarted: where the damaged file went
    std::string detail;                // what SQLite or the system said
};

// The history file in the data folder, beside the settings.
std::filesystem::path HistoryFilePath(const std::filesystem::path& dataDirectory);

class CHistoryStore {
public:
    CHistoryStore();
    ~CHistoryStore();
    CHistoryStore(const CHistoryStore&) = delete;
    CHistoryStore& operator=(const CHistoryStore&) = delete;

    HistoryStatus Open(const std::filesystem::path& file, const HistoryOptions& options);
    void Close();
    HistoryStatus Status() const { return m_status; }
    bool IsOpen() const { return m_db != nullptr; }
    // What the user should be told about, once: a restart, a lock, a newer file, a failure to
    // open. Empty after it was taken, and while all is well.
    std::optional<HistoryNotice> TakeNotice();

    // Writes. RecordBatch returns the new batch's id, 0 when nothing was recorded.
    std::int64_t RecordBatch(const HistoryBatchRecord& batch);
    // A delivery report for the part the route knows by `messageId`; an older report than the
    // one kept changes nothing. False when no recipient has that id or the write failed.
    bool UpdateDelivery(const std::string& route, const std::string& messageId, DeliveryState state,
                        std::int64_t at);
    bool DeleteBatches(const std::vector<std::int64_t>& ids);
    // Deleted batches' words leave the word index a step at a time after the delete (and after
    // expiry at open); each call takes one step. True while steps remain.
    bool MergeDeletedWords();
    bool HasWordsToMerge() const { return m_wordsToMerge; }
    // Removes every batch and leaves none of their text in the file or its journal.
    bool ClearAll();

    // Reads; empty when the history is not open or the read failed.
    std::vector<HistoryBatch> Page(const HistoryQuery& query);
    std::vector<HistoryRecipient> Recipients(std::int64_t batchId);
    std::optional<HistoryResend> FailedRecipients(std::int64_t batchId);

private:
    struct Statements;

    HistoryStatus OpenDatabase();
    void Configure();
    void RemoveExpired();
    // Starts (negative count) or carries on merging the word index, `pages` at a time.
    void Merge(int pages);
    void Clear();
    HistoryStatus Restart(const std::string& why);
    HistoryStatus Fail(HistoryStatus status, std::string detail);
    // Runs one store operation; a failure is reported and handled by its kind.
    template <typename F>
    bool Guard(const char* what, F&& operation);
    std::int64_t InsertBatch(const HistoryBatchRecord& batch);
    std::map<std::string, std::int64_t> InsertRecipients(
        std::int64_t batchId, const std::vector<HistoryRecipient>& recipients);
    void InsertReferences(const HistoryBatchRecord& batch,
                          const std::map<std::string, std::int64_t>& idByNumber);
    std::vector<HistoryRecipient> ReadRecipients(std::int64_t batchId);

    std::filesystem::path m_file;
    HistoryOptions m_options;
    HistoryStatus m_status = HistoryStatus::Closed;
    std::optional<HistoryNotice> m_notice;
    int m_restarts = 0;
    bool m_wordsToMerge = false;
    std::unique_ptr<CHistoryFileLock> m_lock;  // the writer's, held while it is open
    std::unique_ptr<CSqliteDatabase> m_db;
    std::unique_ptr<Statements> m_statements;
};
