#include "ui/app/MenuLookup.h"

#include <QMenu>
#include <QMenuBar>

namespace tervil {

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

QMenu* SubmenuNamed(QMenu* menu, const QString& caption) {
  for (QAction* action : menu->actions())
    if (action->menu() && action->text() == caption) return action->menu();
  return menu->addMenu(caption);
}

}  // namespace tervil
