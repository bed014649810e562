#include "history/HistoryStore.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

#include "base/Text.h"
#include "history/HistorySchema.h"
#include "history/HistorySearch.h"

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kMillisecondsPerDay = 24LL * 60 * 60 * 1000;

std::int64_t NowMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

const char* const kBatchColumns = "SELECT b.id, b.sent_at, b.route, b.message FROM ";

// The four page queries: by search (or not) and failures only (or not). ?1 before, ?2 limit,
// ?3 the match expression.
std::string PageSql(bool search, bool failuresOnly) {
    std::string sql = kBatchColumns;
    if (search)
        sql +=
            "batch_words w JOIN batch b ON b.id = w.rowid WHERE batch_words MATCH ?3 AND "
            "w.rowid < ?1";
    else
        sql += "batch b WHERE b.id < ?1";
    if (failuresOnly)
        sql += " AND b.failed > 0";
    sql += search ? " ORDER BY w.rowid DESC" : " ORDER BY b.id DESC";
    return sql + " LIMIT ?2";
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The code page at the edge. Most texts are plain ASCII, the same in both, and a page holds
// hundreds of them: they skip the converter.
std::string ToUtf8(std::string_view text) {
    return IsAscii(text) ? std::string(text) : Cp1252ToUtf8(text);
}

std::string FromUtf8(std::string text) {
    return IsAscii(text) ? text : Utf8ToCp1252(text);
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

// Parts folded into recipients, in the order each recipient first finished a part.
std::vector<HistoryRecipient> FoldParts(const std::vector<HistoryPart>& parts) {
    std::vector<HistoryRecipient> recipients;
    std::map<std::string, std::size_t> byNumber;
    for (const HistoryPart& part : parts) {
        auto [at, added] = byNumber.try_emplace(part.number, recipients.size());
        if (added) {
            HistoryRecipient r;
            r.name = part.name;
            r.number = part.number;
            r.carrier = part.carrier;
            r.resultText = part.resultText;
            r.result = part.result;
            r.messageId = part.messageId;
            recipients.push_back(std::move(r));
        }
        HistoryRecipient& r = recipients[at->second];
        ++r.parts;
        if (r.result == 0 && part.result != 0) {
            r.result = part.result;
            r.resultText = part.resultText;
        }
        if (!r.messageId)
            r.messageId = part.messageId;
    }
    return recipients;
}

std::string People(const std::vector<HistoryRecipient>& recipients) {
    std::string people;
    for (const HistoryRecipient& r : recipients) people += ToUtf8(r.name) + " " + r.number + " ";
    return people;
}

}  // namespace

struct CHistoryStore::Statements {
    explicit Statements(CSqliteDatabase& db)
        : insertBatch(
              db.Prepare("INSERT INTO batch(sent_at, route, message, sender_name, reply_number, "
                         "reply_email, failed) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)")),
          insertRecipient(
              db.Prepare("INSERT INTO recipient(batch_id, name, number, carrier, parts, result, "
                         "result_text, message_id) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)")),
          // A modem's references come round again after 256 texts: the newest text under an
          // id is the one its reports speak of.
          insertReference(db.Prepare("INSERT OR REPLACE INTO message_ref(route, message_id, "
                                     "recipient_id) VALUES (?1, ?2, ?3)")),
          insertWords(
              db.Prepare("INSERT INTO batch_words(rowid, message, people) VALUES (?1, ?2, ?3)")),
          updateDelivery(db.Prepare(
              "UPDATE recipient SET state = ?3, state_at = ?4 WHERE state_at <= ?4 AND id = "
              "(SELECT recipient_id FROM message_ref WHERE route = ?1 AND message_id = ?2)")),
          deleteBatch(db.Prepare("DELETE FROM batch WHERE id = ?1")),
          recipients(db.Prepare(
              "SELECT id, name, number, carrier, parts, result, result_text, message_id, state, "
              "state_at FROM recipient WHERE batch_id = ?1 ORDER BY id")),
          batchMessage(db.Prepare("SELECT message FROM batch WHERE id = ?1")) {
        for (int search = 0; search < 2; ++search)
            for (int failures = 0; failures < 2; ++failures)
                pages.emplace_back(db.Prepare(PageSql(search != 0, failures != 0)));
    }
    CSqliteStatement& PageFor(bool search, bool failuresOnly) {
        return pages[static_cast<std::size_t>((search ? 2 : 0) + (failuresOnly ? 1 : 0))];
    }
    CSqliteStatement insertBatch;
    CSqliteStatement insertRecipient;
    CSqliteStatement insertReference;
    CSqliteStatement insertWords;
    CSqliteStatement updateDelivery;
    CSqliteStatement deleteBatch;
    CSqliteStatement recipients;
    CSqliteStatement batchMessage;
    std::vector<CSqliteStatement> pages;
};

fs::path HistoryFilePath(const fs::path& dataDirectory) {
    return dataDirectory / "QuilloHistory.db";
}

CHistoryStore::CHistoryStore() = default;
CHistoryStore::~CHistoryStore() = default;

void CHistoryStore::Close() {
    m_wordsToMerge = false;
    m_statements.reset();
    m_db.reset();
    m_lock.reset();
    m_status = HistoryStatus::Closed;
}

std::optional<HistoryNotice> CHistoryStore::TakeNotice() {
    return std::exchange(m_notice, std::nullopt);
}

HistoryStatus CHistoryStore::Fail(HistoryStatus status, std::string detail) {
    Close();
    m_status = status;
    m_notice = HistoryNotice{status, {}, detail};
    std::fprintf(stderr, "history: %s: %s\n", m_file.c_str(), detail.c_str());
    return status;
}

HistoryStatus CHistoryStore::Open(const fs::path& file, const HistoryOptions& options) {
    Close();
    m_file = file;
    m_options = options;
    m_notice.reset();
    std::error_code missing;
    if (options.keepDays == 0 && !fs::exists(file, missing))
        return m_status = HistoryStatus::Off;  // nothing kept, nothing to create
    if (!options.reader) {
        m_lock = std::make_unique<CHistoryFileLock>(file);
        if (m_lock->state() == CHistoryFileLock::State::TakenByAnother)
            return Fail(HistoryStatus::Locked, "in use by another running copy");
        if (m_lock->state() == CHistoryFileLock::State::Failed)
            return Fail(HistoryStatus::CannotOpen, m_lock->error());
        if (!CreatePrivately(file))
            return Fail(HistoryStatus::CannotOpen, std::strerror(errno));
    }
    try {
        return m_status = OpenDatabase();
    } catch (const CSqliteError& error) {
        if (error.IsDamage() && !options.reader)
            return Restart(error.what());
        return Fail(error.IsBusy() ? HistoryStatus::Locked : HistoryStatus::CannotOpen,
                    error.what());
    }
}

HistoryStatus CHistoryStore::OpenDatabase() {
    m_db = std::make_unique<CSqliteDatabase>(m_file, m_options.reader
                                                         ? CSqliteDatabase::Mode::ReadOnly
                                                         : CSqliteDatabase::Mode::ReadWrite);
    Configure();
    if (m_options.reader) {
        if (HistorySchemaVersion(*m_db) != kHistorySchemaVersion)
            return Fail(HistoryStatus::CannotOpen, "not at this program's schema version");
    } else if (!MigrateHistory(*m_db)) {
        return Fail(HistoryStatus::NewerVersion, "written by a newer version of the program");
    }
    m_statements = std::make_unique<Statements>(*m_db);
    // A merge the last run left unfinished goes on.
    m_wordsToMerge = !m_options.reader;
    try {
        if (!m_options.reader)
            RemoveExpired();
    } catch (const CSqliteError& error) {
        if (error.IsDamage())
            throw;
        // A full disk keeps the old batches a while longer; the history still opens.
        std::fprintf(stderr, "history: cannot remove old batches: %s\n", error.what());
    }
    return m_options.keepDays == 0 ? HistoryStatus::Off : HistoryStatus::Ready;
}

void CHistoryStore::Configure() {
    m_db->Exec("PRAGMA busy_timeout = 2000");
    if (m_options.reader) {
        m_db->Exec("PRAGMA query_only = ON");
        return;
    }
    // NORMAL: a killed process loses no commit; a power cut may lose the last few, never the
    // file.
    m_db->Exec(
        "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = ON;"
        "PRAGMA secure_delete = ON");
    if (m_options.maxPages > 0)
        m_db->Exec("PRAGMA max_page_count = " + std::to_string(m_options.maxPages));
}

// A delete only marks a row's words gone, in a newer segment of the word index; merging the
// segments leaves them out of the file. Merging the whole index takes seconds for a big history,
// so after a delete it goes a step at a time: a negative count starts a merge of every segment, a
// positive one carries it on.
void CHistoryStore::Merge(int pages) {
    m_db->Exec("INSERT INTO batch_words(batch_words, rank) VALUES ('merge', " +
               std::to_string(pages) + ")");
}

void CHistoryStore::RemoveExpired() {
    if (m_options.keepDays == HistoryOptions::kKeepAll)
        return;
    if (m_options.keepDays == 0) {
        if (m_db->QueryInt("SELECT EXISTS(SELECT 1 FROM batch)") != 0)
            Clear();
        return;
    }
    auto remove = m_db->Prepare("DELETE FROM batch WHERE sent_at < ?1");
    CSqliteTransaction transaction(*m_db);
    remove.Bind(1, NowMilliseconds() - m_options.keepDays * kMillisecondsPerDay).Run();
    if (m_db->Changes() > 0)
        Merge(-m_options.mergePages);  // carried on after the open, as after a delete
    transaction.Commit();
}

HistoryStatus CHistoryStore::Restart(const std::string& why) {
    m_statements.reset();
    m_db.reset();  // the lock stays held: no other copy may start on the fresh file
    std::fprintf(stderr, "history: %s is damaged (%s)\n", m_file.c_str(), why.c_str());
    const fs::path aside = MoveDamagedAside(m_file);
    if (aside.empty())
        return Fail(HistoryStatus::CannotOpen, "damaged and cannot be moved aside: " + why);
    try {
        if (!CreatePrivately(m_file))
            return Fail(HistoryStatus::CannotOpen, std::strerror(errno));
        OpenDatabase();
    } catch (const CSqliteError& error) {
        return Fail(HistoryStatus::CannotOpen, error.what());
    }
    ++m_restarts;
    m_status = HistoryStatus::Restarted;
    m_notice = HistoryNotice{HistoryStatus::Restarted, aside, why};
    return m_status;
}

template <typename F>
bool CHistoryStore::Guard(const char* what, F&& operation) {
    if (!m_db)
        return false;
    try {
        operation();
        return true;
    } catch (const CSqliteError& error) {
        std::fprintf(stderr, "history: cannot %s: %s\n", what, error.what());
        if (error.IsDamage() && !m_options.reader)
            Restart(error.what());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "history: cannot %s: %s\n", what, error.what());
    }
    return false;
}

