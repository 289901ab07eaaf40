// The main window's commands on the editor's own matching: "Go to Matching Bracket".
#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>

#include "ui/app/MainForm.h"
#include "ui/app/MenuLookup.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"

namespace tervil {

void TTervilMain::CreateEditorActions() {
  actMatchBracket = new QAction(QIcon::fromTheme("go-jump"), tr("Go to Matching Bracket"), this);
  actMatchBracket->setShortcut(QKeySequence("Ctrl+Shift+B"));
  actMatchBracket->setStatusTip(tr("Move the caret to the matching bracket or tag"));
  connect(actMatchBracket, &QAction::triggered, this, [this] {
    if (currentPage_) currentPage_->TvlEdit()->ExecuteCommand(ecMatchBracket);
  });
  addAction(actMatchBracket);

  // In the Edit menu just after "Go to Line".
  QMenu* edit = MenuNamed(menuBar(), tr("&Edit"), tr("&View"));
  const QList<QAction*> items = edit->actions();
  const qsizetype at = items.indexOf(actGoToLine);
  edit->insertAction(at >= 0 && at + 1 < items.size() ? items[at + 1] : nullptr, actMatchBracket);
  connect(edit, &QMenu::aboutToShow, this,
          [this] { actMatchBracket->setEnabled(currentPage_ != nullptr); });
}

}  // namespace tervil
