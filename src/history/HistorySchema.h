#pragma once
// The history database's schema: one migration per version, applied in order, each in its own
// transaction, the version kept in PRAGMA user_version. A migration, once released, never
// changes: files of every earlier version must keep opening.

class CSqliteDatabase;

inline constexpr int kHistorySchemaVersion = 2;

// Brings the database from its version up to `target` (the newest by default). A file of a
// newer version than this code knows is left alone: returns false. Throws CSqliteError.
bool MigrateHistory(CSqliteDatabase& db, int target = kHistorySchemaVersion);

int HistorySchemaVersion(CSqliteDatabase& db);
