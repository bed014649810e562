#pragma once
// The carrier routines: each delivers the first part of a job's message that its carrier's form
// takes and returns a send result code. None throws.

#include <cstdint>

#include "delivery/SendJob.h"

std::int32_t SendAllTel(CSendJob job);
std::int32_t SendAttWireless(CSendJob job);
std::int32_t SendBoost(CSendJob job);
std::int32_t SendCingular(CSendJob job);
std::int32_t SendNextel(CSendJob job);
std::int32_t SendSprint(CSendJob job);
std::int32_t SendTMobile(CSendJob job);
std::int32_t SendUsCellular(CSendJob job);
std::int32_t SendVerizon(CSendJob job);
