#include <gtest/gtest.h>

#include "core/editcomponent/AutoComplete.h"
#include "core/editcomponent/AutoCorrect.h"
#include "core/editcomponent/EditorModel.h"
#include "core/editcomponent/EditorTestSupport.h"

namespace tervil {
namespace {

const char* kTemplates =
    "[if |if statement\r\n"
    "if (|) {\r\n"
    "}\r\n"
    "[ifel   |if else\r\n"
    "if () {\r\n"
    "=[inner]\r\n"
    "} else {|}\r\n"
    "[<b| bold tag\r\n"
    "<b>|</b>\r\n";

TEST(AutoComplete, ParsesTheTemplateListFormat) {
  TAutoComplete templates;
  templates.LoadFromText(kTemplates);
  ASSERT_EQ(templates.Templates().size(), 3u);
  const TTemplate* t = templates.Find("ifel");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Comment, "if else");
  EXPECT_EQ(t->Text, "if () {\n[inner]\n} else {|}");
  // The keyword runs to the first blank, so a "|" right after it belongs to it.
  EXPECT_EQ(templates.Templates()[2].Keyword, "<b|");
  EXPECT_EQ(templates.Templates()[2].Comment, "");
}

struct ExpandCase {
  const char* name;
  std::string line;
  int caretColumn;
  bool expanded;
  std::string text;
  TBufferPos caret;
};

void PrintTo(const ExpandCase& c, std::ostream* os) {
  *os << c.name;
}

class TemplateExpansion : public ::testing::TestWithParam<ExpandCase> {};

TEST_P(TemplateExpansion, ReplacesTheKeywordBeforeTheCaret) {
  const ExpandCase& c = GetParam();
  TAutoComplete templates;
  templates.LoadFromText("[if |x\nif (|) {\n}\n[ifel |y\nelse\n[$ |z\n$this->|\n");
  TEditorModel e;
  e.SetAutoComplete(&templates);
  e.SetText(c.line);
  e.SetCaretPos({c.caretColumn, 1});
  e.ExecuteCommand(ecAutoCompletion);
  EXPECT_EQ(e.Text(), c.text);
  EXPECT_EQ(e.CaretPos(), c.caret);
  if (c.expanded) {
    e.Undo();  // one undo step
    EXPECT_EQ(e.Text(), c.line);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TemplateExpansion,
    ::testing::Values(
        ExpandCase{"CaretMarkAndIndentation", "  if", 5, true, "  if () {\r\n  }", {7, 1}},
        ExpandCase{"LongestKeywordWins", "ifel", 5, true, "else", {5, 1}},
        ExpandCase{"KeywordMustNotContinueAWord", "elif", 5, false, "elif", {5, 1}},
        ExpandCase{"SymbolKeywordMayFollowAnything", "x=$", 4, true, "x=$this->", {10, 1}},
        ExpandCase{"NoKeyword", "hello", 6, false, "hello", {6, 1}}));

TEST(AutoCorrect, CorrectsWhenADelimiterIsTyped) {
  TAutoCorrect correct;
  correct.SetItems({"teh|the", "recieve|receive", "no separator"});
  EXPECT_EQ(correct.Count(), 2u);
  TEditorModel e;
  correct.Attach(&e);
  for (char32_t c : std::u32string(U"teh cat recieve.")) e.ExecuteCommand(ecChar, c);
  EXPECT_EQ(e.Text(), "the cat receive.");
  EXPECT_EQ(e.CaretPos(), (TBufferPos{17, 1}));
  for (char32_t c : std::u32string(U" Teh")) e.ExecuteCommand(ecChar, c);
  e.ExecuteCommand(ecLineBreak);
  EXPECT_EQ(e.Line(0), "the cat receive. Teh");  // case differs and is not ignored
  correct.Attach(nullptr);
}

// The first undo after a correction gives back the word as typed; the next undoes the typing.
TEST(AutoCorrect, UndoTakesBackTheCorrectionFirst) {
  TAutoCorrect correct;
  correct.SetItems({"teh|the", "straße|street"});
  TEditorModel e;
  correct.Attach(&e);
  for (char32_t c : std::u32string(U"a teh b")) e.ExecuteCommand(ecChar, c);
  EXPECT_EQ(e.Text(), "a the b");
  e.ExecuteCommand(ecUndo);
  EXPECT_EQ(e.Text(), "a the ");  // "b", typed after the correction, is a step of its own
  e.ExecuteCommand(ecUndo);
  EXPECT_EQ(e.Text(), "a teh ");
  EXPECT_EQ(e.CaretPos(), (TBufferPos{7, 1}));
  e.ExecuteCommand(ecRedo);
  EXPECT_EQ(e.Text(), "a the ");
  EXPECT_EQ(e.CaretPos(), (TBufferPos{7, 1}));
  // Through a line break, and with a word of other length and multi-byte characters.
  e.SetText("");
  for (char32_t c : std::u32string(U"straße")) e.ExecuteCommand(ecChar, c);
  e.ExecuteCommand(ecLineBreak);
  EXPECT_EQ(e.Text(), "street\r\n");
  EXPECT_EQ(e.CaretPos(), (TBufferPos{1, 2}));
  e.ExecuteCommand(ecUndo);
  EXPECT_EQ(e.Text(), "straße\r\n");
  correct.Attach(nullptr);
}

// Variables and words the editor marks as code are never corrected.
TEST(AutoCorrect, LeavesCodeAlone) {
  TAutoCorrect correct;
  correct.SetItems({"adn|and", "teh|the"});
  TEditorModel e;
  correct.Attach(&e);
  correct.SetCorrectsAt([&e](TBufferPos start) { return e.Line(start.Line - 1)[0] == '#'; });
  for (char32_t c : std::u32string(U"$adn = teh;\n# teh ")) {
    c == U'\n' ? e.ExecuteCommand(ecLineBreak) : e.ExecuteCommand(ecChar, c);
  }
  EXPECT_EQ(e.Text(), "$adn = teh;\r\n# the ");
  correct.Attach(nullptr);
}

struct CaseCase {
  std::uint32_t options;
  const char* typed;
  const char* corrected;  // empty: no correction
};

class AutoCorrectCase : public ::testing::TestWithParam<CaseCase> {};

TEST_P(AutoCorrectCase, HonoursIgnoreAndMaintainCase) {
  TAutoCorrect correct;
  correct.SetItems({"teh|the", "\xC3\xA9t\xC3\xA9|summer"});
  correct.SetOptions(GetParam().options);
  EXPECT_EQ(correct.Correction(GetParam().typed), GetParam().corrected);
}

INSTANTIATE_TEST_SUITE_P(
    Options, AutoCorrectCase,
    ::testing::Values(CaseCase{0, "teh", "the"}, CaseCase{0, "Teh", ""},
                      CaseCase{ascoIgnoreCase, "TEH", "the"},
                      CaseCase{ascoIgnoreCase | ascoMaintainCase, "TEH", "THE"},
                      CaseCase{ascoIgnoreCase | ascoMaintainCase, "Teh", "The"},
                      CaseCase{ascoIgnoreCase | ascoMaintainCase, "\xC3\x89T\xC3\x89", "SUMMER"},
                      CaseCase{ascoMaintainCase, "teh", "the"}));

}  // namespace
}  // namespace tervil
