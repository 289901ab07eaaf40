#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/editcomponent/EditorModel.h"
#include "core/editcomponent/EditorTestSupport.h"

namespace tervil {

namespace {

// Keeps a copy of the lines up to date from the line notifications alone, the way a
// highlighter cache or a view does.
class LineMirror : public TEditorListener {
 public:
  explicit LineMirror(const TEditorModel& editor) : editor_(editor) { TextReset(); }

  void LinesInserted(int first, int count) override {
    std::vector<std::string> fresh;
    for (int i = 0; i < count; ++i) fresh.push_back(editor_.Line(first + i));
    lines_.insert(lines_.begin() + first, fresh.begin(), fresh.end());
  }
  void LinesDeleted(int first, int count) override {
    lines_.erase(lines_.begin() + first, lines_.begin() + first + count);
  }
  void LinesChanged(int first, int count) override {
    for (int i = first; i < first + count; ++i)
      lines_[static_cast<std::size_t>(i)] = editor_.Line(i);
  }
  void TextReset() override {
    lines_.clear();
    for (int i = 0; i < editor_.LineCount(); ++i) lines_.push_back(editor_.Line(i));
  }

  bool Matches() const {
    if (static_cast<int>(lines_.size()) != editor_.LineCount()) return false;
    for (int i = 0; i < editor_.LineCount(); ++i) {
      if (lines_[static_cast<std::size_t>(i)] != editor_.Line(i)) return false;
    }
    return true;
  }

 private:
  const TEditorModel& editor_;
  std::vector<std::string> lines_;
};

// The same from the single splice notification.
class SpliceMirror : public LineMirror {
 public:
  using LineMirror::LineMirror;
  void LinesInserted(int, int) override {}
  void LinesDeleted(int, int) override {}
  void LinesChanged(int, int) override {}
  void LinesReplaced(int first, int removed, int inserted) override {
    LineMirror::LinesDeleted(first, removed);
    LineMirror::LinesInserted(first, inserted);
  }
};

class RandomEditor {
 public:
  RandomEditor(TEditorModel& e, unsigned seed) : e_(e), rng_(seed) {}

  int Pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }

  TBufferPos RandomPos() {
    const int line = 1 + Pick(e_.LineCount());
    return {1 + Pick(e_.LineLength(line - 1) + 3), line};
  }

  std::string RandomText() {
    static const char* pieces[] = {
        "a",  "Zz", " ",    "\t", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\r\n",
        "\n", "\r", "word", "(",  ")"};
    std::string s;
    for (int n = Pick(6); n >= 0; --n) s += pieces[Pick(static_cast<int>(std::size(pieces)))];
    return s;
  }

  void RandomSelection() {
    static const TSelectionMode modes[] = {TSelectionMode::smNormal, TSelectionMode::smColumn,
                                           TSelectionMode::smLine};
    e_.SetSelectionMode(modes[Pick(3)]);
    e_.SetCaretAndSelection(RandomPos(), RandomPos(), RandomPos());
  }

