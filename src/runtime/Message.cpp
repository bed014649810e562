#include "runtime/Message.h"

#include <cstdio>

void ReportWrongPayload(std::uint32_t id, const char* expected) noexcept {
    std::fprintf(stderr, "Quillo: message 0x%04X came without its payload (%s); dropped\n",
                 static_cast<unsigned>(id), expected);
}
