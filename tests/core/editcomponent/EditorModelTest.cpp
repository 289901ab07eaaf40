#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "core/editcomponent/EditorModel.h"
#include "core/editcomponent/EditorTestSupport.h"

namespace tervil {
namespace {

// One operation of the editor's contract: start from `initial` (caret at (1, 1)), act, and
// compare the whole text (CR LF between lines) and the caret.
struct ContractCase {
  const char* name;
  std::string initial;
  std::function<void(TEditorModel&)> act;
  std::string text;
  TBufferPos caret;
};

void PrintTo(const ContractCase& c, std::ostream* os) {
  *os << c.name;
}

class EditorContract : public ::testing::TestWithParam<ContractCase> {};

TEST_P(EditorContract, GivesTheExpectedTextAndCaret) {
  const ContractCase& c = GetParam();
  TEditorModel editor;
  editor.SetText(c.initial);
  c.act(editor);
  EXPECT_EQ(editor.Text(), c.text);
  EXPECT_EQ(editor.CaretPos(), c.caret);
  EXPECT_TRUE(editor.Buffer().CheckIntegrity());
}

using E = TEditorModel;

INSTANTIATE_TEST_SUITE_P(
    Text, EditorContract,
    ::testing::Values(
        ContractCase{
            "SetTextSplitsAtCrLfLfAndCr", "a\r\nb\nc\rd", [](E&) {}, "a\r\nb\r\nc\r\nd", {1, 1}},
        ContractCase{"FinalLineBreakIsKept",
                     "a\n",
                     [](E& e) { EXPECT_EQ(e.LineCount(), 2); },
                     "a\r\n",
                     {1, 1}},
        ContractCase{"SetLine", "a\nb\nc", [](E& e) { e.SetLine(1, "X"); }, "a\r\nX\r\nc", {1, 1}},
        ContractCase{
            "InsertLineFirst", "a\nb", [](E& e) { e.InsertLine(0, "X"); }, "X\r\na\r\nb", {1, 2}},
        ContractCase{
            "InsertLineAtEnd", "a\nb", [](E& e) { e.InsertLine(2, "X"); }, "a\r\nb\r\nX", {1, 1}},
        ContractCase{"AddLineToEmptyDocument",
                     "",
                     [](E& e) {
                       e.AddLine("X");
                       e.AddLine("Y");
                     },
                     "X\r\nY",
                     {1, 1}},
        ContractCase{
            "DeleteMiddleLine", "a\nb\nc", [](E& e) { e.DeleteLine(1); }, "a\r\nc", {1, 1}},
        ContractCase{"DeleteLastLine", "a\nb", [](E& e) { e.DeleteLine(1); }, "a", {1, 1}},
        ContractCase{"DeleteOnlyLine", "abc", [](E& e) { e.DeleteLine(0); }, "", {1, 1}}));

INSTANTIATE_TEST_SUITE_P(
    Selection, EditorContract,
    ::testing::Values(ContractCase{"SelTextReplacesAndLeavesCaretAfter",
                                   "hello world",
                                   [](E& e) {
                                     e.SetSelStart(6);
                                     e.SetSelEnd(11);
                                     EXPECT_EQ(e.SelText(), "world");
                                     e.SetSelText("there\r\nnow\rx");
                                   },
                                   "hello there\r\nnow\r\nx",
                                   {2, 3}},
                      ContractCase{"SelTextInsertsAtCaretWithoutSelection",
                                   "abc",
                                   [](E& e) {
                                     e.SetCaretPos({2, 1});
                                     e.SetSelText("XY");
                                   },
                                   "aXYbc",
                                   {4, 1}},
                      ContractCase{"SelStartAloneCollapses",
                                   "one\ntwo",
                                   [](E& e) {
                                     e.SelectAll();
                                     e.SetSelStart(5);  // after "one" CR LF and "t"
                                     EXPECT_FALSE(e.SelAvail());
                                   },
                                   "one\r\ntwo",
                                   {1, 2}},
                      ContractCase{"SelectAllAndReplace",
                                   "x\ny",
                                   [](E& e) {
                                     e.SelectAll();
                                     EXPECT_EQ(e.SelText(), "x\r\ny");
                                     EXPECT_EQ(e.SelLength(), 4);
                                     e.SetSelText("z");
                                   },
                                   "z",
                                   {2, 1}},
                      ContractCase{"ColumnSelectionTextAndDelete",
                                   "abcd\nefgh\nijkl",
                                   [](E& e) {
                                     e.SetSelectionMode(TSelectionMode::smColumn);
                                     e.SetCaretAndSelection({4, 3}, {2, 1}, {4, 3});
                                     EXPECT_EQ(e.SelText(), "bc\r\nfg\r\njk");
                                     e.ExecuteCommand(ecDeleteChar);
                                   },
                                   "ad\r\neh\r\nil",
                                   {2, 1}},
                      ContractCase{"ColumnPasteOfSeveralLines",
                                   "ab\ncd\n",
                                   [](E& e) {
                                     e.SetSelectionMode(TSelectionMode::smColumn);
                                     e.SetCaretPos({2, 1});
                                     e.SetSelText("1\r\n2\r\n3");
                                   },
                                   "a1b\r\nc2d\r\n 3",
                                   {3, 3}},
                      ContractCase{"LineSelectionCoversWholeLines",
                                   "a\nbb\nc",
                                   [](E& e) {
                                     e.SetSelectionMode(TSelectionMode::smLine);
                                     e.SetCaretAndSelection({2, 2}, {2, 2}, {1, 2});
                                     e.SetBlockBegin({2, 2});
                                     e.SetBlockEnd({1, 2});
                                     EXPECT_EQ(e.SelText(), "bb\r\n");
                                     e.SetSelText("");
                                   },
                                   "a\r\nc",
                                   {1, 2}}));

INSTANTIATE_TEST_SUITE_P(
    Commands, EditorContract,
    ::testing::Values(ContractCase{"LineBreakWithAutoIndent",
                                   "  ab",
                                   [](E& e) {
                                     e.SetCaretPos({4, 1});
                                     e.ExecuteCommand(ecLineBreak);
                                   },
                                   "  a\r\n  b",
                                   {3, 2}},
                      ContractCase{"LineBreakWithoutAutoIndent",
                                   "  ab",
                                   [](E& e) {
                                     e.SetOptions(0);
                                     e.SetCaretPos({4, 1});
                                     e.ExecuteCommand(ecLineBreak);
                                   },
                                   "  a\r\nb",
                                   {1, 2}},
                      ContractCase{"TrimTrailingSpacesOnLineBreak",
                                   "ab   cd",
                                   [](E& e) {
                                     e.SetOptions(eoTrimTrailingSpaces);
                                     e.SetCaretPos({6, 1});
                                     e.ExecuteCommand(ecLineBreak);
                                   },
                                   "ab\r\ncd",
                                   {1, 2}},
                      ContractCase{"TabInsertsTabCharacter",
                                   "ab",
                                   [](E& e) {
                                     e.SetOptions(0);
                                     e.SetCaretPos({2, 1});
                                     e.ExecuteCommand(ecTab);
                                   },
                                   "a\tb",
                                   {3, 1}},
                      ContractCase{"TabsToSpacesGoesToNextStop",
                                   "ab",
                                   [](E& e) {
                                     e.SetOptions(eoTabsToSpaces);
                                     e.SetTabWidth(4);
                                     e.SetCaretPos({2, 1});
                                     e.ExecuteCommand(ecTab);
                                   },
                                   "a   b",
                                   {5, 1}},
                      ContractCase{"SmartTabGoesUnderNextWordAbove",
                                   "foo    bar\nx",
                                   [](E& e) {
                                     e.SetOptions(eoSmartTabs);
                                     e.SetCaretPos({2, 2});
                                     e.ExecuteCommand(ecTab);
                                   },
                                   "foo    bar\r\nx      ",
                                   {8, 2}},
                      ContractCase{"SmartTabDeleteReturnsToOuterIndent",
                                   "  a\n      b",
                                   [](E& e) {
                                     e.SetOptions(eoSmartTabDelete);
                                     e.SetCaretPos({7, 2});
                                     e.ExecuteCommand(ecDeleteLastChar);
                                   },
                                   "  a\r\n  b",
                                   {3, 2}},
                      ContractCase{"DeleteLastCharJoinsLines",
                                   "ab\ncd",
                                   [](E& e) {
                                     e.SetCaretPos({1, 2});
                                     e.ExecuteCommand(ecDeleteLastChar);
                                   },
                                   "abcd",
                                   {3, 1}},
                      ContractCase{"DeleteCharAtLineEndJoins",
                                   "ab\ncd",
                                   [](E& e) {
                                     e.SetCaretPos({3, 1});
                                     e.ExecuteCommand(ecDeleteChar);
                                   },
                                   "abcd",
                                   {3, 1}},
                      ContractCase{"CaretLeftAndRightWrapLines",
                                   "ab\ncd",
                                   [](E& e) {
                                     e.SetOptions(0);
                                     e.SetCaretPos({3, 1});
                                     e.ExecuteCommand(ecRight);
                                     EXPECT_EQ(e.CaretPos(), (TBufferPos{1, 2}));
                                     e.ExecuteCommand(ecLeft);
                                   },
                                   "ab\r\ncd",
                                   {3, 1}},
                      ContractCase{"ScrollPastEolPadsWhenTyping",
                                   "ab",
                                   [](E& e) {
                                     e.SetOptions(eoScrollPastEol);
                                     e.SetCaretPos({3, 1});
                                     e.ExecuteCommand(ecRight);
                                     e.ExecuteCommand(ecRight);
                                     e.ExecuteCommand(ecChar, U'x');
                                   },
                                   "ab  x",
                                   {6, 1}},
                      ContractCase{"CaretIsClampedWithoutScrollPastEol",
                                   "ab",
                                   [](E& e) {
                                     e.SetOptions(0);
                                     e.SetCaretPos({9, 7});
                                   },
                                   "ab",
                                   {3, 1}},
                      ContractCase{"TypeNonAsciiCharacter",
                                   "ab",
                                   [](E& e) {
                                     e.SetCaretPos({2, 1});
                                     e.ExecuteCommand(ecChar, U'\u00E9');
                                     e.ExecuteCommand(ecChar, U'\U0001F600');
                                   },
                                   "a\xC3\xA9\xF0\x9F\x98\x80"
                                   "b",
                                   {4, 1}},
                      ContractCase{"OverwriteModeReplacesCharacter",
                                   "abc",
                                   [](E& e) {
                                     e.ExecuteCommand(ecToggleMode);
                                     e.ExecuteCommand(ecChar, U'X');
                                   },
                                   "Xbc",
                                   {2, 1}},
                      ContractCase{"EnhancedHomeGoesToFirstNonBlank",
                                   "   ab",
                                   [](E& e) {
                                     e.SetOptions(eoEnhanceHomeKey);
                                     e.SetCaretPos({6, 1});
                                     e.ExecuteCommand(ecLineStart);
                                     EXPECT_EQ(e.CaretX(), 4);
                                     e.ExecuteCommand(ecLineStart);
                                   },
                                   "   ab",
                                   {1, 1}},
                      ContractCase{"EnhancedEndGoesToLastNonBlank",
                                   "ab   ",
                                   [](E& e) {
                                     e.SetOptions(eoEnhanceEndKey);
                                     e.ExecuteCommand(ecLineEnd);
                                     EXPECT_EQ(e.CaretX(), 3);
                                     e.ExecuteCommand(ecLineEnd);
                                   },
                                   "ab   ",
                                   {6, 1}},
                      ContractCase{"BlockIndentAndUnindent",
                                   "a\nb\nc",
                                   [](E& e) {
                                     e.SetOptions(eoTabsToSpaces);
                                     e.SetTabWidth(2);
                                     e.SetCaretAndSelection({1, 3}, {1, 1}, {1, 3});
                                     e.ExecuteCommand(ecBlockIndent);
                                     EXPECT_EQ(e.Text(), "  a\r\n  b\r\nc");
                                     e.ExecuteCommand(ecBlockIndent);
                                     e.ExecuteCommand(ecBlockUnindent);
                                   },
                                   "  a\r\n  b\r\nc",
                                   {1, 3}},
                      ContractCase{"TabWithMultiLineSelectionIndents",
                                   "a\nb",
                                   [](E& e) {
                                     e.SetOptions(0);
                                     e.SetCaretAndSelection({2, 2}, {1, 1}, {2, 2});
                                     e.ExecuteCommand(ecTab);
                                   },
                                   "\ta\r\n\tb",
                                   {3, 2}},
                      ContractCase{"MatchBracketCommandWithoutBracketGoesToStart",
                                   "ab\ncd",
                                   [](E& e) {
                                     e.SetCaretPos({2, 2});
                                     e.ExecuteCommand(ecMatchBracket);
                                   },
                                   "ab\r\ncd",
                                   {1, 1}}));

TEST(EditorModel, OffsetsCountLineBreaksAsTwoAndClamp) {
  TEditorModel e;
  e.SetText("ab\n\xC3\xA9\tc\n");
  EXPECT_EQ(e.RowColToCharIndex({1, 2}), 4);
  EXPECT_EQ(e.RowColToCharIndex({3, 2}), 6);
  EXPECT_EQ(e.RowColToCharIndex({99, 1}), 2);  // clamped to the line end
  EXPECT_EQ(e.CharIndexToRowCol(6), (TBufferPos{3, 2}));
  EXPECT_EQ(e.CharIndexToRowCol(3), (TBufferPos{3, 1}));  // inside CR LF: end of line
  EXPECT_EQ(e.CharIndexToRowCol(1000), (TBufferPos{1, 3}));
  EXPECT_EQ(e.TextLength(), 9);
  EXPECT_EQ(e.DisplayColumn({3, 2}), 9);  // tab width 8
  EXPECT_EQ(e.BufferColumn(2, 9), 3);
}

TEST(EditorModel, LineIndexOutOfRangeThrows) {
  TEditorModel e;
  e.SetText("a\nb");
  EXPECT_THROW(e.Line(2), std::out_of_range);
  EXPECT_THROW(e.DeleteLine(-1), std::out_of_range);
  EXPECT_THROW(e.InsertLine(3, "x"), std::out_of_range);
  EXPECT_THROW(e.SetBookmark(10, {1, 1}), std::out_of_range);
}

TEST(EditorModel, SelTextIsOneUndoStep) {
  TEditorModel e;
  e.SetText("abc");
  e.SetCaretAndSelection({3, 1}, {2, 1}, {3, 1});
  e.SetSelText("1\n2\n3");
  e.Undo();
  EXPECT_EQ(e.Text(), "abc");
  EXPECT_EQ(e.BlockBegin(), (TBufferPos{2, 1}));
  EXPECT_EQ(e.BlockEnd(), (TBufferPos{3, 1}));
  e.Redo();
  EXPECT_EQ(e.Text(), "a1\r\n2\r\n3c");
  EXPECT_EQ(e.CaretPos(), (TBufferPos{2, 3}));
}

TEST(EditorModel, GroupUndoJoinsTypingOnlyWithTheOption) {
  for (bool group : {false, true}) {
    TEditorModel e;
    e.SetOptions(group ? TEditorOptions{eoGroupUndo} : TEditorOptions{0});
    for (char32_t c : U"abc") {
      if (c) e.ExecuteCommand(ecChar, c);
    }
    e.ExecuteCommand(ecDeleteLastChar);
    e.Undo();
    EXPECT_EQ(e.Text(), "abc");
    e.Undo();
    EXPECT_EQ(e.Text(), group ? "" : "ab") << group;
  }
}

TEST(EditorModel, UndoBlockGroupsChanges) {
  TEditorModel e;
  e.SetText("x");
  e.BeginUndoBlock();
  e.AddLine("a");
  e.BeginUndoBlock();
  e.SetLine(0, "y");
  e.EndUndoBlock();
  e.EndUndoBlock();
  EXPECT_EQ(e.Text(), "y\r\na");
  e.Undo();
  EXPECT_EQ(e.Text(), "x");
  EXPECT_FALSE(e.CanUndo());
}

// Writes joined to the last step undo with it, unless something came between them: an undo, an
// edit of the user's, or a save.
TEST(EditorModel, JoinedWritesUndoAsOneStep) {
  enum Between { kNothing, kUndo, kTyping, kSave };
  struct Case {
    Between between;
    std::size_t steps;      // undo steps after the second write
    const char* afterUndo;  // the text after one undo
  } cases[] = {
      {kNothing, 1, "v"},
      {kUndo, 1, "v"},  // the step undone is no longer the last
      {kTyping, 3, "v1x"},
      {kSave, 2, "v1"},
  };
  for (const Case& c : cases) {
    TEditorModel e;
    e.SetText("v");
    e.BeginUndoBlock();
    e.SetLine(0, "v1");
    e.EndUndoBlock();
    const std::uint64_t written = e.LastUndoId();
    const auto write = [&e, written](const char* text) {
      e.JoinNextUndoBlock(written);
      e.BeginUndoBlock();
      e.SetLine(0, text);
      e.EndUndoBlock();
    };
    if (c.between == kUndo) e.Undo();
    if (c.between == kTyping) {
      e.SetCaretPos({3, 1});
      e.ExecuteCommand(ecChar, U'x');
    }
    if (c.between == kSave) e.SetModified(false);
    write("v12");
    EXPECT_EQ(e.UndoList().UndoCount(), c.steps) << c.between;
    EXPECT_TRUE(e.Modified()) << c.between;
    e.Undo();
    EXPECT_EQ(e.Text(), c.afterUndo) << c.between;
    e.Redo();
    EXPECT_EQ(e.Text(), "v12") << c.between;
  }
}

TEST(EditorModel, ModifiedFollowsTheSavedUndoState) {
  TEditorModel e;
  e.LoadFromBytes("text");
  EXPECT_FALSE(e.Modified());
  e.ExecuteCommand(ecChar, U'a');
  EXPECT_TRUE(e.Modified());
  e.SetModified(false);  // saved here
  e.ExecuteCommand(ecChar, U'b');
  EXPECT_TRUE(e.Modified());
  e.Undo();
  EXPECT_FALSE(e.Modified());  // back at the saved state, although group undo is on
  e.Undo();
  EXPECT_TRUE(e.Modified());
  e.Redo();
  EXPECT_FALSE(e.Modified());
  e.Undo();
  e.ExecuteCommand(ecChar, U'c');  // the saved state can no longer be reached
  e.Undo();
  EXPECT_TRUE(e.Modified());
}

TEST(EditorModel, AddedUndoChangeIsReverted) {
  TEditorModel e;
  e.SetText("abc");
  e.AddUndoChange(TChangeReason::crDelete, {2, 1}, {2, 1}, "XY", TSelectionMode::smNormal);
  e.Undo();
  EXPECT_EQ(e.Text(), "aXYbc");
}

TEST(EditorModel, LineMarksKeepToTheirLineAndGoWithNewText) {
  TEditorModel e;
  e.SetText("a\nb\nc\nd");
  e.SetLineMarks({{3, "syntax error"}, {99, "past the end"}});
  EXPECT_EQ(e.LineMarks().back().Line, 4);  // clamped into the text
  e.InsertLine(0, "new");
  ASSERT_NE(e.LineMarkAt(4), nullptr);
  EXPECT_EQ(e.LineMarkAt(4)->Message, "syntax error");
  EXPECT_EQ(e.LineMarkAt(3), nullptr);
  e.SetCaretPos({2, 4});
  e.ExecuteCommand(ecLineBreak);  // a break after the text does not move the mark
  EXPECT_NE(e.LineMarkAt(4), nullptr);
  e.DeleteLine(0);
  e.DeleteLine(0);
  EXPECT_NE(e.LineMarkAt(2), nullptr);
  e.SetText("x");
  EXPECT_TRUE(e.LineMarks().empty());
}

TEST(EditorModel, BookmarksMoveWithTheirLines) {
  TEditorModel e;
  e.SetText("a\nb\nc\nd");
  e.SetBookmark(1, {1, 3});
  e.SetBookmark(2, {1, 1});
  e.InsertLine(0, "new");
  TBufferPos p;
  ASSERT_TRUE(e.GetBookmark(1, p));
  EXPECT_EQ(p.Line, 4);
  ASSERT_TRUE(e.GetBookmark(2, p));
  EXPECT_EQ(p.Line, 2);
  e.DeleteLine(1);
  e.DeleteLine(1);
  ASSERT_TRUE(e.GetBookmark(1, p));
  EXPECT_EQ(p.Line, 2);
  EXPECT_EQ(e.Line(1), "c");
  e.SetCaretPos({2, 2});
  e.ExecuteCommand(ecLineBreak);  // a break after the text does not move the mark
  ASSERT_TRUE(e.GetBookmark(1, p));
  EXPECT_EQ(p.Line, 2);
  EXPECT_TRUE(e.IsBookmark(2));
  e.ClearBookmark(2);
  EXPECT_FALSE(e.IsBookmark(2));
}

TEST(EditorModel, WordsAndBrackets) {
  TEditorModel e;
  e.SetText("foo(bar[1], \xC3\xA9t\xC3\xA9_2) {x}");
  EXPECT_EQ(e.WordAt({6, 1}), "bar");
  EXPECT_EQ(e.WordAt({8, 1}), "bar");  // just after the word
  EXPECT_EQ(e.WordStart({7, 1}), (TBufferPos{5, 1}));
  EXPECT_EQ(e.WordEnd({5, 1}), (TBufferPos{8, 1}));
  EXPECT_EQ(e.WordAt({15, 1}), "\xC3\xA9t\xC3\xA9_2");
  EXPECT_EQ(e.WordAt({12, 1}), "");
  e.SetCaretPos({4, 1});
  EXPECT_EQ(e.MatchingBracket(), (TBufferPos{18, 1}));
  e.SetCaretPos({19, 1});  // after ")"
  EXPECT_EQ(e.MatchingBracket(), (TBufferPos{4, 1}));
  e.SetCaretPos({2, 1});
  EXPECT_EQ(e.MatchingBracket(), (TBufferPos{0, 0}));
  e.SetText("((x)");
  EXPECT_EQ(e.MatchingBracketAt({1, 1}), (TBufferPos{0, 0}));
}

// Records every notification, to check what listeners are told.
struct Recorder : TEditorListener {
  std::vector<std::string> events;
  void LinesInserted(int f, int c) override {
    events.push_back("ins " + std::to_string(f) + " " + std::to_string(c));
  }
  void LinesDeleted(int f, int c) override {
    events.push_back("del " + std::to_string(f) + " " + std::to_string(c));
  }
  void LinesChanged(int f, int c) override {
    events.push_back("chg " + std::to_string(f) + " " + std::to_string(c));
  }
  void BeforeCommand(TCommandEvent& ev) override {
    events.push_back("cmd " + std::to_string(ev.command));
    if (ev.command == ecCopy && swallowCopy) ev.handled = true;
  }
  bool swallowCopy = false;
};

TEST(EditorModel, ListenersHearLineChangesAndCommands) {
  TEditorModel e;
  e.SetText("ab\ncd");
  Recorder r;
  e.AddListener(&r);
  e.SetCaretPos({2, 1});
  e.ExecuteCommand(ecLineBreak);
  e.InsertLine(0, "top");
  e.DeleteLine(0);
  e.SelectAll();
  e.ExecuteCommand(ecCopy);
  e.ExecuteCommand(ecCut);
  EXPECT_EQ(r.events,
            (std::vector<std::string>{"cmd 509", "chg 0 1", "ins 1 1", "ins 0 1", "del 0 1",
                                      "cmd 201", "cmd 603", "del 1 2", "chg 0 1"}));
  EXPECT_EQ(e.Clipboard().Text(), "a\r\nb\r\ncd");
  r.swallowCopy = true;
  e.SetText("other");
  e.SelectAll();
  e.ExecuteCommand(ecCopy);
  EXPECT_EQ(e.Clipboard().Text(), "a\r\nb\r\ncd");  // the listener handled the command
  e.RemoveListener(&r);
}

TEST(EditorModel, ReadOnlyBlocksEditingCommands) {
  TEditorModel e;
  e.SetText("abc");
  e.SetReadOnly(true);
  e.ExecuteCommand(ecChar, U'x');
  e.ExecuteCommand(ecDeleteChar);
  e.ExecuteCommand(ecLineBreak);
  EXPECT_EQ(e.Text(), "abc");
  EXPECT_FALSE(e.CanPaste());
}

TEST(EditorModel, BadInputIsKeptAndEditable) {
  TEditorModel e;
  const std::string binary("a\0b\r\xFF\xFE\0\rz", 9);
  e.LoadFromBytes(binary);
  EXPECT_EQ(e.LineCount(), 3);
  EXPECT_EQ(e.Line(0), std::string("a\0b", 3));
  EXPECT_EQ(e.Line(1), std::string("\xC3\xBF\xC3\xBE\0", 5));
  e.SetCaretPos({3, 2});
  e.ExecuteCommand(ecChar, U'x');
  e.ExecuteCommand(ecDeleteLastChar);
  e.ExecuteCommand(ecDeleteLastChar);
  EXPECT_EQ(e.Line(1), std::string("\xC3\xBF\0", 3));
  EXPECT_EQ(e.SearchReplace(std::string("\0", 1), "0", ssoEntireScope | ssoReplace | ssoReplaceAll),
            2);
  EXPECT_EQ(e.Text(),
            "a0b\r\n\xC3\xBF"
            "0\r\nz");
  while (e.CanUndo()) e.Undo();
  EXPECT_EQ(e.Line(1), std::string("\xC3\xBF\xC3\xBE\0", 5));
}

// Opening hands the decoded bytes over; the model reads them as it reads a copy, and a loaded
// document is not modified and undoes nothing.
TEST(EditorModel, BytesHandedOverLoadLikeACopy) {
  std::string big;
  while (big.size() < 100000) big += "line \xC3\xA4\r\n";
  for (const std::string& bytes :
       {std::string(), std::string("a\r\nb\rc\n"), std::string("a\0b\r\xFF\xFE\0\rz", 9), big}) {
    TEditorModel copied;
    copied.LoadFromBytes(bytes);
    TEditorModel owned;
    owned.SetText("before");
    owned.LoadFromOwnedBytes(std::string(bytes));
    EXPECT_EQ(owned.Text(), copied.Text());
    EXPECT_EQ(owned.LineCount(), copied.LineCount());
    EXPECT_FALSE(owned.Modified());
    EXPECT_FALSE(owned.CanUndo());
    EXPECT_EQ(owned.CaretPos(), (TBufferPos{1, 1}));
  }
}

TEST(EditorModel, EmptyDocumentIsUsable) {
  TEditorModel e;
  e.LoadFromBytes("");
  EXPECT_EQ(e.LineCount(), 1);
  EXPECT_EQ(e.Text(), "");
  e.ExecuteCommand(ecDeleteLastChar);
  e.ExecuteCommand(ecDeleteChar);
  e.ExecuteCommand(ecRight);
  e.ExecuteCommand(ecDown);
  EXPECT_EQ(e.SearchReplace("x", "y", ssoEntireScope), 0);
  EXPECT_EQ(e.CaretPos(), (TBufferPos{1, 1}));
  EXPECT_FALSE(e.CanUndo());
}

}  // namespace
}  // namespace tervil

