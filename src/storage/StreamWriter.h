#pragma once
// CStreamWriter: builds a settings stream in memory. Integers are little-endian; a text is its
// uint32 length and its bytes; a list is its uint32 count and its items.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "contacts/Contact.h"

class CStreamWriter {
public:
    void WriteInt32(std::int32_t value);
    void WriteUInt32(std::uint32_t value);
    void WriteText(std::string_view text);
    void WriteTextList(const std::vector<std::string>& list);
    // Name, Number, Carrier of each entry; AltName is not kept.
    void WriteContactList(const AddressBook& book);

    const std::string& Bytes() const { return m_bytes; }
    std::string Take() { return std::move(m_bytes); }

private:
    void WriteCount(std::size_t count);

    std::string m_bytes;
};
