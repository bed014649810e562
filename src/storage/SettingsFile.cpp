#include "storage/SettingsFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "storage/ArchiveException.h"

namespace fs = std::filesystem;

namespace {

class CFileDescriptor {
public:
    explicit CFileDescriptor(int fd) : m_fd(fd) {}
    ~CFileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now so that a failing close (a delayed write error) can be seen.
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

[[noreturn]] void FileError(const std::string& what, const fs::path& path, int error) {
    throw CArchiveException(CArchiveException::Cause::FileError,
                            what + " " + path.string() + ": " + std::strerror(error));
}

// Removes the pending file unless the replacement went through.
class CPendingFile {
public:
    explicit CPendingFile(fs::path path) : m_path(std::move(path)) {}
    ~CPendingFile() {
        if (!m_committed)
            ::unlink(m_path.c_str());
    }
    CPendingFile(const CPendingFile&) = delete;
    CPendingFile& operator=(const CPendingFile&) = delete;

    const fs::path& path() const { return m_path; }
    void Commit() { m_committed = true; }

private:
    fs::path m_path;
    bool m_committed = false;
};

void WriteAll(int fd, std::string_view bytes, const fs::path& path) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            FileError("cannot write", path, errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void SyncDirectory(const fs::path& directory) {
    // Makes the rename itself durable; a folder that cannot be opened or synced changes nothing.
    CFileDescriptor dir(
        ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        ::fsync(dir.get());
}

}  // namespace

std::string ReadWholeFile(const fs::path& path) {
    CFileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid())
        FileError("cannot open", path, errno);
    std::string bytes;
    struct stat info {};
    if (::fstat(file.get(), &info) == 0 && info.st_size > 0) {
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    }
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), chunk, sizeof chunk);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            FileError("cannot read", path, errno);
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    return bytes;
}

fs::path PendingFilePath(const fs::path& target) {
    // One name per process: only the user-interface thread saves, and a file left by a crash
    // under the same name is simply overwritten.
    fs::path pending = target;
    pending += ".";
    pending += std::to_string(::getpid());
    pending += ".new";
    return pending;
}

void RemoveStalePendingFiles(const fs::path& target) {
    // "<name>.<pid>.new" of a process that no longer runs: a save that was killed half-way.
    const std::string prefix = target.filename().string() + ".";
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(target.parent_path(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= prefix.size() + 4 || name.rfind(prefix, 0) != 0 ||
            !name.ends_with(".new"))
            continue;
        const std::string pid = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        if (pid.empty() || pid.size() > 9 || !std::all_of(pid.begin(), pid.end(), ::isdigit))
            continue;
        if (::kill(static_cast<pid_t>(std::stol(pid)), 0) != 0 && errno == ESRCH)
            fs::remove(entry.path(), ec);
    }
}

void ReplaceFileAtomically(const fs::path& requested, std::string_view bytes, int mode) {
    fs::path target = requested;
    std::error_code ec;
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::canonical(target, ec);
        if (!ec)
            target = resolved;
    }

    RemoveStalePendingFiles(target);
    CPendingFile pending(PendingFilePath(target));
    CFileDescriptor file(::open(pending.path().c_str(),
                                O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666));
    if (!file.valid())
        FileError("cannot create", pending.path(), errno);

    // The replacement keeps the permissions the user gave the old file.
    struct stat old {};
    if (mode >= 0) {
        ::fchmod(file.get(), static_cast<mode_t>(mode));
    } else if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(file.get(), old.st_mode & 07777);
    }

    WriteAll(file.get(), bytes, pending.path());
    if (::fsync(file.get()) != 0)
        FileError("cannot flush", pending.path(), errno);
    if (!file.Close())
        FileError("cannot close", pending.path(), errno);
    if (::rename(pending.path().c_str(), target.c_str()) != 0) {
        FileError("cannot replace", target, errno);
    }
    pending.Commit();
    SyncDirectory(target.parent_path());
}
