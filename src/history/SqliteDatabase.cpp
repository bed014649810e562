#include "history/SqliteDatabase.h"

#include <sqlite3.h>

#include "history/SqliteStatement.h"

bool CSqliteError::IsDamage() const {
    return Code() == SQLITE_CORRUPT || Code() == SQLITE_NOTADB;
}

bool CSqliteError::IsBusy() const {
    return Code() == SQLITE_BUSY || Code() == SQLITE_LOCKED;
}

void CSqliteDatabase::CloseDb::operator()(sqlite3* db) const {
    sqlite3_close_v2(db);
}

CSqliteDatabase::CSqliteDatabase(const std::filesystem::path& file, Mode mode) {
    const int flags =
        mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    m_db.reset(db);  // a handle comes back even on failure and must be closed
    if (rc != SQLITE_OK)
        Fail(rc, "cannot open " + file.string());
    sqlite3_extended_result_codes(db, 1);
}

CSqliteDatabase::~CSqliteDatabase() = default;

void CSqliteDatabase::Fail(int code, const std::string& what) const {
    const char* detail = m_db ? sqlite3_errmsg(m_db.get()) : sqlite3_errstr(code);
    throw CSqliteError(code, what + ": " + detail);
}

void CSqliteDatabase::Exec(const std::string& sql) {
    const int rc = sqlite3_exec(m_db.get(), sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        Fail(rc, sql.substr(0, sql.find('\n')));
}

CSqliteStatement CSqliteDatabase::Prepare(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    const int rc = sqlite3_prepare_v3(m_db.get(), sql.c_str(), static_cast<int>(sql.size()),
                                      SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(statement);
        Fail(rc, sql.substr(0, sql.find('\n')));
    }
    return CSqliteStatement(*this, statement);
}

std::int64_t CSqliteDatabase::QueryInt(const std::string& sql) {
    CSqliteStatement statement = Prepare(sql);
    return statement.Step() ? statement.Int(0) : 0;
}

std::int64_t CSqliteDatabase::LastInsertRowId() const {
    return sqlite3_last_insert_rowid(m_db.get());
}

int CSqliteDatabase::Changes() const {
    return sqlite3_changes(m_db.get());
}

CSqliteTransaction::CSqliteTransaction(CSqliteDatabase& db) : m_db(db) {
    m_db.Exec("BEGIN IMMEDIATE");
}

CSqliteTransaction::~CSqliteTransaction() {
    // A failed COMMIT may already have ended the transaction; ROLLBACK then only reports that.
    if (m_open && !sqlite3_get_autocommit(m_db.Handle()))
        sqlite3_exec(m_db.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void CSqliteTransaction::Commit() {
    m_db.Exec("COMMIT");
    m_open = false;
}
