#pragma once
// The inspection API under /lab/ on the plain port: JSON for tests and people.

#include <string>

#include "carrier-lab/LabControl.h"
#include "carrier-lab/LabHosts.h"
#include "carrier-lab/SiteRequest.h"

namespace lab {

bool IsLabApiPath(const std::string& path);

// Parameters come from the query and from a form body, decoded leniently (curl -d works).
SiteReply ServeLabApi(LabControl& lab, const LabHosts& hosts, const SiteRequest& request);

}  // namespace lab
