#pragma once
// Program text is std::string holding Windows-1252 bytes. These helpers know that code page.

#include <string>
#include <string_view>

// The code page's own upper case of one byte (accented letters included).
char UpperCaseChar(char c) noexcept;
std::string UpperCase(std::string_view text);

// ASCII case, for protocol names, header names, URL schemes and host names, whose letters are
// ASCII whatever the code page says.
char AsciiUpperChar(char c) noexcept;
char AsciiLowerChar(char c) noexcept;
std::string AsciiUpperCase(std::string_view text);
std::string AsciiLowerCase(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b) noexcept;
bool StartsWithNoCase(std::string_view text, std::string_view prefix) noexcept;

// The byte two hex digits spell, 0..255; -1 when either is no hex digit, or with upperCaseOnly
// a lower-case one.
int DecodeHexPair(char high, char low, bool upperCaseOnly = false) noexcept;

// White space as the program trims it: space, tab, CR, LF, vertical tab, form feed.
bool IsBlank(char c) noexcept;
std::string TrimBlanks(std::string_view text);

// Conversions at the edges (windows, the lab's JSON). Characters the code page lacks become '?'.
std::string Cp1252ToUtf8(std::string_view text);
std::string Utf8ToCp1252(std::string_view text);

// Appends one character as UTF-8.
void AppendUtf8(std::string& out, char32_t c);