std::int64_t CHistoryStore::RecordBatch(const HistoryBatchRecord& batch) {
    if (m_status == HistoryStatus::Off || batch.parts.empty())
        return 0;
    std::int64_t id = 0;
    const auto record = [&] { id = InsertBatch(batch); };
    // Damage found on the way started a fresh file: the batch goes there.
    const int restarts = m_restarts;
    if (!Guard("record a batch", record) && m_restarts != restarts)
        Guard("record a batch", record);
    return id;
}

std::int64_t CHistoryStore::InsertBatch(const HistoryBatchRecord& batch) {
    const std::vector<HistoryRecipient> recipients = FoldParts(batch.parts);
    const auto failed = std::count_if(recipients.begin(), recipients.end(),
                                      [](const HistoryRecipient& r) { return r.Failed(); });
    CSqliteTransaction transaction(*m_db);
    m_statements->insertBatch.Bind(1, batch.sentAt)
        .Bind(2, ToUtf8(batch.route))
        .Bind(3, batch.messageUtf8)
        .Bind(4, ToUtf8(batch.senderName))
        .Bind(5, ToUtf8(batch.replyNumber))
        .Bind(6, ToUtf8(batch.replyEmail))
        .Bind(7, failed)
        .Run();
    const std::int64_t batchId = m_db->LastInsertRowId();
    InsertReferences(batch, InsertRecipients(batchId, recipients));
    m_statements->insertWords.Bind(1, batchId)
        .Bind(2, batch.messageUtf8)
        .Bind(3, People(recipients))
        .Run();
    transaction.Commit();
    return batchId;
}

