#include "contacts/CsvLineReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "base/Text.h"

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// Checks UTF-8 piece by piece (sequences may straddle pieces): no overlong forms, no
// surrogates, nothing above U+10FFFF.
class CUtf8Check {
public:
    void Feed(const unsigned char* p, std::size_t n) {
        for (std::size_t i = 0; i < n && m_valid; ++i) {
            if (m_need == 0) {
                // Plain ASCII runs are the common case: skip them eight bytes at a time.
                while (i + 8 <= n && !HasHighByte(p + i)) i += 8;
                if (i >= n)
                    break;
            }
            Step(p[i]);
        }
    }
    bool ValidWithHighBytes() const { return m_valid && m_need == 0 && m_high; }

private:
    static bool HasHighByte(const unsigned char* p) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        return (word & 0x8080808080808080ull) != 0;
    }
    void Step(unsigned char b) {
        if (m_need > 0) {
            m_valid = b >= m_low && b <= m_highLimit;
            m_low = 0x80;
            m_highLimit = 0xBF;
            --m_need;
            return;
        }
        if (b < 0x80)
            return;
        m_high = true;
        m_low = 0x80;
        m_highLimit = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            m_need = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            m_need = 2;
            m_low = b == 0xE0 ? 0xA0 : 0x80;        // overlong
            m_highLimit = b == 0xED ? 0x9F : 0xBF;  // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            m_need = 3;
            m_low = b == 0xF0 ? 0x90 : 0x80;
            m_highLimit = b == 0xF4 ? 0x8F : 0xBF;
        } else {
            m_valid = false;
        }
    }

    int m_need = 0;
    unsigned char m_low = 0x80;
    unsigned char m_highLimit = 0xBF;
    bool m_valid = true;
    bool m_high = false;
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool HasHighBytes(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

void DropCarriageReturn(std::string& line) {
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
}

}  // namespace

CCsvLineReader::CCsvLineReader(const std::filesystem::path& path)
    : m_file(std::fopen(path.c_str(), "rb")), m_buffer(kBufferSize) {
    if (m_file)
        DetectEncoding();
}

void CCsvLineReader::DetectEncoding() {
    Fill();
    const auto* p = reinterpret_cast<const unsigned char*>(m_buffer.data());
    const std::size_t n = m_end;
    if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
        m_encoding = CsvEncoding::Utf8;
        m_pos = 3;
        return;
    }
    if (n >= 2 && ((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF))) {
        m_encoding = p[0] == 0xFF ? CsvEncoding::Utf16Le : CsvEncoding::Utf16Be;
        m_pos = 2;
        return;
    }
    // Without a mark only the whole file tells: one pass over it, then back to its start.
    CUtf8Check check;
    do {
        check.Feed(reinterpret_cast<const unsigned char*>(m_buffer.data()), m_end);
        m_lineFeeds +=
            static_cast<std::size_t>(std::count(m_buffer.data(), m_buffer.data() + m_end, '\n'));
        m_pos = m_end;
    } while (Fill());
    if (m_failed)
        return;
    m_encoding = check.ValidWithHighBytes() ? CsvEncoding::Utf8 : CsvEncoding::Cp1252;
    std::rewind(m_file.get());
    m_pos = m_end = 0;
    m_eof = false;
}

bool CCsvLineReader::Fill() {
    if (m_eof || m_failed || !m_file)
        return false;
    const std::size_t n = std::fread(m_buffer.data(), 1, m_buffer.size(), m_file.get());
    if (n == 0) {
        m_failed = std::ferror(m_file.get()) != 0;
        m_eof = true;
        return false;
    }
    m_pos = 0;
    m_end = n;
    return true;
}

int CCsvLineReader::NextByte() {
    if (m_pos == m_end && !Fill())
        return -1;
    return static_cast<unsigned char>(m_buffer[m_pos++]);
}

int CCsvLineReader::NextUnit() {
    if (m_pendingUnit >= 0)
        return std::exchange(m_pendingUnit, -1);
    const int first = NextByte();
    const int second = first < 0 ? -1 : NextByte();
    if (second < 0)
        return -1;  // a last odd byte is no character
    return m_encoding == CsvEncoding::Utf16Le ? first | (second << 8) : (first << 8) | second;
}

void CCsvLineReader::Keep(std::string& line, const char* data, std::size_t size) {
    const std::size_t room = kMaxLine - std::min(kMaxLine, line.size());
    if (size > room) {
        m_truncated = true;
        size = room;
    }
    line.append(data, size);
}

bool CCsvLineReader::ReadLine(std::string& line) {
    line.clear();
    m_truncated = false;
    if (!Good())
        return false;
    const bool utf16 = m_encoding == CsvEncoding::Utf16Le || m_encoding == CsvEncoding::Utf16Be;
    if (!(utf16 ? ReadUtf16Line(line) : ReadBytesLine(line)))
        return false;
    DropCarriageReturn(line);
    if (m_encoding != CsvEncoding::Cp1252 && HasHighBytes(line))
        line = Utf8ToCp1252(line);
    return true;
}

bool CCsvLineReader::ReadBytesLine(std::string& line) {
    bool any = false;
    while (m_pos < m_end || Fill()) {
        any = true;
        const char* start = m_buffer.data() + m_pos;
        const std::size_t left = m_end - m_pos;
        const auto* newline = static_cast<const char*>(std::memchr(start, '\n', left));
        const std::size_t size = newline ? static_cast<std::size_t>(newline - start) : left;
        Keep(line, start, size);
        m_pos += size + (newline ? 1 : 0);
        if (newline)
            break;
    }
    // A read error ends the file there; the broken line is not handed out.
    return any && !m_failed;
}

bool CCsvLineReader::ReadUtf16Line(std::string& line) {
    bool any = false;
    char32_t c = 0;
    for (int unit = NextUnit(); unit >= 0; unit = NextUnit()) {
        any = true;
        if (unit == '\n')
            break;
        c = static_cast<char32_t>(unit);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            const int low = NextUnit();
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + static_cast<char32_t>(low - 0xDC00);
            } else {
                c = U'?';
                m_pendingUnit = low;
            }
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            c = U'?';
        }
        std::string bytes;
        AppendUtf8(bytes, c);
        Keep(line, bytes.data(), bytes.size());
    }
    return any && !m_failed;
}
