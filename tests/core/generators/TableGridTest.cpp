// The table generator's grid: joining, splitting, resizing and the generated table.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "GeneratorTestSupport.h"
#include "core/generators/TableGrid.h"

namespace tervil {
namespace {

TTableGrid Grid(int cols, int rows) {
  TTableGrid grid;
  grid.SetColCount(cols);
  grid.SetRowCount(rows);
  return grid;
}

struct TTableCase {
  const char* what;
  int cols;
  int rows;
  std::function<void(TTableGrid&)> edit;
  int repeat;
  std::string expected;
};

const std::string kCell = "\t\t<td></td>\r";

TEST(TableGrid, GeneratesTheDocumentedMarkup) {
  const TTableCase cases[] = {
      {"first opening: 1 x 1", 1, 1, [](TTableGrid&) {}, 1,
       "<table>\r\t<tr>\r" + kCell + "</tr>\r</table>"},
      {"2 x 2 without joins", 2, 2, [](TTableGrid&) {}, 1,
       "<table>\r\t<tr>\r" + kCell + kCell + "</tr>\r\t<tr>\r" + kCell + kCell + "</tr>\r</table>"},
      {"3 x 2, first two cells of row 0 joined", 3, 2,
       [](TTableGrid& g) {
         g.Join({0, 0, 1, 0});
       },
       1,
       "<table>\r\t<tr>\r\t\t<td colspan=\"2\"></td>\r" + kCell + "</tr>\r\t<tr>\r" + kCell +
           kCell + kCell + "</tr>\r</table>"},
      {"3 x 3, rows 0 and 1 joined", 3, 3,
       [](TTableGrid& g) {
         g.Join({0, 0, 2, 1});
       },
       1,
       "<table>\r\t<tr>\r\t\t<td colspan=\"3\" rowspan=\"2\"></td>\r\r\t</tr>\r<tr></tr>\t<tr>\r" +
           kCell + kCell + kCell + "</tr>\r</table>"},
      {"3 x 3, 2 x 2 block at the top left", 3, 3,
       [](TTableGrid& g) {
         g.Join({0, 0, 1, 1});
       },
       1,
       "<table>\r\t<tr>\r\t\t<td colspan=\"2\" rowspan=\"2\"></td>\r" + kCell + "</tr>\r\t<tr>\r" +
           kCell + "</tr>\r\t<tr>\r" + kCell + kCell + kCell + "</tr>\r</table>"},
      {"3 x 4, last column rows 1 to 3 joined", 3, 4,
       [](TTableGrid& g) {
         g.Join({2, 1, 2, 3});
       },
       1,
       "<table>\r\t<tr>\r" + kCell + kCell + kCell + "</tr>\r\t<tr>\r" + kCell + kCell +
           "\t\t<td rowspan=\"3\"></td>\r</tr>\r\t<tr>\r" + kCell + kCell + "</tr>\r\t<tr>\r" +
           kCell + kCell + "</tr>\r</table>"},
      {"1 x 3 template repeated twice", 3, 1, [](TTableGrid&) {}, 2,
       "<table>\r\t<tr>\r" + kCell + kCell + kCell + "</tr>\r\t<tr>\r" + kCell + kCell + kCell +
           "</tr>\r</table>"},
      {"repeat 0", 2, 2, [](TTableGrid&) {}, 0, "<table>\r</table>"},
      {"negative repeat", 2, 2, [](TTableGrid&) {}, -3, "<table>\r</table>"},
      {"every cell joined, 2 x 2 visible", 2, 2,
       [](TTableGrid& g) {
         g.Join({0, 0, 9, 7});
       },
       1,
       "<table>\r\t<tr>\r\t\t<td colspan=\"2\" rowspan=\"2\"></td>\r\r\t</tr>\r<tr></tr></table>"},
      {"joined cell larger than the visible grid spans only visible rows", 1, 1,
       [](TTableGrid& g) {
         g.Join({0, 0, 0, 5});
       },
       1, "<table>\r\t<tr>\r" + kCell + "</tr>\r</table>"},
      {"split horizontally cuts the selected rows out of a joined block", 2, 3,
       [](TTableGrid& g) {
         g.Join({0, 0, 1, 2});
         g.SplitHorizontally({0, 0, 0, 0});
       },
       1,
       "<table>\r\t<tr>\r\t\t<td colspan=\"2\"></td>\r\r\t</tr>\r\t<tr>\r"
       "\t\t<td colspan=\"2\" rowspan=\"2\"></td>\r\r\t</tr>\r<tr></tr></table>"},
      {"split vertically cuts the selected columns out of a joined block", 3, 2,
       [](TTableGrid& g) {
         g.Join({0, 0, 2, 1});
         g.SplitVertically({1, 1, 1, 1});
       },
       1,
       "<table>\r\t<tr>\r\t\t<td rowspan=\"2\"></td>\r\t\t<td rowspan=\"2\"></td>\r"
       "\t\t<td rowspan=\"2\"></td>\r</tr>\r<tr></tr></table>"},
  };
  for (const TTableCase& c : cases) {
    SCOPED_TRACE(c.what);
    TTableGrid grid = Grid(c.cols, c.rows);
    c.edit(grid);
    const std::string table = grid.Generate(c.repeat);
    EXPECT_EQ(table, c.expected);
    EXPECT_EQ(test::HtmlParseErrors(table), "");
    if (c.repeat >= 1) {
      EXPECT_EQ(test::TableLayoutFault(table, c.cols), "");
    }
  }
}

TEST(TableGrid, InitialIdentifiersAndJoinedRegionIdentifier) {
  TTableGrid grid;
  EXPECT_EQ(grid.CellId(0, 0), "100");
  EXPECT_EQ(grid.CellId(2, 3), "119");
  EXPECT_EQ(grid.CellId(9, 7), "179");
  EXPECT_EQ(grid.CellId(10, 0), "");
  EXPECT_EQ(grid.CellId(0, -1), "");
  grid.Join({2, 1, 3, 2});
  for (int c = 2; c <= 3; ++c)
    for (int r = 1; r <= 2; ++r) EXPECT_EQ(grid.CellId(c, r), "17");
  EXPECT_EQ(grid.CellId(1, 1), "109");
}

TEST(TableGrid, SlidersKeepIdentifiersAndResetKeepsSizes) {
  TTableGrid grid = Grid(4, 4);
  grid.Join({2, 2, 3, 3});
  grid.SetColCount(2);
  grid.SetRowCount(2);
  EXPECT_EQ(grid.CellId(3, 3), "18");
  grid.SetColCount(4);
  grid.SetRowCount(4);
  EXPECT_NE(grid.Generate(1).find("<td colspan=\"2\" rowspan=\"2\">"), std::string::npos);
  grid.Reset();
  EXPECT_EQ(grid.CellId(3, 3), "127");
  EXPECT_EQ(grid.ColCount(), 4);
  EXPECT_EQ(grid.RowCount(), 4);
  grid.SetColCount(0);
  grid.SetRowCount(99);
  EXPECT_EQ(grid.ColCount(), 1);
  EXPECT_EQ(grid.RowCount(), 8);
}

TEST(TableGrid, BordersFollowMergedCellsAndTheVisibleEdge) {
  TTableGrid grid = Grid(3, 2);
  grid.Join({0, 0, 1, 0});
  EXPECT_FALSE(grid.HasBorder(0, 0, TCellEdge::Right));
  EXPECT_TRUE(grid.HasBorder(1, 0, TCellEdge::Right));
  EXPECT_TRUE(grid.HasBorder(0, 0, TCellEdge::Left));
  EXPECT_TRUE(grid.HasBorder(0, 0, TCellEdge::Bottom));
  EXPECT_TRUE(grid.HasBorder(2, 1, TCellEdge::Right));
  EXPECT_TRUE(grid.HasBorder(2, 1, TCellEdge::Bottom));
}

// A join that cuts into a merged cell takes in the whole of it, however the merged cells chain,
// so the table never gets a ragged or overlapping row.
TEST(TableGrid, JoinsTakeInEveryMergedCellTheyTouch) {
  TTableGrid grid = Grid(4, 4);
  grid.Join({2, 0, 2, 1});  // a tall cell in column 2
  grid.Join({0, 1, 1, 2});  // a 2 x 2 block below-left of it
  grid.Join({1, 0, 2, 0});  // touches the tall cell, which reaches into the block's row
  const std::string table = grid.Generate(1);
  EXPECT_EQ(test::TableLayoutFault(table, 4), "") << table;
  EXPECT_EQ(test::HtmlParseErrors(table), "");
  EXPECT_EQ(grid.CellId(0, 2), grid.CellId(2, 0));
}

// Every sequence of joins and splits over every selection leaves a table whose cells tile the
// grid: checked over a deterministic pseudo-random walk.
TEST(TableGrid, AnySequenceOfEditsGivesAConsistentTable) {
  unsigned seed = 12345;
  auto next = [&seed](int bound) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 16) % static_cast<unsigned>(bound));
  };
  for (int round = 0; round < 300; ++round) {
    TTableGrid grid = Grid(1 + next(10), 1 + next(8));
    for (int step = 0; step < 6; ++step) {
      const TCellRect sel{next(10), next(8), next(10), next(8)};
      switch (next(3)) {
        case 0:
          grid.Join(sel);
          break;
        case 1:
          grid.SplitHorizontally(sel);
          break;
        default:
          grid.SplitVertically(sel);
      }
      const std::string table = grid.Generate(1 + next(2));
      ASSERT_EQ(test::TableLayoutFault(table, grid.ColCount()), "")
          << "round " << round << " step " << step << "\n"
          << table;
    }
  }
}

TEST(TableGrid, GridAtItsLargestWithEveryCellJoinedParses) {
  TTableGrid grid = Grid(10, 8);
  grid.Join({9, 7, 0, 0});
  const std::string table = grid.Generate(3);
  EXPECT_EQ(test::TableLayoutFault(table, 10), "");
  EXPECT_EQ(test::HtmlParseErrors(table), "");
}

}  // namespace
}  // namespace tervil
