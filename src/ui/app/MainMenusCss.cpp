// The CSS tools: the "Css Editor" tool window with its show command, and the "CSS Editor..."
// style dialog of the Tools menu.
#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "core/editcomponent/EditorModel.h"
#include "core/phpcss/CssDialogFields.h"
#include "core/phpcss/CssStyleAtCaret.h"
#include "ui/app/MainForm.h"
#include "ui/app/MenuLookup.h"
#include "ui/app/MessageBox.h"
#include "ui/docking/DockManager.h"
#include "ui/documents/TvlPage.h"
#include "ui/generators/GeneratorIcons.h"
#include "ui/phpcss/CssEditorForm.h"
#include "ui/phpcss/CssForm.h"

namespace tervil {

namespace {

// Braces with a property line between them.
QIcon CssIcon() {
  if (QIcon::hasThemeIcon("text-css")) return QIcon::fromTheme("text-css");
  return SvgIcon(R"(<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24">
<path d="M5 2h10l4 4v16H5z" fill="#fff" stroke="#6b6b6b" stroke-width="1.2"/>
<path d="M10 9c-1.5 0-1.5 1-1.5 2s-.5 1.5-1.5 1.5c1 0 1.5.5 1.5 1.5s0 2 1.5 2" fill="none"
stroke="#2a6fbf" stroke-width="1.4"/>
<path d="M14 9c1.5 0 1.5 1 1.5 2s.5 1.5 1.5 1.5c-1 0-1.5.5-1.5 1.5s0 2-1.5 2" fill="none"
stroke="#2a6fbf" stroke-width="1.4"/></svg>)");
}

}  // namespace

// Created after the reference data: the window reads the property list and the colour names.
void TTervilMain::CreateCssActions() {
  std::vector<std::string> problems;
  cssEditor_ = new TCssEditor(dataDir_, this, problems);
  for (const std::string& problem : problems) startupErrors_ << QString::fromStdString(problem);
  dockManager_->AddToolWindow(cssEditor_, "DockPanelRight");
  actCssEditor = dockManager_->CreateShowAction(
      cssEditor_, tr("CSS Editor"), "", tr("Show or hide the CSS declarations at the caret"),
      CssIcon());
  viewMenu_->addAction(actCssEditor);
  connect(this, &TTervilMain::StatusRefreshed, cssEditor_, &TCssEditor::PageChanged);
  cssEditor_->PageChanged(currentPage_);

  actCssEdit = new QAction(CssIcon(), tr("CSS Editor..."), this);
  actCssEdit->setObjectName("actCssEdit");
  actCssEdit->setIconText(tr("CSS Editor"));
  actCssEdit->setToolTip(tr("Open CSS Editor"));
  actCssEdit->setStatusTip(tr("Open CSS Editor"));
  connect(actCssEdit, &QAction::triggered, this, &TTervilMain::actCssEditExecute);
  // Needs a page.
  actCssEdit->setEnabled(currentPage_ != nullptr);
  connect(this, &TTervilMain::StatusRefreshed, actCssEdit,
          [this](TTvlPage* page) { actCssEdit->setEnabled(page != nullptr); });
  QMenu* tools = MenuNamed(menuBar(), tr("&Tools"), tr("&Window"));
  tools->insertAction(tools->actions().value(0), actCssEdit);
  QToolBar* bar = findChild<QToolBar*>("ToolsToolBar");
  if (!bar) {
    bar = addToolBar(tr("Tools"));
    bar->setObjectName("ToolsToolBar");
  }
  bar->insertAction(bar->actions().value(0), actCssEdit);
}

// The style dialog on the block at the caret; its result is merged into the block, so that
// properties the dialog does not know stay as they were.
void TTervilMain::actCssEditExecute() {
  TTvlPage* page = currentPage_;
  if (!page || page->Model().ReadOnly()) return;
  TEditorModel& model = page->Model();
  TCSSStyle style;
  ParseAtCaret(style, model);
  if (!style.IsValid && style.Problem != TCssProblem::kNoBlock) {
    // Inserting at the caret would land in the middle of the block.
    TMessageBox::Show(this, page->Filename(), tr(CssProblemText(style.Problem)), mbOK,
                      TMsgIcon::Warning);
    return;
  }
  TCSS dialog(this, dataDir_ + "/colorlist.tvd");
  dialog.LoadStyle(style);
  if (dialog.exec() != QDialog::Accepted) return;
  TCSSStyle result;
  result.Parse(dialog.ResultText().toStdString(), 1, true);
  if (!result.IsValid) {
    // An edited preview that cannot be read would remove every property the dialog manages.
    TMessageBox::Show(this, page->Filename(),
                      tr("The text of the Preview page cannot be read; nothing was changed.") +
                          "\n" + tr(CssProblemText(result.Problem)),
                      mbOK, TMsgIcon::Warning);
    return;
  }
  const std::vector<std::string> managed = CssManagedProperties();
  style.Merge(result, &managed);
  SelectBlock(style, model);
  std::string text = style.Compose();
  if (!result.SingleLine) text = "\n" + text;
  model.SetSelText(text);
}

}  // namespace tervil
