#pragma once
// The history file's own lock: the writer holds an exclusive flock on the database file for as
// long as it is open, so a second running copy of the program sees it taken and leaves the
// history alone instead of writing beside the first one. (flock and SQLite's own POSIX locks do
// not interfere on Linux.) Opening creates the file with mode 0600, before SQLite sees it; the
// journal files SQLite adds take the same mode.

#include <filesystem>
#include <string>

class CHistoryFileLock {
public:
    enum class State { Held, TakenByAnother, Failed };

    explicit CHistoryFileLock(const std::filesystem::path& file);
    ~CHistoryFileLock();
    CHistoryFileLock(const CHistoryFileLock&) = delete;
    CHistoryFileLock& operator=(const CHistoryFileLock&) = delete;

    State state() const { return m_state; }
    const std::string& error() const { return m_error; }

private:
    int m_fd = -1;
    State m_state = State::Failed;
    std::string m_error;
};

// Renames a damaged database (and its journal files) to "<name>.damaged-<UTC time>" beside it;
// returns the new name of the database, or an empty path when it could not be moved.
std::filesystem::path MoveDamagedAside(const std::filesystem::path& file);
