#pragma once

// Opening and closing the main window's menus with the keyboard, as the user does.
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QWidget>

namespace tervil::test {

// Opens the menu bar's menu with Alt and its letter; the menu that shows (nullptr after a failed
// check).
inline QMenu* OpenMenuWithKeys(QWidget* window, Qt::Key mnemonic) {
  QTest::keyClick(window, mnemonic, Qt::AltModifier);
  QMenu* menu = nullptr;
  [&] { QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()))); }();
  return menu;
}

// Escape closes the open menus, and once more leaves the menu bar for the window.
inline void CloseMenusWithKeys(QWidget* window) {
  while (QWidget* popup = QApplication::activePopupWidget()) {
    QTest::keyClick(popup, Qt::Key_Escape);
    QApplication::processEvents();
  }
  if (auto* bar = qobject_cast<QMenuBar*>(QApplication::focusWidget()))
    QTest::keyClick(bar, Qt::Key_Escape);
  // The offscreen platform leaves the closed menu the active window; a desktop gives the
  // activation back to the main window.
  if (window && QApplication::activeWindow() != window) {
    window->activateWindow();
    [&] { QTRY_COMPARE(QApplication::activeWindow(), window); }();
  }
}

// The visible item of `menu` with that caption.
inline QAction* MenuItemNamed(const QMenu* menu, const QString& caption) {
  for (QAction* action : menu->actions())
    if (!action->isSeparator() && action->isVisible() && action->text() == caption) return action;
  return nullptr;
}

}  // namespace tervil::test
