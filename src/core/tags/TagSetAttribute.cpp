// Rewriting an attribute of the tag at an editor's caret.

#include "core/editcomponent/EditorModel.h"
#include "core/tags/TagEngine.h"
#include "core/tags/TagsEditor.h"

namespace tervil {

namespace {

// Holds the editor's status-change notifications back for its lifetime.
class TEditorUpdate {
 public:
  explicit TEditorUpdate(TEditorModel& editor) : editor_(editor) { editor_.BeginUpdate(); }
  ~TEditorUpdate() { editor_.EndUpdate(); }
  TEditorUpdate(const TEditorUpdate&) = delete;
  TEditorUpdate& operator=(const TEditorUpdate&) = delete;

 private:
  TEditorModel& editor_;
};

}  // namespace

void THtmlTagsEditor::SetTagAttribute(std::string_view name, std::string_view value,
                                      TEditorModel& editor) {
  if (name.empty() || editor.ReadOnly()) return;
  const TBufferPos caret = editor.CaretPos();
  const std::optional<std::string> line =
      SetAttributeInLine(editor.LineText(), caret.Column, name, value);
  if (!line) return;
  const TBufferPos anchor = caret == editor.BlockBegin() ? editor.BlockEnd() : editor.BlockBegin();
  TEditorUpdate update(editor);
  // One undo step: the old line's text deleted and the new one inserted.
  editor.SetLine(caret.Line - 1, *line);
  // Replacing the line moved the caret to its start; it goes back to its column.
  editor.SetCaretAndSelection(caret, anchor, caret);
}

}  // namespace tervil
