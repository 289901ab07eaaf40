// The main window's commands and menus for documents, pages, views and windows.
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <limits>
#include <optional>

#include "core/app/ShellCommands.h"
#include "core/documents/PageLayout.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/documents/EditorPanel.h"
#include "ui/documents/TvlPage.h"
#include "ui/documents/TvlPageControl.h"
#include "ui/editor/TvlEdit.h"
#include "ui/process/RunActions.h"
#include "ui/textcommands/HtmlTextActions.h"

namespace tervil {

// Makes an action with its caption, theme icon, shortcut and status-bar hint, running `run` when
// chosen.
template <typename Run>
QAction* MakeAction(QObject* owner, const QString& caption, const char* icon,
                    const QString& shortcut, const QString& hint, Run run) {
  auto* action = new QAction(QIcon::fromTheme(icon), caption, owner);
  if (!shortcut.isEmpty()) action->setShortcut(QKeySequence(shortcut));
  action->setStatusTip(hint);
  QObject::connect(action, &QAction::triggered, owner, run);
  return action;
}

void TTervilMain::CreateActions() {
  actNew = MakeAction(this, tr("New"), "document-new", "Ctrl+N", tr("Create a new empty document"),
                      [this] { NewDocument(); });
  actOpen = MakeAction(this, tr("Open"), "document-open", "Ctrl+O", tr("Open one or more files"),
                       [this] { OpenCommand(); });
  actSave = MakeAction(this, tr("Save"), "document-save", "Ctrl+S", tr("Save the current document"),
                       [this] {
                         if (currentPage_) SavePage(currentPage_, false);
                       });
  actSaveAs = MakeAction(this, tr("Save As"), "document-save-as", "",
                         tr("Save the current document under a new name"), [this] {
                           if (currentPage_) SavePage(currentPage_, true);
                         });
  actSaveAll = MakeAction(this, tr("Save All"), "document-save-all", "Ctrl+Shift+S",
                          tr("Save every open document"), [this] { SaveAllCommand(); });
  actClose = MakeAction(this, tr("Close"), "document-close", "Shift+Esc",
                        tr("Close the current document"), [this] { CloseCommand(); });
  actCloseAll = MakeAction(this, tr("Close All"), "window-close", "", tr("Close every document"),
                           [this] { CloseAllCommand(); });
  actCloseAllButThis =
      MakeAction(this, tr("Close All But This"), "document-close", "",
                 tr("Close the other documents of this row"), [this] { CloseAllButThis(); });
  actReload = MakeAction(this, tr("Reload"), "view-refresh", "",
                         tr("Read the file again from disk"), [this] { ReloadCommand(); });
  actRename = MakeAction(this, tr("Rename..."), "edit-rename", "",
                         tr("Rename the file of this document"), [this] { RenameCommand(); });
  actCopyFilename = MakeAction(this, tr("Copy Filename"), "edit-copy", "",
                               tr("Copy the file's name"), [this] { CopyFilename(false); });
  actCopyFilenameAndPath =
      MakeAction(this, tr("Copy Filename and Path"), "edit-copy", "",
                 tr("Copy the file's full path"), [this] { CopyFilename(true); });
  actChangeEncoding = MakeAction(this, tr("Change Encoding"), "character-set", "",
                                 tr("Read or write the document in another character set"),
                                 [this] { EncodingMenu()->popup(QCursor::pos()); });
  actChangeEncoding->setMenu(EncodingMenu());
  actGoToLine = MakeAction(this, tr("Go to Line"), "go-jump", "Ctrl+G",
                           tr("Move the caret to a line"), [this] { GoToLine(); });
  // Editing basics, forwarded to the current page's editor.
  auto onEditor = [this](auto run) {
    return [this, run] {
      if (currentPage_) run(*currentPage_->TvlEdit());
    };
  };
  actUndo = MakeAction(this, tr("Undo"), "edit-undo", "", tr("Undo the last change"),
                       onEditor([](TTvlEdit& e) { e.Undo(); }));
  actRedo = MakeAction(this, tr("Redo"), "edit-redo", "", tr("Redo the last undone change"),
                       onEditor([](TTvlEdit& e) { e.Redo(); }));
  actCopy = MakeAction(this, tr("Copy"), "edit-copy", "", tr("Copy the selection"),
                       onEditor([](TTvlEdit& e) { e.CopyToClipboard(); }));
  actCut = MakeAction(this, tr("Cut"), "edit-cut", "", tr("Cut the selection"),
                      onEditor([](TTvlEdit& e) { e.CutToClipboard(); }));
  actPaste = MakeAction(this, tr("Paste"), "edit-paste", "", tr("Paste from the clipboard"),
                        onEditor([](TTvlEdit& e) { e.PasteFromClipboard(); }));
  actSelectAll =
      MakeAction(this, tr("Select All"), "edit-select-all", "Ctrl+A", tr("Select the whole text"),
                 onEditor([](TTvlEdit& e) { e.SelectAll(); }));
  actWordWrap =
      MakeAction(this, tr("Word Wrap"), "text-wrap", "", tr("Wrap long lines at the window's edge"),
                 onEditor([](TTvlEdit& e) { e.SetWordWrap(!e.WordWrap()); }));
  actWordWrap->setCheckable(true);
  actExit = MakeAction(this, tr("Exit"), "application-exit", "", tr("Close the editor"),
                       [this] { close(); });
  actSplitView =
      MakeAction(this, tr("Split View"), "view-split-top-bottom", "",
                 tr("Show a second row of pages"), [this](bool on) { SetSplitView(on); });
  actSplitView->setCheckable(true);
  actPreviousTab = MakeAction(this, tr("Previous Tab"), "go-previous", "F11",
                              tr("Show the previous tab"), [this] { PreviousTab(); });
  actNextTab = MakeAction(this, tr("Next Tab"), "go-next", "F12", tr("Show the next tab"),
                          [this] { NextTab(); });
  addActions(
      {actNew, actOpen, actSave, actSaveAll, actClose, actGoToLine, actPreviousTab, actNextTab});

  // Commands follow what they depend on at once: the current page's state (RefreshStatus),
  // the clipboard and the split of the editor panel. A shortcut pressed right after a change
  // finds its command enabled.
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &TTervilMain::UpdateActions);
  connect(editorPanel_, &TEditorPanel::SplitRatioChanged, this, &TTervilMain::UpdateActions);
}

