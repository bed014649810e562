#pragma once
// CSuggestionRows: the rows of the recipient suggestion list without the window: how many
// match, which one is selected, which is on top, how the keys move the selection, and how high
// the list is.

enum class SelectionMove { Up, Down, PageUp, PageDown, Home, End };

class CSuggestionRows {
public:
    // At most this many rows show; more matches scroll.
    static constexpr int kMaxVisibleRows = 8;
    // Up to this many matches, scrolling a row into view is animated.
    static constexpr int kMaxAnimatedMatches = 50;

    int Count() const { return m_count; }
    int RowsPerPage() const { return m_rowsPerPage; }
    int Selected() const { return m_selected; }
    int Top() const { return m_top; }
    int MaxTop() const;
    bool NeedsScrollBar() const { return m_count > m_rowsPerPage; }
    bool Animated() const { return m_count <= kMaxAnimatedMatches; }

    // A new number of matches clears the selection; the top row stays within range.
    void SetCount(int count);
    void SetRowsPerPage(int rows);
    // Clamps to 0 .. MaxTop(); says whether the top row changed.
    bool SetTop(int top);
    // A row outside 0 .. Count() - 1 clears the selection.
    void Select(int row);
    // What hiding leaves: nothing selected, the first row on top.
    void Reset();

    // Moves the selection and wraps: below the first row is the last, past the last is the
    // first (so Up with nothing selected selects the last row).
    void Move(SelectionMove move);
    // The selected row, or the first one when nothing is selected.
    int RowToCopy() const { return m_selected >= 0 ? m_selected : 0; }

    bool InView(int row) const { return row >= m_top && row < m_top + m_rowsPerPage; }
    // The top row that brings `row` into view with the least scrolling.
    int TopToShow(int row) const;
    // One row of scrolling towards showing `row`; false when it is in view already.
    bool StepTowards(int row);

    // The list's height for `matches` rows: at most kMaxVisibleRows, inside a frame `border`
    // thick at the top and at the bottom.
    static int ListHeight(int matches, int rowHeight, int border);
    // The smallest height the user may drag the list to: its content height, but no more than
    // `cap`, and exactly `cap` when the matches need scrolling.
    static int MinimumTrackHeight(int matches, int rowHeight, int border, int cap);

private:
    int m_count = 0;
    int m_rowsPerPage = 0;
    int m_selected = -1;
    int m_top = 0;
};
