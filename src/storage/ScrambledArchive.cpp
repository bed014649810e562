#include "storage/ScrambledArchive.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

#include "runtime/UiServices.h"
#include "storage/ArchiveException.h"

namespace {

// Deflate cannot expand data by more than about 1032:1, so a recorded length beyond this is a
// damaged header, not a reason to allocate gigabytes.
constexpr std::uint64_t kMaxInflateRatio = 1032;
constexpr std::uint64_t kInflateSlack = 1024;

void PutUInt32(char* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t GetUInt32(const char* in) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(in[i]);
    return value;
}

std::uint32_t Adler32(std::string_view bytes) {
    // adler32 takes a uInt length; feed it in pieces so any size is summed whole.
    uLong sum = adler32(0, nullptr, 0);
    const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
    std::size_t left = bytes.size();
    while (left > 0) {
        const uInt piece = static_cast<uInt>(std::min<std::size_t>(left, 1u << 30));
        sum = adler32(sum, data, piece);
        data += piece;
        left -= piece;
    }
    return static_cast<std::uint32_t>(sum);
}

[[noreturn]] void Damaged(const char* what) {
    throw CArchiveException(CArchiveException::Cause::Damaged, what);
}

}  // namespace

std::array<char, SettingsHeader::kSize> SettingsHeader::ToBytes() const {
    std::array<char, kSize> bytes{};
    kMarker.copy(bytes.data(), kMarker.size());
    bytes[3] = static_cast<char>(Flag);
    PutUInt32(bytes.data() + 4, UncompressedLength);
    PutUInt32(bytes.data() + 8, Checksum);
    return bytes;
}

std::optional<SettingsHeader> SettingsHeader::FromBytes(std::string_view file) {
    if (!file.starts_with(kMarker))
        return std::nullopt;
    // A marker with the rest of the header missing is a cut file, not an unmarked one.
    if (file.size() < kSize)
        Damaged("settings header cut short");
    SettingsHeader header;
    header.Flag = static_cast<std::uint8_t>(file[3]);
    header.UncompressedLength = GetUInt32(file.data() + 4);
    header.Checksum = GetUInt32(file.data() + 8);
    return header;
}

CScrambledArchive::CScrambledArchive(std::string passPhrase, bool force)
    : m_passPhrase(std::move(passPhrase)), m_enabled(force || !m_passPhrase.empty()) {}

bool CScrambledArchive::Scramble(std::span<char> bytes, std::string_view passPhrase) {
    if (passPhrase.empty())
        return false;
    // XOR with every phrase byte in turn is XOR with their fold.
    char fold = 0;
    for (char c : passPhrase) fold = static_cast<char>(fold ^ c);
    for (char& b : bytes) b = static_cast<char>(b ^ fold);
    return true;
}

std::string CScrambledArchive::Encode(std::string_view stream) const {
    if (!m_enabled)
        return std::string(stream);
    if (stream.size() > std::numeric_limits<std::uint32_t>::max() ||
        stream.size() > std::numeric_limits<uLong>::max()) {
        Damaged("settings stream too large");
    }

    // Compress straight behind the header's place in the output.
    std::string file(SettingsHeader::kSize + compressBound(static_cast<uLong>(stream.size())),
                     '\0');
    uLongf compressedLength = static_cast<uLongf>(file.size() - SettingsHeader::kSize);
    auto* payload = reinterpret_cast<Bytef*>(file.data() + SettingsHeader::kSize);
    if (compress(payload, &compressedLength, reinterpret_cast<const Bytef*>(stream.data()),
                 static_cast<uLong>(stream.size())) != Z_OK) {
        Damaged("compression failed");
    }
    file.resize(SettingsHeader::kSize + compressedLength);

    std::span<char> compressed(file.data() + SettingsHeader::kSize, compressedLength);
    SettingsHeader header;
    header.Flag =
        m_passPhrase.empty() ? SettingsHeader::kFlagPlain : SettingsHeader::kFlagScrambled;
    header.UncompressedLength = static_cast<std::uint32_t>(stream.size());
    header.Checksum = Adler32(std::string_view(compressed.data(), compressed.size()));
    Scramble(compressed, m_passPhrase);
    const auto headerBytes = header.ToBytes();
    file.replace(0, headerBytes.size(), headerBytes.data(), headerBytes.size());
    return file;
}

std::string CScrambledArchive::Decode(std::string_view file) const {
    if (!m_enabled)
        return std::string(file);
    const std::optional<SettingsHeader> header = SettingsHeader::FromBytes(file);
    if (!header)
        return std::string(file);

    std::string payload(file.substr(SettingsHeader::kSize));
    if (header->Flag == SettingsHeader::kFlagScrambled) {
        Scramble(payload, m_passPhrase);
        if (Adler32(payload) != header->Checksum) {
            ShowMessageBox("Password incorrect!!!");
            throw CArchiveException(CArchiveException::Cause::WrongPassPhrase,
                                    "settings checksum mismatch");
        }
    }

    const std::uint64_t length = header->UncompressedLength;
    if (length > payload.size() * kMaxInflateRatio + kInflateSlack ||
        payload.size() > std::numeric_limits<uLong>::max()) {
        Damaged("recorded length impossible for the payload");
    }
    std::string stream(static_cast<std::size_t>(length), '\0');
    uLongf produced = static_cast<uLongf>(length);
    if (uncompress(reinterpret_cast<Bytef*>(stream.data()), &produced,
                   reinterpret_cast<const Bytef*>(payload.data()),
                   static_cast<uLong>(payload.size())) != Z_OK ||
        produced != length) {
        Damaged("settings payload does not decompress");
    }
    return stream;
}
