// The main window's PHP commands: the PHP Analyser with its code inspector tool window, and the
// accessor generator of the editor's context menu.
#include <QAction>
#include <QMenu>

#include "core/phpcss/PhpInspectorText.h"
#include "ui/app/MainForm.h"
#include "ui/docking/DockManager.h"
#include "ui/docking/ToolForm.h"
#include "ui/documents/TvlPage.h"
#include "ui/phpcss/CodeInspector.h"

namespace tervil {

namespace {
constexpr int kInspectorWidth = 320;   // pixels, the first time the inspector comes into view
constexpr int kInspectorHeight = 400;  // pixels, when it floats
}  // namespace

void TTervilMain::CreatePhpActions() {
  codeInspector_ = new TCodeInspector(dataDir_ + "/icons", this);
  // Selection and navigation act only while the tree shows the active page.
  codeInspector_->HasActivePage = [this] {
    return currentPage_ != nullptr && codeInspector_->TreeDocument() == currentPage_;
  };
  connect(codeInspector_, &TCodeInspector::NavigateRequested, this, [this](int startPos) {
    if (!currentPage_) return;
    TEditorModel& model = currentPage_->Model();
    model.JumpTo(model.CharIndexToRowCol(startPos));
    currentPage_->FocusEditor();
  });
  codeInspectorDock_ = new TToolForm(codeInspector_->windowTitle(), "CodeInspector", this);
  codeInspectorDock_->setWidget(codeInspector_);
  codeInspectorDock_->SetStartSize(QSize(kInspectorWidth, kInspectorHeight));
  dockManager_->AddToolWindow(codeInspectorDock_, "DockPanelRight");
  connect(codeInspectorDock_, &TToolForm::ShownChanged, this, [this] {
    UpdatePhpActions();
    // Brought into view over another page than the one it shows: it shows that page.
    if (codeInspectorDock_->isVisible() && currentPage_ &&
        codeInspector_->RequestedDocument() != currentPage_)
      RequestPhpAnalysis();
  });
  connect(this, &TTervilMain::StatusRefreshed, this, [this](TTvlPage* page) {
    if (page != phpSeenPage_) PhpPageSwitched(page);
  });
  // Edited while it was being analysed: analysed again, if it is still the active page.
  connect(codeInspector_, &TCodeInspector::AnalysisOutdated, this, [this](QObject* document) {
    if (document && document == currentPage_) RequestPhpAnalysis();
  });

  actPHPAnalyser = new QAction(tr("PHP Analyser"), this);
  actPHPAnalyser->setObjectName("actPHPAnalyser");
  actPHPAnalyser->setStatusTip(tr("Analyse the document and show its classes and functions"));
  actPHPAnalyser->setIcon(QIcon(dataDir_ + "/icons/php-class.svg"));
  actPHPAnalyser->setCheckable(true);
  connect(actPHPAnalyser, &QAction::triggered, this, [this] { actPHPAnalyserExecute(); });
  viewMenu_->insertAction(highlighterMenu_->menuAction(), actPHPAnalyser);  // codeanal1

  actAddGetSet = new QAction(QIcon::fromTheme("code-function"), tr("Add get/set methods"), this);
  actAddGetSet->setObjectName("actAddGetSet");
  actAddGetSet->setStatusTip(tr("Write a getter and a setter for the variable at the caret"));
  connect(actAddGetSet, &QAction::triggered, this, [this] { actAddGetSetExecute(); });
}

void TTervilMain::UpdatePhpActions() {
  if (!actPHPAnalyser) return;
  actPHPAnalyser->setChecked(codeInspectorDock_->isVisible());
}

// Analyses the current page, then brings the inspector back into view; it never hides it.
void TTervilMain::actPHPAnalyserExecute() {
  if (currentPage_) RequestPhpAnalysis();
  if (!codeInspectorDock_->isVisible()) dockManager_->ShowToolWindow(codeInspectorDock_);
  codeInspectorDock_->raise();
  UpdatePhpActions();
}

// Analyses the current page off the window thread; the tree shows the result when it is there,
// unless the page was edited meanwhile (it is then analysed again).
void TTervilMain::RequestPhpAnalysis() {
  if (!currentPage_) return;
  QPointer<TTvlPage> page = currentPage_;
  const std::uint64_t changes = page->Model().Buffer().ChangeCount();
  codeInspector_->RequestRefresh(page->Model().Text(), page, [page, changes] {
    return page && page->Model().Buffer().ChangeCount() == changes;
  });
}

// Another page became current: the description of the previous page's element goes, and an
// inspector in view shows the new page's structure.
void TTervilMain::PhpPageSwitched(TTvlPage* page) {
  phpSeenPage_ = page;
  codeInspector_->ClearDescription();
  if (page && codeInspectorDock_->isVisible() && codeInspector_->RequestedDocument() != page)
    RequestPhpAnalysis();
}

// "Add get/set methods" shows only when the word at the caret is a PHP variable.
void TTervilMain::AddPhpEditorMenuItems(QMenu& menu) {
  const bool variable = currentPage_ && PhpVariableAt(currentPage_->Model().LineText(),
                                                      currentPage_->Model().CaretX())
                                            .starts_with('$');
  actAddGetSet->setVisible(variable);
  menu.addAction(actAddGetSet);
}

// Writes a getter and a setter for the variable at the caret after the caret's line, as one
// undoable edit; the caret ends after them.
void TTervilMain::actAddGetSetExecute() {
  if (!currentPage_) return;
  TEditorModel& model = currentPage_->Model();
  const std::string word = PhpVariableAt(model.LineText(), model.CaretX());
  if (!word.starts_with('$')) return;
  const TBufferPos selectionStart = model.BlockBegin();
  const int line = model.CaretY();
  model.SetCaretPos({model.LineLength(line - 1) + 1, line});
  model.SetSelText(
      PhpAccessorText(word, LeadingSpaces(model.LineText()), configuration_->TabWidth));
  model.SetBlockBegin(selectionStart);
}

}  // namespace tervil
