#pragma once
// What a catch block caught, told on standard error before the failure is mapped to a result:
// no exception, a bug included, goes unsaid.

#include <string_view>

// The text of the exception being handled; valid while its catch block runs.
const char* CurrentExceptionText() noexcept;

// Writes "Quillo: <where>: <what>" for the exception being handled. Call it only inside a catch
// block.
void ReportCaught(std::string_view where) noexcept;
