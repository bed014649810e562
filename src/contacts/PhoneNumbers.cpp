#include "contacts/PhoneNumbers.h"

#include <algorithm>

std::string NormalizeDigits(std::string_view text) {
    std::string digits;
    std::copy_if(text.begin(), text.end(), std::back_inserter(digits),
                 [](char c) { return c >= '0' && c <= '9'; });
    return digits;
}

std::string FormatPhoneNumber(std::string_view s) {
    s = s.substr(0, 10);
    std::string out;
    if (!s.empty())
        out.append("(").append(s.substr(0, 3));
    if (s.size() > 3)
        out.append(") ").append(s.substr(3, 3));
    if (s.size() > 6)
        out.append("-").append(s.substr(6));
    return out;
}

bool IsValidNumber(std::string_view text) {
    return std::count_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }) ==
           10;
}

std::string LiveNumberText(std::string_view typed) {
    return FormatPhoneNumber(NormalizeDigits(typed));
}
