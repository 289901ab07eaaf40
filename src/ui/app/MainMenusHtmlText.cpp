// The text commands: the HTML and HTML form toolbars, the conversions, comments and insertions,
// copy as RTF or HTML, and the menu for explorer entries dropped on an editor.
#include <QIcon>
#include <QMenu>

#include "ui/app/MainForm.h"
#include "ui/editcomponent/TextEditor.h"
#include "ui/textcommands/HtmlTextActions.h"

namespace tervil {

void TTervilMain::CreateHtmlTextActions() {
  htmlText_ = new THtmlTextActions(*this, dataDir_);
}

void TTervilMain::AddHtmlTextEditorMenuItems(QMenu& menu) {
  if (htmlText_) htmlText_->AddEditorMenuItems(menu, actCopy);
}

// An entry of the explorer's file list dropped on the text: without a selection the caret goes
// to the drop point, then the dropped-file menu opens there.
bool TTervilMain::DropExplorerEntry(TTextEditor& editor, const QMimeData& data, QPoint point) {
  if (!htmlText_) return false;
  if (!editor.SelAvail()) editor.SetCaretXY(editor.PixelsToBufferPos(point));
  return htmlText_->HandleDrop(editor, data, editor.viewport()->mapToGlobal(point));
}

}  // namespace tervil
