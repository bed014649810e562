#include "carrier-lab/SmsPdu.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "base/Text.h"

namespace lab {

namespace {

// The GSM 7-bit default alphabet; 0x1B is the escape to the table below.
constexpr std::u32string_view kGsmAlphabet =
    U"@£$¥èéùìòÇ\nØø\rÅåΔ_ΦΓΛΩΠΨΣΘΞ\x1B"
    U"ÆæßÉ !\"#¤%&'()*+,-./0123456789:;<=>?"
    U"¡ABCDEFGHIJKLMNOPQRSTUVWXYZÄÖÑÜ§¿abcdefghijklmnopqrstuvwxyzäöñüà";
static_assert(kGsmAlphabet.size() == 128);

struct Escaped {
    std::uint8_t septet;
    char32_t c;
};
constexpr Escaped kGsmEscaped[] = {{0x0A, U'\f'}, {0x14, U'^'}, {0x28, U'{'}, {0x29, U'}'},
                                   {0x2F, U'\\'}, {0x3C, U'['}, {0x3D, U'~'}, {0x3E, U']'},
                                   {0x40, U'|'},  {0x65, U'€'}};

class Malformed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Reader {
public:
    explicit Reader(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    std::uint8_t Byte(const char* what) {
        if (m_at >= m_bytes.size())
            throw Malformed(std::string("the PDU ends before its ") + what);
        return m_bytes[m_at++];
    }
    void Skip(std::size_t n, const char* what) {
        for (std::size_t i = 0; i < n; ++i) Byte(what);
    }
    std::size_t At() const { return m_at; }
    std::size_t Left() const { return m_bytes.size() - m_at; }
    const std::uint8_t* Here() const { return m_bytes.data() + m_at; }

private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_at = 0;
};

std::vector<std::uint8_t> FromHex(std::string_view hex) {
    if (hex.size() % 2 != 0)
        throw Malformed("an odd number of hex digits");
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int value = DecodeHexPair(hex[i], hex[i + 1]);
        if (value < 0)
            throw Malformed("not hex: " + std::string(hex.substr(i, 2)));
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

std::string ReadAddress(Reader& in) {
    const int digits = in.Byte("address length");
    const std::uint8_t type = in.Byte("address type");
    std::string number = type == 0x91 ? "+" : "";
    for (int i = 0; i < (digits + 1) / 2; ++i) {
        const std::uint8_t pair = in.Byte("address");
        for (int d : {pair & 0x0F, pair >> 4}) {
            if (static_cast<int>(number.size()) - (type == 0x91) < digits && d <= 9)
                number += static_cast<char>('0' + d);
        }
    }
    return number;
}

void ReadHeader(const std::uint8_t* header, std::size_t length, SubmitPdu& pdu) {
    for (std::size_t i = 0; i + 1 < length;) {
        const std::uint8_t id = header[i], size = header[i + 1];
        if (i + 2 + size > length)
            throw Malformed("an element runs past the user-data header");
        const std::uint8_t* value = header + i + 2;
        if (id == 0x00 && size == 3) {
            pdu.reference = value[0], pdu.total = value[1], pdu.sequence = value[2];
        } else if (id == 0x08 && size == 4) {
            pdu.reference = value[0] * 256 + value[1], pdu.total = value[2],
            pdu.sequence = value[3];
        }
        i += 2 + size;
    }
    if (pdu.total < 1 || pdu.sequence < 1 || pdu.sequence > pdu.total)
        throw Malformed("a concatenation header with part " + std::to_string(pdu.sequence) +
                        " of " + std::to_string(pdu.total));
}

std::string UnpackGsm(const std::uint8_t* data, std::size_t octets, int septets, int skip) {
    std::string text;
    bool escape = false;
    for (int k = skip; k < septets; ++k) {
        const std::size_t bit = static_cast<std::size_t>(k) * 7;
        if (bit / 8 >= octets)
            throw Malformed("the 7-bit text is shorter than its length");
        unsigned value = data[bit / 8] >> (bit % 8);
        if (bit % 8 > 1 && bit / 8 + 1 < octets)
            value |= static_cast<unsigned>(data[bit / 8 + 1]) << (8 - bit % 8);
        const auto septet = static_cast<std::uint8_t>(value & 0x7F);
        if (escape) {
            escape = false;
            char32_t c = kGsmAlphabet[septet];  // an unknown escape shows the plain character
            for (const auto& e : kGsmEscaped)
                if (e.septet == septet)
                    c = e.c;
            AppendUtf8(text, c);
        } else if (septet == 0x1B) {
            escape = true;
        } else {
            AppendUtf8(text, kGsmAlphabet[septet]);
        }
    }
    return text;
}

std::string DecodeUcs2(const std::uint8_t* data, std::size_t octets) {
    if (octets % 2 != 0)
        throw Malformed("UCS-2 text with an odd number of octets");
    std::string text;
    for (std::size_t i = 0; i < octets; i += 2) {
        char32_t unit = static_cast<char32_t>(data[i] << 8 | data[i + 1]);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < octets) {
            const char32_t low = static_cast<char32_t>(data[i + 2] << 8 | data[i + 3]);
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        AppendUtf8(text, unit);
    }
    return text;
}

SubmitPdu Decode(std::string_view hex) {
    Reader in(FromHex(hex));
    in.Skip(in.Byte("service-centre length"), "service-centre address");
    SubmitPdu pdu;
    const std::size_t tpduStart = in.At();
    const std::uint8_t first = in.Byte("first octet");
    if ((first & 0x03) != 0x01)
        throw Malformed("not an SMS-SUBMIT");
    pdu.statusReport = first & 0x20;
    in.Byte("message reference");
    pdu.number = ReadAddress(in);
    in.Byte("protocol identifier");
    const std::uint8_t coding = in.Byte("data coding scheme");
    const int validity = (first >> 3) & 0x03;
    in.Skip(validity == 2 ? 1 : validity == 0 ? 0 : 7, "validity period");
    const int length = in.Byte("user-data length");
    pdu.tpduLength = in.At() - tpduStart + in.Left();
    pdu.ucs2 = (coding & 0x0C) == 0x08;
    if (!pdu.ucs2 && (coding & 0x0C) != 0)
        throw Malformed("data coding " + std::to_string(coding) + " is neither 7-bit nor UCS-2");

    const std::uint8_t* data = in.Here();
    const std::size_t octets = in.Left();
    std::size_t headerOctets = 0;
    if (first & 0x40) {
        if (octets == 0 || data[0] + 1u > octets)
            throw Malformed("the user-data header runs past the PDU");
        headerOctets = data[0] + 1u;
        ReadHeader(data + 1, data[0], pdu);
    }
    if (pdu.ucs2) {
        if (static_cast<std::size_t>(length) != octets)
            throw Malformed("UCS-2 user data of " + std::to_string(octets) + " octets, length " +
                            std::to_string(length));
        pdu.text = DecodeUcs2(data + headerOctets, octets - headerOctets);
    } else {
        if ((static_cast<std::size_t>(length) * 7 + 7) / 8 != octets)
            throw Malformed("7-bit user data of " + std::to_string(octets) + " octets, length " +
                            std::to_string(length));
        const int skip = static_cast<int>((headerOctets * 8 + 6) / 7);
        pdu.text = UnpackGsm(data, octets, length, skip);
    }
    return pdu;
}

void PutHex(std::string& out, unsigned byte) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    out += kDigits[(byte >> 4) & 0x0F];
    out += kDigits[byte & 0x0F];
}

// Digits two to an octet, the first in the low half; an odd count ends in F.
void PutSemiOctets(std::string& out, std::string_view digits) {
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const unsigned low = static_cast<unsigned>(digits[i] - '0');
        const unsigned high =
            i + 1 < digits.size() ? static_cast<unsigned>(digits[i + 1] - '0') : 0xF;
        PutHex(out, high << 4 | low);
    }
}

void PutTimestamp(std::string& out, std::time_t at) {
    std::tm utc{};
    gmtime_r(&at, &utc);
    char digits[64];
    std::snprintf(digits, sizeof digits, "%02d%02d%02d%02d%02d%02d", utc.tm_year % 100,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    PutSemiOctets(out, digits);
    PutHex(out, 0x00);  // the time zone: UTC
}

}  // namespace

StatusReportPdu EncodeStatusReportPdu(int messageReference, const std::string& number, int status,
                                      std::time_t at) {
    const bool international = number.starts_with('+');
    const std::string_view digits = std::string_view(number).substr(international ? 1 : 0);
    std::string tpdu;
    PutHex(tpdu, 0x06);  // SMS-STATUS-REPORT, no more messages waiting
    PutHex(tpdu, static_cast<unsigned>(messageReference) & 0xFF);
    PutHex(tpdu, static_cast<unsigned>(digits.size()));
    PutHex(tpdu, international ? 0x91 : 0x81);
    PutSemiOctets(tpdu, digits);
    PutTimestamp(tpdu, at);  // the service centre's time stamp
    PutTimestamp(tpdu, at);  // the discharge time
    PutHex(tpdu, static_cast<unsigned>(status) & 0xFF);
    return {"00" + tpdu, tpdu.size() / 2};
}

std::optional<SubmitPdu> DecodeSubmitPdu(std::string_view hex, std::string& error) {
    try {
        return Decode(hex);
    } catch (const Malformed& e) {
        error = e.what();
        return std::nullopt;
    }
}

}  // namespace lab
