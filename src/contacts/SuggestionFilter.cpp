#include "contacts/SuggestionFilter.h"

#include <algorithm>

#include "base/Text.h"

void CSuggestionFilter::Add(std::string name) {
    std::string upper = UpperCase(name);
    // The address book hands its names over already sorted: then no sort is ever needed.
    if (!m_upper.empty() && upper < m_upper.back())
        m_sorted = false;
    m_order.push_back(static_cast<std::uint32_t>(m_names.size()));
    m_names.push_back(std::move(name));
    m_upper.push_back(std::move(upper));
    m_matchCount = 0;
}

void CSuggestionFilter::Clear() {
    m_names.clear();
    m_upper.clear();
    m_order.clear();
    m_sorted = true;
    m_firstMatch = m_matchCount = 0;
}

void CSuggestionFilter::SortOnce() {
    if (m_sorted)
        return;
    std::stable_sort(m_order.begin(), m_order.end(),
                     [this](std::uint32_t a, std::uint32_t b) { return m_upper[a] < m_upper[b]; });
    m_sorted = true;
}

std::size_t CSuggestionFilter::Filter(std::string_view typed) {
    m_firstMatch = m_matchCount = 0;
    if (typed.empty())
        return 0;
    SortOnce();
    const std::string prefix = UpperCase(typed);
    const auto key = [this](std::uint32_t i) -> const std::string& { return m_upper[i]; };
    // Names that begin with the prefix sort after every name below it and before every name
    // whose first prefix-length bytes are above it.
    const auto first = std::partition_point(m_order.begin(), m_order.end(),
                                            [&](std::uint32_t i) { return key(i) < prefix; });
    const auto last = std::partition_point(first, m_order.end(), [&](std::uint32_t i) {
        return key(i).compare(0, prefix.size(), prefix) <= 0;
    });
    m_firstMatch = static_cast<std::size_t>(first - m_order.begin());
    m_matchCount = static_cast<std::size_t>(last - first);
    return m_matchCount;
}

const std::string& CSuggestionFilter::Match(std::size_t row) const {
    static const std::string kNone;
    return row < m_matchCount ? m_names[m_order[m_firstMatch + row]] : kNone;
}
