#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include "core/editcomponent/EditorModel.h"
#include "support/MainWindowFixture.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/app/StatusPanels.h"
#include "ui/documents/EditorPanel.h"
#include "ui/documents/TvlPage.h"
#include "ui/documents/TvlPageControl.h"

using namespace tervil;

// The main window's pages: highlighter menus, status bar, tab navigation and the split view.
class PagesTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  test::TMainWindowFixture window_;
  QStringList asked_;

  TTervilMain& Window() { return *window_; }

  QAction* HighlighterAction(const QString& caption) {
    for (QAction* action : Window().HighlighterActions())
      if (action->text() == caption) return action;
    return nullptr;
  }

 private slots:
  void initTestCase() {
    qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", home_.filePath("cache").toUtf8());
    TMessageBox::SetHandler([this](const QString&, const QString& text, int, TMsgIcon) {
      asked_ << text;
      return TMsgResult::No;
    });
  }

  void init() {
    asked_.clear();
    window_.Start(QSize(1000, 700), test::TMainWindowFixture::TShow::Hidden);
  }

  void cleanup() { window_.Close(); }

  void highlighterMenusHave15EntriesWithTheSpecialOnesLast() {
    const auto& actions = Window().HighlighterActions();
    QCOMPARE(actions.size(), 15);
    QCOMPARE(actions[13]->text(), QString("Multi highlighter"));
    QCOMPARE(actions[14]->text(), QString("None"));
    QCOMPARE(actions[0]->text(), QString("C#"));  // sorted without regard to case
    for (QAction* action : actions) QCOMPARE(action->associatedObjects().size(), 3);
  }

  void newPagesStartWithTheMultiHighlighterAndTheMenuSwitchesIt() {
    TTvlPage* page = Window().NewDocument();
    QCOMPARE(Window().StatusPanels()->PanelText(7), QString("Multi highlighter"));
    Window().highlighterActionUpdate(HighlighterAction("Multi highlighter"));
    QVERIFY(HighlighterAction("Multi highlighter")->isChecked());
    Window().highlighterActionExecute(HighlighterAction("None"));
    QCOMPARE(page->Highlighter(), nullptr);
    QCOMPARE(Window().StatusPanels()->PanelText(7), QString("None"));
    Window().highlighterActionExecute(HighlighterAction("PHP"));
    QCOMPARE(Window().StatusPanels()->PanelText(7), QString("PHP"));
    Window().highlighterActionUpdate(HighlighterAction("PHP"));
    QVERIFY(HighlighterAction("PHP")->isChecked());
  }

  void startTabDisablesPageCommands() {
    Window().NewDocument();
    Window().PageControl()->setCurrentIndex(0);
    QCOMPARE(Window().CurrentPage(), nullptr);
    QCOMPARE(Window().windowTitle(), QString("Tervil Editor"));
    Window().highlighterActionUpdate(HighlighterAction("PHP"));
    QVERIFY(!HighlighterAction("PHP")->isEnabled());
  }

  void tabsWrapAroundIncludingStart() {
    TTvlPage* one = Window().NewDocument();
    Window().NewDocument();
    Window().PageControl()->setCurrentWidget(one);
    Window().PreviousTab();
    QCOMPARE(Window().PageControl()->currentIndex(), 0);
    Window().PreviousTab();
    QCOMPARE(Window().PageControl()->currentIndex(), 2);
    Window().NextTab();
    QCOMPARE(Window().PageControl()->currentIndex(), 0);
  }

  void splitViewCommandAndWindowMenu() {
    Window().NewDocument();
    TEditorPanel* panel = Window().EditorPanel();
    Window().SetSplitView(true);
    QCOMPARE(panel->SplitRatio(), 50);
    Window().SetSplitView(false);
    QCOMPARE(panel->SplitRatio(), 100);
    panel->SetSplitRatio(0);
    Window().ShowOpenedTab(false, 1, "Unnamed 1");
    QCOMPARE(panel->SplitRatio(), 50);
    emit Window().WindowMenu()->aboutToShow();
    QStringList items;
    for (QAction* action : Window().WindowMenu()->actions())
      if (!action->isSeparator()) items << action->text();
    QCOMPARE(items, (QStringList{"Previous Tab", "Next Tab", "Unnamed 1"}));
  }

  void modifiedPanelClickAsksToSave() {
    TTvlPage* page = Window().NewDocument();
    page->Model().SetText("x");
    Window().RefreshStatus(page);
    QCOMPARE(Window().StatusPanels()->PanelText(3), QString("Modified"));
    Window().StatusBarClick(3, QPoint());
    QCOMPARE(asked_, QStringList{"Do you want to save this file now?"});
  }
};

QTEST_MAIN(PagesTest)
#include "pages_test.moc"
