// The suggestion list's rows without a window: moving the selection, wrapping, scrolling.

#include <gtest/gtest.h>

#include "app/SuggestionRows.h"

TEST(SuggestionRows, KeysMoveTheSelectionAndWrapAtBothEnds) {
    struct Case {
        int selected;
        SelectionMove move;
        int expected;
    } cases[] = {
        {-1, SelectionMove::Down, 0},     {-1, SelectionMove::Up, 11},
        {0, SelectionMove::Up, 11},       {11, SelectionMove::Down, 0},
        {-1, SelectionMove::PageUp, 0},   {5, SelectionMove::PageUp, 0},
        {10, SelectionMove::PageUp, 2},   {-1, SelectionMove::PageDown, 7},
        {6, SelectionMove::PageDown, 11}, {11, SelectionMove::PageDown, 11},
        {4, SelectionMove::Home, 0},      {4, SelectionMove::End, 11},
    };
    for (const Case& c : cases) {
        CSuggestionRows rows;
        rows.SetCount(12);
        rows.SetRowsPerPage(8);
        rows.Select(c.selected);
        rows.Move(c.move);
        EXPECT_EQ(rows.Selected(), c.expected) << c.selected << " " << static_cast<int>(c.move);
    }
}

TEST(SuggestionRows, ScrollingStepsOneRowAtATimeWithinTheLastFullPage) {
    CSuggestionRows rows;
    rows.SetCount(12);
    rows.SetRowsPerPage(8);
    int steps = 0;
    while (rows.StepTowards(11)) ++steps;
    EXPECT_EQ(steps, 4);
    EXPECT_EQ(rows.Top(), 4);
    EXPECT_FALSE(rows.SetTop(9));  // never past the last full page
    rows.Select(6);
    rows.SetCount(5);  // a new number of matches: no selection, the top back in range
    EXPECT_EQ(rows.Selected(), -1);
    EXPECT_EQ(rows.Top(), 0);
    EXPECT_EQ(CSuggestionRows::ListHeight(12, 13, 1), 8 * 13 + 2);
    EXPECT_EQ(CSuggestionRows::MinimumTrackHeight(3, 13, 1, 50), 3 * 13 + 2);
    EXPECT_EQ(CSuggestionRows::MinimumTrackHeight(12, 13, 1, 50), 50);
}
