#include "base/CaughtException.h"

#include <cstdio>
#include <exception>

const char* CurrentExceptionText() noexcept {
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an exception of unknown type";
    }
}

void ReportCaught(std::string_view where) noexcept {
    std::fprintf(stderr, "Quillo: %.*s: %s\n", static_cast<int>(where.size()), where.data(),
                 CurrentExceptionText());
}
