#include "widgets/GridSelection.h"

#include <gtest/gtest.h>

namespace {

// Every cell of a rows x cols area that the selection holds, row by row as
// '#' (held) and '.' (not), for readable comparisons.
std::string Picture(const CGridSelection& selection, int rows, int cols) {
    std::string picture;
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < cols; ++col)
            picture += selection.Contains(row, col) ? '#' : '.';
        picture += '/';
    }
    return picture;
}

} // namespace

TEST(GridSelection, CuttingACellOutOfARectangleKeepsEverythingAroundIt) {
    CGridSelection selection;
    selection.Set({0, 0, 3, 3});
    selection.Remove({1, 1, 2, 2});
    EXPECT_EQ(Picture(selection, 4, 4), "####/#..#/#..#/####/");
    EXPECT_EQ(selection.Bounds(), (CCellRange{0, 0, 3, 3}));
    selection.Remove({0, 0, 3, 0});
    selection.Remove({0, 3, 3, 3});
    EXPECT_EQ(selection.Bounds(), (CCellRange{0, 1, 3, 2}));
    selection.Remove({0, 0, 9, 9});
    EXPECT_TRUE(selection.IsEmpty());
}

TEST(GridSelection, RowsInsertedInsideARectangleStayUnselected) {
    CGridSelection selection;
    selection.Set({1, 0, 3, 1});
    selection.Add({5, 0, 5, 1});
    selection.RowsInserted(2, 2); // new rows 2 and 3
    EXPECT_EQ(Picture(selection, 8, 2), "../##/../../##/##/../##/");
}

TEST(GridSelection, RowsRemovedAcrossRectanglesCloseTheGap) {
    CGridSelection selection;
    selection.Set({1, 0, 2, 0});
    selection.Add({4, 0, 6, 0});
    selection.RowsRemoved(2, 4); // rows 2..4 go: 5 and 6 become 2 and 3
    EXPECT_EQ(Picture(selection, 5, 1), "./#/#/#/./");
}

TEST(GridSelection, RemappedRowsKeepTheirColumnsAndJoinAgain) {
    CGridSelection selection;
    selection.Set({1, 0, 2, 2}); // rows 1 and 2, all three columns
    selection.Add({3, 1, 3, 1}); // one cell of row 3
    // Row order reversed: 1 -> 3, 2 -> 2, 3 -> 1.
    selection.RemapRows({0, 3, 2, 1});
    EXPECT_EQ(Picture(selection, 4, 3), ".../.#./###/###/");
    EXPECT_EQ(selection.Ranges().size(), 2u); // rows 2 and 3 form one rectangle again
}
