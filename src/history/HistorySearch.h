#pragma once
// Turns what the user types into the search box into a full-text query: every word must occur,
// each as the beginning of a word (search as you type). Case and accents are ignored by the
// index itself. A search made only of digits and phone punctuation, such as "(555) 123-4", is
// one number and finds the numbers that begin with its digits.

#include <string>
#include <string_view>

// An FTS5 MATCH expression; empty when the search holds no word.
std::string HistoryMatchExpression(std::string_view searchUtf8);
