// The main window's search commands: where they sit in the menus and toolbars.
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "ui/app/MainForm.h"
#include "ui/search/SearchController.h"

namespace tervil {

namespace {

// The menu bar's menu with that caption, added before `before` (or at the end) when missing.
QMenu* MenuNamed(QMenuBar* bar, const QString& caption, const QString& before) {
  QAction* insertBefore = nullptr;
  for (QAction* action : bar->actions()) {
    if (action->menu() && action->text() == caption) return action->menu();
    if (action->text() == before) insertBefore = action;
  }
  auto* menu = new QMenu(caption, bar);
  bar->insertMenu(insertBefore, menu);
  return menu;
}

// The submenu of `menu` with that caption, added at the end when missing.
QMenu* SubmenuNamed(QMenu* menu, const QString& caption) {
  for (QAction* action : menu->actions())
    if (action->menu() && action->text() == caption) return action->menu();
  return menu->addMenu(caption);
}

}  // namespace

void TTervilMain::CreateSearchActions() {
  searchController_ = new TSearchController(*this, dataDir_);
  TSearchController& search = *searchController_;
  addActions({search.actFind, search.actReplace, search.actRepeatSearch});

  QMenu* edit = MenuNamed(menuBar(), tr("&Edit"), tr("&View"));
  edit->addSeparator();
  edit->addActions(
      {search.actFind, search.actRepeatSearch, search.actReplace, search.actMultiReplace});
  connect(edit, &QMenu::aboutToShow, &search, &TSearchController::UpdateActions);

  QMenu* tools = MenuNamed(menuBar(), tr("&Tools"), tr("&Window"));
  tools->addAction(search.actMultiReplace);
  connect(tools, &QMenu::aboutToShow, &search, &TSearchController::UpdateActions);

  QMenu* toolbars = SubmenuNamed(MenuNamed(menuBar(), tr("&View"), tr("&Window")), tr("Toolbars"));
  toolbars->addAction(search.actSearchToolbar);
  connect(toolbars, &QMenu::aboutToShow, &search, &TSearchController::UpdateActions);

  addToolBar(search.SearchToolbar());
}

}  // namespace tervil
