#include <QAction>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "core/config/SettingsStore.h"
#include "support/AppTestSupport.h"
#include "ui/app/MainForm.h"
#include "ui/docking/DockManager.h"
#include "ui/docking/ToolForm.h"

using namespace tervil;
using namespace tervil::test;

// Tool windows left floating across a restart of the editor: the main window is closed, made
// again from the same settings and shown.
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

 private slots:
  void initTestCase() {
    UseUserFoldersIn(home_);
    AnswerMessagesWith(TMsgResult::No);
  }

  void floatingShownWindowsComeBackShownOnTheScreen() {
    for (const char* name : {"Console", "HtmlEditor"}) {
      QFile::remove(StorePath());
      QRect placed;
      {
        std::unique_ptr<TSettingsStore> store;
        auto window = Start(store);
        TToolForm* tool = window->DockManager()->ToolWindow(name);
        QVERIFY2(tool, name);
        tool->DockTo("");
        window->DockManager()->ShowToolWindow(tool);
        tool->setGeometry(150, 160, 320, 220);
        QTRY_VERIFY(tool->isVisible());
        QVERIFY(tool->isFloating());
        placed = tool->geometry();
        QVERIFY(window->close());
        window.reset();
      }
      std::unique_ptr<TSettingsStore> store;
      auto window = Start(store);
      TToolForm* tool = window->DockManager()->ToolWindow(name);
      QVERIFY(tool->isFloating());
      QTRY_VERIFY2(tool->isVisible(), name);
      QCOMPARE(tool->size(), placed.size());
      QVERIFY(window->screen()->availableGeometry().contains(tool->geometry()));
      QVERIFY(window->close());
    }
  }
};

QTEST_MAIN(FloatingRestartTest)
#include "floating_restart_test.moc"
