#include "carrier-lab/LabTypes.h"

#include <charconv>

namespace lab {

int IntegerParam(const std::map<std::string, std::string>& params, const char* name, int fallback) {
    const auto it = params.find(name);
    if (it == params.end())
        return fallback;
    int value = 0;
    const std::string& text = it->second;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        throw LabError(std::string(name) + " is not a number: " + text);
    return value;
}

std::string SiteName(int carrier) {
    static const char* const kNames[] = {"",       "alltel", "att",     "boost",      "cingular",
                                         "nextel", "sprint", "tmobile", "uscellular", "verizon"};
    return carrier >= 1 && carrier <= 9 ? kNames[carrier] : "";
}

}  // namespace lab
