#pragma once
// An application message as a value. The payload travels with the message and belongs to
// whoever holds the message; a message that cannot be delivered takes its payload with it.

#include <cstdint>
#include <memory>
#include <string>
#include <variant>

#include "app/MessageIds.h"
#include "contacts/Contact.h"
#include "delivery/SendFailure.h"
#include "delivery/SendJob.h"

class CWindowEndpoint;
using WindowRef = std::weak_ptr<CWindowEndpoint>;

using Payload = std::variant<std::monostate,
                             std::string,      // a number or a status text
                             CSendJob,         // WM_APP_SEND_JOB
                             QueueEntry,       // WM_APP_QUEUE_JOB
                             SendFailureList,  // WM_APP_SEND_REPORT
                             CContact,         // WM_APP_CONTACT_ADDED / _CHANGED
                             WindowRef>;       // WM_APP_UPGRADE: the window to report to

struct Message {
    std::uint32_t id = 0;
    Payload payload;
    std::intptr_t lParam = 0;

    // The payload as T, or null when it holds something else.
    template <class T>
    T* Get() noexcept {
        return std::get_if<T>(&payload);
    }
};
