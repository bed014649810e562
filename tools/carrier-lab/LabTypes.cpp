#include "carrier-lab/LabTypes.h"

namespace lab {

std::string SiteName(int carrier) {
    static const char* const kNames[] = {"",       "alltel", "att",     "boost",      "cingular",
                                         "nextel", "sprint", "tmobile", "uscellular", "verizon"};
    return carrier >= 1 && carrier <= 9 ? kNames[carrier] : "";
}

}  // namespace lab
