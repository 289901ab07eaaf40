// The Edit menu's own editing commands (delete, selection mode, bookmarks, block indent), and the
// final order of the menus that several command groups fill.
#include <QAction>
#include <QActionGroup>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QStandardPaths>
#include <QToolBar>

#include "ui/app/MainForm.h"
#include "ui/app/MenuLookup.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/process/RunActions.h"
#include "ui/search/SearchController.h"
#include "ui/textcommands/HtmlTextActions.h"

namespace tervil {

namespace {

QAction* EditorAction(QObject* owner, const QString& caption, const char* icon,
                      const QString& shortcut, const QString& hint) {
  auto* action = new QAction(QIcon::fromTheme(icon), caption, owner);
  if (!shortcut.isEmpty()) action->setShortcut(QKeySequence(shortcut));
  action->setStatusTip(hint);
  return action;
}

}  // namespace

// Toolbar and menu pictures come from the desktop's icon theme; without a desktop session (or
// with a theme that lacks them) the Breeze theme the program installs stands in.
void TTervilMain::SetUpIconTheme() {
  QStringList searchPaths = QIcon::themeSearchPaths();
  for (const QString& folder : QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                                         "icons", QStandardPaths::LocateDirectory))
    if (!searchPaths.contains(folder)) searchPaths << folder;
  QIcon::setThemeSearchPaths(searchPaths);
  if (QIcon::themeName().isEmpty() || QIcon::themeName() == "hicolor")
    QIcon::setThemeName("breeze");
  else if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == "hicolor")
    QIcon::setFallbackThemeName("breeze");
}

void TTervilMain::CreateEditingActions() {
  auto onEditor = [this](auto run) {
    return [this, run] {
      if (currentPage_) run(*currentPage_->TvlEdit());
    };
  };
  actDelete = EditorAction(this, tr("Delete"), "edit-delete", "", tr("Delete the selection"));
  connect(actDelete, &QAction::triggered, this,
          onEditor([](TTvlEdit& e) { e.ExecuteCommand(ecDeleteChar); }));

  selectionModeMenu_ = new QMenu(tr("Selection Mode"), this);
  selectionModeMenu_->setIcon(QIcon::fromTheme("edit-select"));
  auto* modes = new QActionGroup(this);
  const struct {
    QAction** action;
    QString caption;
    const char* icon;
    const char* shortcut;
    TEditorCommand command;
    QString hint;
  } modeItems[] = {
      {&actSelNormal, tr("Normal"), "edit-select-text", "Ctrl+Shift+N", ecNormalSelect,
       tr("Select text from one place to another")},
      {&actSelColumn, tr("Column"), "select-rectangular", "Ctrl+Shift+C", ecColumnSelect,
       tr("Select a rectangle of columns")},
      {&actSelLine, tr("Line"), "edit-select-all", "Ctrl+Shift+L", ecLineSelect,
       tr("Select whole lines")},
  };
  for (const auto& item : modeItems) {
    QAction* action = EditorAction(this, item.caption, item.icon, item.shortcut, item.hint);
    action->setCheckable(true);
    modes->addAction(action);
    const TEditorCommand command = item.command;
    connect(action, &QAction::triggered, this,
            onEditor([command](TTvlEdit& e) { e.ExecuteCommand(command); }));
    selectionModeMenu_->addAction(action);
    *item.action = action;
  }

  setBookmarkMenu_ = new QMenu(tr("Set Bookmark"), this);
  setBookmarkMenu_->setIcon(QIcon::fromTheme("bookmark-new"));
  gotoBookmarkMenu_ = new QMenu(tr("Go to Bookmark"), this);
  gotoBookmarkMenu_->setIcon(QIcon::fromTheme("bookmarks"));
  for (int k = 0; k <= 9; ++k) {
    const QString caption = QStringLiteral("#%1").arg(k);
    QAction* set = setBookmarkMenu_->addAction(caption);
    set->setStatusTip(tr("Set bookmark %1 at the caret").arg(k));
    connect(set, &QAction::triggered, this,
            onEditor([k](TTvlEdit& e) { e.Model().SetBookmark(k, e.Model().CaretPos()); }));
    QAction* go = gotoBookmarkMenu_->addAction(caption);
    go->setStatusTip(tr("Move the caret to bookmark %1").arg(k));
    connect(go, &QAction::triggered, this, onEditor([k](TTvlEdit& e) {
              TBufferPos pos;
              if (e.Model().GetBookmark(k, pos)) e.Model().JumpTo(pos);
            }));
  }
  actClearBookmarks = EditorAction(this, tr("Clear Bookmarks"), "bookmark-remove", "",
                                   tr("Clear the bookmarks 0 to 9"));
  connect(actClearBookmarks, &QAction::triggered, this, onEditor([](TTvlEdit& e) {
            for (int k = 0; k <= 9; ++k) e.Model().ClearBookmark(k);
          }));

  actBlockIndent = EditorAction(this, tr("Block Indent"), "format-indent-more", "Ctrl+Shift+I",
                                tr("Indent the selected lines"));
  connect(actBlockIndent, &QAction::triggered, this,
          onEditor([](TTvlEdit& e) { e.ExecuteCommand(ecBlockIndent); }));
  actBlockUnindent = EditorAction(this, tr("Block Unindent"), "format-indent-less", "Ctrl+Shift+U",
                                  tr("Unindent the selected lines"));
  connect(actBlockUnindent, &QAction::triggered, this,
          onEditor([](TTvlEdit& e) { e.ExecuteCommand(ecBlockUnindent); }));
  addActions({actSelNormal, actSelColumn, actSelLine, actBlockIndent, actBlockUnindent});

  editMenu_ = MenuNamed(menuBar(), tr("&Edit"), tr("&View"));
  editMenu_->addAction(actDelete);
  editMenu_->addMenu(selectionModeMenu_);
  editMenu_->addMenu(setBookmarkMenu_);
  editMenu_->addMenu(gotoBookmarkMenu_);
  editMenu_->addActions({actClearBookmarks, actBlockIndent, actBlockUnindent});
}

