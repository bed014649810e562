#include "history/HistorySchema.h"

#include <array>
#include <string>

#include "history/SqliteDatabase.h"

namespace {

// Version 1: batches, their recipients, and the word index over the text and the people. Search
// as you type asks for beginnings of words: the index keeps the first 1 to 3 characters of each
// word as well, or a first letter would merge the lists of every word that has it.
constexpr const char* kVersion1 = R"sql(
CREATE TABLE batch(
  id INTEGER PRIMARY KEY,
  sent_at INTEGER NOT NULL,
  route TEXT NOT NULL,
  message TEXT NOT NULL,
  sender_name TEXT NOT NULL,
  reply_number TEXT NOT NULL,
  reply_email TEXT NOT NULL,
  failed INTEGER NOT NULL
);
CREATE INDEX batch_sent_at ON batch(sent_at);
CREATE INDEX batch_with_failures ON batch(id) WHERE failed > 0;
CREATE TABLE recipient(
  id INTEGER PRIMARY KEY,
  batch_id INTEGER NOT NULL REFERENCES batch(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  number TEXT NOT NULL,
  carrier TEXT NOT NULL,
  parts INTEGER NOT NULL,
  result INTEGER NOT NULL,
  result_text TEXT NOT NULL,
  message_id TEXT,
  state INTEGER NOT NULL DEFAULT 0,
  state_at INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX recipient_of_batch ON recipient(batch_id);
CREATE VIRTUAL TABLE batch_words USING fts5(message, people,
  tokenize = 'unicode61 remove_diacritics 2', prefix = '1 2 3');
CREATE TRIGGER batch_words_forget AFTER DELETE ON batch BEGIN
  DELETE FROM batch_words WHERE rowid = old.id;
END;
)sql";

// Version 2: every part's message id leads to its recipient, so a delivery report for any part
// of a long message finds it (version 1 kept one id per recipient).
constexpr const char* kVersion2 = R"sql(
CREATE TABLE message_ref(
  route TEXT NOT NULL,
  message_id TEXT NOT NULL,
  recipient_id INTEGER NOT NULL REFERENCES recipient(id) ON DELETE CASCADE,
  PRIMARY KEY(route, message_id)
) WITHOUT ROWID;
CREATE INDEX message_ref_of_recipient ON message_ref(recipient_id);
INSERT OR IGNORE INTO message_ref(route, message_id, recipient_id)
  SELECT batch.route, recipient.message_id, recipient.id
  FROM recipient JOIN batch ON batch.id = recipient.batch_id
  WHERE recipient.message_id IS NOT NULL;
)sql";

constexpr std::array kMigrations{kVersion1, kVersion2};
static_assert(kMigrations.size() == kHistorySchemaVersion);

}  // namespace

int HistorySchemaVersion(CSqliteDatabase& db) {
    return static_cast<int>(db.QueryInt("PRAGMA user_version"));
}

bool MigrateHistory(CSqliteDatabase& db, int target) {
    int version = HistorySchemaVersion(db);
    if (version > kHistorySchemaVersion)
        return false;
    for (; version < target; ++version) {
        CSqliteTransaction transaction(db);
        db.Exec(kMigrations[static_cast<std::size_t>(version)]);
        db.Exec("PRAGMA user_version = " + std::to_string(version + 1));
        transaction.Commit();
    }
    return true;
}
