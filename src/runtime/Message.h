#pragma once
// An application message as a value. The payload travels with the message and belongs to
// whoever holds the message; a message that cannot be delivered takes its payload with it.
// The payload is type-erased so that this bottom layer need not know the records of the layers
// above it (jobs, reports, contacts); each handler asks for the record it expects.

#include <any>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <typeinfo>

#include "runtime/MessageIds.h"

class CWindowEndpoint;
using WindowRef = std::weak_ptr<CWindowEndpoint>;  // WM_APP_UPGRADE: the window to report to

class Payload {
public:
    Payload() = default;
    Payload(const char* text) : m_value(std::string(text)) {}  // a text is always std::string
    template <class T, class = std::enable_if_t<!std::is_same_v<std::decay_t<T>, Payload> &&
                                                !std::is_pointer_v<std::decay_t<T>>>>
    Payload(T&& value) : m_value(std::forward<T>(value)) {}

    bool HasValue() const noexcept { return m_value.has_value(); }

    // The payload as T, or null when it holds something else.
    template <class T>
    T* Get() noexcept {
        return std::any_cast<T>(&m_value);
    }

private:
    std::any m_value;
};

void ReportWrongPayload(std::uint32_t id, const char* expected) noexcept;

struct Message {
    std::uint32_t id = 0;
    Payload payload;
    std::intptr_t lParam = 0;

    template <class T>
    T* Get() noexcept {
        return payload.Get<T>();
    }

    // For a handler: the payload it expects, or null after saying on standard error that the
    // message came without it, which is a bug of the sender's.
    template <class T>
    T* Expect() noexcept {
        T* value = Get<T>();
        if (!value)
            ReportWrongPayload(id, typeid(T).name());
        return value;
    }
};
