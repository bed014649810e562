#include "history/HistorySearch.h"

#include <algorithm>
#include <cctype>

namespace {

bool IsPhonePunctuation(char c) {
    return c == '(' || c == ')' || c == '-' || c == '.' || c == '+' || c == ' ';
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Punctuation alone makes no word in the index, and an empty term would match nothing.
bool HasWordCharacter(std::string_view word) {
    return std::any_of(word.begin(), word.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x80 || std::isalnum(byte);
    });
}

// A quoted FTS5 string is taken literally, so no character of the search is syntax.
std::string PrefixTerm(std::string_view word) {
    std::string term = "\"";
    for (char c : word) {
        term += c;
        if (c == '"')
            term += '"';
    }
    return term + "\"*";
}

std::string AsNumber(std::string_view search) {
    const bool onlyPhone = std::all_of(search.begin(), search.end(), [](char c) {
        return (c >= '0' && c <= '9') || IsPhonePunctuation(c);
    });
    std::string digits;
    if (onlyPhone)
        std::copy_if(search.begin(), search.end(), std::back_inserter(digits),
                     [](char c) { return c >= '0' && c <= '9'; });
    return digits;
}

}  // namespace

std::string HistoryMatchExpression(std::string_view search) {
    if (const std::string digits = AsNumber(search); !digits.empty())
        return PrefixTerm(digits);
    std::string expression;
    std::size_t at = 0;
    while (at < search.size()) {
        while (at < search.size() && IsSpace(search[at])) ++at;
        std::size_t end = at;
        while (end < search.size() && !IsSpace(search[end])) ++end;
        const std::string_view word = search.substr(at, end - at);
        if (HasWordCharacter(word))
            expression += (expression.empty() ? "" : " AND ") + PrefixTerm(word);
        at = end;
    }
    return expression;
}
