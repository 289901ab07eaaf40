#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QtTest>
#include <functional>
#include <utility>

#include "support/MainWindowFixture.h"
#include "support/MenuKeys.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/documents/TvlPage.h"
#include "ui/documents/TvlPageControl.h"

using namespace tervil;
using namespace tervil::test;

namespace {

// One item of a menu table: its caption, its shortcut (empty: none asked for) and, for a
// submenu, the captions of its items.
struct TItem {
  TItem(const char* caption, const char* shortcut, QStringList items = {})
      : caption(caption), shortcut(shortcut), items(std::move(items)) {}
  QString caption;
  QString shortcut;
  QStringList items;
};

struct TMenu {
  QString title;
  Qt::Key mnemonic;
  QList<TItem> items;
};

QStringList Bookmarks() {
  QStringList list;
  for (int k = 0; k <= 9; ++k) list << QStringLiteral("#%1").arg(k);
  return list;
}

// The main menu as the user must find it. Items of command groups not listed here (printing,
// export, options) may stand between these; the ones listed come in this order.
const QList<TMenu>& MainMenuTable() {
  static const QList<TMenu> table = {
      {"&File",
       Qt::Key_F,
       {{"New", "Ctrl+N"},
        {"New...", ""},
        {"Open", "Ctrl+O"},
        {"Reopen", "", {}},
        {"Save", "Ctrl+S"},
        {"Save As", ""},
        {"Save All", "Ctrl+Shift+S"},
        {"Close", "Shift+Esc"},
        {"Close All", ""},
        {"Exit", ""}}},
      {"&Edit",
       Qt::Key_E,
       {{"Undo", ""},
        {"Redo", ""},
        {"Copy", ""},
        {"Copy as...", "", {"HTML", "RTF"}},
        {"Paste", ""},
        {"Clipboard History", "Ctrl+Shift+V"},
        {"Cut", ""},
        {"Delete", ""},
        {"Select All", "Ctrl+A"},
        {"Selection Mode", "", {"Normal", "Column", "Line"}},
        {"Go to Line", ""},
        {"Go to Matching Bracket", "Ctrl+Shift+B"},
        {"Set Bookmark", "", Bookmarks()},
        {"Go to Bookmark", "", Bookmarks()},
        {"Clear Bookmarks", ""},
        {"Block Indent", "Ctrl+Shift+I"},
        {"Block Unindent", "Ctrl+Shift+U"},
        {"Add Comment", ""},
        {"Remove Comment", ""},
        {"Convert Selection to HTML", ""},
        {"Escape Quots", ""},
        {"Unformat Selection", ""},
        {"Break lines", ""},
        {"Character case",
         "",
         {"Convert to Lowercase", "Convert to Uppercase", "Convert Tags to Lowercase",
          "Convert Tags to Uppercase"}},
        {"Find...", "Ctrl+F"},
        {"Repeat Search", "F3"},
        {"Replace...", "Ctrl+R"},
        {"Multi-Replace...", ""}}},
      {"&View",
       Qt::Key_V,
       {{"Word Wrap", ""},
        {"Show Special Chars", ""},
        {"HTML Editor", ""},
        {"CSS Editor", ""},
        {"Console", ""},
        {"PHP Analyser", ""},
        {"Toolbars",
         "",
         {"Main Toolbar", "HTML", "HTML Form", "Special Symbols", "Config Selection", "Encoding",
          "Run", "Search", "Tools"}},
        {"Syntax Highlighter", "", {}}}},
      {"&Project",
       Qt::Key_P,
       {{"Run", "F9"},
        {"Run With", "", {}},
        {"Execute", "Ctrl+F9"},
        {"Execute With", "", {}},
        {"Parameters...", ""}}},
      {"&Tools",
       Qt::Key_T,
       {{"CSS Editor...", ""},
        {"Head Generator...", ""},
        {"Table Generator...", ""},
        {"Insert Image...", ""},
        {"Color Picker...", ""},
        {"Multi-Replace...", ""},
        {"Image Map...", ""}}},
      {"&Window", Qt::Key_W, {{"Previous Tab", "F11"}, {"Next Tab", "F12"}}},
      {"&Help", Qt::Key_H, {{"About", ""}, {"Tervil Editor Online", ""}}},
  };
  return table;
}

QList<QAction*> Items(const QMenu* menu) {
  QList<QAction*> items;
  for (QAction* action : menu->actions())
    if (!action->isSeparator() && action->isVisible()) items << action;
  return items;
}

QAction* ItemNamed(const QMenu* menu, const QString& caption) {
  return MenuItemNamed(menu, caption);
}

// The commands the user reaches: the items of the menu bar's menus and their submenus, the
// toolbars' buttons, and the window's own commands (those of the page menu among them).
QList<QAction*> Commands(const TTervilMain& window) {
  QList<QAction*> commands;
  std::function<void(const QMenu*)> walk = [&](const QMenu* menu) {
    for (QAction* action : menu->actions()) {
      if (action->isSeparator()) continue;
      commands << action;
      if (action->menu()) walk(action->menu());
    }
  };
  for (QAction* action : window.menuBar()->actions())
    if (action->menu()) walk(action->menu());
  for (QToolBar* bar : window.findChildren<QToolBar*>(Qt::FindDirectChildrenOnly))
    commands << bar->actions();
  for (QAction* action : window.findChildren<QAction*>(Qt::FindDirectChildrenOnly))
    commands << action;
  return commands;
}

// One item of a context menu as it showed.
struct TShownItem {
  QString caption;
  bool enabled;
  bool icon;
  bool hint;
  QStringList items;  // a submenu's captions
};

// The items of the context menu that `open` brings up, read while it shows; the menu is then
// closed with Escape. Empty when no menu opened.
QList<TShownItem> ShownContextMenu(const std::function<void()>& open) {
  QList<TShownItem> shown;
  QTimer reader;
  reader.setSingleShot(true);
  QObject::connect(&reader, &QTimer::timeout, [&shown] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    for (QAction* action : Items(menu)) {
      TShownItem item{action->text(),
                      action->isEnabled(),
                      !action->icon().isNull(),
                      !action->statusTip().isEmpty(),
                      {}};
      if (action->menu())
        for (QAction* sub : Items(action->menu())) {
          item.items << sub->text();
          item.hint = item.hint || !sub->statusTip().isEmpty();
        }
      shown << item;
    }
    QTest::keyClick(menu, Qt::Key_Escape);
  });
  reader.start(0);
  open();
  [&] { QTRY_VERIFY(!reader.isActive()); }();
  return shown;
}

}  // namespace

