#pragma once
// CArchiveException: why reading or writing the settings file stopped. Load and save catch it at
// the top; nothing below them reports to the user except a wrong pass phrase.

#include <stdexcept>
#include <string>

class CArchiveException : public std::runtime_error {
public:
    enum class Cause {
        Damaged,          // the bytes do not hold what they claim: stop and keep what was read
        WrongPassPhrase,  // checksum mismatch; the user has already been told
        FileError,        // the file could not be opened, read or written
    };

    CArchiveException(Cause cause, const std::string& what)
        : std::runtime_error(what), m_cause(cause) {}

    Cause cause() const noexcept { return m_cause; }

private:
    Cause m_cause;
};
