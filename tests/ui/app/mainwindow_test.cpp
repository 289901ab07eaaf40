#include <QLabel>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

#include "core/common/Paths.h"
#include "core/config/SettingsStore.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/app/StatusPanels.h"

using namespace tervil;

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;
  QStringList shown_;

  QString StorePath() const { return home_.filePath("config/tervil-editor/registry.reg"); }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", home_.filePath("cache").toUtf8());
    TMessageBox::SetHandler([this](const QString&, const QString& text, int, TMsgIcon) {
      shown_ << text;
      return TMsgResult::OK;
    });
  }

  void init() {
    shown_.clear();
    QFile::remove(StorePath());
  }

  void showsCaptionMinimumSizeAndNinePanels() {
    TSettingsStore store;
    store.Load();
    TTervilMain window(store, {}, home_.filePath("no-data"));
    QCOMPARE(window.windowTitle(), QString("Tervil Editor"));
    QCOMPARE(window.minimumSize(), QSize(600, 400));
    const int widths[] = {250, 70, 70, 80, 100, 30, 100, 150, 50};
    for (int i = 0; i < TStatusPanels::kPanelCount; ++i)
      QVERIFY(window.StatusPanels()->Panel(i)->minimumWidth() == widths[i]);
    QCOMPARE(TStatusPanels::PanelAt(0), 0);
    QCOMPARE(TStatusPanels::PanelAt(255), 1);
    QCOMPARE(TStatusPanels::PanelAt(899), 8);
    QCOMPARE(TStatusPanels::PanelAt(900), -1);
    window.ShowAtStart();
    QVERIFY(window.windowState() & Qt::WindowMaximized);
  }

  void menusComeInTheirOrder() {
    TSettingsStore store;
    store.Load();
    TTervilMain window(store, {}, home_.filePath("no-data"));
    QStringList captions;
    for (QAction* menu : window.menuBar()->actions()) captions << menu->text();
    QCOMPARE(captions,
             QStringList({"&File", "&Edit", "&View", "&Project", "&Tools", "&Window", "&Help"}));
    QStringList view;
    for (QAction* item : window.menuBar()->actions()[2]->menu()->actions())
      if (!item->isSeparator()) view << item->text();
    QCOMPARE(view, QStringList({"Word Wrap", "Show Special Chars", "Split View", "HTML Editor",
                                "CSS Editor", "Console", "PHP Analyser", "Preview", "Toolbars",
                                "Syntax Highlighter"}));
  }

  void reportsMissingDataFilesAndGoesOn() {
    TSettingsStore store;
    store.Load();
    TTervilMain window(store, {}, home_.filePath("no-data"));
    QCOMPARE(window.StartupErrors().size(), 12);
    for (const char* file : {"no-data/css.tvd", "no-data/colorlist.tvd", "no-data/js.tvd"})
      QCOMPARE(window.StartupErrors().filter(file).size(), 1);
    QVERIFY(window.StartupErrors().first().startsWith(
        "Cannot open file \"" + home_.filePath("no-data/entities.tvd") + "\". "));
    window.ShowAtStart();
    QTRY_COMPARE(shown_.size(), 1);
    QVERIFY(shown_.first().contains("html.tvd"));
  }

  void firstExitWritesTheDefaultConfiguration() {
    {
      TSettingsStore store;
      store.Load();
      TTervilMain window(store, {}, home_.filePath("no-data"));
    }
    TSettingsStore reread;
    QCOMPARE(QString::fromStdString(reread.Load()), QString());
    QCOMPARE(reread.ReadString("Software\\Tervil Editor", "lastconfig"), std::string("default"));
    QCOMPARE(reread.ReadInteger("Software\\Tervil Editor\\default", "autosaveinterval"), 300000u);
  }

  void emptiesTheTempFolderAtExit() {
    const std::string temp = TempDirectory();
    QVERIFY(EnsureDirectory(temp, 0700));
    std::ofstream(temp + "/page.tvl1") << "<?php echo 1;";
    {
      TSettingsStore store;
      store.Load();
      TTervilMain window(store, {}, home_.filePath("no-data"));
    }
    QVERIFY(!FileExists(temp + "/page.tvl1"));
  }

  void opensCommandLinePathsAndOnlyExistingHandedOverPaths() {
    const QString existing = home_.filePath("exists.php");
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    TSettingsStore store;
    store.Load();
    qRegisterMetaType<QString>();
    TTervilMain window(store, {}, home_.filePath("no-data"));
    QSignalSpy spy(&window, &TTervilMain::OpenFileRequested);
    window.HandOverPath(home_.filePath("missing.php"));
    window.HandOverPath(existing);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), existing);
    QCOMPARE(spy.at(0).at(1).toBool(), false);
  }
};

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
