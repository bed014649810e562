#pragma once
// /lab/web: the web-service stand-ins' addresses and account, and their faults, in the JSON of
// the rest of the API.

#include <map>
#include <string>

#include "carrier-lab/LabTypes.h"
#include "carrier-lab/SiteRequest.h"

namespace lab {

class WebServices;

bool IsWebApiPath(const std::string& path);

// GET /lab/web; GET, POST (kind=refuse|invalid|busy|error|hang|not-json|redirect|huge
// &service=form|json|phone&number=&count=&retry_after=&text=&delay_ms=) and DELETE
// /lab/web/faults. Throws LabError for a bad parameter.
SiteReply ServeWebApi(WebServices& web, const LabPorts& ports, const std::string& method,
                      const std::string& path, const std::map<std::string, std::string>& params);

}  // namespace lab
