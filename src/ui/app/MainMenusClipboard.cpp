// The clipboard history: every copy and cut in an editor page is remembered, and "Clipboard
// History" shows the pop-up that inserts an older entry.
#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>

#include "ui/app/MainForm.h"
#include "ui/app/MenuLookup.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/textcommands/MultiClipboard.h"

namespace tervil {

void TTervilMain::CreateClipboardActions() {
  multiClipboard_ =
      new TMultiClipboard(configuration_->ClipboardList, ListHighlighters(), &highlighters_.Multi(),
                          Message("MultiHighlighter"), Message("None"), this);
  multiClipboard_->CurrentEditor = [this]() -> TTextEditor* {
    return currentPage_ ? currentPage_->TvlEdit() : nullptr;
  };

  actClipboardShow =
      new QAction(QIcon::fromTheme("edit-paste-history", QIcon::fromTheme("klipper")),
                  tr("Clipboard History"), this);
  actClipboardShow->setShortcut(QKeySequence("Ctrl+Shift+V"));
  actClipboardShow->setStatusTip(tr("Paste one of the texts copied or cut before"));
  connect(actClipboardShow, &QAction::triggered, this, [this] {
    UpdateClipboardActions();
    if (!actClipboardShow->isEnabled() || !currentPage_) return;
    multiClipboard_->ShowAt(*currentPage_->TvlEdit(), *this);
  });
  addAction(actClipboardShow);

  // In the Edit menu just after "Paste".
  QMenu* edit = MenuNamed(menuBar(), tr("&Edit"), tr("&View"));
  const QList<QAction*> items = edit->actions();
  const qsizetype at = items.indexOf(actPaste);
  edit->insertAction(at >= 0 && at + 1 < items.size() ? items[at + 1] : nullptr, actClipboardShow);
  connect(edit, &QMenu::aboutToShow, this, &TTervilMain::UpdateClipboardActions);
}

// Enabled when a page is open whose editor takes a paste and the history holds an entry.
void TTervilMain::UpdateClipboardActions() {
  if (!actClipboardShow) return;
  TTvlEdit* editor = currentPage_ ? currentPage_->TvlEdit() : nullptr;
  actClipboardShow->setEnabled(editor && !editor->ReadOnly() && editor->CanPaste() &&
                               !configuration_->ClipboardList.Empty());
}

// Copy and cut, typed or chosen from a menu, put a non-empty selection into the history before
// they run.
void TTervilMain::RememberCopies(TTvlEdit* editor) {
  editor->OnCommandProcessed = [this](TTextEditor& source, TCommandEvent& event) {
    if ((event.command == ecCopy || event.command == ecCut) && source.SelAvail())
      configuration_->ClipboardList.Insert(0, source.SelText());
  };
}

}  // namespace tervil
