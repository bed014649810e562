#include "base/Paths.h"

#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <system_error>

namespace fs = std::filesystem;

fs::path FindExeDirectory() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || !exe.has_parent_path())
        return {};
    return exe.parent_path() / "";
}

fs::path UserDataDirectory() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    fs::path base;
    if (xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        base = fs::path(home) / ".local" / "share";
    } else {
        base = fs::temp_directory_path();
    }
    return base / "quillo" / "";
}

bool IsInstalledCopy(const fs::path& exeDirectory) {
    // An installed program sits in <prefix>/bin beside <prefix>/share/metainfo/<id>.metainfo.xml;
    // its folder may be writable (root), but it is shared, not a portable copy's own.
    std::error_code ec;
    return fs::exists(exeDirectory / ".." / "share" / "metainfo" / (QUILLO_APP_ID ".metainfo.xml"),
                      ec);
}

fs::path DataDirectory(const fs::path& exeDirectory) {
    // Without a folder of its own the program keeps its data per user, never in whatever the
    // current folder happens to be.
    if (!exeDirectory.empty() && ::access(exeDirectory.c_str(), W_OK) == 0 &&
        !IsInstalledCopy(exeDirectory))
        return exeDirectory;
    fs::path user = UserDataDirectory();
    std::error_code ec;
    fs::create_directories(user, ec);
    return user;
}

namespace {

std::mutex g_storeMutex;
fs::path g_storeRootForTests;

}  // namespace

fs::path CertificateStoreDirectory(const std::string& storeName) {
    fs::path root;
    {
        std::lock_guard lock(g_storeMutex);
        root = g_storeRootForTests;
    }
    if (root.empty())
        root = UserDataDirectory() / "certs";
    return root / storeName / "";
}

void SetCertificateStoreRootForTests(const fs::path& root) {
    std::lock_guard lock(g_storeMutex);
    g_storeRootForTests = root;
}
