#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// Long lines answer from checkpoints; every answer must equal a plain walk over the line, at the
// checkpoints' borders too, and after the tab width changes.
TEST(LineGeometry, LongLineAnswersEqualAPlainWalk) {
  std::string line;
  unsigned seed = 7;
  for (int i = 0; i < 20000; ++i) {
    seed = seed * 1103515245 + 12345;
    const unsigned r = (seed >> 16) % 50;
    line += r == 0 ? "\t" : r == 1 ? "\xC3\xA9" : r == 2 ? "\xE2\x82\xAC" : "x";
  }
  TTextBuffer buffer;
  buffer.Assign("short\n" + line);
  TLineGeometry geometry(buffer);
  ASSERT_TRUE(geometry.IsLong(1));
  for (int width : {8, 3}) {
    geometry.SetTabWidth(width);
    std::vector<int> columns;  // columns[i]: display column of character i
    int column = 0;
    for (std::size_t b = 0; b < line.size(); ++b) {
      const auto c = static_cast<unsigned char>(line[b]);
      if ((c & 0xC0) == 0x80) continue;
      columns.push_back(column);
      column += c == '\t' ? TabAdvance(column, width) : 1;
    }
    const int chars = static_cast<int>(columns.size());
    for (int i : {0, 1, 4095, 4096, 4097, 8191, 8192, 12000, chars - 1, chars, chars + 3}) {
      const int expected = i < chars ? columns[i] : column + (i - chars);
      EXPECT_EQ(geometry.DisplayColumn(1, i), expected) << "char " << i << " width " << width;
      EXPECT_EQ(geometry.CharAtColumn(1, expected), i) << "column " << expected;
    }
    for (int i = 1; i < chars; i += 97) {
      // A column inside a tab belongs to the tab; with `nearest`, its right half to the next.
      const int start = columns[i - 1], cells = columns[i] - start;
      EXPECT_EQ(geometry.CharAtColumn(1, start + cells - 1), i - 1);
      EXPECT_EQ(geometry.CharAtColumn(1, start + cells - 1, true), cells > 1 ? i : i - 1);
    }
  }
}

// Edits of a long line update its checkpoints instead of reading the line again; after every
// edit (tabs typed and removed before other tabs, stretches removed whole, long pastes,
// multi-byte characters, both ends) the answers must equal those of a geometry that reads the
// line afresh.
TEST(LineGeometry, LongLineEditsKeepAnswersExact) {
  unsigned seed = 11;
  auto next = [&](unsigned bound) {
    seed = seed * 1103515245 + 12345;
    return (seed >> 8) % bound;
  };
  auto piece = [&](int chars) {
    std::string text;
    for (int i = 0; i < chars; ++i) {
      const unsigned r = next(40);
      text += r == 0 ? "\t" : r == 1 ? "\xC3\xA9" : "x";
    }
    return text;
  };
  TTextBuffer buffer;
  buffer.Assign("first\n" + piece(30000) + "\nlast");
  TLineGeometry geometry(buffer);
  geometry.SetTabWidth(4);
  ASSERT_TRUE(geometry.IsLong(1));
  geometry.DisplayColumn(1, 1);  // the checkpoints are made
  for (int step = 0; step < 300; ++step) {
    const std::size_t start = buffer.LineStart(1);
    const int chars = geometry.LineChars(1);
    const int at = static_cast<int>(next(static_cast<unsigned>(chars + 1)));
    const unsigned kind = next(6);
    const int removeChars = kind == 0 ? static_cast<int>(next(9000)) : static_cast<int>(next(3));
    const std::string inserted = piece(kind == 1 ? 6000 : static_cast<int>(next(3)));
    const std::size_t byte = buffer.ByteOfChar(buffer.CharIndex(start) + at);
    const int removable = std::min(removeChars, chars - at);
    const std::size_t removed = buffer.ByteOfChar(buffer.CharIndex(start) + at + removable) - byte;
    if (removed > 0) {
      buffer.Erase(byte, removed);
      geometry.LineChanged(1);
      geometry.TextEdited(byte, removed, {});
    }
    if (!inserted.empty()) {
      buffer.Insert(byte, inserted);
      geometry.LineChanged(1);
      geometry.TextEdited(byte, 0, inserted);
    }
    ASSERT_TRUE(geometry.IsLong(1));
    TLineGeometry fresh(buffer);
    fresh.SetTabWidth(4);
    const int total = fresh.LineChars(1);
    for (int i : {0, at, at + 1, at + 4096, total - 1, total, total + 2}) {
      EXPECT_EQ(geometry.DisplayColumn(1, i), fresh.DisplayColumn(1, i))
          << "step " << step << " char " << i;
    }
    for (int probe = 0; probe < 20; ++probe) {
      const int i = static_cast<int>(next(static_cast<unsigned>(total + 1)));
      const int column = fresh.DisplayColumn(1, i);
      ASSERT_EQ(geometry.DisplayColumn(1, i), column) << "step " << step << " char " << i;
      ASSERT_EQ(geometry.CharAtColumn(1, column + 1, true), fresh.CharAtColumn(1, column + 1, true))
          << "step " << step << " column " << column + 1;
    }
  }
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
