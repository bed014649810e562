// The maker's home page as anyone could serve it: a key (up to the first NUL byte of the input)
// is looked up in the page (the rest), and all six values are read from it.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "service/SiteInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    const std::string key = input.substr(0, nul);
    const std::string page = nul == std::string::npos ? std::string() : input.substr(nul + 1);
    const CSiteInfo site(page);

    std::string value = "untouched";
    if (site.Lookup(key, value)) {
        // A value is a piece of the page that stops before the comment's end.
        FUZZ_CHECK(page.find(value) != std::string::npos);
        FUZZ_CHECK(value.find("-->") == std::string::npos);
    } else {
        FUZZ_CHECK(value == "untouched");
    }
    ReadSiteInfoValues(site);
    return 0;
}
