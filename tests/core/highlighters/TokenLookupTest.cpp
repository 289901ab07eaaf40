// The token covering a character of a line.

#include <gtest/gtest.h>

#include "core/highlighters/HighlighterSet.h"
#include "core/highlighters/TokenLookup.h"

namespace tervil {
namespace {

TEST(TokenLookup, ColumnsCountCodePoints) {
  THighlighterSet set;
  THighlighter& php = set.Php();
  std::vector<TToken> tokens;
  const THighlighterState start = php.TokenizeLine("<?php", 0, tokens);
  const std::string line = "$é = \"ü\"; // x";
  auto nameAt = [&](int column) {
    const TTokenAt at = TokenAtColumn(php, line, start, column);
    return at.found ? at.attribute->name : std::string("-");
  };
  EXPECT_EQ(nameAt(1), "Variable");
  EXPECT_EQ(nameAt(2), "Variable");
  EXPECT_EQ(nameAt(3), "Space");
  EXPECT_EQ(nameAt(6), "String");
  EXPECT_EQ(nameAt(8), "String");
  EXPECT_EQ(nameAt(9), "Symbol");
  EXPECT_EQ(nameAt(14), "Comment");
  EXPECT_EQ(nameAt(15), "-") << "beyond the line";
  EXPECT_EQ(nameAt(0), "-");
  const TTokenAt string = TokenAtColumn(php, line, start, 6);
  EXPECT_EQ(string.start, 6);
  EXPECT_EQ(string.length, 4);
}

}  // namespace
}  // namespace tervil
