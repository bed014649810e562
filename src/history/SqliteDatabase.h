#pragma once
// A thin RAII layer over one SQLite connection: every failure becomes a CSqliteError carrying
// SQLite's result code, so the store can tell a full disk from a damaged file.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

struct sqlite3;

class CSqliteError : public std::runtime_error {
public:
    CSqliteError(int code, const std::string& what) : std::runtime_error(what), m_code(code) {}
    // The primary result code (SQLITE_FULL, SQLITE_CORRUPT, ...), extended bits removed.
    int Code() const { return m_code & 0xFF; }
    bool IsDamage() const;
    bool IsBusy() const;

private:
    int m_code;
};

class CSqliteStatement;

class CSqliteDatabase {
public:
    enum class Mode { ReadWrite, ReadOnly };
    // Opens (ReadWrite: creating) the file. Throws CSqliteError.
    CSqliteDatabase(const std::filesystem::path& file, Mode mode);
    ~CSqliteDatabase();
    CSqliteDatabase(const CSqliteDatabase&) = delete;
    CSqliteDatabase& operator=(const CSqliteDatabase&) = delete;

    // Runs one or more statements without results.
    void Exec(const std::string& sql);
    CSqliteStatement Prepare(const std::string& sql);
    // The single integer a statement such as "PRAGMA user_version" answers.
    std::int64_t QueryInt(const std::string& sql);
    std::int64_t LastInsertRowId() const;
    int Changes() const;
    sqlite3* Handle() const { return m_db.get(); }

    [[noreturn]] void Fail(int code, const std::string& what) const;

private:
    struct CloseDb {
        void operator()(sqlite3* db) const;
    };
    std::unique_ptr<sqlite3, CloseDb> m_db;
};

// One transaction: rolled back unless Commit() went through.
class CSqliteTransaction {
public:
    explicit CSqliteTransaction(CSqliteDatabase& db);
    ~CSqliteTransaction();
    CSqliteTransaction(const CSqliteTransaction&) = delete;
    CSqliteTransaction& operator=(const CSqliteTransaction&) = delete;
    void Commit();

private:
    CSqliteDatabase& m_db;
    bool m_open = true;
};
