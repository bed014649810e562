#pragma once
// CStreamReader: reads a settings stream from memory. Every length and count is checked against
// the bytes that remain, so a damaged stream throws CArchiveException (Damaged) before anything
// large is allocated.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "contacts/Contact.h"

class CStreamReader {
public:
    explicit CStreamReader(std::string_view bytes) : m_bytes(bytes) {}

    std::int32_t ReadInt32();
    std::uint32_t ReadUInt32();
    std::string_view ReadBytes(std::size_t count);
    // A text ends at its first zero byte, if it has one.
    std::string ReadText();
    // Append each item as it is read, so a list cut short keeps the items before the cut.
    void ReadTextList(std::vector<std::string>& list);
    void ReadContactList(AddressBook& book);

    std::size_t Remaining() const { return m_bytes.size() - m_pos; }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};
