#pragma once

#include <QString>

class QMenu;
class QMenuBar;

namespace tervil {

// The menu bar's menu with that caption, added before the menu captioned `before` (or at the
// end) when missing. Several command groups share menus such as "&Tools" this way.
QMenu* MenuNamed(QMenuBar* bar, const QString& caption, const QString& before);

// The submenu of `menu` with that caption, added at the end when missing.
QMenu* SubmenuNamed(QMenu* menu, const QString& caption);

}  // namespace tervil
