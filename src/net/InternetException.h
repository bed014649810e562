#pragma once
// A failed HTTP exchange: the platform error code or the HTTP status.

#include <cstdint>
#include <exception>

class CInternetException : public std::exception {
public:
    explicit CInternetException(std::uint32_t code) noexcept : m_code(code) {}
    std::uint32_t Code() const noexcept { return m_code; }
    const char* what() const noexcept override { return "internet request failed"; }

private:
    std::uint32_t m_code;
};
