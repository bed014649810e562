#pragma once
// /lab/modem: the GSM modem's state and its faults, in the JSON of the rest of the API.

#include <map>
#include <string>

#include "carrier-lab/SiteRequest.h"

namespace lab {

class LabModem;

bool IsModemApiPath(const std::string& path);

// GET and POST (sim=locked|ready, before the daemon probes the modem) /lab/modem; GET, POST
// (kind=cms|sim-pin|no-answer|gone|report-failed|no-report&cms=&number=&count=) and DELETE
// /lab/modem/faults. Throws LabError for a bad parameter.
SiteReply ServeModemApi(LabModem* modem, const std::string& method, const std::string& path,
                        const std::map<std::string, std::string>& params);

}  // namespace lab
