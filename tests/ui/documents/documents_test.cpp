#include <sys/stat.h>
#include <utime.h>

#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>

#include "core/documents/DocumentFiles.h"
#include "core/editcomponent/EditorModel.h"
#include "support/MainWindowFixture.h"
#include "ui/app/FileDialogs.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/app/StatusPanels.h"
#include "ui/documents/TvlPage.h"
#include "ui/documents/TvlPageControl.h"

using namespace tervil;

// Opening, saving, closing and reloading documents through the main window, with questions
// answered by the test.
class DocumentsTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  test::TMainWindowFixture window_;
  QStringList asked_;               // texts of the boxes shown
  QStringList captions_;            // their captions
  std::deque<TMsgResult> answers_;  // answers to give, in order (default: Yes)

  QString Path(const QString& name) const { return home_.filePath("docs/" + name); }

  static QByteArray Read(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
  }
  static void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
  }

  TTervilMain& Window() { return *window_; }
  TTvlPage* Current() { return window_->CurrentPage(); }

  void NewWindow() { window_.Start(QSize(), test::TMainWindowFixture::TShow::Hidden); }

  TTvlPage* Open(const QString& path) {
    const int before = int(Window().EditorPages().size());
    Window().OpenFile(path, false);
    return int(Window().EditorPages().size()) > before ? Current() : nullptr;
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    QDir(home_.path()).mkpath("docs");
    qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", home_.filePath("cache").toUtf8());
    TMessageBox::SetHandler([this](const QString& caption, const QString& text, int, TMsgIcon) {
      asked_ << text;
      captions_ << caption;
      if (answers_.empty()) return TMsgResult::Yes;
      TMsgResult answer = answers_.front();
      answers_.pop_front();
      return answer;
    });
  }

  void init() {
    asked_.clear();
    captions_.clear();
    answers_.clear();
    NewWindow();
  }

  void cleanup() {
    // Leave nothing to ask about when the window goes.
    for (TTvlPage* page : Window().EditorPages()) page->Model().SetModified(false);
    window_.reset();
  }

  void roundTripKeepsEveryByte_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("utf-8") << QByteArray("<p>gr\xC3\xBC\xC3\x9F</p>\n");
    QTest::newRow("utf-8 with BOM") << QByteArray("\xEF\xBB\xBFh\xC3\xA9llo\r\nworld");
    QTest::newRow("latin-1 undeclared") << QByteArray("caf\xE9\nna\xEFve\n");
    QTest::newRow("windows-1251 meta")
        << QByteArray("<meta charset=\"windows-1251\">\r\n\xCF\xF0\xE8\xE2\xE5\xF2\r\n");
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n");
    QTest::newRow("LF, no final break") << QByteArray("a\nb");
    QTest::newRow("empty last line") << QByteArray("a\n\n");
    QTest::newRow("tabs") << QByteArray("\tif (x) {\n\t\treturn;\n\t}\n");
  }

  void roundTripKeepsEveryByte() {
    QFETCH(QByteArray, bytes);
    Window().Configuration().TabsToSpaces = false;
    const QString path = Path("round.html");
    Write(path, bytes);
    TTvlPage* page = Open(path);
    QVERIFY(page);
    TEditorModel& model = page->Model();
    model.ExecuteCommand(ecChar, U'x');
    model.ExecuteCommand(ecDeleteLastChar);
    QVERIFY(Window().SavePage(page, false));
    QCOMPARE(Read(path), bytes);
  }

  // CR-only breaks stay CR (line-break detection is on by default).
  void crOnlyStaysCr() {
    const QString path = Path("cr.txt");
    Write(path, "a\rb\r");
    TTvlPage* page = Open(path);
    QVERIFY(Window().SavePage(page, false));
    QCOMPARE(Read(path), QByteArray("a\rb\r"));
  }

  void secondOpenAsksAndIsReadOnly() {
    const QString path = Path("twice.php");
    Write(path, "<?php ?>");
    TTvlPage* first = Open(path);
    QVERIFY(first);
    TTvlPage* second = Open(path);
    QVERIFY(second);
    QCOMPARE(asked_.size(), 1);
    QCOMPARE(asked_.last(), Window().Message("AlreadyOpened"));
    QCOMPARE(captions_.last(), QString("twice.php"));
    QVERIFY(second->ReadOnly());
    QVERIFY(second->Model().ReadOnly());
    answers_ = {TMsgResult::No};
    QVERIFY(!Open(path));  // asks again: the read-only page does not count
    QCOMPARE(asked_.size(), 2);
    first->Close();
    asked_.clear();
    QVERIFY(Open(path));  // open only read-only now: no question
    QVERIFY(asked_.isEmpty());
  }

  void largeFilesAsk() {
    Write(Path("big.txt"), QByteArray(409601, 'x'));
    Write(Path("limit.txt"), QByteArray(409600, 'x'));
    answers_ = {TMsgResult::No};
    QVERIFY(!Open(Path("big.txt")));
    QCOMPARE(asked_.last(), Window().Message("LargeFile"));
    QCOMPARE(Window().LastOpenedFile, Path("big.txt"));
    asked_.clear();
    QVERIFY(Open(Path("limit.txt")));
    QVERIFY(asked_.isEmpty());
  }

  void recentRecordRestoresCaretAndExtensionWins() {
    const QString path = Path("app.js");
    Write(path, "a\nb\nc");
    Window().Configuration().AddRecentFile({2, 40, 1, path.toStdString(), "", "HTML", false});
    TTvlPage* page = Open(path);
    QCOMPARE(page->Model().CaretY(), 3);  // clamped to the last line
    QCOMPARE(Window().HighlighterCaption(page), QString("JavaScript"));
    QCOMPARE(Window().StatusPanels()->PanelText(7), QString("JavaScript"));

    Write(Path("page.CSS"), "p {}");
    TTvlPage* upper = Open(Path("page.CSS"));
    QCOMPARE(Window().HighlighterCaption(upper), Window().Message("MultiHighlighter"));
  }

  void newDocumentsAreNumbered() {
    TTvlPage* first = Window().NewDocument();
    TTvlPage* second = Window().NewDocument();
    QCOMPARE(first->Filename(), QString("Unnamed 1"));
    QCOMPARE(second->Filename(), QString("Unnamed 2"));
    QCOMPARE(Window().StatusPanels()->PanelText(4), QString("Opened Editors:  2"));
    QCOMPARE(Window().StatusPanels()->PanelText(1), QString("Line:   1"));
    QCOMPARE(Window().StatusPanels()->PanelText(5), QString("INS"));
    first->Close();
    QCOMPARE(Window().NewDocument()->Filename(), QString("Unnamed 1"));
  }

  void unwritableCharactersAskForUtf8() {
    const QString path = Path("price.txt");
    Write(path, "price");
    TTvlPage* page = Open(path);
    page->Encoding = "iso-8859-1";
    page->Model().SetText("5 \xE2\x82\xAC");
    answers_ = {TMsgResult::No};
    QVERIFY(!Window().SavePage(page, false));
    QCOMPARE(Read(path), QByteArray("price"));
    QVERIFY(page->Model().Modified());
    QVERIFY(Window().SavePage(page, false));  // Yes: written as UTF-8
    QCOMPARE(Read(path), QByteArray("5 \xE2\x82\xAC"));
    QCOMPARE(page->Encoding, QString("utf-8"));
  }

  void failedWriteKeepsTheOldFile() {
    const QString path = Path("full.txt");
    Write(path, "old content");
    TTvlPage* page = Open(path);
    page->Model().SetText("new content that does not fit");
    SetWriteFunctionForTests([](int, const void*, std::size_t) -> long {
      errno = ENOSPC;
      return -1;
    });
    QVERIFY(!Window().SavePage(page, false));
    SetWriteFunctionForTests(nullptr);
    QVERIFY(asked_.last().contains("No space left on device"));
    QCOMPARE(Read(path), QByteArray("old content"));
    QVERIFY(page->Model().Modified());
  }

  void readOnlyFilesAskBeforeWriting() {
    const QString path = Path("locked.txt");
    Write(path, "locked");
    ::chmod(path.toLocal8Bit().constData(), 0444);
    TTvlPage* page = Open(path);
    page->Model().SetText("changed");
    answers_ = {TMsgResult::No};
    QVERIFY(!Window().SavePage(page, false));
    QCOMPARE(asked_.last(), Window().Message("ReadOnly"));
    QCOMPARE(Read(path), QByteArray("locked"));
    QCOMPARE(Window().Configuration().IndexOfRecentFile(path.toStdString()), 0);
    QVERIFY(Window().SavePage(page, false));
    QCOMPARE(Read(path), QByteArray("changed"));
    QVERIFY(IsReadOnlyFile(path.toStdString()));
    ::chmod(path.toLocal8Bit().constData(), 0644);
  }

  void outsideChangesAskToReload() {
    const QString path = Path("watched.txt");
    Write(path, "one");
    TTvlPage* page = Open(path);
    Write(path, "two");
    const std::string file = path.toStdString();
    struct utimbuf times {};
    times.actime = times.modtime = time(nullptr) + 10;
    ::utime(file.c_str(), &times);
    Window().RefreshStatus(page);
    QCOMPARE(asked_.last(), Window().Message("Reload"));
    QCOMPARE(QString::fromStdString(page->Model().Text()), QString("two"));
    asked_.clear();
    Window().RefreshStatus(page);
    QVERIFY(asked_.isEmpty());
  }

  void closingAModifiedPageAsks() {
    TTvlPage* page = Window().NewDocument();
    page->Model().SetText("draft");
    answers_ = {TMsgResult::Cancel};
    QVERIFY(!page->Close());
    QCOMPARE(asked_.last(), Window().Message("ModifiedMessage"));
    answers_ = {TMsgResult::No};
    QVERIFY(page->Close());
    QCOMPARE(Window().CurrentPage(), nullptr);
    QCOMPARE(Window().windowTitle(), QString("Tervil Editor"));
  }

  void saveAsAddsTheFilterExtensionAndAsksBeforeOverwriting() {
    Write(Path("taken.css"), "old");
    TTvlPage* page = Window().NewDocument();
    page->Model().SetText("p { color: red }");
    QStringList titles;
    std::deque<QString> names = {Path("taken"), Path("fresh")};
    TFileDialogs::SetSaveAsHook([&](const TSaveAsRequest& request) -> std::optional<TSaveAsChoice> {
      titles << request.title;
      TSaveAsChoice choice;
      choice.fileName = names.front();
      names.pop_front();
      choice.filterIndex = 3;  // Cascade Style Sheets
      choice.encoding = "utf-8";
      return choice;
    });
    answers_ = {TMsgResult::No};
    QVERIFY(Window().SavePage(page, false));
    TFileDialogs::SetSaveAsHook(nullptr);
    QCOMPARE(titles.size(), 2);
    QCOMPARE(titles.first(), QString("Save Unnamed 1 As"));
    QCOMPARE(Read(Path("taken.css")), QByteArray("old"));
    QCOMPARE(Read(Path("fresh.css")), QByteArray("p { color: red }"));
    QCOMPARE(page->Filename(), Path("fresh.css"));
  }

  void autosaveKeepsABackup() {
    const QString path = Path("auto.txt");
    Write(path, "before");
    TTvlPage* page = Open(path);
    TTvlPage* unnamed = Window().NewDocument();
    unnamed->Model().SetText("not saved automatically");
    page->Model().SetText("after");
    Window().Configuration().AutosaveBackup = true;
    Window().AutosaveTimerTimer();
    QCOMPARE(Read(path), QByteArray("after"));
    QCOMPARE(Read(path + ".bak"), QByteArray("before"));
    QVERIFY(unnamed->Model().Modified());
    QCOMPARE(Window().StatusPanels()->PanelText(0), Window().Message("AutosaveComplete"));
  }

  void openDocumentsAreReopenedAtStart() {
    Write(Path("r1.txt"), "1");
    Write(Path("r2.txt"), "2\n3\n4");
    Window().Configuration().ReopenFiles = 0;
    TTvlPage* one = Open(Path("r1.txt"));
    TTvlPage* two = Open(Path("r2.txt"));
    two->Model().SetCaretPos({1, 3});
    QVERIFY(Window().SavePage(one, false));
    QVERIFY(Window().SavePage(two, false));
    QVERIFY(Window().close());
    NewWindow();
    const auto pages = Window().EditorPages();
    QCOMPARE(int(pages.size()), 2);
    QCOMPARE(pages[0]->Filename(), Path("r2.txt"));  // most recent first
    QCOMPARE(pages[1]->Filename(), Path("r1.txt"));
    QCOMPARE(pages[0]->Model().CaretY(), 3);
  }

  void recentMenuAndDroppedFiles() {
    Write(Path("d1.txt"), "1");
    Write(Path("d2.txt"), "2");
    Window().Configuration().RecentList.clear();
    Window().Configuration().AddRecentFile({0, 0, 1, Path("d1.txt").toStdString(), "", "", false});
    Window().Configuration().AddRecentFile(
        {0, 0, 1, Path("gone.txt").toStdString(), "", "", false});
    QMenu menu;
    Window().BuildRecentMenu(&menu);
    QCOMPARE(menu.actions().size(), 1);
    QCOMPARE(menu.actions().first()->text(), Path("d1.txt"));

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(Path("d2.txt")), QUrl::fromLocalFile(Path("d1.txt"))});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(&Window())->event(&drop);
    QTRY_COMPARE(int(Window().EditorPages().size()), 2);
    QCOMPARE(Window().EditorPages()[0]->Filename(), Path("d2.txt"));
    QCOMPARE(Window().EditorPages()[1]->Filename(), Path("d1.txt"));
    Window().BuildRecentMenu(&menu);
    QVERIFY(menu.actions().isEmpty());  // open files are left out
  }

  void changingTheEncodingReloads() {
    const QString path = Path("cyr.txt");
    Write(path, "\xCF\xF0\xE8");
    TTvlPage* page = Open(path);
    Window().ChangeEncodingClick("windows-1251");
    QCOMPARE(page->Encoding, QString("windows-1251"));
    QCOMPARE(QString::fromStdString(page->Model().Text()),
             QString::fromUtf8("\xD0\x9F\xD1\x80\xD0\xB8"));
  }
};

QTEST_MAIN(DocumentsTest)
#include "documents_test.moc"
