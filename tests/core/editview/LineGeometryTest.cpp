#include <gtest/gtest.h>

#include "core/editcomponent/TextBuffer.h"
#include "core/editview/LineGeometry.h"

namespace tervil {
namespace {

struct ColumnCase {
  const char* line;
  int charIndex;
  int column;
};

TEST(LineGeometry, TabsExpandToTheNextStop) {
  const ColumnCase cases[] = {
      {"abc", 0, 0},   {"abc", 2, 2},   {"abc", 5, 5},      // past the end: one each
      {"\tx", 1, 4},   {"a\tx", 2, 4},  {"abcd\tx", 5, 8},  // tab to the next stop
      {"\t\tx", 2, 8}, {"äö\tx", 3, 4}, {"€\t", 2, 4},      // multi-byte characters
  };
  for (const ColumnCase& c : cases) {
    TTextBuffer buffer;
    buffer.Assign(c.line);
    TLineGeometry geometry(buffer);
    geometry.SetTabWidth(4);
    EXPECT_EQ(geometry.DisplayColumn(0, c.charIndex), c.column) << c.line << " @" << c.charIndex;
  }
}

TEST(LineGeometry, ColumnsMapBackToCharacters) {
  TTextBuffer buffer;
  buffer.Assign("a\tbc");
  TLineGeometry geometry(buffer);
  geometry.SetTabWidth(4);
  EXPECT_EQ(geometry.CharAtColumn(0, 0), 0);
  EXPECT_EQ(geometry.CharAtColumn(0, 1), 1);  // inside the tab
  EXPECT_EQ(geometry.CharAtColumn(0, 3), 1);
  EXPECT_EQ(geometry.CharAtColumn(0, 3, true), 2);  // right half of the tab: after it
  EXPECT_EQ(geometry.CharAtColumn(0, 1, true), 1);
  EXPECT_EQ(geometry.CharAtColumn(0, 4), 2);
  EXPECT_EQ(geometry.CharAtColumn(0, 9), 7);  // past the end
}

TEST(LineGeometry, LongLineWindowsReadOnlyTheWindow) {
  std::string line(100000, 'x');
  line[50000] = 'Y';
  TTextBuffer buffer;
  buffer.Assign("first\n" + line + "\nlast");
  TLineGeometry geometry(buffer);
  ASSERT_TRUE(geometry.IsLong(1));
  TLineSlice slice = geometry.SliceColumns(1, 49990, 50010);
  EXPECT_EQ(slice.firstChar, 49990);
  EXPECT_EQ(slice.firstColumn, 49990);
  EXPECT_EQ(slice.lineByte, 49990u);
  EXPECT_EQ(slice.lineBytes, 100000u);
  EXPECT_EQ(slice.text.substr(0, 11), "xxxxxxxxxxY");
  EXPECT_LE(slice.text.size(), 21u);
  EXPECT_EQ(geometry.DisplayColumn(1, 70000), 70000);
  EXPECT_EQ(geometry.CharAtColumn(1, 70000), 70000);
}

TEST(LineGeometry, LongLineWithTabsCountsThem) {
  std::string line(40000, 'x');
  line[10] = '\t';  // columns 10..15 with tab width 8 -> the tab ends at 16
  TTextBuffer buffer;
  buffer.Assign(line);
  TLineGeometry geometry(buffer);
  geometry.SetTabWidth(8);
  EXPECT_EQ(geometry.DisplayColumn(0, 5), 5);
  EXPECT_EQ(geometry.DisplayColumn(0, 11), 16);
  EXPECT_EQ(geometry.DisplayColumn(0, 30000), 30005);
  EXPECT_EQ(geometry.CharAtColumn(0, 30005), 30000);
  EXPECT_EQ(geometry.CharAtColumn(0, 13), 10);
  EXPECT_EQ(geometry.LineColumns(0), 40005);
  // An edit that removes the tab is seen once the line is invalidated.
  buffer.Erase(10, 1);
  geometry.InvalidateLine(0);
  EXPECT_EQ(geometry.DisplayColumn(0, 30000), 30000);
}

TEST(LineGeometry, SlicesOfShortLinesAreClampedToTheLine) {
  TTextBuffer buffer;
  buffer.Assign("héllo\nw");
  TLineGeometry geometry(buffer);
  TLineSlice slice = geometry.SliceChars(0, 1, 3);
  EXPECT_EQ(slice.text, "éll");
  EXPECT_EQ(slice.lineByte, 1u);
  slice = geometry.SliceChars(0, 4, 10);
  EXPECT_EQ(slice.text, "o");
  slice = geometry.SliceColumns(0, 10, 20);
  EXPECT_EQ(slice.text, "");
  EXPECT_EQ(slice.firstChar, 5);
}

}  // namespace
}  // namespace tervil
