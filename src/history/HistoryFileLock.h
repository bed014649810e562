#pragma once
// The history's writer lock: an exclusive flock on a small file beside the database, held for as
// long as the writer is open, so that a second running copy of the program sees it taken and
// leaves the history alone instead of writing beside the first. It is a file of its own because
// closing any descriptor of the database file would drop SQLite's own POSIX locks on it, the
// readers' included.

#include <filesystem>
#include <string>

class CHistoryFileLock {
public:
    enum class State { Held, TakenByAnother, Failed };

    // Locks "<database>.lock", creating it with mode 0600.
    explicit CHistoryFileLock(const std::filesystem::path& database);
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

// Makes sure the database file exists and only its owner can read it, before SQLite opens it
// (the journal files SQLite adds take the same mode). False, with errno set, when it cannot.
bool CreatePrivately(const std::filesystem::path& file);

// Renames a damaged database (and its journal files) to "<name>.damaged-<UTC time>" beside it;
// returns the new name of the database, or an empty path when it could not be moved.
std::filesystem::path MoveDamagedAside(const std::filesystem::path& file);
