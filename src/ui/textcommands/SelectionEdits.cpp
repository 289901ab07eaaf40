#include "ui/textcommands/SelectionEdits.h"

#include <string>

#include "ui/app/WaitWindow.h"
#include "ui/editcomponent/TextEditor.h"

namespace tervil {

namespace {

// Selections from this size on show the wait window while they are converted.
constexpr std::size_t kWaitWindowBytes = 512 * 1024;

bool Editable(const TTextEditor& editor) {
  return !editor.ReadOnly();
}

}  // namespace

TCaretSide CaretSideOf(const TTextEditor& editor) {
  const TEditorModel& model = editor.Model();
  return model.SelAvail() && model.CaretPos() == model.BlockBegin() ? TCaretSide::Start
                                                                    : TCaretSide::End;
}

void ApplyInsertion(TTextEditor& editor, const TTextInsertion& insertion) {
  if (!Editable(editor)) return;
  TEditorModel& model = editor.Model();
  const std::int64_t start = model.SelStart();
  model.SetSelText(insertion.text);
  if (insertion.caret != TTextInsertion::kAfterText)
    model.SetCaretPos(model.CharIndexToRowCol(start + static_cast<std::int64_t>(insertion.caret)));
}

void AppendToSelection(TTextEditor& editor, std::string_view text) {
  if (!Editable(editor) || text.empty()) return;
  editor.SetSelText(editor.SelText() + std::string(text));
}

void ConvertSelection(TTextEditor& editor, TTextConversion conversion, TWaitWindow* wait) {
  if (!Editable(editor) || !editor.SelAvail()) return;
  const std::string selection = editor.SelText();
  std::string converted;
  if (wait && selection.size() >= kWaitWindowBytes) {
    wait->Run([&](const std::function<void(int)>& progress) {
      converted = ConvertText(conversion, selection, progress);
    });
  } else {
    converted = ConvertText(conversion, selection);
  }
  if (converted != selection) editor.SetSelText(converted);
}

void BreakSelectedLines(TTextEditor& editor, int width) {
  if (!Editable(editor)) return;
  TEditorModel& model = editor.Model();
  const int first = model.SelAvail() ? model.BlockBegin().Line : model.CaretY();
  const int last = model.SelAvail() ? model.BlockEnd().Line : model.CaretY();
  std::string lines;
  for (int line = first; line <= last; ++line) {
    if (line > first) lines += "\r\n";
    lines += model.Line(line - 1);
  }
  const std::string broken = BreakTextLines(lines, width);
  if (broken == lines) return;
  const TBufferPos end{model.LineLength(last - 1) + 1, last};
  model.SetCaretAndSelection(end, {1, first}, end);
  model.SetSelText(broken);
}

void CommentOutSelection(TTextEditor& editor) {
  if (!Editable(editor)) return;
  const bool empty = !editor.SelAvail();
  editor.SetSelText(CommentOutLines(editor.SelText()));
  if (empty) {
    TEditorModel& model = editor.Model();
    model.SetCaretPos(model.CharIndexToRowCol(model.SelStart() - 3));
  }
}

void RemoveCommentFromSelection(TTextEditor& editor) {
  if (!Editable(editor) || !editor.SelAvail()) return;
  const std::string selection = editor.SelText();
  const std::string uncommented = RemoveLineComments(selection);
  if (uncommented != selection) editor.SetSelText(uncommented);
}

}  // namespace tervil