void TTervilMain::GetHiglightersMenuItems() {
  QStringList captions;
  for (const auto& entry : ListHighlighters()) captions << QString::fromStdString(entry.first);
  captions << Message("MultiHighlighter") << Message("None");
  for (const QString& caption : captions) {
    auto* action = new QAction(caption, this);
    action->setCheckable(true);
    connect(action, &QAction::triggered, this,
            [this, action] { highlighterActionExecute(action); });
    highlighterActions_ << action;
  }
  highlighterMenu_ = new QMenu(tr("Syntax Highlighter"), this);
  editorHighlighterMenu_ = new QMenu(tr("Syntax Highlighter"), this);
  for (QMenu* menu : {highlighterMenu_, editorHighlighterMenu_})
    menu->setIcon(QIcon::fromTheme("format-text-code"));
  highlighterPopup_ = new QMenu(this);
  for (QMenu* menu : {highlighterMenu_, editorHighlighterMenu_, highlighterPopup_}) {
    menu->addActions(highlighterActions_);
    connect(menu, &QMenu::aboutToShow, this, &TTervilMain::UpdateActions);
  }
}

void TTervilMain::CreateMenus() {
  fileMenu_ = menuBar()->addMenu(tr("&File"));
  fileMenu_->addActions({actNew, actOpen});
  reopenMenu_ = fileMenu_->addMenu(tr("Reopen"));
  reopenMenu_->setIcon(QIcon::fromTheme("document-open-recent"));
  fileMenu_->addActions({actSave, actSaveAs, actSaveAll});
  fileMenu_->addSeparator();
  fileMenu_->addActions({actClose, actCloseAll});
  fileMenu_->addSeparator();
  fileMenu_->addAction(actExit);
  connect(fileMenu_, &QMenu::aboutToShow, this, [this] {
    BuildRecentMenu(reopenMenu_);
    UpdateActions();
  });

  QMenu* editMenu = editMenu_ = menuBar()->addMenu(tr("&Edit"));
  editMenu->addActions({actUndo, actRedo});
  editMenu->addSeparator();
  editMenu->addActions({actCopy, actPaste, actCut, actSelectAll});
  editMenu->addSeparator();
  editMenu->addAction(actGoToLine);
  connect(editMenu, &QMenu::aboutToShow, this, &TTervilMain::UpdateActions);

  viewMenu_ = menuBar()->addMenu(tr("&View"));
  viewMenu_->addAction(actWordWrap);
  viewMenu_->addAction(actSplitView);
  viewMenu_->addMenu(highlighterMenu_);

  windowMenu_ = menuBar()->addMenu(tr("&Window"));
  connect(windowMenu_, &QMenu::aboutToShow, this, &TTervilMain::Window1Click);
  Window1Click();

  QToolBar* mainToolbar = addToolBar(tr("Main Toolbar"));
  mainToolbar->setObjectName("MainToolbar");
  mainToolbar->addActions({actOpen, actSave, actSaveAs, actSaveAll});
  mainToolbar->addSeparator();
  mainToolbar->addActions({actUndo, actRedo, actCopy, actPaste, actCut});
  mainToolbar->addSeparator();
  mainToolbar->addAction(actSplitView);
  // Open's button drops down the recent files.
  auto* recentPopup = new QMenu(this);
  connect(recentPopup, &QMenu::aboutToShow, this, [this, recentPopup] {
    BuildRecentMenu(recentPopup);
    UpdateActions();
  });
  if (auto* button = qobject_cast<QToolButton*>(mainToolbar->widgetForAction(actOpen))) {
    button->setMenu(recentPopup);
    button->setPopupMode(QToolButton::MenuButtonPopup);
  }
  QToolBar* encodingToolbar = addToolBar(tr("Encoding"));
  encodingToolbar->setObjectName("EncodingToolbar");
  encodingToolbar->addAction(actChangeEncoding);

  CreateSearchActions();

  for (TTvlPageControl* control : {PageControl(), SplitPageControl()})
    connect(control, &TTvlPageControl::PageMenuRequested, this,
            [this](TTvlPage* page, const QPoint& at) { ShowPageMenu(page, at); });
}

