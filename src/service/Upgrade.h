#pragma once
// CUpgrade: downloads the installer the maker's site names, checks that it arrived whole and is
// signed by the maker, starts it and closes the program. Every step is shown in the window that
// asked for it (WM_APP_UPGRADE_STATUS, sent and waited for); once that window has closed, the
// upgrade is cancelled: the transfer stops, nothing is started and no installer is left.

#include <cstdint>
#include <filesystem>
#include <string>

#include "runtime/Message.h"

// The download location read as a host name followed directly by a path: the text before the
// first "/" and the text from it. Without a "/" the host is empty.
struct DownloadLocation {
    std::string host;
    std::string path;
};
DownloadLocation SplitDownloadLocation(const std::string& location);

// The installer's file name in the program's data folder.
inline constexpr const char* kInstallerFileName = "QuilloUpgrade.exe";

class CUpgrade {
public:
    explicit CUpgrade(WindowRef window) : m_window(std::move(window)) {}

    // The whole upgrade, on the calling (core) thread. Returns when it failed, or once the
    // installer runs and both windows have been told to close.
    void Run();

private:
    enum class Fetched { Complete, BadStatus, Failed };

    Fetched FetchInstaller(const DownloadLocation& location, const std::filesystem::path& target);
    void Status(const std::string& text, bool final = false) const;
    bool Cancelled() const;

    WindowRef m_window;
    int m_status = 0;  // of the installer's answer
};
