#include "storage/StreamWriter.h"

#include <limits>

#include "storage/ArchiveException.h"

void CStreamWriter::WriteUInt32(std::uint32_t value) {
    const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                           static_cast<char>((value >> 16) & 0xFF),
                           static_cast<char>((value >> 24) & 0xFF)};
    m_bytes.append(bytes, sizeof bytes);
}

void CStreamWriter::WriteInt32(std::int32_t value) {
    WriteUInt32(static_cast<std::uint32_t>(value));
}

void CStreamWriter::WriteCount(std::size_t count) {
    if (count > std::numeric_limits<std::uint32_t>::max()) {
        throw CArchiveException(CArchiveException::Cause::Damaged, "too large for the stream");
    }
    WriteUInt32(static_cast<std::uint32_t>(count));
}

void CStreamWriter::WriteText(std::string_view text) {
    WriteCount(text.size());
    m_bytes.append(text);
}

void CStreamWriter::WriteTextList(const std::vector<std::string>& list) {
    WriteCount(list.size());
    for (const auto& text : list) WriteText(text);
}

void CStreamWriter::WriteContactList(const AddressBook& book) {
    WriteCount(book.size());
    for (const auto& contact : book) {
        WriteText(contact.Name);
        WriteText(contact.Number);
        WriteInt32(contact.Carrier);
    }
}