std::map<std::string, std::int64_t> CHistoryStore::InsertRecipients(
    std::int64_t batchId, const std::vector<HistoryRecipient>& recipients) {
    CSqliteStatement& insert = m_statements->insertRecipient;
    std::map<std::string, std::int64_t> idByNumber;
    for (const HistoryRecipient& r : recipients) {
        insert.Bind(1, batchId)
            .Bind(2, ToUtf8(r.name))
            .Bind(3, ToUtf8(r.number))
            .Bind(4, ToUtf8(r.carrier))
            .Bind(5, r.parts)
            .Bind(6, r.result)
            .Bind(7, ToUtf8(r.resultText))
            .BindOptional(8, r.messageId)
            .Run();
        idByNumber[r.number] = m_db->LastInsertRowId();
    }
    return idByNumber;
}

// Every part's message id, so that a delivery report for any part finds its recipient.
void CHistoryStore::InsertReferences(const HistoryBatchRecord& batch,
                                     const std::map<std::string, std::int64_t>& idByNumber) {
    CSqliteStatement& insert = m_statements->insertReference;
    for (const HistoryPart& part : batch.parts) {
        if (part.messageId)
            insert.Bind(1, ToUtf8(batch.route))
                .Bind(2, *part.messageId)
                .Bind(3, idByNumber.at(part.number))
                .Run();
    }
}

