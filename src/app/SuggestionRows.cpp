#include "app/SuggestionRows.h"

#include <algorithm>

int CSuggestionRows::MaxTop() const {
    return std::max(0, m_count - m_rowsPerPage);
}

void CSuggestionRows::SetCount(int count) {
    if (count != m_count)
        m_selected = -1;
    m_count = std::max(0, count);
    SetTop(m_top);
}

void CSuggestionRows::SetRowsPerPage(int rows) {
    m_rowsPerPage = std::max(0, rows);
    SetTop(m_top);
}

bool CSuggestionRows::SetTop(int top) {
    const int clamped = std::clamp(top, 0, MaxTop());
    const bool changed = clamped != m_top;
    m_top = clamped;
    return changed;
}

void CSuggestionRows::Select(int row) {
    m_selected = row >= 0 && row < m_count ? row : -1;
}

void CSuggestionRows::Reset() {
    m_selected = -1;
    m_top = 0;
}

void CSuggestionRows::Move(SelectionMove move) {
    if (m_count == 0)
        return;
    const int last = m_count - 1;
    int row = m_selected;
    switch (move) {
        case SelectionMove::Up:
            --row;
            break;
        case SelectionMove::Down:
            ++row;
            break;
        case SelectionMove::PageUp:
            row = std::max(0, row - m_rowsPerPage);
            break;
        case SelectionMove::PageDown:
            row = std::min(last, row + m_rowsPerPage);
            break;
        case SelectionMove::Home:
            row = 0;
            break;
        case SelectionMove::End:
            row = last;
            break;
    }
    if (row < 0)
        row = last;
    else if (row > last)
        row = 0;
    m_selected = row;
}

int CSuggestionRows::TopToShow(int row) const {
    int top = m_top;
    if (row < m_top)
        top = row;
    else if (row >= m_top + m_rowsPerPage)
        top = row - m_rowsPerPage + 1;
    return std::clamp(top, 0, MaxTop());
}

bool CSuggestionRows::StepTowards(int row) {
    const int target = TopToShow(row);
    if (target == m_top)
        return false;
    return SetTop(m_top + (target > m_top ? 1 : -1));
}

int CSuggestionRows::ListHeight(int matches, int rowHeight, int border) {
    return std::min(matches, kMaxVisibleRows) * rowHeight + 2 * border;
}

int CSuggestionRows::MinimumTrackHeight(int matches, int rowHeight, int border, int cap) {
    const int content = matches * rowHeight + 2 * border;
    return matches > kMaxVisibleRows ? cap : std::min(content, cap);
}
