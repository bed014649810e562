// Feeds arbitrary bytes to the settings loader as the contents of "Quillo.bin". A damaged file
// may only end in CArchiveException; anything else (a crash, a sanitizer report, another
// exception such as bad_alloc) is a finding.

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
        LoadSettingsFile(std::string_view(reinterpret_cast<const char*>(data), size), settings);
    } catch (const CArchiveException&) {
    }
    return 0;
}