void TTervilMain::ShowPageMenu(TTvlPage* page, const QPoint& globalPos) {
  RefreshStatus(page);
  UpdateActions();
  QMenu menu(this);
  menu.addAction(actGotoFileExplorer);
  QMenu* opened = menu.addMenu(tr("Opened Files"));
  if (TTvlPageControl* control = ControlOf(page)) {
    for (int i = 0; i < control->count(); ++i) {
      TTvlPage* other = control->PageAt(i);
      if (!other) continue;
      QAction* item = opened->addAction(other->Filename());
      item->setStatusTip(other->Filename());
      connect(item, &QAction::triggered, control,
              [control, other] { control->setCurrentWidget(other); });
    }
  }
  opened->setEnabled(!opened->isEmpty());
  opened->setIcon(QIcon::fromTheme("document-multiple"));
  menu.addActions({actClose, actCloseAllButThis, actSave, actRename, actCopyFilename,
                   actCopyFilenameAndPath, actReload, actWindowsMenu});
  menu.exec(globalPos);
}

// The editor's context menu. Without a selection the caret first moves to the clicked place.
void TTervilMain::ShowEditorMenu(TTvlPage* page, const QPoint& localPos) {
  TTvlEdit* editor = page->TvlEdit();
  if (!editor->SelAvail())
    editor->SetCaretXY(editor->PixelsToBufferPos(editor->viewport()->mapFrom(editor, localPos)));
  RefreshStatus(page);
  UpdateActions();
  QMenu menu(this);
  menu.addActions({actUndo, actRedo});
  menu.addSeparator();
  menu.addActions({actCopy, actPaste, actCut});
  AddPhpEditorMenuItems(menu);
  AddHtmlTextEditorMenuItems(menu);
  menu.addSeparator();
  menu.addMenu(editorHighlighterMenu_);
  menu.exec(editor->mapToGlobal(localPos));
}

// The View menu's items come from several command groups; once all exist they take the order of
// the menu: word wrap and the split view, the tool windows, the analyser, then the submenus.
// Items of groups not named here keep their order after those.
void TTervilMain::ArrangeViewMenu() {
  const QList<QAction*> items = viewMenu_->actions();
  QList<QAction*> ordered;
  auto take = [&](QAction* action) {
    if (action && items.contains(action) && !ordered.contains(action)) ordered << action;
  };
  auto submenu = [&](const QString& title) -> QAction* {
    for (QAction* item : items)
      if (item->menu() && item->menu()->title().remove('&') == title) return item;
    return nullptr;
  };
  take(actWordWrap);
  take(htmlText_ ? htmlText_->actSpecialChars : nullptr);
  take(actSplitView);
  take(actHtmlEditor);
  take(actCssEditor);
  take(runActions_ ? runActions_->actConsole : nullptr);
  take(actPHPAnalyser);
  take(actPreview);
  for (QAction* item : items)
    if (item != submenu(tr("Toolbars")) && item != highlighterMenu_->menuAction()) take(item);
  take(submenu(tr("Toolbars")));
  take(highlighterMenu_->menuAction());
  for (QAction* item : items) viewMenu_->removeAction(item);
  viewMenu_->addActions(ordered);
}

void TTervilMain::UpdateActions() {
  UpdatePageActions();
  TTvlEdit* editor = currentPage_ ? currentPage_->TvlEdit() : nullptr;
  actPaste->setEnabled(editor && editor->CanPaste());
  UpdateClipboardActions();
}

