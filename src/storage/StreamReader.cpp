#include "storage/StreamReader.h"

#include <algorithm>

#include "storage/ArchiveException.h"

std::string_view CStreamReader::ReadBytes(std::size_t count) {
    if (count > Remaining()) {
        throw CArchiveException(CArchiveException::Cause::Damaged, "settings stream cut short");
    }
    std::string_view bytes = m_bytes.substr(m_pos, count);
    m_pos += count;
    return bytes;
}

std::uint32_t CStreamReader::ReadUInt32() {
    std::string_view b = ReadBytes(4);
    auto byte = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(b[i]));
    };
    return byte(0) | (byte(1) << 8) | (byte(2) << 16) | (byte(3) << 24);
}

std::int32_t CStreamReader::ReadInt32() {
    return static_cast<std::int32_t>(ReadUInt32());
}

std::string CStreamReader::ReadText() {
    std::string_view bytes = ReadBytes(ReadUInt32());
    return std::string(bytes.substr(0, std::min(bytes.size(), bytes.find('\0'))));
}

void CStreamReader::ReadTextList(std::vector<std::string>& list) {
    const std::uint32_t count = ReadUInt32();
    // Every text takes at least its 4 length bytes: never reserve more than can follow.
    list.reserve(list.size() + std::min<std::size_t>(count, Remaining() / 4));
    for (std::uint32_t i = 0; i < count; ++i) list.push_back(ReadText());
}

void CStreamReader::ReadContactList(AddressBook& book) {
    const std::uint32_t count = ReadUInt32();
    book.reserve(book.size() + std::min<std::size_t>(count, Remaining() / 12));
    for (std::uint32_t i = 0; i < count; ++i) {
        CContact contact;
        contact.Name = ReadText();
        contact.Number = ReadText();
        contact.Carrier = ReadInt32();
        book.push_back(std::move(contact));
    }
}
