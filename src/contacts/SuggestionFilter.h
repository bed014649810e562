#pragma once
// CSuggestionFilter: the names offered while a recipient is typed. A name matches when the
// typed text, upper-cased in the code page, begins its own upper-cased form; matches come out
// sorted without regard to case, each in the case it was added in.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CSuggestionFilter {
public:
    // Upper-cases the name once here, so typing never does it again.
    void Add(std::string name);
    void Clear();
    std::size_t Size() const { return m_names.size(); }

    // Filters with `typed` and returns the number of matches. An empty text matches nothing.
    std::size_t Filter(std::string_view typed);
    std::size_t MatchCount() const { return m_matchCount; }
    // Match `row` (0 .. MatchCount() - 1) of the last filter.
    const std::string& Match(std::size_t row) const;

private:
    void SortOnce();

    std::vector<std::string> m_names;  // in the order added
    std::vector<std::string> m_upper;  // the same names upper-cased
    // Indices of the names ordered by upper-cased form (equal forms in the order added), so the
    // matches of a prefix are one run of it.
    std::vector<std::uint32_t> m_order;
    bool m_sorted = true;
    std::size_t m_firstMatch = 0;
    std::size_t m_matchCount = 0;
};
