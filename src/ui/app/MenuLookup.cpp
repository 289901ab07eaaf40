#include "ui/app/MenuLookup.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <utility>

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

void ArrangeMenu(QMenu* menu, const QList<QList<QAction*>>& groups) {
  const QList<QAction*> items = menu->actions();
  QList<QAction*> known;
  for (const QList<QAction*>& group : groups)
    for (QAction* action : group)
      if (action && items.contains(action)) known << action;
  // The other items, each with the named item it followed (nullptr: the menu's top).
  QList<std::pair<QAction*, QAction*>> others;
  QAction* previous = nullptr;
  for (QAction* item : items) {
    if (known.contains(item))
      previous = item;
    else if (!item->isSeparator())
      others.push_back({previous, item});
  }
  for (QAction* item : items) {
    menu->removeAction(item);
    if (item->isSeparator() && item->parent() == menu) item->deleteLater();
  }
  auto addFollowers = [&](QAction* after) {
    for (const auto& [anchor, item] : others)
      if (anchor == after) menu->addAction(item);
  };
  addFollowers(nullptr);
  for (const QList<QAction*>& group : groups) {
    bool first = true;
    for (QAction* action : group) {
      if (!action || !known.contains(action)) continue;
      if (first && !menu->actions().isEmpty()) menu->addSeparator();
      first = false;
      menu->addAction(action);
      addFollowers(action);
    }
  }
}

QMenu* SubmenuNamed(QMenu* menu, const QString& caption) {
  for (QAction* action : menu->actions())
    if (action->menu() && action->text() == caption) return action->menu();
  return menu->addMenu(caption);
}

}  // namespace tervil
