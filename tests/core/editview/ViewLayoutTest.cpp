#include <gtest/gtest.h>

#include "core/editcomponent/TextBuffer.h"
#include "core/editview/ViewLayout.h"

namespace tervil {
namespace {

struct WrapCase {
  const char* text;
  int width;
  std::vector<int> rows;  // first character of each row
};

TEST(WrapLine, BreaksAfterBlanksOrInsideLongWords) {
  const WrapCase cases[] = {
      {"", 10, {0}},
      {"hello world", 20, {0}},
      {"hello world", 5, {0, 6}},  // the blank hangs at the end of the first row
      {"hello  world again", 8, {0, 7, 13}},
      {"abcdefghij", 4, {0, 4, 8}},  // no blank: break at the width
      {"ab cdefghij", 4, {0, 3, 7}},
      {"a\tb", 4, {0, 2}},  // the tab reaches column 4; "b" starts a new row
  };
  for (const WrapCase& c : cases) {
    std::vector<int> chars, columns;
    WrapLine(c.text, 4, c.width, chars, columns);
    EXPECT_EQ(chars, c.rows) << c.text << " / " << c.width;
  }
}

TEST(ViewLayout, RowsAndPositionsWithWordWrap) {
  TTextBuffer buffer;
  buffer.Assign("one two three four\nshort\nabcdefghijkl");
  TViewLayout layout(buffer);
  layout.SetWordWrap(true);
  layout.SetWrapWidth(8);
  EXPECT_EQ(layout.RowCount(0), 3);  // "one two " "three " "four"
  EXPECT_EQ(layout.RowCount(1), 1);
  EXPECT_EQ(layout.RowCount(2), 2);
  TRowSpan row = layout.Row(0, 1);
  EXPECT_EQ(row.charBegin, 8);
  EXPECT_EQ(row.charEnd, 14);
  EXPECT_FALSE(row.lastRow);
  EXPECT_EQ(layout.RowOf(0, 9), (TRowPos{0, 1}));
  EXPECT_EQ(layout.RowOf(0, 18), (TRowPos{0, 2}));  // end of the line
  EXPECT_EQ(layout.ColumnInRow(row, 10), 2);
  EXPECT_EQ(layout.CharAtColumnInRow(row, 2, false), 10);
  EXPECT_EQ(layout.CharAtColumnInRow(row, 30, false), 13);               // stays on its row
  EXPECT_EQ(layout.CharAtColumnInRow(layout.Row(1, 0), 30, false), 30);  // last row: past end
  EXPECT_EQ(layout.Offset({0, 1}, 3), (TRowPos{2, 0}));
  EXPECT_EQ(layout.Offset({2, 1}, -4), (TRowPos{0, 1}));
  EXPECT_EQ(layout.Offset({2, 1}, 10), (TRowPos{2, 1}));
  EXPECT_EQ(layout.Distance({0, 1}, {2, 1}, 100), 4);
  EXPECT_EQ(layout.Distance({2, 1}, {0, 1}, 100), -4);
  std::vector<TRowSpan> rows;
  layout.Rows({0, 2}, 10, rows);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1].line, 1);
  EXPECT_EQ(rows[3].subRow, 1);
}

TEST(ViewLayout, WithoutWrapEveryLineIsARow) {
  TTextBuffer buffer;
  buffer.Assign("a\nb\nc");
  TViewLayout layout(buffer);
  EXPECT_EQ(layout.Offset({0, 0}, 5), (TRowPos{2, 0}));
  EXPECT_EQ(layout.Distance({0, 0}, {2, 0}, 1), 1);
  EXPECT_EQ(layout.Row(1, 0).charEnd, 1);
}

TEST(ViewLayout, EditedLinesAreWrappedAgain) {
  TTextBuffer buffer;
  buffer.Assign("aaaa bbbb");
  TViewLayout layout(buffer);
  layout.SetWordWrap(true);
  layout.SetWrapWidth(5);
  EXPECT_EQ(layout.RowCount(0), 2);
  buffer.Insert(buffer.LineEnd(0), " cccc");
  layout.LinesChanged(0, 1);
  EXPECT_EQ(layout.RowCount(0), 3);
}

TEST(ViewLayout, LongLinesWrapAtTheWidthWithoutBeingRead) {
  std::string line(100000, 'x');
  TTextBuffer buffer;
  buffer.Assign(line + "\nend");
  TViewLayout layout(buffer);
  layout.SetWordWrap(true);
  layout.SetWrapWidth(100);
  EXPECT_EQ(layout.RowCount(0), 1000);
  TRowSpan row = layout.Row(0, 500);
  EXPECT_EQ(row.charBegin, 50000);
  EXPECT_EQ(row.charEnd, 50100);
  EXPECT_EQ(layout.RowOf(0, 50050), (TRowPos{0, 500}));
  EXPECT_EQ(layout.RowOf(0, 100000), (TRowPos{0, 999}));
  EXPECT_EQ(layout.Offset({0, 999}, 1), (TRowPos{1, 0}));
}

}  // namespace
}  // namespace tervil
