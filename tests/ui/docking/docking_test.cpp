#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>
#include <memory>

#include "core/config/Configuration.h"
#include "core/config/SettingsStore.h"
#include "ui/docking/CaptionStrip.h"
#include "ui/docking/DockManager.h"
#include "ui/docking/ToolForm.h"

using namespace tervil;

namespace {

// A main window with an editor area, two tool windows and a toolbar, as the editor sets them up.
struct TTestWindow {
  explicit TTestWindow(TSettingsStore& store) : config(store) {
    main.resize(1000, 700);
    main.setCentralWidget(new QLabel("editors"));
    auto* bar = main.addToolBar("Main Toolbar");
    bar->setObjectName("MainToolbar");
    bar->addAction("New");
    manager = new TDockManager(&main);
    html = MakeWindow("Html Editor", "HtmlEditor", "DockPanelRight");
    html->SetSizeLimits(100, 400, 100, QWIDGETSIZE_MAX);
    console = MakeWindow("Console", "Console", "DockPanelBottom");
    console->SetSizeLimits(100, QWIDGETSIZE_MAX, 100, 400);
    showHtml = manager->CreateShowAction(html, "HTML Editor", "", "", QIcon());
    manager->LoadComponents(config);
  }
  TToolForm* MakeWindow(const QString& caption, const QString& name, const QString& area) {
    auto* window = new TToolForm(caption, name, &main);
    window->setWidget(new QLabel(caption));
    manager->AddToolWindow(window, area);
    return window;
  }
  QWidget* Editors() const { return main.centralWidget(); }

  TConfiguration config;
  QMainWindow main;
  TDockManager* manager;
  TToolForm* html;
  TToolForm* console;
  QAction* showHtml;
};

}  // namespace

class DockingTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  std::unique_ptr<TSettingsStore> store_;

  TSettingsStore& Reopen() {
    store_ = std::make_unique<TSettingsStore>(dir_.filePath("registry.reg").toStdString());
    store_->Load();
    return *store_;
  }

 private slots:
  void init() {
    QFile::remove(dir_.filePath("registry.reg"));
    Reopen();
  }

  void dockIntoEachAreaAndFloatAgain() {
    TTestWindow w(*store_);
    w.main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.main));
    w.manager->ShowToolWindow(w.html);
    const struct {
      const char* name;
      Qt::DockWidgetArea area;
      bool vertical;
    } cases[] = {{"DockPanelLeft", Qt::LeftDockWidgetArea, false},
                 {"DockPanelBottom", Qt::BottomDockWidgetArea, true},
                 {"DockPanelRight", Qt::RightDockWidgetArea, false},
                 {"unset", Qt::LeftDockWidgetArea, false}};
    for (const auto& c : cases) {
      w.html->DockTo(c.name);
      QVERIFY(!w.html->isFloating());
      QCOMPARE(w.main.dockWidgetArea(w.html), c.area);
      QCOMPARE(w.html->CaptionStrip()->Vertical(), c.vertical);
      QCOMPARE(w.html->DockAreaName(), c.name == QString("unset") ? "DockPanelLeft" : c.name);
    }
    w.html->DockTo("somewhere else");  // an unknown name changes nothing
    QCOMPARE(w.main.dockWidgetArea(w.html), Qt::LeftDockWidgetArea);
    w.html->DockTo("");
    QVERIFY(w.html->isFloating());
    QCOMPARE(w.html->DockAreaName(), QString());
    QVERIFY(!w.html->CaptionStrip()->Vertical());
    w.html->DockTo("DockPanelRight");
    QVERIFY(!w.html->isFloating());
  }

  void areaCollapsesWhenItsLastWindowClosesAndOpensAgain() {
    TTestWindow w(*store_);
    w.main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.main));
    QCOMPARE(w.Editors()->geometry().right(), w.main.rect().right());
    QVERIFY(!w.showHtml->isChecked());

    w.showHtml->trigger();
    QVERIFY(w.showHtml->isChecked());
    QTRY_VERIFY(w.html->isVisible());
    QTRY_VERIFY(w.Editors()->geometry().right() < w.main.rect().right() - 150);
    const int openWidth = w.html->width();
    QVERIFY(openWidth >= 200);
    QVERIFY(openWidth <= kDockAreaMaxSize);

    // The close box of the caption strip.
    TCaptionStrip* strip = w.html->CaptionStrip();
    QTest::mouseClick(strip, Qt::LeftButton, {}, strip->CloseBox().center());
    QTRY_VERIFY(w.html->isHidden());
    QVERIFY(!w.showHtml->isChecked());
    QTRY_COMPARE(w.Editors()->geometry().right(), w.main.rect().right());

    w.showHtml->trigger();
    QTRY_VERIFY(w.html->isVisible());
    QTRY_COMPARE(w.html->width(), openWidth);
    w.showHtml->trigger();  // the command hides a visible window
    QVERIFY(w.html->isHidden());
    QVERIFY(!w.showHtml->isChecked());
  }

  void anAreaNeverGrowsBeyondItsLimit() {
    TTestWindow w(*store_);
    w.main.resize(1400, 900);
    w.main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.main));
    w.html->resize(390, 400);
    w.html->MarkSized();
    w.manager->ShowToolWindow(w.html);
    QTRY_VERIFY(w.html->isVisible());
    QVERIFY(w.html->width() <= kDockAreaMaxSize);
    w.manager->ShowToolWindow(w.console);
    w.console->resize(400, 900);
    w.manager->FitDockArea(TDockArea::Bottom, w.console);
    QTRY_VERIFY(w.console->isVisible());
    QVERIFY(w.console->height() <= kDockAreaMaxSize);
    // Floating, the window's own limit holds again.
    w.html->DockTo("");
    w.html->resize(390, 300);
    QCOMPARE(w.html->width(), 390);
  }

  void placementSurvivesARestart() {
    {
      TTestWindow w(*store_);
      w.main.show();
      QVERIFY(QTest::qWaitForWindowExposed(&w.main));
      w.html->DockTo("DockPanelLeft");
      w.manager->ShowToolWindow(w.html);
      w.main.resizeDocks({w.html}, {240}, Qt::Horizontal);  // as the splitter does
      w.manager->ShowToolWindow(w.console);
      w.console->DockTo("");
      w.console->setGeometry(120, 140, 320, 210);
      QTRY_COMPARE(w.html->width(), 240);
      w.manager->SaveComponents(w.config);
      w.config.Save();
      store_->Flush();
    }
    TSettingsStore& store = Reopen();
    QCOMPARE(store.ReadString("Software\\Tervil Editor\\default\\HtmlEditor", "dock"),
             std::string("DockPanelLeft"));
    QCOMPARE(store.ReadInteger("Software\\Tervil Editor\\default\\HtmlEditor", "width"), 240u);
    QCOMPARE(store.ReadString("Software\\Tervil Editor\\default\\Console", "dock"), std::string());

    TTestWindow w(store);
    QCOMPARE(w.main.dockWidgetArea(w.html), Qt::LeftDockWidgetArea);
    QVERIFY(!w.html->isHidden());
    QVERIFY(w.showHtml->isChecked());
    QVERIFY(w.console->isFloating());
    QVERIFY(!w.console->isHidden());
    w.main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.main));
    QTRY_COMPARE(w.html->width(), 240);
    QCOMPARE(w.console->geometry(), QRect(120, 140, 320, 210));
  }

  void offScreenPlacementComesBackOnTheScreen() {
    const std::string key = "Software\\Tervil Editor\\default\\Console";
    store_->CreateKey(key);
    store_->WriteString(key, "dock", "");
    store_->WriteBool(key, "visible", true);
    store_->WriteInteger(key, "left", 90000);
    store_->WriteInteger(key, "top", static_cast<uint32_t>(-90000));
    store_->WriteInteger(key, "width", 300);
    store_->WriteInteger(key, "height", 200);
    TTestWindow w(*store_);
    w.main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.main));
    QVERIFY(w.console->isFloating());
    const QRect screen = w.main.screen()->availableGeometry();
    QVERIFY(screen.contains(w.console->geometry()));
    QCOMPARE(w.console->size(), QSize(300, 200));
  }

  void withoutStoredPlacementWindowsGoToTheirAreasHidden() {
    TTestWindow w(*store_);
    QCOMPARE(w.main.dockWidgetArea(w.html), Qt::RightDockWidgetArea);
    QCOMPARE(w.main.dockWidgetArea(w.console), Qt::BottomDockWidgetArea);
    QVERIFY(w.html->isHidden());
    QVERIFY(w.console->isHidden());
    // Toolbars dock only on the top bar.
    auto* bar = w.main.findChild<QToolBar*>("MainToolbar");
    QCOMPARE(bar->allowedAreas(), Qt::TopToolBarArea);
    QVERIFY(!(w.html->allowedAreas() & Qt::TopDockWidgetArea));
  }
};

QTEST_MAIN(DockingTest)
#include "docking_test.moc"