  void Step() {
    static const char32_t chars[] = {U'x', U' ', U'\t', U'\u00E9', U'\u20AC', U'\U0001F600', U'{'};
    switch (Pick(16)) {
      case 0:
        e_.SetCaretPos(RandomPos());
        break;
      case 1:
      case 2:
        RandomSelection();
        e_.SetSelText(RandomText());
        break;
      case 3:
      case 4:
        e_.ExecuteCommand(ecChar, chars[Pick(static_cast<int>(std::size(chars)))]);
        break;
      case 5:
        e_.ExecuteCommand(ecLineBreak);
        break;
      case 6:
        e_.ExecuteCommand(ecDeleteLastChar);
        break;
      case 7:
        e_.ExecuteCommand(ecDeleteChar);
        break;
      case 8:
        RandomSelection();
        e_.ExecuteCommand(Pick(2) ? ecBlockIndent : ecBlockUnindent);
        break;
      case 9: {
        const int index = Pick(e_.LineCount());
        switch (Pick(3)) {
          case 0:
            e_.InsertLine(index, RandomText());
            break;
          case 1:
            e_.DeleteLine(index);
            break;
          default:
            e_.SetLine(index, "line \xC3\xA9");
            break;
        }
        break;
      }
      case 10:
        e_.SearchReplace("a", Pick(2) ? "\xE2\x82\xAC" : "",
                         ssoEntireScope | ssoReplace | ssoReplaceAll);
        break;
      case 11:
        e_.ExecuteCommand(ecTab);
        break;
      case 12: {
        static const TEditorCommand deletes[] = {ecDeleteWord, ecDeleteLastWord, ecDeleteLine,
                                                 ecDeleteEOL, ecDeleteBOL};
        e_.ExecuteCommand(deletes[Pick(5)]);
        break;
      }
      case 13:
        RandomSelection();
        e_.ExecuteCommand(Pick(2) ? ecCut : ecPaste);
        break;
      case 14:
        e_.ExecuteCommand(Pick(2) ? ecUndo : ecRedo);
        break;
      default:
        e_.ExecuteCommand(static_cast<TEditorCommand>(ecLeft + Pick(8)), 0);
        break;
    }
  }

 private:
  TEditorModel& e_;
  std::mt19937 rng_;
};

std::string InitialText() {
  std::string s;
  for (int i = 0; i < 400; ++i) {
    s += std::string(static_cast<std::size_t>(i % 7), ' ') + "line " + std::to_string(i) +
         " caf\xC3\xA9 \xE2\x82\xAC a(b)\t{x}\r\n";
  }
  return s;
}

TEST(EditorRandom, ThousandsOfEditsUndoToTheOriginalAndRedoToTheEnd) {
  for (unsigned seed : {1u, 2u, 3u}) {
    TEditorModel e;
    e.SetText(InitialText());
    e.SetOptions(eoAutoIndent | eoGroupUndo | eoScrollPastEol | eoSmartTabDelete |
                 (seed % 2 ? eoTabsToSpaces | eoTrimTrailingSpaces : eoSmartTabs));
    e.SetTabWidth(4);
    e.SetCaretPos({3, 5});
    LineMirror mirror(e);
    SpliceMirror splices(e);
    e.AddListener(&mirror);
    e.AddListener(&splices);
    const std::string original = e.Text();
    const TBufferPos originalCaret = e.CaretPos();
    e.ExecuteCommand(ecChar, U'#');  // the first undo step starts from the original caret

    RandomEditor random(e, seed);
    for (int step = 0; step < 2500; ++step) {
      random.Step();
      if (step % 500 == 0) {
        ASSERT_TRUE(e.Buffer().CheckIntegrity()) << step;
        ASSERT_TRUE(mirror.Matches()) << step;
        ASSERT_TRUE(splices.Matches()) << step;
      }
    }
    e.ExecuteCommand(ecChar, U'!');  // end with an edit, so the caret is part of the history
    const std::string final = e.Text();
    const TBufferPos finalCaret = e.CaretPos();
    EXPECT_NE(final, original);
    EXPECT_GT(e.UndoList().UndoCount(), 500u);

    while (e.CanUndo()) e.Undo();
    EXPECT_EQ(e.Text(), original) << seed;
    EXPECT_EQ(e.CaretPos(), originalCaret) << seed;
    EXPECT_TRUE(mirror.Matches());
    while (e.CanRedo()) e.Redo();
    EXPECT_EQ(e.Text(), final) << seed;
    EXPECT_EQ(e.CaretPos(), finalCaret) << seed;
    EXPECT_TRUE(mirror.Matches());
    EXPECT_TRUE(splices.Matches());
    EXPECT_TRUE(e.Buffer().CheckIntegrity());
    e.RemoveListener(&mirror);
    e.RemoveListener(&splices);
  }
}

}  // namespace
}  // namespace tervil
