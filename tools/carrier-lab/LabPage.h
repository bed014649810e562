#pragma once
// The lab's own page at "/": what every phone received, the request log, the counter and the
// installer's runs, for a person watching a send arrive. It reads what the JSON API reads.

#include <string>

#include "carrier-lab/LabControl.h"

namespace lab {

// The whole page, UTF-8, every value escaped; it reloads itself every few seconds.
std::string RenderLabPage(const LabControl& lab);

}  // namespace lab
