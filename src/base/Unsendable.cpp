#include "base/Unsendable.h"

#include <algorithm>
#include <array>
#include <unordered_set>
#include <utility>

namespace {

// The code page's 27 characters outside Latin-1, on bytes 0x80..0x9F.
constexpr std::array<char32_t, 27> kCp1252Extras = {
    0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
    0x0160, 0x2039, 0x0152, 0x017D, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x017E, 0x0178};

// Base letters of U+0100..U+017F; '\0' where no single letter stands in (IJ, ij).
constexpr char kLatinExtendedA[] =
    "AaAaAaCcCcCcCcDd"
    "DdEeEeEeEeEeGgGg"
    "GgGgHhHhIiIiIiIi"
    "Ii\0\0JjKkkLlLlLlL"
    "lLlNnNnNnnNnOoOo"
    "OoOoRrRrRrSsSsSs"
    "SsTtTtTtUuUuUuUu"
    "UuUuWwYyYZzZzZzs";
static_assert(sizeof kLatinExtendedA == 0x80 + 1);

// Look-alikes for the rest (UTF-8), sorted by character.
constexpr std::pair<char32_t, std::string_view> kLookAlikes[] = {
    {0x0218, "S"},   {0x0219, "s"},   {0x021A, "T"},   {0x021B, "t"},  {0x02B9, "'"},
    {0x02BA, "\""},  {0x02BB, "'"},   {0x02BC, "'"},   {0x02C8, "'"},  {0x2010, "-"},
    {0x2011, "-"},   {0x2012, "-"},   {0x2015, "-"},   {0x201B, "'"},  {0x201F, "\""},
    {0x2032, "'"},   {0x2033, "\""},  {0x2035, "'"},   {0x2036, "\""}, {0x2043, "-"},
    {0x2044, "/"},   {0x204E, "*"},   {0x2052, "%"},   {0x2190, "<-"}, {0x2192, "->"},
    {0x2194, "<->"}, {0x21D0, "<="},  {0x21D2, "=>"},  {0x2212, "-"},  {0x2215, "/"},
    {0x2217, "*"},   {0x2223, "|"},   {0x2236, ":"},   {0x223C, "~"},  {0x2260, "!="},
    {0x2264, "<="},  {0x2265, ">="},  {0x2500, "-"},   {0x2502, "|"},  {0x25CF, "\xE2\x80\xA2"},
    {0x2605, "*"},   {0x2639, ":("},  {0x263A, ":)"},  {0x263B, ":)"}, {0x2713, "v"},
    {0x2714, "v"},   {0x2715, "x"},   {0x2717, "x"},   {0x2764, "<3"}, {0x27E8, "<"},
    {0x27E9, ">"},   {0x27F5, "<--"}, {0x27F6, "-->"}, {0x3000, " "},  {0xFE50, ","},
    {0xFE52, "."},   {0xFF5F, "(("},  {0xFF60, "))"},  {0xFF61, "."},  {0xFF64, ","},
};

static_assert(std::is_sorted(std::begin(kLookAlikes), std::end(kLookAlikes)));

bool IsSpaceLike(char32_t c) {
    return (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F;
}

bool IsZeroWidth(char32_t c) {
    return (c >= 0x200B && c <= 0x200D) || c == 0x2060 || c == 0xFEFF;
}

}  // namespace

std::pair<char32_t, std::size_t> DecodeUtf8(std::string_view s) noexcept {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = b(0);
    if (lead < 0x80)
        return {lead, 1};
    const std::size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (n == 0 || n > s.size())
        return {0xFFFD, 1};
    char32_t c = lead & (0x7F >> n);
    for (std::size_t i = 1; i < n; ++i) {
        if ((b(i) & 0xC0) != 0x80)
            return {0xFFFD, 1};
        c = (c << 6) | (b(i) & 0x3F);
    }
    return {c, n};
}

namespace {

// The replacement of a character, or false when it has none.
bool AppendReplacement(std::string& out, char32_t c) {
    if (IsZeroWidth(c))
        return true;
    if (IsSpaceLike(c)) {
        out += ' ';
        return true;
    }
    if (c >= 0xFF01 && c <= 0xFF5E) {  // full-width forms of ASCII
        out += static_cast<char>(c - 0xFF01 + 0x21);
        return true;
    }
    if (c >= 0x0100 && c <= 0x017F && kLatinExtendedA[c - 0x100] != '\0') {
        out += kLatinExtendedA[c - 0x100];
        return true;
    }
    const auto* end = std::end(kLookAlikes);
    const auto* it =
        std::lower_bound(std::begin(kLookAlikes), end, c,
                         [](const auto& entry, char32_t key) { return entry.first < key; });
    if (it == end || it->first != c)
        return false;
    out.append(it->second);
    return true;
}

}  // namespace

bool IsSendable(char32_t c) noexcept {
    if (c <= 0xFF)
        return true;
    return std::find(kCp1252Extras.begin(), kCp1252Extras.end(), c) != kCp1252Extras.end();
}

UnsendableCharacters FindUnsendable(std::string_view utf8) {
    UnsendableCharacters found;
    std::unordered_set<char32_t> seen;
    while (!utf8.empty()) {
        const auto [c, size] = DecodeUtf8(utf8);
        if (!IsSendable(c)) {
            ++found.count;
            if (seen.insert(c).second)
                found.distinct.emplace_back(utf8.substr(0, size));
        }
        utf8.remove_prefix(size);
    }
    return found;
}

std::string ReplaceLookAlikes(std::string_view utf8, bool (*keep)(char32_t)) {
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        const auto [c, size] = DecodeUtf8(utf8);
        std::string replacement;
        bool replaced = !keep(c) && AppendReplacement(replacement, c);
        for (std::string_view rest = replacement; replaced && !rest.empty();) {
            const auto [r, length] = DecodeUtf8(rest);
            replaced = keep(r);
            rest.remove_prefix(length);
        }
        out.append(replaced ? std::string_view(replacement) : utf8.substr(0, size));
        utf8.remove_prefix(size);
    }
    return out;
}

std::string ReplaceUnsendable(std::string_view utf8) {
    return ReplaceLookAlikes(utf8, [](char32_t c) { return IsSendable(c); });
}
