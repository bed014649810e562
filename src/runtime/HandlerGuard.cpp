#include "runtime/HandlerGuard.h"

#include <cstdio>

const char* CurrentExceptionText() noexcept {
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an exception of unknown type";
    }
}

void ReportFailedHandler(const char* where, std::uint32_t id) noexcept {
    std::fprintf(stderr, "Quillo: %s: the handler of message 0x%X failed: %s\n", where,
                 static_cast<unsigned>(id), CurrentExceptionText());
}
