#include <signal.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "core/config/SettingsStore.h"
#include "support/AppTestSupport.h"
#include "ui/app/MainForm.h"
#include "ui/app/SessionGuard.h"
#include "ui/docking/CaptionStrip.h"
#include "ui/docking/DockManager.h"
#include "ui/docking/ToolForm.h"

using namespace tervil;
using namespace tervil::test;

// Tool windows left floating across a restart of the editor: the program ends the way a user
// ends it (its event loop running, the window closed from the File menu or its close button, or
// a SIGTERM), the main window is made again from the same settings and shown.
class FloatingRestartTest : public QObject {
  Q_OBJECT
  QTemporaryDir home_;

  QString StorePath() const { return home_.filePath("config/tervil-editor/registry.reg"); }

  std::unique_ptr<TTervilMain> Start(std::unique_ptr<TSettingsStore>& store) {
    store = std::make_unique<TSettingsStore>(StorePath().toStdString());
    store->Load();
    auto window = std::make_unique<TTervilMain>(*store, QStringList{},
                                                QStringLiteral(TERVIL_SOURCE_DIR "/data"));
    window->resize(900, 600);
    window->ShowAtStart();
    if (!QTest::qWaitForWindowExposed(window.get())) qWarning("window not shown");
    return window;
  }

  static QAction* MenuAction(TTervilMain& window, const QString& menuTitle, const QString& text) {
    for (QAction* menu : window.menuBar()->actions())
      if (menu->menu() && menu->text().remove('&') == menuTitle)
        for (QAction* action : menu->menu()->actions())
          if (action->text().remove('&') == text) return action;
    return nullptr;
  }

 private slots:
  void initTestCase() {
    UseUserFoldersIn(home_);
    AnswerMessagesWith(TMsgResult::No);
  }

  void floatingShownWindowsComeBackShownOnTheScreen_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("floatBy");
    QTest::addColumn<QString>("endBy");
    QTest::addColumn<QRect>("geometry");
    const QRect onScreen(150, 160, 320, 220);
    const QRect offScreen(5000, 4000, 330, 230);  // a second screen that is gone
    QTest::newRow("console, File > Exit") << "Console"
                                          << "DockTo"
                                          << "Exit" << onScreen;
    QTest::newRow("html editor, caption double-click, window closed") << "HtmlEditor"
                                                                      << "caption"
                                                                      << "close" << onScreen;
    QTest::newRow("console, hidden and shown from the View menu, SIGTERM") << "Console"
                                                                           << "hide and show"
                                                                           << "SIGTERM" << onScreen;
    QTest::newRow("html editor off the screen, File > Exit") << "HtmlEditor"
                                                             << "DockTo"
                                                             << "Exit" << offScreen;
  }

  void floatingShownWindowsComeBackShownOnTheScreen() {
    QFETCH(QString, name);
    QFETCH(QString, floatBy);
    QFETCH(QString, endBy);
    QFETCH(QRect, geometry);
    QFile::remove(StorePath());
    {
      std::unique_ptr<TSettingsStore> store;
      auto window = Start(store);
      TToolForm* tool = window->DockManager()->ToolWindow(name);
      QVERIFY(tool);
      QAction* show = window->findChild<QAction*>("act" + name);
      QVERIFY(show);
      if (!tool->isVisible()) show->trigger();
      QTRY_VERIFY(tool->isVisible());
      if (floatBy == "caption") {
        QTest::mouseDClick(tool->CaptionStrip(), Qt::LeftButton, {},
                           tool->CaptionStrip()->rect().center());
      } else {
        tool->DockTo("");
      }
      QTRY_VERIFY(tool->isFloating());
      if (floatBy == "hide and show") {
        show->trigger();
        QTRY_VERIFY(!tool->isVisible());
        show->trigger();
      }
      QTRY_VERIFY(tool->isVisible());
      tool->setGeometry(geometry);
      QTest::qWait(50);

      // The program ends while its event loop runs, as it does for the user.
      std::unique_ptr<TSessionGuard> guard;
      if (endBy == "Exit") {
        QAction* exit = MenuAction(*window, "File", "Exit");
        QVERIFY(exit);
        QTimer::singleShot(0, exit, &QAction::trigger);
      } else if (endBy == "close") {
        QTimer::singleShot(0, window.get(), [&window] { window->close(); });
      } else {
        guard = std::make_unique<TSessionGuard>(*window);
        QTimer::singleShot(0, [] { ::raise(SIGTERM); });
      }
      QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
      QCOMPARE(QCoreApplication::exec(), 0);
      window.reset();
    }
    std::unique_ptr<TSettingsStore> store;
    auto window = Start(store);
    TToolForm* tool = window->DockManager()->ToolWindow(name);
    QVERIFY(tool->isFloating());
    QTRY_VERIFY(tool->isVisible());
    const QRect screen = window->screen()->availableGeometry();
    QVERIFY2(screen.contains(tool->geometry()), qPrintable(QString("%1,%2 %3x%4")
                                                               .arg(tool->x())
                                                               .arg(tool->y())
                                                               .arg(tool->width())
                                                               .arg(tool->height())));
    QCOMPARE(tool->size(), geometry.size());
    if (screen.contains(geometry)) QCOMPARE(tool->pos(), geometry.topLeft());
    QVERIFY(window->close());
  }
};

QTEST_MAIN(FloatingRestartTest)
#include "floating_restart_test.moc"