bool CHistoryStore::UpdateDelivery(const std::string& route, const std::string& messageId,
                                   DeliveryState state, std::int64_t at) {
    if (m_status == HistoryStatus::Off)
        return false;
    int changed = 0;
    const bool ok = Guard("record a delivery report", [&] {
        CSqliteTransaction transaction(*m_db);
        m_statements->updateDelivery.Bind(1, ToUtf8(route))
            .Bind(2, messageId)
            .Bind(3, static_cast<std::int64_t>(state))
            .Bind(4, at)
            .Run();
        changed = m_db->Changes();
        transaction.Commit();
    });
    return ok && changed > 0;
}

bool CHistoryStore::DeleteBatches(const std::vector<std::int64_t>& ids) {
    return Guard("delete batches", [&] {
        CSqliteStatement& remove = m_statements->deleteBatch;
        CSqliteTransaction transaction(*m_db);
        for (std::int64_t id : ids) remove.Bind(1, id).Run();
        Merge(-m_options.mergePages);
        transaction.Commit();
        m_wordsToMerge = true;
    });
}

bool CHistoryStore::MergeDeletedWords() {
    if (!m_wordsToMerge)
        return false;
    const bool ok = Guard("merge the word index", [&] {
        const std::int64_t before = m_db->QueryInt("SELECT total_changes()");
        Merge(m_options.mergePages);
        // Less than two changes: the merge found nothing left to do.
        m_wordsToMerge = m_db->QueryInt("SELECT total_changes()") - before >= 2;
    });
    m_wordsToMerge = ok && m_wordsToMerge;
    return m_wordsToMerge;
}

