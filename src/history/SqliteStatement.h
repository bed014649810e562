#pragma once
// A prepared SQLite statement: bind by position (from 1), step, read columns (from 0).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3_stmt;
class CSqliteDatabase;

class CSqliteStatement {
public:
    CSqliteStatement(const CSqliteDatabase& db, sqlite3_stmt* statement);

    CSqliteStatement& Bind(int index, std::int64_t value);
    CSqliteStatement& Bind(int index, std::string_view text);
    CSqliteStatement& BindNull(int index);
    CSqliteStatement& BindOptional(int index, const std::optional<std::string>& text);

    // True while a row is there to read; false when the statement is done. Throws on failure.
    bool Step();
    // Runs a statement that returns no rows, then makes it ready for new bindings.
    void Run();
    void Reset();

    std::int64_t Int(int column) const;
    std::string Text(int column) const;
    bool IsNull(int column) const;

private:
    struct Finalize {
        void operator()(sqlite3_stmt* statement) const;
    };
    const CSqliteDatabase* m_db;
    std::unique_ptr<sqlite3_stmt, Finalize> m_statement;
};
