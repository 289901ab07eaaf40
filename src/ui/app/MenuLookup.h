#pragma once

#include <QList>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;

namespace tervil {

// The menu bar's menu with that caption, added before the menu captioned `before` (or at the
// end) when missing. Several command groups share menus such as "&Tools" this way.
QMenu* MenuNamed(QMenuBar* bar, const QString& caption, const QString& before);

// The submenu of `menu` with that caption, added at the end when missing.
QMenu* SubmenuNamed(QMenu* menu, const QString& caption);

// Puts the menu's items in the order of `groups`, a separator between two groups. Items no group
// names (other command groups') stay right after the item they followed; null entries and items
// not in the menu are passed over.
void ArrangeMenu(QMenu* menu, const QList<QList<QAction*>>& groups);

}  // namespace tervil
