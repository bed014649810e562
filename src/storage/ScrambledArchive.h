#pragma once
// CScrambledArchive: the container around the settings stream. A file is the 12-byte
// SettingsHeader followed by the zlib-compressed stream, XOR-scrambled with the pass phrase.
// A file without the "bas" marker is taken as it is, which is how the oldest format still loads.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

struct SettingsHeader {
    static constexpr std::size_t kSize = 12;
    static constexpr std::string_view kMarker = "bas";
    static constexpr std::uint8_t kFlagPlain = 1;  // empty pass phrase: not scrambled, not checked
    static constexpr std::uint8_t kFlagScrambled = 3;  // scrambled, checksum verified on reading

    std::uint8_t Flag = kFlagScrambled;
    std::uint32_t UncompressedLength = 0;
    std::uint32_t Checksum = 0;  // Adler-32 of the compressed bytes before scrambling

    std::array<char, kSize> ToBytes() const;
    // The header at the start of `file`, or nothing when the file does not begin with it.
    static std::optional<SettingsHeader> FromBytes(std::string_view file);
};

class CScrambledArchive {
public:
    // With an empty pass phrase and no `force` the container is off: files pass through as they
    // are.
    explicit CScrambledArchive(std::string passPhrase, bool force = false);

    bool Enabled() const { return m_enabled; }

    // The whole file for `stream`. Throws CArchiveException when zlib fails.
    std::string Encode(std::string_view stream) const;

    // The stream held by `file`. On a checksum mismatch it shows "Password incorrect!!!" and
    // throws (WrongPassPhrase); a payload that does not decompress to the recorded length throws
    // (Damaged).
    std::string Decode(std::string_view file) const;

    // XORs every byte with every pass-phrase byte; false, changing nothing, for an empty phrase.
    // Its own inverse.
    static bool Scramble(std::span<char> bytes, std::string_view passPhrase);

private:
    std::string m_passPhrase;
    bool m_enabled;
};
