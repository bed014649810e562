#pragma once
// The inspection API under /lab/ on the plain port: JSON for tests and people.

#include "carrier-lab/LabHosts.h"
#include "carrier-lab/LabServer.h"
#include "carrier-lab/SiteRequest.h"

namespace lab {

bool IsLabApiPath(const std::string& path);

// Parameters come from the query and from a form body, decoded leniently (curl -d works).
SiteReply ServeLabApi(LabServer& lab, const LabHosts& hosts, const SiteRequest& request);

// "status", "empty", "delay", "drop", "client-cert".
std::string FaultKindName(FaultKind kind);
// The fault as one short text, e.g. "status 503" or "delay 200 ms".
std::string DescribeFault(const Fault& fault);

}  // namespace lab
