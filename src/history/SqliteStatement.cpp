#include "history/SqliteStatement.h"

#include <sqlite3.h>

#include "history/SqliteDatabase.h"

void CSqliteStatement::Finalize::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

CSqliteStatement::CSqliteStatement(const CSqliteDatabase& db, sqlite3_stmt* statement)
    : m_db(&db), m_statement(statement) {}

CSqliteStatement& CSqliteStatement::Bind(int index, std::int64_t value) {
    const int rc = sqlite3_bind_int64(m_statement.get(), index, value);
    if (rc != SQLITE_OK)
        m_db->Fail(rc, "bind");
    return *this;
}

CSqliteStatement& CSqliteStatement::Bind(int index, std::string_view text) {
    const int rc = sqlite3_bind_text64(m_statement.get(), index, text.data(), text.size(),
                                       SQLITE_TRANSIENT, SQLITE_UTF8);
    if (rc != SQLITE_OK)
        m_db->Fail(rc, "bind");
    return *this;
}

CSqliteStatement& CSqliteStatement::BindNull(int index) {
    const int rc = sqlite3_bind_null(m_statement.get(), index);
    if (rc != SQLITE_OK)
        m_db->Fail(rc, "bind");
    return *this;
}

CSqliteStatement& CSqliteStatement::BindOptional(int index,
                                                 const std::optional<std::string>& text) {
    return text ? Bind(index, std::string_view(*text)) : BindNull(index);
}

bool CSqliteStatement::Step() {
    const int rc = sqlite3_step(m_statement.get());
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_statement.get());
    m_db->Fail(rc, sqlite3_sql(m_statement.get()));
}

void CSqliteStatement::Run() {
    Step();
    Reset();
}

void CSqliteStatement::Reset() {
    sqlite3_reset(m_statement.get());
    sqlite3_clear_bindings(m_statement.get());
}

std::int64_t CSqliteStatement::Int(int column) const {
    return sqlite3_column_int64(m_statement.get(), column);
}

std::string CSqliteStatement::Text(int column) const {
    const auto* text = sqlite3_column_text(m_statement.get(), column);
    const int size = sqlite3_column_bytes(m_statement.get(), column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size))
                : std::string();
}

bool CSqliteStatement::IsNull(int column) const {
    return sqlite3_column_type(m_statement.get(), column) == SQLITE_NULL;
}
