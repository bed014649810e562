// Feeds arbitrary bytes to the reader of the oldest, line-based settings format on its own, the
// way the loader hands it a file. It may only stop with CArchiveException.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "storage/AppSettings.h"
#include "storage/ArchiveException.h"
#include "storage/SettingsFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CAppSettings settings;
    settings.ApplyDefaults();
    try {
        LoadLegacySettings(std::string_view(reinterpret_cast<const char*>(data), size), settings);
    } catch (const CArchiveException&) {
    }
    return 0;
}
