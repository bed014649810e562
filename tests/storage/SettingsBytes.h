#pragma once
// Settings files built by hand from the documented layout, independent of the program's writer:
// little-endian items, the 12-byte header, zlib at the default level, XOR with every phrase byte.

#include <zlib.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "storage/AppSettings.h"

namespace bytes {

inline const std::string kPassPhrase = "qmvtrakelop";

inline std::string U32(std::uint32_t v) {
    std::string out;
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
}
inline std::string I32(std::int32_t v) {
    return U32(static_cast<std::uint32_t>(v));
}
inline std::string Text(std::string_view t) {
    return U32(static_cast<std::uint32_t>(t.size())) + std::string(t);
}
inline std::string TextList(const std::vector<std::string>& list) {
    std::string out = U32(static_cast<std::uint32_t>(list.size()));
    for (const auto& t : list) out += Text(t);
    return out;
}
inline std::string Contacts(const AddressBook& book) {
    std::string out = U32(static_cast<std::uint32_t>(book.size()));
    for (const auto& c : book) out += Text(c.Name) + Text(c.Number) + I32(c.Carrier);
    return out;
}

inline std::string Xor(std::string data, std::string_view phrase) {
    for (char& b : data)
        for (char p : phrase) b = static_cast<char>(b ^ p);
    return data;
}

inline std::string Compress(std::string_view stream) {
    std::string out(compressBound(static_cast<uLong>(stream.size())), '\0');
    uLongf length = static_cast<uLongf>(out.size());
    compress2(reinterpret_cast<Bytef*>(out.data()), &length,
              reinterpret_cast<const Bytef*>(stream.data()), static_cast<uLong>(stream.size()),
              Z_DEFAULT_COMPRESSION);
    out.resize(length);
    return out;
}

inline std::uint32_t Adler(std::string_view data) {
    return static_cast<std::uint32_t>(adler32(adler32(0, nullptr, 0),
                                              reinterpret_cast<const Bytef*>(data.data()),
                                              static_cast<uInt>(data.size())));
}

// A container file: flag 3 scrambles with `phrase`, any other flag leaves the payload plain.
inline std::string Container(std::string_view stream, std::uint8_t flag = 3,
                             std::string_view phrase = kPassPhrase) {
    const std::string compressed = Compress(stream);
    return "bas" + std::string(1, static_cast<char>(flag)) +
           U32(static_cast<std::uint32_t>(stream.size())) + U32(Adler(compressed)) +
           (flag == 3 ? Xor(compressed, phrase) : compressed);
}

// The oldest format: length 17, the version text, then CR LF lines.
inline std::string Legacy(const std::vector<std::string>& lines) {
    std::string out = Text("Prefs Version 1.0");
    for (const auto& line : lines) out += line + "\r\n";
    return out;
}

}  // namespace bytes
