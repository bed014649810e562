#include "history/HistoryFileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <system_error>

namespace fs = std::filesystem;

CHistoryFileLock::CHistoryFileLock(const fs::path& database) {
    fs::path lock = database;
    lock += ".lock";
    m_fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (m_fd < 0) {
        m_error = std::strerror(errno);
        return;
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
        m_state = State::Held;
    } else {
        m_state = errno == EWOULDBLOCK ? State::TakenByAnother : State::Failed;
        m_error = std::strerror(errno);
    }
}

CHistoryFileLock::~CHistoryFileLock() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool CreatePrivately(const fs::path& file) {
    // O_EXCL: an existing file is never opened here, as closing that descriptor would drop the
    // locks a reader of this process holds on it.
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd >= 0)
        return ::close(fd) == 0;
    // An older file made with a wider mode is narrowed too: it holds private messages.
    return errno == EEXIST && ::chmod(file.c_str(), S_IRUSR | S_IWUSR) == 0;
}

namespace {

std::string UtcStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &utc);
    return stamp;
}

}  // namespace

fs::path MoveDamagedAside(const fs::path& file) {
    std::error_code error;
    fs::path aside = file;
    aside += ".damaged-" + UtcStamp();
    for (int n = 2; fs::exists(aside, error); ++n) {
        aside = file;
        aside += ".damaged-" + UtcStamp() + "-" + std::to_string(n);
    }
    fs::rename(file, aside, error);
    if (error)
        return {};
    for (const char* journal : {"-wal", "-journal"}) {
        fs::path from = file;
        from += journal;
        fs::path to = aside;
        to += journal;
        fs::rename(from, to, error);  // absent is fine
    }
    fs::path shm = file;
    shm += "-shm";
    fs::remove(shm, error);  // only an index into the WAL; rebuilt from it
    return aside;
}
