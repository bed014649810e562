#pragma once
// Message handlers run behind a guard: one that throws is reported on standard error with the
// message id, and the loop that called it goes on with the next message.

#include <cstdint>
#include <exception>

#include "base/CaughtException.h"

// Writes "Quillo: <where>: the handler of message 0x8006 failed: <what>" for the exception
// being handled. Call it only inside a catch block.
void ReportFailedHandler(const char* where, std::uint32_t id) noexcept;

// Runs `handler`; true when it returned, false when it threw (and was reported).
template <class F>
bool RunGuarded(const char* where, std::uint32_t id, F&& handler) noexcept {
    try {
        handler();
        return true;
    } catch (...) {
        ReportFailedHandler(where, id);
        return false;
    }
}
