#pragma once
// Phone numbers as the user types them, stores them and sees them.

#include <string>
#include <string_view>

// Only the bytes '0'..'9' of the text, in their order.
std::string NormalizeDigits(std::string_view text);

// "(555) 123-4567" from digits; partial for shorter input, only the first ten of longer input.
std::string FormatPhoneNumber(std::string_view digits);

// True when the text holds exactly ten decimal digits, whatever else it holds.
bool IsValidNumber(std::string_view text);

// What a number field shows while the user types: the display form of at most its first ten
// digits, whatever else was typed or pasted. Contact editors and the options dialog share it.
std::string LiveNumberText(std::string_view typed);
