#include "contacts/TextLineReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "base/Text.h"

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

bool HasHighByte(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ull) != 0;
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

CTextLineReader::CTextLineReader(const std::filesystem::path& path)
    : m_file(std::fopen(path.c_str(), "rb")), m_buffer(kBufferSize) {
    if (m_file)
        ReadMark(path);
}

// Checks UTF-8 piece by piece (sequences may straddle pieces): no overlong forms, no
// surrogates, nothing above U+10FFFF.
void CTextLineReader::FeedUtf8(Utf8State& st, const char* data, std::size_t size) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size && st.valid; ++i) {
        if (st.need == 0) {
            // Plain ASCII runs are the common case: skip them eight bytes at a time.
            while (i + 8 <= size && !HasHighByte(data + i)) i += 8;
            if (i >= size)
                break;
        }
        const unsigned char b = p[i];
        if (st.need > 0) {
            st.valid = b >= st.low && b <= st.high;
            st.low = 0x80;
            st.high = 0xBF;
            --st.need;
            continue;
        }
        if (b < 0x80)
            continue;
        st.sawHigh = true;
        if (b >= 0xC2 && b <= 0xDF) {
            st.need = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            st.need = 2;
            st.low = b == 0xE0 ? 0xA0 : 0x80;   // overlong
            st.high = b == 0xED ? 0x9F : 0xBF;  // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            st.need = 3;
            st.low = b == 0xF0 ? 0x90 : 0x80;
            st.high = b == 0xF4 ? 0x8F : 0xBF;
        } else {
            st.valid = false;
        }
    }
}

bool CTextLineReader::IsUtf8Text(std::string_view bytes) {
    Utf8State state;
    FeedUtf8(state, bytes.data(), bytes.size());
    return state.valid && state.need == 0 && state.sawHigh;
}

void CTextLineReader::ReadMark(const std::filesystem::path& path) {
    Fill();
    const auto* p = reinterpret_cast<const unsigned char*>(m_buffer.data());
    const std::size_t n = m_end;
    // The line count of the first block, scaled to the file: room to reserve, nothing more.
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    const auto feeds =
        static_cast<std::size_t>(std::count(m_buffer.data(), m_buffer.data() + n, '\n'));
    if (!error && n > 0)
        m_expectedLines = static_cast<std::size_t>(size / n * feeds + feeds);
    if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
        m_encoding = TextEncoding::Utf8;
        m_pos = 3;
    } else if (n >= 2 && ((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF))) {
        m_encoding = p[0] == 0xFF ? TextEncoding::Utf16Le : TextEncoding::Utf16Be;
        m_pos = 2;
    } else {
        m_decided = false;
    }
}

TextEncoding CTextLineReader::Encoding() {
    if (!m_decided)
        DecideEncoding();
    return m_encoding;
}

void CTextLineReader::DecideEncoding() {
    // Everything before the buffered rest has been checked as it was read: check the rest of
    // the file, then go back to where reading stands.
    m_decided = true;
    FeedUtf8(m_utf8, m_buffer.data() + m_pos, m_end - m_pos);
    std::FILE* file = m_file.get();
    const long resume = std::ftell(file);
    std::vector<char> rest(kBufferSize);
    for (std::size_t n; m_utf8.valid && (n = std::fread(rest.data(), 1, rest.size(), file)) > 0;)
        FeedUtf8(m_utf8, rest.data(), n);
    if (resume < 0 || std::ferror(file) || std::fseek(file, resume, SEEK_SET) != 0) {
        m_failed = true;
        return;
    }
    const bool utf8 = m_utf8.valid && m_utf8.need == 0 && m_utf8.sawHigh;
    m_encoding = utf8 ? TextEncoding::Utf8 : TextEncoding::Cp1252;
}

bool CTextLineReader::Fill() {
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

int CTextLineReader::NextByte() {
    if (m_pos == m_end && !Fill())
        return -1;
    return static_cast<unsigned char>(m_buffer[m_pos++]);
}

int CTextLineReader::NextUnit() {
    if (m_pendingUnit >= 0)
        return std::exchange(m_pendingUnit, -1);
    const int first = NextByte();
    const int second = first < 0 ? -1 : NextByte();
    if (second < 0)
        return -1;  // a last odd byte is no character
    return m_encoding == TextEncoding::Utf16Le ? first | (second << 8) : (first << 8) | second;
}

void CTextLineReader::Keep(std::string& line, const char* data, std::size_t size) {
    const std::size_t room = kMaxLine - std::min(kMaxLine, line.size());
    if (size > room) {
        m_truncated = true;
        size = room;
    }
    line.append(data, size);
}

bool CTextLineReader::ReadLine(std::string& line) {
    line.clear();
    m_truncated = false;
    if (!Good())
        return false;
    const bool utf16 = m_encoding == TextEncoding::Utf16Le || m_encoding == TextEncoding::Utf16Be;
    if (!(utf16 ? ReadUtf16Line(line) : ReadBytesLine(line)))
        return false;
    DropCarriageReturn(line);
    if (m_encoding != TextEncoding::Cp1252 && HasHighBytes(line))
        line = Utf8ToCp1252(line);
    return true;
}

bool CTextLineReader::ReadBytesLine(std::string& line) {
    bool any = false;
    while (m_pos < m_end || Fill()) {
        any = true;
        const char* start = m_buffer.data() + m_pos;
        const std::size_t left = m_end - m_pos;
        const auto* newline = static_cast<const char*>(std::memchr(start, '\n', left));
        const std::size_t size = newline ? static_cast<std::size_t>(newline - start) : left;
        Keep(line, start, size);
        if (!m_decided)
            FeedUtf8(m_utf8, start, size + (newline ? 1 : 0));
        m_pos += size + (newline ? 1 : 0);
        if (newline)
            break;
    }
    // The first byte above 0x7F: now the encoding matters.
    if (!m_decided && m_utf8.sawHigh)
        DecideEncoding();
    // A read error ends the file there; the broken line is not handed out.
    return any && !m_failed;
}

bool CTextLineReader::ReadUtf16Line(std::string& line) {
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