// The main window's menus, toolbars and their update rules, walked as the user opens them.
class MenusTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  TMainWindowFixture window_;

  QString OldFile(const QString& name, const QByteArray& bytes) {
    return WriteOldFile(home_.filePath(name), bytes);
  }

  QMenu* OpenMenu(Qt::Key mnemonic) { return OpenMenuWithKeys(window_.get(), mnemonic); }
  void CloseMenus() { CloseMenusWithKeys(window_.get()); }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    UseUserFoldersIn(home_);
    AnswerMessagesWith(TMsgResult::No);
  }

  void cleanup() {
    CloseMenus();
    window_.Close();
  }

  // Every menu of the table is on the menu bar in order and opens with its letter; each of its
  // items is there, in order, with its shortcut and a picture.
  void everyMenuItemOfTheTableIsThereWithItsShortcutAndIcon() {
    QVERIFY(window_.Start(QSize(1000, 700), TMainWindowFixture::TShow::Active,
                          {OldFile("page.php", "<?php echo 1;\n")}));
    QStringList bar;
    for (QAction* action : window_->menuBar()->actions()) bar << action->text();
    qsizetype at = -1;
    for (const TMenu& expected : MainMenuTable()) {
      const qsizetype found = bar.indexOf(expected.title);
      QVERIFY2(found > at, qPrintable(expected.title + " out of place in " + bar.join(", ")));
      at = found;
    }

    QStringList problems;
    for (const TMenu& expected : MainMenuTable()) {
      QMenu* menu = OpenMenu(expected.mnemonic);
      QVERIFY2(menu && menu->title() == expected.title, qPrintable(expected.title));
      const QList<QAction*> items = Items(menu);
      qsizetype last = -1;
      for (const TItem& item : expected.items) {
        const QString where = expected.title + " > " + item.caption;
        QAction* action = ItemNamed(menu, item.caption);
        if (!action) {
          problems << where + " missing";
          continue;
        }
        if (items.indexOf(action) < last) problems << where + " out of order";
        last = items.indexOf(action);
        if (action->icon().isNull()) problems << where + " has no icon";
        if (action->statusTip().isEmpty() && !action->menu()) problems << where + " has no hint";
        if (!item.shortcut.isEmpty() && action->shortcut() != QKeySequence(item.shortcut))
          problems << where + " has the shortcut " + action->shortcut().toString();
        const bool submenu = !item.items.isEmpty() || item.caption == "Reopen" ||
                             item.caption == "Run With" || item.caption == "Execute With" ||
                             item.caption == "Syntax Highlighter";
        if (bool(action->menu()) != submenu) problems << where + " submenu";
        if (!item.items.isEmpty()) {
          QStringList captions;
          for (QAction* sub : Items(action->menu())) captions << sub->text();
          if (captions != item.items) problems << where + " holds " + captions.join(", ");
        }
      }
      CloseMenus();
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("\n")));
  }

  // The editor's context menu, opened with Shift+F10, the Menu key or a right click, holds the
  // items of its table in order, each with a picture and a hint, enabled as the page allows;
  // "Add get/set methods" only on a PHP variable.
  void editorContextMenuHoldsItsItemsInOrder() {
    QVERIFY(window_.Start(QSize(1000, 700), TMainWindowFixture::TShow::Active,
                          {OldFile("context.php", "<?php\n$name = 1;\n")}));
    TTvlEdit* editor = window_->CurrentPage()->TvlEdit();
    editor->setFocus();
    QTRY_VERIFY(editor->hasFocus());
    QApplication::clipboard()->setText("pasted");
    const QStringList copyAs = {"HTML", "RTF"};
    const QStringList plain = {"Undo",        "Redo",           "Copy",
                               "Copy As...",  "Paste",          "Cut",
                               "Add Comment", "Remove Comment", "Syntax Highlighter"};
    QStringList onVariable = plain;
    onVariable.insert(plain.indexOf("Cut") + 1, "Add get/set methods");
    const auto rightClick = [&](TBufferPos at) {
      const QPoint inView = editor->BufferPosToPixels(at) + QPoint(2, 4);
      QWindow* window = window_->windowHandle();
      QTest::mouseClick(window, Qt::RightButton, {},
                        editor->viewport()->mapTo(window_.get(), inView));
    };
    const struct {
      const char* name;
      std::function<void()> prepare;
      std::function<void()> open;
      QStringList captions;
      bool selection;
      bool undo;
    } cases[] = {
        {"Shift+F10 without a selection", [] {},
         [&] { QTest::keyClick(editor, Qt::Key_F10, Qt::ShiftModifier); }, plain, false, false},
        {"Menu key on a typed selection",
         [&] {
           QTest::keyClick(editor, Qt::Key_End);
           QTest::keyClicks(editor, " x");
           QTest::keyClick(editor, Qt::Key_Left, Qt::ShiftModifier);
         },
         [&] { QTest::keyClick(editor, Qt::Key_Menu); }, plain, true, true},
        {"Shift+F10 on a variable",
         [&] {
           editor->SetCaretXY({3, 2});
         },
         [&] { QTest::keyClick(editor, Qt::Key_F10, Qt::ShiftModifier); }, onVariable, false, true},
        {"right click on a variable moves the caret there",
         [&] {
           editor->SetCaretXY({1, 1});
         },
         [&] {
           rightClick({3, 2});
         },
         onVariable, false, true},
    };
    for (const auto& c : cases) {
      c.prepare();
      const QList<TShownItem> shown = ShownContextMenu(c.open);
      QStringList captions;
      for (const TShownItem& item : shown) captions << item.caption;
      QVERIFY2(captions == c.captions, qPrintable(QString(c.name) + ": " + captions.join(", ")));
      for (const TShownItem& item : shown) {
        const QString where = QString(c.name) + ": " + item.caption;
        QVERIFY2(item.icon, qPrintable(where + " has no icon"));
        QVERIFY2(item.hint || item.caption == "Syntax Highlighter",
                 qPrintable(where + " has no hint"));
        QVERIFY2(item.items == (item.caption == "Copy As..." ? copyAs : item.items),
                 qPrintable(where + " holds " + item.items.join(", ")));
        bool enabled = true;
        if (item.caption == "Copy" || item.caption == "Cut") enabled = c.selection;
        if (item.caption == "Undo") enabled = c.undo;
        if (item.caption == "Redo") enabled = false;
        QVERIFY2(item.enabled == enabled, qPrintable(where + (enabled ? " disabled" : " enabled")));
      }
      QVERIFY2(!editor->SelAvail() || c.selection, c.name);
    }
    // The right click left the caret on the variable.
    QCOMPARE(editor->CaretXY(), (TBufferPos{3, 2}));
  }

  // The shortcuts of the selection modes switch the mode; the Edit menu checks the page's mode.
  void selectionModeShortcutsAreCheckedInTheMenu() {
    QVERIFY(window_.Start(QSize(1000, 700), TMainWindowFixture::TShow::Active,
                          {OldFile("modes.php", "abc\ndef\n")}));
    TTvlEdit* editor = window_->CurrentPage()->TvlEdit();
    editor->setFocus();
    QTRY_VERIFY(editor->hasFocus());
    const struct {
      Qt::Key key;
      const char* checked;
      TSelectionMode mode;
    } cases[] = {{Qt::Key_C, "Column", TSelectionMode::smColumn},
                 {Qt::Key_L, "Line", TSelectionMode::smLine},
                 {Qt::Key_N, "Normal", TSelectionMode::smNormal}};
    for (const auto& c : cases) {
      QTest::keyClick(editor, c.key, Qt::ControlModifier | Qt::ShiftModifier);
      QCOMPARE(editor->SelectionMode(), c.mode);
      QMenu* edit = OpenMenu(Qt::Key_E);
      QVERIFY(edit);
      QMenu* modes = ItemNamed(edit, "Selection Mode")->menu();
      for (QAction* item : Items(modes))
        QVERIFY2(item->isChecked() == (item->text() == c.checked), qPrintable(item->text()));
      CloseMenus();
    }
  }

  // "Delete" works on a page with unsaved changes only, also when text is selected.
  void deleteIsEnabledOnlyOnAModifiedPage() {
    QVERIFY(window_.Start(QSize(1000, 700), TMainWindowFixture::TShow::Active,
                          {OldFile("delete.php", "abcdef\n")}));
    TTvlEdit* editor = window_->CurrentPage()->TvlEdit();
    editor->setFocus();
    QTRY_VERIFY(editor->hasFocus());
    QTest::keyClick(editor, Qt::Key_Right, Qt::ShiftModifier);
    QMenu* edit = OpenMenu(Qt::Key_E);
    QVERIFY(!ItemNamed(edit, "Delete")->isEnabled());
    QVERIFY(ItemNamed(edit, "Copy")->isEnabled());
    CloseMenus();

    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClick(editor, Qt::Key_X);
    QTest::keyClick(editor, Qt::Key_Home);
    QTest::keyClick(editor, Qt::Key_Right, Qt::ShiftModifier);
    edit = OpenMenu(Qt::Key_E);
    QAction* del = ItemNamed(edit, "Delete");
    QVERIFY(del->isEnabled());
    // Chosen from the open menu with the keyboard: the selection goes.
    edit->setActiveAction(del);
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_COMPARE(window_->CurrentPage()->Model().Text("\n"), std::string("bcdefx\n"));
  }

  // With the Start tab in front no document command can be chosen, and the Edit menu shows
  // every item disabled; back on the page they work again.
  void startTabDisablesEveryDocumentCommand() {
    QVERIFY(window_.Start(QSize(1000, 700), TMainWindowFixture::TShow::Active,
                          {OldFile("doc.php", "<?php echo 1;\n")}));
    TTvlEdit* editor = window_->CurrentPage()->TvlEdit();
    editor->setFocus();
    QTRY_VERIFY(editor->hasFocus());
    QTest::keyClick(editor, Qt::Key_X);
    QTest::keyClick(editor, Qt::Key_Left, Qt::ShiftModifier);  // a selection, an undo step

    TTvlTabBar* tabs = window_->PageControl()->Bar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    QTRY_COMPARE(window_->PageControl()->currentIndex(), 0);
    QTRY_VERIFY(window_->CurrentPage() == nullptr);

    const QStringList documentCommands = {"Save",
                                          "Save As",
                                          "Close",
                                          "Close All",
                                          "Undo",
                                          "Redo",
                                          "Copy",
                                          "Paste",
                                          "Cut",
                                          "Delete",
                                          "Select All",
                                          "Go to Line",
                                          "Go to Matching Bracket",
                                          "Clear Bookmarks",
                                          "Block Indent",
                                          "Block Unindent",
                                          "Add Comment",
                                          "Remove Comment",
                                          "Convert Selection to HTML",
                                          "Escape Quots",
                                          "Unformat Selection",
                                          "Break lines",
                                          "Repeat Search",
                                          "Multi-Replace...",
                                          "Word Wrap",
                                          "Show Special Chars",
                                          "CSS Editor...",
                                          "Head Generator...",
                                          "Table Generator...",
                                          "Insert Image...",
                                          "Color Picker...",
                                          "Image Map...",
                                          "Change Encoding",
                                          "Parameters...",
                                          "Rename...",
                                          "Reload",
                                          "Copy Filename",
                                          "Copy Filename and Path",
                                          "Windows Menu...",
                                          "PHP variables",
                                          "Entities"};
    QStringList enabled;
    for (QAction* action : Commands(*window_))
      if (documentCommands.contains(action->text()) && action->isEnabled())
        enabled << action->text();
    QVERIFY2(enabled.isEmpty(), qPrintable(enabled.join(", ")));
    for (const char* bar : {"HtmlToolbar", "FormToolbar"})
      for (QAction* action : window_->findChild<QToolBar*>(bar)->actions())
        QVERIFY2(action->isSeparator() || !action->isEnabled(), qPrintable(action->text()));

    QMenu* edit = OpenMenu(Qt::Key_E);
    QVERIFY(edit);
    for (QAction* item : Items(edit)) QVERIFY2(!item->isEnabled(), qPrintable(item->text()));
    CloseMenus();
    // Find stays a command of its own: closing the menu gives it back.
    QAction* find = nullptr;
    for (QAction* action : window_->findChildren<QAction*>())
      if (action->text() == "Find...") find = action;
    QVERIFY(find && find->isEnabled());

    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QTRY_VERIFY(window_->CurrentPage() != nullptr);
    edit = OpenMenu(Qt::Key_E);
    for (const char* caption : {"Undo", "Copy", "Delete", "Select All", "Block Indent"})
      QVERIFY2(ItemNamed(edit, caption)->isEnabled(), caption);
  }

  // The main toolbar holds its commands in the order of the toolbar table, Open with the recent
  // files below its button.
  void mainToolbarHoldsItsCommands() {
    QVERIFY(window_.Start(QSize(1000, 700), TMainWindowFixture::TShow::Exposed));
    auto* bar = window_->findChild<QToolBar*>("MainToolbar");
    QVERIFY(bar);
    QStringList captions;
    for (QAction* action : bar->actions())
      if (!action->isSeparator()) captions << action->text();
    const QStringList expected = {"New...", "Open", "Save",  "Save As", "Save All",  "Undo",
                                  "Redo",   "Copy", "Paste", "Cut",     "Split View"};
    qsizetype at = -1;
    for (const QString& caption : expected) {
      QVERIFY2(captions.indexOf(caption) > at, qPrintable(caption + " in " + captions.join(",")));
      at = captions.indexOf(caption);
    }
    for (const char* name :
         {"MainToolbar", "HtmlToolbar", "FormToolbar", "RunToolbar", "EncodingToolbar",
          "ConfigToolbar", "SearchToolbar", "ToolsToolBar", "AdditionalToolBar"})
      QVERIFY2(window_->findChild<QToolBar*>(name), name);
  }
};

QTEST_MAIN(MenusTest)
#include "menus_test.moc"