bool CHistoryStore::ClearAll() {
    return Guard("clear the history", [&] { Clear(); });
}

void CHistoryStore::Clear() {
    {
        CSqliteTransaction transaction(*m_db);
        m_db->Exec(
            "DELETE FROM message_ref; DELETE FROM recipient; DELETE FROM batch;"
            // Merging drops the deleted messages' words from the index's segments too.
            "INSERT INTO batch_words(batch_words) VALUES ('optimize');");
        transaction.Commit();
    }
    m_wordsToMerge = false;
    // secure_delete zeroed the freed pages; VACUUM rebuilds the file without them, and the
    // checkpoint empties the journal, which still holds the old pages.
    m_db->Exec("VACUUM; PRAGMA wal_checkpoint(TRUNCATE)");
}

std::vector<HistoryRecipient> CHistoryStore::ReadRecipients(std::int64_t batchId) {
    std::vector<HistoryRecipient> recipients;
    CSqliteStatement& read = m_statements->recipients;
    read.Bind(1, batchId);
    while (read.Step()) {
        HistoryRecipient r;
        r.id = read.Int(0);
        r.name = FromUtf8(read.Text(1));
        r.number = FromUtf8(read.Text(2));
        r.carrier = FromUtf8(read.Text(3));
        r.parts = static_cast<std::int32_t>(read.Int(4));
        r.result = static_cast<std::int32_t>(read.Int(5));
        r.resultText = FromUtf8(read.Text(6));
        if (!read.IsNull(7))
            r.messageId = read.Text(7);
        r.state = static_cast<DeliveryState>(read.Int(8));
        r.stateAt = read.Int(9);
        recipients.push_back(std::move(r));
    }
    read.Reset();
    return recipients;
}

std::vector<HistoryBatch> CHistoryStore::Page(const HistoryQuery& query) {
    std::vector<HistoryBatch> page;
    const std::string match = HistoryMatchExpression(query.searchUtf8);
    Guard("read the history", [&] {
        CSqliteStatement& read = m_statements->PageFor(!match.empty(), query.failuresOnly);
        read.Bind(1, query.before > 0 ? query.before : std::numeric_limits<std::int64_t>::max())
            .Bind(2, query.limit);
        if (!match.empty())
            read.Bind(3, match);
        while (read.Step()) {
            HistoryBatch batch;
            batch.id = read.Int(0);
            batch.sentAt = read.Int(1);
            batch.route = FromUtf8(read.Text(2));
            batch.firstLineUtf8 = FirstLine(read.Text(3));
            page.push_back(std::move(batch));
        }
        read.Reset();
        for (HistoryBatch& batch : page) {
            batch.recipients = ReadRecipients(batch.id);
            for (const HistoryRecipient& r : batch.recipients)
                ++(r.Failed() ? batch.failedCount : batch.sentCount);
        }
    });
    return page;
}

std::vector<HistoryRecipient> CHistoryStore::Recipients(std::int64_t batchId) {
    std::vector<HistoryRecipient> recipients;
    Guard("read the history", [&] { recipients = ReadRecipients(batchId); });
    return recipients;
}

std::optional<HistoryResend> CHistoryStore::FailedRecipients(std::int64_t batchId) {
    std::optional<HistoryResend> resend;
    Guard("read the history", [&] {
        CSqliteStatement& read = m_statements->batchMessage;
        read.Bind(1, batchId);
        if (read.Step())
            resend = HistoryResend{read.Text(0), {}};
        read.Reset();
        if (!resend)
            return;
        for (HistoryRecipient& r : ReadRecipients(batchId))
            if (r.Failed())
                resend->failed.push_back(std::move(r));
    });
    return resend;
}
