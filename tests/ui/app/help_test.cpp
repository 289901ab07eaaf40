#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "core/app/CommandLine.h"
#include "core/app/UpdateCheck.h"
#include "core/config/SettingsStore.h"
#include "support/AppTestSupport.h"
#include "support/MenuKeys.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/documents/TvlPage.h"
#include "ui/documents/TvlPageControl.h"

using namespace tervil;
using namespace tervil::test;

// Stands for the desktop's handler of addresses: records what the program asks it to open.
class TUrlRecorder : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void Open(const QUrl& url) { opened << url; }
};

// The Help menu, context help, "Windows Menu..." and "Go to line" through the real window.
class HelpTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  std::unique_ptr<TSettingsStore> store_;
  std::unique_ptr<TTervilMain> window_;
  TUrlRecorder urls_;
  QStringList messages_;

  QString OldFile(const QString& name, const QByteArray& bytes) {
    return WriteOldFile(home_.filePath(name), bytes);
  }

  // A window whose program folder is the test's home: its help/php folder is the manual's place.
  TTervilMain& ShowWindow(const QStringList& files) {
    window_ = std::make_unique<TTervilMain>(*store_, files, home_.filePath("data"));
    window_->resize(1000, 700);
    window_->show();
    if (!QTest::qWaitForWindowActive(window_.get())) qWarning("window not active");
    if (TTvlPage* page = window_->CurrentPage()) page->TvlEdit()->setFocus();
    return *window_;
  }

  QMenu* OpenMenu(Qt::Key mnemonic) { return OpenMenuWithKeys(window_.get(), mnemonic); }

  static QAction* ItemNamed(const QMenu* menu, const QString& caption) {
    for (QAction* action : menu->actions())
      if (action->text() == caption) return action;
    return nullptr;
  }

  static void Choose(QMenu* menu, const QString& caption) {
    QAction* item = ItemNamed(menu, caption);
    QVERIFY2(item, qPrintable(caption));
    menu->setActiveAction(item);
    QTest::keyClick(menu, Qt::Key_Return);
  }

  void CloseMenus() { CloseMenusWithKeys(window_.get()); }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    UseUserFoldersIn(home_);
    qputenv("XDG_DATA_HOME", home_.filePath("share").toUtf8());
    TMessageBox::SetHandler([this](const QString&, const QString& text, int, TMsgIcon) {
      messages_ << text;
      return TMsgResult::No;
    });
    for (const char* scheme : {"file", "http", "https"})
      QDesktopServices::setUrlHandler(scheme, &urls_, "Open");
  }

  void init() {
    urls_.opened.clear();
    messages_.clear();
    store_ = std::make_unique<TSettingsStore>();
    store_->Load();
  }

  void cleanupTestCase() {
    for (const char* scheme : {"file", "http", "https"}) QDesktopServices::unsetUrlHandler(scheme);
  }

  void cleanup() {
    CloseMenus();
    CloseWithoutSaving(window_);
    QDir(home_.filePath("help")).removeRecursively();
  }

  // F1 opens the manual's page of the word at the caret, with hyphens for underscores; a word
  // with no page, or no manual at all, opens nothing.
  void f1OpensTheManualPageOfTheWordAtTheCaret() {
    const QString path = OldFile("help.php", "<?php\nstr_replace($a);\nnosuch();\n");
    TTervilMain& window = ShowWindow({path});
    TTvlEdit* editor = window.CurrentPage()->TvlEdit();
    QTRY_VERIFY(editor->hasFocus());
    QTest::keyClick(editor, Qt::Key_Down);
    QTest::keyClick(editor, Qt::Key_Right);
    QTest::keyClick(editor, Qt::Key_F1);
    QCOMPARE(urls_.opened, QList<QUrl>());  // no manual installed

    QDir().mkpath(home_.filePath("help/php"));
    const QString page = home_.filePath("help/php/function.str-replace.html");
    QFile file(page);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QTest::keyClick(editor, Qt::Key_F1);
    QCOMPARE(urls_.opened, QList<QUrl>{QUrl::fromLocalFile(page)});

    QTest::keyClick(editor, Qt::Key_Down);
    QTest::keyClick(editor, Qt::Key_F1);
    QCOMPARE(urls_.opened.size(), 1);
  }

  // "Tervil Editor Online" opens the page on the maker's site, and is disabled without one.
  void onlinePageFollowsTheSiteSetting() {
    ShowWindow({});
    QMenu* help = OpenMenu(Qt::Key_H);
    QVERIFY(help);
    QVERIFY(!ItemNamed(help, "Tervil Editor Online")->isEnabled());
    CloseMenus();

    store_->WriteString(kRootKey, kUpdateServerValue, "https://example.org");
    help = OpenMenu(Qt::Key_H);
    QVERIFY(help);
    Choose(help, "Tervil Editor Online");
    QTRY_COMPARE(urls_.opened, QList<QUrl>{QUrl("https://example.org/qendra.php?id=1")});
  }

  // About shows the program's name, the version of the build and the site as a link.
  void aboutShowsNameVersionAndLink() {
    store_->WriteString(kRootKey, kUpdateServerValue, "https://example.org");
    ShowWindow({});
    QStringList shown;
    bool linkOpened = false;
    QTimer::singleShot(0, this, [&] {
      QTRY_VERIFY(QApplication::activeModalWidget());
      QWidget* about = QApplication::activeModalWidget();
      for (QLabel* label : about->findChildren<QLabel*>()) shown << label->text();
      if (auto* link = about->findChild<QLabel*>("HomePageLink")) {
        emit link->linkActivated("https://example.org");
        linkOpened = true;
      }
      QTest::keyClick(about, Qt::Key_Return);
    });
    QMenu* help = OpenMenu(Qt::Key_H);
    QVERIFY(help);
    Choose(help, "About");
    QTRY_VERIFY(!shown.isEmpty());
    QVERIFY(shown.contains("Tervil Editor"));
    QVERIFY(shown.contains(QString("Version: ") + TervilVersion()));
    QCOMPARE(QString(TervilVersion()), QString("4.01"));
    QVERIFY(linkOpened);
    QCOMPARE(urls_.opened, QList<QUrl>{QUrl("https://example.org")});
  }

  // "Go to line" with a word reports the conversion error and leaves the caret; the window stays
  // for a correct number.
  void goToLineReportsANonNumber() {
    const QString path = OldFile("goto.php", "a\nb\nc\nd\n");
    TTervilMain& window = ShowWindow({path});
    TTvlPage* page = window.CurrentPage();
    QTRY_VERIFY(page->TvlEdit()->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_G, Qt::ControlModifier);
    QTRY_VERIFY(QApplication::focusWidget() &&
                QApplication::focusWidget()->window() != static_cast<QWidget*>(&window));
    QTest::keyClicks(QApplication::focusWidget(), "abc");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(messages_, QStringList{"'abc' is not a valid integer value"});
    QCOMPARE(page->Model().CaretPos().Line, 2);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(messages_.size(), 2);
    QCOMPARE(messages_[1], QString("'' is not a valid integer value"));

    QTest::keyClicks(QApplication::focusWidget(), "3");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);  // the box's arrow
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_COMPARE(page->Model().CaretPos().Line, 4);
    QTRY_VERIFY(page->TvlEdit()->hasFocus());
  }

  // The page menu's "Windows Menu..." offers the desktop's applications for the file's type,
  // the folder, Rename and Move to Trash; the trash keeps the text open as unsaved.
  void windowsMenuOffersApplicationsAndMovesToTrash() {
    QDir().mkpath(home_.filePath("share/applications"));
    QFile entry(home_.filePath("share/applications/tervil-test-viewer.desktop"));
    QVERIFY(entry.open(QIODevice::WriteOnly));
    entry.write(
        "[Desktop Entry]\nType=Application\nName=Test Viewer\nExec=true %f\n"
        "MimeType=application/x-php;\n");
    entry.close();
    const QString path = OldFile("trash.php", "<?php echo 1;\n");
    TTervilMain& window = ShowWindow({path});
    TTvlPage* page = window.CurrentPage();
    QVERIFY(!page->Model().Modified());

    QStringList items;
    QTimer::singleShot(0, this, [&] {
      auto* pageMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      QVERIFY(pageMenu);
      Choose(pageMenu, "Windows Menu...");
    });
    TTvlTabBar* tabs = window.PageControl()->Bar();
    QTest::mouseClick(tabs, Qt::RightButton, {}, tabs->tabRect(1).center());
    QMenu* shell = nullptr;
    QTRY_VERIFY((shell = window.findChild<QMenu*>("WindowsMenu")) && shell->isVisible());
    for (QAction* item : shell->actions())
      if (!item->isSeparator()) items << item->text();
    QVERIFY2(items.contains("Open with Test Viewer"), qPrintable(items.join(", ")));
    for (const char* caption : {"Open Containing Folder", "Rename...", "Move to Trash"})
      QVERIFY2(items.contains(caption), caption);

    Choose(shell, "Move to Trash");
    QTRY_VERIFY(!QFile::exists(path));
    QVERIFY(page->Model().Modified());
    QCOMPARE(page->Model().Text("\n"), std::string("<?php echo 1;\n"));
  }
};

QTEST_MAIN(HelpTest)
#include "help_test.moc"
