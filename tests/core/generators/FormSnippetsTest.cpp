#include <gtest/gtest.h>

#include "core/generators/FormSnippets.h"

namespace tervil {
namespace {

constexpr std::size_t kAfter = TTextInsertion::kAfterText;

TEST(FormSnippetsTest, EverySnippetWithAndWithoutSelection) {
  const struct {
    int number;
    std::string selection;
    std::string text;
    std::size_t caret;
  } cases[] = {
      {0, "", "<form>\r</form>", 6},
      {0, "x", "<form>x\r</form>", 7},
      {1, "", "<input type=\"submit\" />", 23},
      {1, "x", "<input type=\"submit\" />x", 24},
      {2, "", "<input type=\"reset\" />", 22},
      {3, "", "<input type=\"button\" />", 23},
      {4, "", "<input type=\"checkbox\" />", 25},
      {5, "", "<input type=\"radio\" />", 22},
      {6, "", "<select></select>", kAfter},
      {6, "a\r\nb", "<select><option>a</option>\r<option>b</option></select>", kAfter},
      {6, "  a\r\n\r\n", "<select><option>a</option></select>", kAfter},
      {7, "", "<input type=\"text\" />", 21},
      {8, "", "<input type=\"password\" />", 25},
      {9, "", "<input type=\"hidden\" />", 23},
      {10, "", "<input type=\"file\" />", 21},
      {11, "", "<input type=\"image\" />", 22},
      {12, "", "<textarea></textarea>", 10},
      {12, "Name", "<textarea>Name</textarea>", 14},
      {13, "keep", "keep", kAfter},
  };
  for (const auto& c : cases) {
    const TTextInsertion got = FormSnippetInsertion(c.number, c.selection, TCaretSide::End);
    EXPECT_EQ(got.text, c.text) << c.number;
    EXPECT_EQ(got.caret, c.caret) << c.number;
  }
}

TEST(FormSnippetsTest, ThirteenActionsWithHints) {
  const auto snippets = FormSnippets();
  ASSERT_EQ(snippets.size(), 13u);
  EXPECT_EQ(snippets[0].action, "formForm");
  EXPECT_EQ(snippets[6].caption, "SelectBox");
  EXPECT_EQ(snippets[8].hint, "Password TextBox|<input type=\"password\"...");
  EXPECT_EQ(snippets[12].action, "formArea");
}

TEST(FormSnippetsTest, SelectionMadeRightToLeftKeepsTheCaretAfterThePrefix) {
  EXPECT_EQ(FormSnippetInsertion(12, "Name", TCaretSide::Start).caret, 10u);
}

}  // namespace
}  // namespace tervil
