#include "runtime/HandlerGuard.h"

#include <cstdio>

void ReportFailedHandler(const char* where, std::uint32_t id) noexcept {
    std::fprintf(stderr, "Quillo: %s: the handler of message 0x%X failed: %s\n", where,
                 static_cast<unsigned>(id), CurrentExceptionText());
}
