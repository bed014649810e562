#pragma once
// Settings for a benchmark that opens the main window: the defaults, and a folder of its own in
// /tmp for the settings file the window writes as it closes; the folder goes with this object.

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "storage/AppSettings.h"

class BenchSettings {
public:
    BenchSettings() {
        std::string folder = "/tmp/quillo-bench-XXXXXX";
        if (::mkdtemp(folder.data()) != nullptr)
            m_dir = folder;
        AppSettings().ApplyDefaults();
        AppSettings().ExeDirectory = m_dir / "";
    }
    ~BenchSettings() {
        std::error_code ec;
        if (!m_dir.empty())
            std::filesystem::remove_all(m_dir, ec);
    }
    BenchSettings(const BenchSettings&) = delete;
    BenchSettings& operator=(const BenchSettings&) = delete;

    bool Ready() const { return !m_dir.empty(); }
    const std::filesystem::path& Dir() const { return m_dir; }

private:
    std::filesystem::path m_dir;
};
