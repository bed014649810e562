#include "history/HistorySearch.h"

#include <algorithm>

namespace {

bool IsPhonePunctuation(char c) {
    return c == '(' || c == ')' || c == '-' || c == '.' || c == '+' || c == ' ';
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
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
        if (end > at)
            expression +=
                (expression.empty() ? "" : " AND ") + PrefixTerm(search.substr(at, end - at));
        at = end;
    }
    return expression;
}
