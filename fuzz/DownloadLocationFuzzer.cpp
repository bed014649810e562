// The download location the maker's site names, split into host and path.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "service/Upgrade.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string location(reinterpret_cast<const char*>(data), size);
    const DownloadLocation split = SplitDownloadLocation(location);
    // Nothing is lost or added, the host holds no "/", and a path that follows a host starts
    // with its "/".
    FUZZ_CHECK(split.host + split.path == location);
    FUZZ_CHECK(split.host.find('/') == std::string::npos);
    FUZZ_CHECK(location.find('/') == std::string::npos ? split.host.empty()
                                                       : split.path.starts_with('/'));
    return 0;
}
