#pragma once
// A failed HTTP exchange: the platform error code or the HTTP status. An answer that failed on
// its error status keeps the page that came with it.

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

class CInternetException : public std::exception {
public:
    explicit CInternetException(std::uint32_t code) noexcept : m_code(code) {}
    // An answer with an error status and its page (which may be empty).
    CInternetException(std::uint32_t status, std::string errorPage)
        : m_code(status), m_errorPage(std::make_shared<const std::string>(std::move(errorPage))) {}

    std::uint32_t Code() const noexcept { return m_code; }
    // The error page, or null when the exchange failed before an answer was read.
    const std::string* ErrorPage() const noexcept { return m_errorPage.get(); }
    const char* what() const noexcept override { return "internet request failed"; }

private:
    std::uint32_t m_code;
    std::shared_ptr<const std::string> m_errorPage;  // shared: copying the exception cannot throw
};
