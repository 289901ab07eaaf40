// Setting an attribute of the tag at the caret of an editor.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/editcomponent/EditorModel.h"
#include "core/tags/TagsEditor.h"

namespace tervil {
namespace {

// Records the caret line's text at every status change.
class TStatusRecorder : public TEditorListener {
 public:
  explicit TStatusRecorder(TEditorModel& editor) : editor_(editor) {}
  void StatusChanged(TStatusChanges) override { lines.push_back(editor_.LineText()); }
  std::vector<std::string> lines;

 private:
  TEditorModel& editor_;
};

class SetTagAttribute : public testing::Test {
 protected:
  void SetUp() override {
    editor.LoadFromBytes("<p>\n<a href=\"x.html\" title='t'>link</a>\n</p>\n");
    editor.SetCaretPos({5, 2});  // on "href"
  }
  THtmlTagsEditor tags;
  TEditorModel editor;
};

TEST_F(SetTagAttribute, RewritesTheCaretLineAsOneUndoStep) {
  tags.SetTagAttribute("title", "it's \"big\"", editor);
  EXPECT_EQ(editor.Line(1), "<a href=\"x.html\" title='it's 'big''>link</a>");
  EXPECT_EQ(editor.Line(0), "<p>");
  EXPECT_EQ(editor.Line(2), "</p>");
  EXPECT_TRUE(editor.Modified());
  EXPECT_EQ(editor.UndoList().UndoCount(), 1u);
  EXPECT_EQ(editor.CaretPos(), (TBufferPos{5, 2}));

  editor.Undo();
  EXPECT_EQ(editor.Line(1), "<a href=\"x.html\" title='t'>link</a>");
  EXPECT_FALSE(editor.Modified());
  editor.Redo();
  EXPECT_EQ(editor.Line(1), "<a href=\"x.html\" title='it's 'big''>link</a>");
}

TEST_F(SetTagAttribute, AddsAndRemovesAnAttribute) {
  editor.SetText("<td>");
  editor.SetCaretPos({2, 1});
  tags.SetTagAttribute("width", "100", editor);
  EXPECT_EQ(editor.LineText(), "<td width=\"100\">");
  tags.SetTagAttribute("width", "", editor);
  EXPECT_EQ(editor.LineText(), "<td>");
  editor.Undo();
  EXPECT_EQ(editor.LineText(), "<td width=\"100\">");
}

TEST_F(SetTagAttribute, TheCurrentValueChangesNothing) {
  tags.SetTagAttribute("href", "x.html", editor);
  tags.SetTagAttribute("", "x", editor);
  tags.SetTagAttribute("alt", "", editor);
  EXPECT_EQ(editor.Line(1), "<a href=\"x.html\" title='t'>link</a>");
  EXPECT_FALSE(editor.Modified());
  EXPECT_FALSE(editor.CanUndo());
}

TEST_F(SetTagAttribute, NoTagAtTheCaretChangesNothing) {
  editor.SetCaretPos({30, 2});  // in "link"
  tags.SetTagAttribute("href", "y", editor);
  EXPECT_EQ(editor.Line(1), "<a href=\"x.html\" title='t'>link</a>");
  EXPECT_FALSE(editor.Modified());
}

TEST_F(SetTagAttribute, AReadOnlyEditorIsLeftAlone) {
  editor.SetReadOnly(true);
  tags.SetTagAttribute("href", "y", editor);
  EXPECT_EQ(editor.Line(1), "<a href=\"x.html\" title='t'>link</a>");
}

TEST_F(SetTagAttribute, StatusChangesWaitUntilTheLineIsComplete) {
  TStatusRecorder recorder(editor);
  editor.AddListener(&recorder);
  tags.SetTagAttribute("href", "y.html", editor);
  editor.RemoveListener(&recorder);
  ASSERT_FALSE(recorder.lines.empty());
  for (const auto& line : recorder.lines) EXPECT_EQ(line, "<a href=\"y.html\" title='t'>link</a>");
}

TEST_F(SetTagAttribute, DoesNotChangeTheCurrentTag) {
  tags.SetCurrentTag({"a", 54});
  tags.SetTagAttribute("href", "y.html", editor);
  EXPECT_EQ(tags.CurrentTag(), (HtmlTag{"a", 54}));
}

}  // namespace
}  // namespace tervil