void TTervilMain::UpdateEditingActions() {
  if (!actDelete) return;
  TTvlEdit* editor = currentPage_ ? currentPage_->TvlEdit() : nullptr;
  // Delete works on a page with unsaved changes only.
  actDelete->setEnabled(editor && currentPage_->Model().Modified() && !editor->ReadOnly());
  for (QAction* needsPage :
       {actMatchBracket, actSelNormal, actSelColumn, actSelLine, actClearBookmarks, actBlockIndent,
        actBlockUnindent, selectionModeMenu_->menuAction(), setBookmarkMenu_->menuAction(),
        gotoBookmarkMenu_->menuAction()})
    needsPage->setEnabled(editor != nullptr);
  const TSelectionMode mode = editor ? editor->SelectionMode() : TSelectionMode::smNormal;
  actSelNormal->setChecked(editor && mode == TSelectionMode::smNormal);
  actSelColumn->setChecked(editor && mode == TSelectionMode::smColumn);
  actSelLine->setChecked(editor && mode == TSelectionMode::smLine);
}

// Opening the Edit menu without a current page shows every item disabled; the commands take
// their own state back when it closes.
void TTervilMain::EditMenuAboutToShow() {
  UpdateActions();
  editMenuStates_.clear();
  const bool page = currentPage_ != nullptr;
  for (QAction* item : editMenu_->actions()) {
    if (item->isSeparator()) continue;
    if (item->menu())
      item->setEnabled(page);
    else if (!page) {
      editMenuStates_.push_back({item, item->isEnabled()});
      item->setEnabled(false);
    }
  }
}

void TTervilMain::EditMenuAboutToHide() {
  for (const auto& [item, enabled] : editMenuStates_) item->setEnabled(enabled);
  editMenuStates_.clear();
}

// Every command group has added its items; the shared menus take the order of the menu tables.
void TTervilMain::ArrangeMenus() {
  THtmlTextActions* text = htmlText_;
  TSearchController* search = searchController_;
  auto textAction = [text](QAction* THtmlTextActions::*member) -> QAction* {
    return text ? text->*member : nullptr;
  };
  auto menuAction = [](QMenu* menu) { return menu ? menu->menuAction() : nullptr; };
  ArrangeMenu(
      editMenu_,
      {{actUndo, actRedo},
       {actCopy, menuAction(text ? text->CopyAsMenu : nullptr), actPaste, actClipboardShow, actCut,
        actDelete, actSelectAll, selectionModeMenu_->menuAction()},
       {actGoToLine, actMatchBracket, setBookmarkMenu_->menuAction(),
        gotoBookmarkMenu_->menuAction(), actClearBookmarks},
       {actBlockIndent, actBlockUnindent, textAction(&THtmlTextActions::actCommentOut),
        textAction(&THtmlTextActions::actRemoveComment),
        textAction(&THtmlTextActions::ConverttexttoHTML1),
        textAction(&THtmlTextActions::Escapequots1),
        textAction(&THtmlTextActions::Unformatselection1),
        textAction(&THtmlTextActions::Breaklines1), menuAction(text ? text->CaseMenu : nullptr)},
       {search->actFind, search->actRepeatSearch, search->actReplace, search->actMultiReplace}});
  connect(editMenu_, &QMenu::aboutToShow, this, &TTervilMain::EditMenuAboutToShow);
  connect(editMenu_, &QMenu::aboutToHide, this, &TTervilMain::EditMenuAboutToHide);

  QMenu* tools = MenuNamed(menuBar(), tr("&Tools"), tr("&Window"));
  ArrangeMenu(
      tools,
      {{actCssEdit, actHead, actTableGen, textAction(&THtmlTextActions::actInsertImage),
        textAction(&THtmlTextActions::actInsertColor), search->actMultiReplace, actImageMap}});

  // The toolbar switches, each checked while its toolbar shows.
  QMenu* toolbars = SubmenuNamed(viewMenu_, tr("Toolbars"));
  toolbars->setIcon(QIcon::fromTheme("configure-toolbars"));
  auto toggleOf = [this](const char* name, const QString& caption) -> QAction* {
    auto* bar = findChild<QToolBar*>(name, Qt::FindDirectChildrenOnly);
    if (!bar) return nullptr;
    QAction* toggle = bar->toggleViewAction();
    toggle->setText(caption);
    return toggle;
  };
  QList<QAction*> toggles = {toggleOf("MainToolbar", tr("Main Toolbar")),
                             textAction(&THtmlTextActions::actHtmlToolbar),
                             textAction(&THtmlTextActions::actHTMLFormToolbar),
                             toggleOf("AdditionalToolBar", tr("Special Symbols")),
                             toggleOf("ConfigToolbar", tr("Config Selection")),
                             toggleOf("EncodingToolbar", tr("Encoding")),
                             runActions_ ? runActions_->actRunToolbar : nullptr,
                             search->actSearchToolbar,
                             toggleOf("ToolsToolBar", tr("Tools"))};
  for (QAction* toggle : toggles) {
    if (!toggle) continue;
    if (!toolbars->actions().contains(toggle)) toolbars->addAction(toggle);
    if (toggle->icon().isNull()) toggle->setIcon(QIcon::fromTheme("configure-toolbars"));
    if (toggle->statusTip().isEmpty())
      toggle->setStatusTip(tr("Show or hide the toolbar \"%1\"").arg(toggle->text()));
  }
  ArrangeMenu(toolbars, {toggles});
}

}  // namespace tervil
