#pragma once
// The carrier routines: each delivers the first part of a job's message that its carrier's form
// takes and returns a send result code. None throws.

#include <cstdint>

#include "delivery/SendJob.h"

SendResult SendAllTel(CSendJob job);
SendResult SendAttWireless(CSendJob job);
SendResult SendBoost(CSendJob job);
SendResult SendCingular(CSendJob job);
SendResult SendNextel(CSendJob job);
SendResult SendSprint(CSendJob job);
SendResult SendTMobile(CSendJob job);
SendResult SendUsCellular(CSendJob job);
SendResult SendVerizon(CSendJob job);
