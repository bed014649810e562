#include "service/Upgrade.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <memory>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "base/Paths.h"
#include "base/Shutdown.h"
#include "net/Download.h"
#include "res/StringTable.h"
#include "runtime/PostToTarget.h"
#include "runtime/UiServices.h"
#include "runtime/WindowEndpoint.h"
#include "service/UpgradeSignature.h"
#include "storage/AppSettings.h"

namespace fs = std::filesystem;
using std::chrono::milliseconds;

namespace {

constexpr int kStatusOk = 200;
// Larger answers are not an installer of this program (and must not fill the disk).
constexpr std::uint64_t kMaxInstallerBytes = 256ull * 1024 * 1024;
constexpr std::size_t kMaxSignatureBytes = 4096;

// The installer while it arrives: a temporary file beside the target, which becomes the target
// only once it is complete, on disk and executable. Until then a failure removes it, so no half
// file is ever left where a later attempt, or the user, could start it.
class InstallerFile {
public:
    explicit InstallerFile(const fs::path& target) : m_target(target) {
        std::string name =
            (target.parent_path() / (target.filename().string() + ".XXXXXX")).string();
        m_fd = ::mkstemp(name.data());
        if (m_fd >= 0)
            m_temporary = name;
    }
    ~InstallerFile() {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_temporary.empty()) {
            std::error_code ec;
            fs::remove(m_temporary, ec);
        }
    }
    InstallerFile(const InstallerFile&) = delete;
    InstallerFile& operator=(const InstallerFile&) = delete;

    bool IsOpen() const { return m_fd >= 0; }

    bool Write(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return true;
    }

    // Everything written, flushed to the disk, read back for the signature check.
    bool Finish(std::string& contents) {
        if (::fsync(m_fd) != 0 || ::lseek(m_fd, 0, SEEK_SET) != 0)
            return false;
        contents.clear();
        std::vector<char> buffer(64 * 1024);
        for (;;) {
            const ssize_t count = ::read(m_fd, buffer.data(), buffer.size());
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0)
                return false;
            if (count == 0)
                break;
            contents.append(buffer.data(), static_cast<std::size_t>(count));
        }
        return ::fchmod(m_fd, S_IRWXU) == 0;
    }

    // Replaces the target with the complete file.
    bool Commit() {
        const int fd = std::exchange(m_fd, -1);
        if (::close(fd) != 0)
            return false;
        std::error_code ec;
        fs::rename(m_temporary, m_target, ec);
        if (ec)
            return false;
        m_temporary.clear();
        return true;
    }

private:
    fs::path m_target;
    fs::path m_temporary;
    int m_fd = -1;
};

// The signature file beside the installer, held in memory; nothing when it cannot be read.
std::optional<std::string> FetchSignature(const DownloadLocation& location,
                                          std::function<bool()> cancelled) {
    std::string signature;
    int status = 0;
    DownloadEvents events;
    events.cancelled = std::move(cancelled);
    events.onStatus = [&status](int s) {
        status = s;
        return s == kStatusOk;
    };
    events.onChunk = [&signature](std::string_view chunk) {
        signature.append(chunk);
        return signature.size() <= kMaxSignatureBytes;
    };
    if (Download(location.host, location.path + ".sig", events) != 0 || status != kStatusOk)
        return std::nullopt;
    return signature;
}

void Pause(milliseconds duration) {
    SleepUnlessShutdown(duration);
}

}  // namespace

DownloadLocation SplitDownloadLocation(const std::string& location) {
    const std::size_t slash = location.find('/');
    if (slash == std::string::npos)
        return {"", location};
    return {location.substr(0, slash), location.substr(slash)};
}

bool CUpgrade::Cancelled() const {
    auto window = m_window.lock();
    return !window || !window->IsOpen();
}

void CUpgrade::Status(const std::string& text, bool final) const {
    if (auto window = m_window.lock())
        window->Send(Message{WM_APP_UPGRADE_STATUS, text, final ? 1 : 0});
}

CUpgrade::Fetched CUpgrade::FetchInstaller(const DownloadLocation& location,
                                           const fs::path& target) {
    std::unique_ptr<InstallerFile> file;
    std::uint64_t total = 0;
    DownloadEvents events;
    events.onStatus = [&](int status) {
        m_status = status;
        if (status != kStatusOk)
            return false;
        file = std::make_unique<InstallerFile>(target);
        if (!file->IsOpen())
            return false;
        Status("Downloading Upgrade...");
        return true;
    };
    events.onChunk = [&](std::string_view chunk) {
        total += chunk.size();
        if (total > kMaxInstallerBytes || !file->Write(chunk))
            return false;
        Status("Downloading Upgrade " + std::to_string(total / 1024) + " KB");
        return true;
    };
    events.cancelled = [this] { return Cancelled(); };
    const std::uint32_t error = Download(location.host, location.path, events);
    if (m_status != 0 && m_status != kStatusOk)
        return Fetched::BadStatus;
    // An empty answer, a cut or short body, a write that failed: not an installer.
    std::string contents;
    if (error != 0 || !file || total == 0 || !file->Finish(contents))
        return Fetched::Failed;
    const auto signature = FetchSignature(location, events.cancelled);
    if (!signature ||
        !VerifyUpgradeSignature(contents, *signature, LoadString(IDS_UPGRADE_PUBLIC_KEY))) {
        return Fetched::Failed;
    }
    return file->Commit() ? Fetched::Complete : Fetched::Failed;
}

void CUpgrade::Run() {
    Status("Connecting...");
    Pause(milliseconds(350));
    if (Cancelled())
        return;
    const DownloadLocation location = SplitDownloadLocation(AppSettings().SiteInfo().DownloadUrl);
    const fs::path target = DataDirectory(AppSettings().ExeDirectory) / kInstallerFileName;

    switch (FetchInstaller(location, target)) {
        case Fetched::BadStatus:
            Status("Download Failed : " + std::to_string(m_status), true);
            return;
        case Fetched::Failed:
            Status("The Upgrade Failed.", true);
            return;
        case Fetched::Complete:
            break;
    }
    Status("DownloadComplete!");
    Pause(milliseconds(500));
    Status("Starting Installation...");
    Pause(milliseconds(500));

    std::error_code ec;
    // Closed meanwhile: the user said stop, and no runnable file stays behind.
    if (Cancelled()) {
        fs::remove(target, ec);
        return;
    }
    const fs::path directory = fs::current_path(ec);
    if (!UiServices()->StartProcess(target, {"/SILENT"}, directory)) {
        Status("Unable to Launch the Installer.", true);
        return;
    }
    Status("Shutting Down...");
    Pause(milliseconds(250));
    if (auto window = m_window.lock())
        window->Send(Message{WM_APP_SHUTDOWN, {}, 0});
    Pause(milliseconds(100));
    PostToTarget(PostTarget::MainWindow, WM_APP_SHUTDOWN);
}