namespace tervil {
namespace {

TEST(EditorModel, DisplayColumnsExpandTabs) {
  TEditorModel e;
  e.SetText("\tab\tc\xC3\xA9");
  e.SetTabWidth(4);
  const int display[] = {1, 5, 6, 7, 9, 10, 11, 12};  // columns 1 to 8 (8 is past the end)
  for (int column = 1; column <= 8; ++column) {
    EXPECT_EQ(e.DisplayColumn({column, 1}), display[column - 1]) << column;
    EXPECT_EQ(e.BufferColumn(1, display[column - 1]), column) << column;
  }
  EXPECT_EQ(e.BufferColumn(1, 3), 1);  // inside the first tab
  EXPECT_EQ(e.BufferColumn(1, 8), 4);  // inside the second tab
}

// A document of one long line (the benchmark uses 50 MB) loads, edits, searches and undoes.
TEST(EditorModel, OneLongLineStaysUsable) {
  std::string text;
  while (text.size() < 3 * 1024 * 1024) text += "<td>cell \xC3\xA9</td>";
  text += "END";
  TEditorModel e;
  e.LoadFromBytes(text);
  ASSERT_EQ(e.LineCount(), 1);
  e.ExecuteCommand(ecEditorBottom);
  e.ExecuteCommand(ecChar, U'!');
  e.ExecuteCommand(ecLineStart);
  e.ExecuteCommand(ecLineEnd);
  e.ExecuteCommand(ecUp);
  EXPECT_EQ(e.SearchReplace("END!", "", ssoEntireScope | ssoBackwards), 1);
  const auto cells = static_cast<int>(text.size() / std::string("<td>cell \xC3\xA9</td>").size());
  EXPECT_EQ(e.SearchReplace("\xC3\xA9", "e", ssoEntireScope | ssoReplace | ssoReplaceAll), cells);
  EXPECT_EQ(e.CharIndexToRowCol(e.RowColToCharIndex({2000000, 1})), (TBufferPos{2000000, 1}));
  while (e.CanUndo()) e.Undo();
  EXPECT_EQ(e.Text(), text);
  EXPECT_FALSE(e.Modified());
}

TEST(EditorModel, CrOnlyLineEndsAreLineBreaks) {
  TEditorModel e;
  e.LoadFromBytes("a\rb\r\rc");
  EXPECT_EQ(e.LineCount(), 4);
  e.SetCaretPos({2, 2});
  e.ExecuteCommand(ecDeleteChar);
  EXPECT_EQ(e.Text(), "a\r\nb\r\nc");
  e.Undo();
  EXPECT_EQ(e.Text(), "a\r\nb\r\n\r\nc");
}

// The decoded text of an open is kept as it is when it is valid UTF-8 with LF breaks, and
// normalised otherwise; either way the document is unmodified.
TEST(EditorModel, LoadFromOwnedBytesKeepsValidTextWithoutACopy) {
  std::string text(100000, 'a');
  text += "\nb";
  const char* bytes = text.data();
  TEditorModel e;
  e.LoadFromOwnedBytes(std::move(text));
  const char* first = nullptr;
  e.Buffer().VisitRange(0, 1, [&](const char* data, std::size_t) {
    first = data;
    return false;
  });
  EXPECT_EQ(first, bytes);
  EXPECT_EQ(e.LineCount(), 2);
  EXPECT_FALSE(e.Modified());

  e.LoadFromOwnedBytes(std::string("a\r\nb\xE9"));
  EXPECT_EQ(e.Text("\n"), "a\nb\xC3\xA9");
  EXPECT_FALSE(e.Modified());
}

// A jump keeps a line already in the window where it is and centres any other, never past the
// last window; before the window has a height it scrolls nothing.
TEST(EditorModel, JumpsShowTheirLineWithContext) {
  struct Case {
    int lines, window, top, target, expectedTop;
  } cases[] = {
      {100, 20, 1, 50, 40},   // below the window: centred
      {100, 20, 60, 10, 1},   // above, near the start: the first window
      {100, 20, 30, 40, 30},  // in the window: stays
      {100, 20, 30, 49, 30},  // on its last row: stays
      {100, 20, 30, 50, 40},  // one past it: centred
      {100, 20, 1, 98, 81},   // near the end: the last window
      {100, 0, 7, 90, 7},     // no height yet
      {10, 20, 1, 9, 1},      // shorter than the window
  };
  for (const Case& c : cases) {
    TEditorModel editor;
    std::string text;
    for (int n = 0; n < c.lines; ++n) text += "line\r\n";
    editor.SetText(text.substr(0, text.size() - 2));
    editor.SetLinesInWindow(c.window, false);
    editor.SetTopLine(c.top);
    editor.JumpTo({3, c.target});
    EXPECT_EQ(editor.CaretPos(), (TBufferPos{3, c.target})) << c.target;
    EXPECT_EQ(editor.TopLine(), c.expectedTop) << c.top << " -> " << c.target;
  }
}

}  // namespace
}  // namespace tervil
