// The main window's search commands: where they sit in the menus and toolbars.
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "ui/app/MainForm.h"
#include "ui/app/MenuLookup.h"
#include "ui/search/SearchController.h"

namespace tervil {

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