// The commands that depend on the current page alone; cheap enough for every status change
// (asking the clipboard is left to its own change signal).
void TTervilMain::UpdatePageActions() {
  TTvlPage* page = currentPage_;
  const bool modified = page && page->Model().Modified();
  const bool fileExists = page && QFileInfo(page->Filename()).isFile();
  bool anyModified = false;
  for (TTvlPage* p : EditorPages()) anyModified = anyModified || p->Model().Modified();
  TTvlPageControl* control = page ? ControlOf(page) : nullptr;

  actSave->setEnabled(modified);
  actSaveAll->setEnabled(anyModified);
  for (QAction* needsPage : {actSaveAs, actClose, actCloseAll, actChangeEncoding, actCopyFilename,
                             actCopyFilenameAndPath, actGoToLine})
    needsPage->setEnabled(page != nullptr);
  actReload->setEnabled(fileExists);
  actRename->setEnabled(fileExists);
  if (actWindowsMenu) actWindowsMenu->setEnabled(fileExists);
  actCloseAllButThis->setEnabled(control && control->EditorPageCount() > 2);
  TTvlEdit* editor = page ? page->TvlEdit() : nullptr;
  actUndo->setEnabled(editor && editor->CanUndo());
  actRedo->setEnabled(editor && editor->CanRedo());
  actCopy->setEnabled(editor && editor->SelAvail());
  actCut->setEnabled(editor && editor->SelAvail() && !editor->ReadOnly());
  actSelectAll->setEnabled(editor != nullptr);
  actWordWrap->setEnabled(editor != nullptr);
  actWordWrap->setChecked(editor && editor->WordWrap());
  actSplitView->setChecked(IsSplitViewChecked(editorPanel_->SplitRatio()));
  for (QAction* action : highlighterActions_) highlighterActionUpdate(action);
  UpdateEditingActions();
  UpdatePhpActions();
  UpdateRunActions();
  UpdateGeneratorActions();
}

// Rebuilt each time it opens: the tab commands, then the pages of the upper control and of the
// lower control.
void TTervilMain::Window1Click() {
  windowMenu_->clear();
  windowMenu_->addAction(actPreviousTab);
  windowMenu_->addAction(actNextTab);
  const bool lowerFlags[] = {false, true};
  for (bool lower : lowerFlags) {
    windowMenu_->addSeparator();
    TTvlPageControl* control = lower ? SplitPageControl() : PageControl();
    for (int i = 0; i < control->count(); ++i) {
      TTvlPage* page = control->PageAt(i);
      if (!page) continue;
      QAction* item = windowMenu_->addAction(control->TabCaption(i));
      item->setStatusTip(page->Filename());
      const QString path = page->Filename();
      connect(item, &QAction::triggered, this,
              [this, lower, i, path] { ShowOpenedTab(lower, i, path); });
    }
  }
}

namespace {

// The line box of "Go to line": a number with up and down arrows that also takes any other
// text, so that a wrong entry is reported rather than silently replaced.
class TLineNumberBox : public QAbstractSpinBox {
 public:
  using QAbstractSpinBox::QAbstractSpinBox;
  void SetEntry(const QString& text) { lineEdit()->setText(text); }
  void stepBy(int steps) override {
    std::string error;
    const long long now = ParseLineNumber(text().toStdString(), error).value_or(0);
    const long long next = std::clamp<long long>(now + steps, 0, std::numeric_limits<int>::max());
    lineEdit()->setText(QString::number(next));
    selectAll();
  }

 protected:
  StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
};

}  // namespace

// A small window that stays on top and moves the caret of the current page to a line.
void TTervilMain::GoToLine() {
  auto* dialog = new QDialog(this, Qt::Tool | Qt::WindowStaysOnTopHint);
  dialog->setObjectName("GoToLineWindow");
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(tr("Go to line"));
  auto* form = new QFormLayout(dialog);
  auto* line = new TLineNumberBox(dialog);
  line->setObjectName("LineNumber");
  line->SetEntry("0");
  form->addRow(tr("Line:"), line);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(tr("Ok"));
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
  connect(buttons, &QDialogButtonBox::accepted, dialog, [this, dialog, line] {
    std::string error;
    const std::optional<int> number = ParseLineNumber(line->text().toStdString(), error);
    if (!number) {
      // The window stays for a corrected entry; the caret does not move.
      TMessageBox::Error(dialog, QString::fromStdString(error));
      line->setFocus();
      line->selectAll();
      return;
    }
    dialog->close();
    if (TTvlPage* page = currentPage_) {
      page->Model().JumpTo({1, *number});
      activateWindow();
      page->FocusEditor();
    }
  });
  // The window is shown without blocking the editor, but it is where the user types next: it is
  // activated, so the number does not go into the text.
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
  line->setFocus();
  line->selectAll();
}

}  // namespace tervil
