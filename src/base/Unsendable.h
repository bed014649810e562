#pragma once
// Characters the program's code page (Windows-1252) cannot carry: each becomes '?' on the wire.
// These work on UTF-8, the text as the user typed it.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct UnsendableCharacters {
    int count = 0;                      // every occurrence, as the wire would show '?'
    std::vector<std::string> distinct;  // each character once, in the order first met (UTF-8)
};

// True when the code page has the character (the C1 controls count: they pass as their byte).
bool IsSendable(char32_t c) noexcept;

UnsendableCharacters FindUnsendable(std::string_view utf8);

// The next character of `utf8` (not empty) and its length in bytes; a broken sequence is one
// byte of U+FFFD.
std::pair<char32_t, std::size_t> DecodeUtf8(std::string_view utf8) noexcept;

// Replaces each character that `keep` refuses by its look-alike from the table below, when the
// look-alike is kept whole; zero-width characters go. Other characters stay as they are.
std::string ReplaceLookAlikes(std::string_view utf8, bool (*keep)(char32_t));

// Replaces the common unsendable characters by look-alikes the code page has (typographic
// quotes, dashes and spaces outside it, letters with marks it lacks, full-width forms...).
// Zero-width characters go; everything else stays as it is.
std::string ReplaceUnsendable(std::string_view utf8);
