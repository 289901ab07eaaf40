// The live preview: the "Preview" tool window with its show command and toolbar button, and the
// PHP syntax marks that follow the pages.
#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QToolBar>

#include "ui/app/MainForm.h"
#include "ui/docking/DockManager.h"
#include "ui/documents/TvlPage.h"
#include "ui/generators/GeneratorIcons.h"
#include "ui/preview/PhpLintMarks.h"
#include "ui/preview/Preview.h"

namespace tervil {

namespace {

// An eye over a page.
QIcon PreviewIcon() {
  if (QIcon::hasThemeIcon("document-preview")) return QIcon::fromTheme("document-preview");
  return SvgIcon(R"(<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24">
<path d="M5 2h10l4 4v16H5z" fill="#fff" stroke="#6b6b6b" stroke-width="1.2"/>
<path d="M6 13c3-4.5 9-4.5 12 0c-3 4.5-9 4.5-12 0z" fill="#dbe8f7" stroke="#2a6fbf"
stroke-width="1.3"/><circle cx="12" cy="13" r="2.2" fill="#2a6fbf"/></svg>)");
}

}  // namespace

void TTervilMain::CreatePreviewActions() {
  preview_ = new TPreview(*this);
  dockManager_->AddToolWindow(preview_, "DockPanelRight");
  actPreview = dockManager_->CreateShowAction(
      preview_, tr("Preview"), "Ctrl+Shift+P",
      tr("Show or hide the page rendered beside the editor"), PreviewIcon());
  actPreview->setObjectName("actPreview");
  viewMenu_->addAction(actPreview);
  QToolBar* bar = findChild<QToolBar*>("ToolsToolBar");
  if (!bar) {
    bar = addToolBar(tr("Tools"));
    bar->setObjectName("ToolsToolBar");
  }
  bar->addAction(actPreview);
  connect(this, &TTervilMain::StatusRefreshed, preview_, &TPreview::PageChanged);
  connect(this, &TTervilMain::PageTextChanged, preview_, &TPreview::TextChanged);
  connect(this, &TTervilMain::PageSaved, preview_, &TPreview::PageSaved);

  lintMarks_ = new TPhpLintMarks(*this);
  connect(this, &TTervilMain::StatusRefreshed, lintMarks_, &TPhpLintMarks::PageChanged);
  connect(this, &TTervilMain::PageTextChanged, lintMarks_, &TPhpLintMarks::TextChanged);
  connect(this, &TTervilMain::PageSaved, lintMarks_, &TPhpLintMarks::PageSaved);
}

}  // namespace tervil
