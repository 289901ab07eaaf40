// The HTML attribute window and its show command.
#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QToolBar>

#include "ui/app/MainForm.h"
#include "ui/docking/DockManager.h"
#include "ui/documents/TvlPage.h"
#include "ui/tags/HtmlEditorForm.h"

namespace tervil {

// Created once, after the tag database has been read: the window fills its tag list from it.
void TTervilMain::CreateHtmlEditor() {
  htmlEditor_ = new THtmlEditor(tags_, this, dataDir_ + "/colorlist.tvd");
  dockManager_->AddToolWindow(htmlEditor_, "DockPanelRight");
  actHtmlEditor = dockManager_->CreateShowAction(
      htmlEditor_, tr("HTML Editor"), "Ctrl+Shift+H",
      tr("Show or hide the attributes of the tag at the caret"), QIcon::fromTheme("text-html"));
  viewMenu_->addAction(actHtmlEditor);
  if (auto* bar = findChild<QToolBar*>("MainToolbar")) {
    bar->addSeparator();
    bar->addAction(actHtmlEditor);
  }
  connect(this, &TTervilMain::StatusRefreshed, htmlEditor_, &THtmlEditor::PageChanged);
  htmlEditor_->PageChanged(currentPage_);
}

}  // namespace tervil
