#pragma once
// Choosing the carrier routine for a job, auto-detection, and queueing the rest of a long
// message.

#include <array>
#include <cstdint>

#include "contacts/Contact.h"

#include "delivery/SendJob.h"

// Runs the routine of job.carrier (1..9). Any other code sends nothing and reports
// ResultCarrierUnknown.
SendResult SendByCarrier(CSendJob job);

// The carriers auto-detection tries, in its order. The last accepts any number.
inline constexpr std::array<std::int32_t, 4> kAutoDetectCarriers = {CarrierNextel, CarrierTMobile,
                                                                   CarrierSprint, CarrierUSCellular};

// Tries the carriers that reject foreign numbers (Nextel, T-Mobile, Sprint PCS) and sets
// job.carrier to the first that accepts; then US Cellular, which accepts anything, so its
// acceptance is reported as unconfirmed and job.carrier stays 0.
SendResult SendAutoDetect(CSendJob& job);

// Queues what is left after the part the carrier took as a new job behind the waiting ones.
void QueueContinuation(CSendJob job);
