#pragma once
// How many texts a message takes when a modem sends it, counted as the network counts: GSM
// 7-bit (160 alone, 153 a part once split; the escape characters take two) or, as soon as one
// character lies outside that alphabet, UCS-2 (70 alone, 67 a part; characters beyond the
// Basic Multilingual Plane take two). Works on UTF-8, the text as typed.

#include <string>
#include <string_view>
#include <vector>

// Septets a character takes in GSM 7-bit: 1, 2 for the escape table, 0 when it has none.
int Gsm7Septets(char32_t c) noexcept;
bool IsGsm7(char32_t c) noexcept;

struct SmsCount {
    bool ucs2 = false;
    int units = 0;  // septets, or UTF-16 code units
    int parts = 0;  // texts on the wire; 0 for an empty message
    // The characters that force UCS-2, each once in the order first met (UTF-8), and the texts
    // the message would take if each of them were a plain letter instead.
    std::vector<std::string> costly;
    int partsWithoutCostly = 0;
};

SmsCount CountSms(std::string_view utf8);

// Texts for `units` of one encoding.
int SmsParts(int units, bool ucs2) noexcept;

// The most texts the modem route sends for one message; a longer one is refused.
inline constexpr int kMostSmsParts = 10;

// The look-alike of each character that would force UCS-2, where one exists in GSM 7-bit.
std::string ReplaceCostlyCharacters(std::string_view utf8);
