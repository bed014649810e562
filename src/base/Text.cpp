#include "base/Text.h"

#include <iconv.h>

#include <cerrno>
#include <memory>
#include <stdexcept>

namespace {

struct IconvCloser {
    void operator()(void* cd) const noexcept { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle OpenIconv(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    return IconvHandle(cd);
}

// Runs iconv over `in`; on a sequence it cannot convert, calls onBad(input, output) which
// appends a replacement and returns how many input bytes to skip.
template <class OnBad>
std::string Convert(const char* to, const char* from, std::string_view in, OnBad onBad) {
    IconvHandle cd = OpenIconv(to, from);
    std::string out;
    out.reserve(in.size() * 2);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[1024];
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t r = iconv(static_cast<iconv_t>(cd.get()), &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            size_t skip = onBad(std::string_view(src, srcLeft), out);
            src += skip;
            srcLeft -= skip;
        }
    }
    return out;
}

size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0xC0)
        return 1;
    if (lead < 0xE0)
        return 2;
    if (lead < 0xF0)
        return 3;
    return 4;
}

}  // namespace

char UpperCaseChar(char c) noexcept {
    auto b = static_cast<unsigned char>(c);
    if (b >= 'a' && b <= 'z')
        return static_cast<char>(b - 0x20);
    switch (b) {
        case 0x9A:
            return static_cast<char>(0x8A);  // s caron
        case 0x9C:
            return static_cast<char>(0x8C);  // oe ligature
        case 0x9E:
            return static_cast<char>(0x8E);  // z caron
        case 0xFF:
            return static_cast<char>(0x9F);  // y diaeresis
        default:
            break;
    }
    if (b >= 0xE0 && b <= 0xFE && b != 0xF7)
        return static_cast<char>(b - 0x20);
    return c;
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = UpperCaseChar(c);
    return out;
}

bool IsBlank(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string TrimBlanks(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return std::string(text.substr(begin, end - begin));
}

std::string Cp1252ToUtf8(std::string_view text) {
    // The five bytes the code page leaves undefined map to the C1 controls of the same value,
    // as Windows does, so that every byte survives a round trip.
    return Convert("UTF-8", "WINDOWS-1252", text, [](std::string_view bad, std::string& out) {
        auto b = static_cast<unsigned char>(bad.front());
        out += static_cast<char>(0xC0 | (b >> 6));
        out += static_cast<char>(0x80 | (b & 0x3F));
        return size_t{1};
    });
}

std::string Utf8ToCp1252(std::string_view text) {
    return Convert("WINDOWS-1252", "UTF-8", text, [](std::string_view bad, std::string& out) {
        auto lead = static_cast<unsigned char>(bad.front());
        size_t n = Utf8SequenceLength(lead);
        // C1 controls written by Cp1252ToUtf8 for the undefined bytes come back as themselves.
        if (n == 2 && bad.size() >= 2 && lead == 0xC2) {
            auto cont = static_cast<unsigned char>(bad[1]);
            if (cont >= 0x80 && cont <= 0x9F) {
                out += static_cast<char>(cont);
                return size_t{2};
            }
        }
        out += '?';
        size_t skip = 1;
        while (skip < n && skip < bad.size() &&
               (static_cast<unsigned char>(bad[skip]) & 0xC0) == 0x80) {
            ++skip;
        }
        return skip;
    });
}

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

char AsciiUpperChar(char c) noexcept {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char AsciiLowerChar(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string AsciiUpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiUpperChar(c);
    return out;
}

std::string AsciiLowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiLowerChar(c);
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) noexcept {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (AsciiUpperChar(text[i]) != AsciiUpperChar(prefix[i]))
            return false;
    }
    return true;
}

namespace {

int HexDigit(char c, bool upperCaseOnly) noexcept {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (!upperCaseOnly && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

int DecodeHexPair(char high, char low, bool upperCaseOnly) noexcept {
    const int h = HexDigit(high, upperCaseOnly);
    const int l = HexDigit(low, upperCaseOnly);
    return h < 0 || l < 0 ? -1 : h * 16 + l;
}
