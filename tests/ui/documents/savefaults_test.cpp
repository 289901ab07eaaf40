#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
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
#include "ui/editor/TvlEdit.h"

using namespace tervil;

namespace {
constexpr int kHoursAgo = 3 * 3600;
}

// Saving, closing and reloading as a user does it: files written hours before they are opened,
// keys on the shown window, commands through their actions, questions answered by the test.
class SaveFaultsTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  test::TMainWindowFixture window_;
  QStringList asked_;
  std::deque<TMsgResult> answers_;  // in order; Yes when none is left

  QString Path(const QString& name) const { return home_.filePath("docs/" + name); }
  TTervilMain& Window() { return *window_; }
  TTvlPage* Current() { return window_->CurrentPage(); }

  static QByteArray Read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "<unreadable>";
    return file.readAll();
  }
  static void SetTime(const QString& path, time_t seconds, long nanoseconds = 0) {
    struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ::utimensat(AT_FDCWD, path.toLocal8Bit().constData(), times, 0);
  }
  // A file another program wrote `secondsAgo` before.
  static void WriteOld(const QString& path, const QByteArray& bytes, int secondsAgo = kHoursAgo) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    SetTime(path, time(nullptr) - secondsAgo);
  }

  void NewWindow() {
    QVERIFY(window_.Start(QSize(900, 600), test::TMainWindowFixture::TShow::Active));
  }

  static struct stat StatOf(const QString& path) {
    struct stat st {};
    ::stat(path.toLocal8Bit().constData(), &st);
    return st;
  }

  QAction* Action(const QString& text) {
    for (QAction* action : window_->findChildren<QAction*>())
      if (action->text() == text) return action;
    return nullptr;
  }
  QWidget* KeyTarget() {
    if (Current()) return Current()->TvlEdit();
    return window_.get();
  }
  void Keys(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(KeyTarget(), Qt::Key(key), modifiers);
  }
  void Type(const QString& text) { QTest::keyClicks(KeyTarget(), text); }
  // Ctrl+O with the dialog answering `path`.
  TTvlPage* OpenByKeys(const QString& path) {
    TFileDialogs::SetOpenHook(
        [path](const QString&, const QStringList&) { return QStringList{path}; });
    const int before = int(Window().EditorPages().size());
    Keys(Qt::Key_O, Qt::ControlModifier);
    TFileDialogs::SetOpenHook(nullptr);
    return int(Window().EditorPages().size()) > before ? Current() : nullptr;
  }
  // Ctrl+S or Ctrl+Shift+S once the command is enabled, as a user waits for it.
  void SaveByKeys(bool all = false) {
    QTRY_VERIFY(Action(all ? "Save All" : "Save")->isEnabled());
    Keys(Qt::Key_S, all ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
  }
  void AnswerQuestions() {
    TMessageBox::SetHandler([this](const QString&, const QString& text, int, TMsgIcon) {
      asked_ << text;
      if (answers_.empty()) return TMsgResult::Yes;
      const TMsgResult answer = answers_.front();
      answers_.pop_front();
      return answer;
    });
  }
  // Another window takes the focus and gives it back.
  void LeaveAndComeBack(const std::function<void()>& meanwhile) {
    QWidget other;
    other.resize(200, 100);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    meanwhile();
    Window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    QDir(home_.path()).mkpath("docs");
    qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", home_.filePath("cache").toUtf8());
    AnswerQuestions();
  }

  void init() {
    asked_.clear();
    answers_.clear();
    NewWindow();
  }

  void cleanup() {
    for (TTvlPage* page : Window().EditorPages()) page->Model().SetModified(false);
    window_.reset();
  }

  // The program's own save is no outside change: nothing asks, the page stays as it was.
  void savingAnHoursOldFileAsksNothing() {
    const QString path = Path("old.html");
    WriteOld(path, "<p>old</p>\n");
    TTvlPage* page = OpenByKeys(path);
    QVERIFY(page);
    Type("x");
    SaveByKeys();
    QTest::qWait(300);  // room for late checks (activation, status changes)
    QVERIFY2(asked_.isEmpty(), qPrintable(asked_.join(" | ")));
    QCOMPARE(Read(path), QByteArray("x<p>old</p>\n"));
    QVERIFY(!page->Model().Modified());
    QVERIFY(page->Model().CanUndo());
    Type("y");
    SaveByKeys();  // and again, now that the file is fresh
    QCOMPARE(Read(path), QByteArray("xy<p>old</p>\n"));
    QVERIFY(asked_.isEmpty());
  }

  // An append one second after the file's time is a change: a save asks before overwriting it,
  // and the next look at the page offers to reload it.
  void anAppendOneSecondLaterIsNeverOverwrittenSilently() {
    const QString path = Path("log.txt");
    WriteOld(path, "line 1\n");
    const time_t written = time(nullptr) - kHoursAgo;
    TTvlPage* page = OpenByKeys(path);
    QVERIFY(page);
    Type("x");
    {
      QFile file(path);
      QVERIFY(file.open(QIODevice::Append));
      file.write("line 2\n");
    }
    SetTime(path, written + 1);
    answers_ = {TMsgResult::No, TMsgResult::No};
    SaveByKeys();
    QCOMPARE(asked_.size(), 1);
    QVERIFY(asked_.first().contains("changed by another program"));
    QCOMPARE(Read(path), QByteArray("line 1\nline 2\n"));
    QVERIFY(page->Model().Modified());
    Type("y");  // No: keep my text
    QCOMPARE(asked_.size(), 2);
    QCOMPARE(asked_.last(), Window().Message("Reload"));
    SaveByKeys();  // the user has seen that version: no second question
    QCOMPARE(asked_.size(), 2);
    QCOMPARE(Read(path), QByteArray("xyline 1\n"));
  }

  // Coming back to the window notices the change and offers to reload.
  void comingBackToTheWindowNoticesAnOutsideChange() {
    const QString path = Path("shared.css");
    WriteOld(path, "p {}\n");
    TTvlPage* page = OpenByKeys(path);
    QVERIFY(page);
    LeaveAndComeBack([&] { WriteOld(path, "p { color: red }\n", kHoursAgo - 1); });
    QTRY_VERIFY(asked_.contains(Window().Message("Reload")));
    QCOMPARE(QString::fromStdString(page->Model().Text()), QString("p { color: red }\r\n"));
    asked_.clear();
    LeaveAndComeBack([] {});
    QTest::qWait(100);
    QVERIFY(asked_.isEmpty());
  }

  // Another program changes the file while the user types: the question that comes up takes none
  // of the keys meant for the text, Enter would keep the edits, and a reload is one undo step.
  void anOutsideChangeNeverTakesTypedKeys() {
    const QString path = Path("typing.html");
    WriteOld(path, "<p>old</p>\n");
    TTvlPage* page = OpenByKeys(path);
    QVERIFY(page);
    Type("abc");
    WriteOld(path, "<p>theirs</p>\n", kHoursAgo - 60);
    TMessageBox::SetHandler({});  // the real question box
    bool asked = false, defaultIsNo = false, stillOpen = false;
    QTimer::singleShot(50, this, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      asked = box->text() == Window().Message("Reload");
      defaultIsNo = box->defaultButton() == box->button(QMessageBox::No);
      // The user goes on typing: a "y", a blank, Enter.
      for (int key : {int(Qt::Key_Y), int(Qt::Key_Space), int(Qt::Key_Return)}) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : box;
        QTest::keyClick(target, Qt::Key(key), Qt::NoModifier);
      }
      QTest::keyClicks(box, "y");
      stillOpen = box->isVisible();
      // Later the user reads the question and chooses to reload.
      QTimer::singleShot(TMessageBox::kTypingGuardMs + 100, box,
                         [box] { box->button(QMessageBox::Yes)->click(); });
    });
    Type("d");  // the keystroke on which the change is noticed
    AnswerQuestions();
    QVERIFY(asked);
    QVERIFY(defaultIsNo);
    QVERIFY(stillOpen);
    QCOMPARE(QString::fromStdString(page->Model().Text("\n")), QString("<p>theirs</p>\n"));
    QVERIFY(!page->Model().Modified());
    Keys(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(QString::fromStdString(page->Model().Text("\n")), QString("abcd<p>old</p>\n"));
    QVERIFY(page->Model().Modified());
  }

  // A save on a full disk that wrote a hard-linked file in place puts the old bytes back; that
  // is no outside change: typing on asks nothing, and the next save writes every edit.
  void aFailedInPlaceSaveIsNoOutsideChange() {
    const QString path = Path("full.txt");
    WriteOld(path, "old text\n");
    QVERIFY(::link(path.toLocal8Bit().constData(),
                   Path("full-twin.txt").toLocal8Bit().constData()) == 0);
    QVERIFY(OpenByKeys(path));
    Type(QString(20000, 'x'));
    SetWriteFunctionForTests([](int fd, const void* data, std::size_t size) -> long {
      if (size < 20000) return ::write(fd, data, size);
      errno = ENOSPC;
      return -1;
    });
    SaveByKeys();
    SetWriteFunctionForTests(nullptr);
    QCOMPARE(asked_.size(), 1);
    QVERIFY(asked_.first().contains("No space left on device"));
    QCOMPARE(Read(path), QByteArray("old text\n"));
    Type("y");
    LeaveAndComeBack([] {});
    QTest::qWait(50);
    QCOMPARE(asked_.size(), 1);  // no question about a change
    SaveByKeys();
    QCOMPARE(asked_.size(), 1);
    QCOMPARE(Read(path), QByteArray(20000, 'x') + "yold text\n");
    QCOMPARE(Read(Path("full-twin.txt")), Read(path));
  }

  // Another program's write that keeps the size, and whose time is then set back (touch -r), is
  // still noticed.
  void aWriteWithItsTimeSetBackIsNoticed() {
    const QString path = Path("touched.css");
    const QString reference = Path("reference.css");
    WriteOld(path, "p { color: red }\n");
    WriteOld(reference, "");
    SetTime(reference, time(nullptr) - kHoursAgo);
    SetTime(path, time(nullptr) - kHoursAgo);
    TTvlPage* page = OpenByKeys(path);
    QVERIFY(page);
    const struct stat before = StatOf(path);
    LeaveAndComeBack([&] {
      QFile file(path);
      QVERIFY(file.open(QIODevice::ReadWrite));  // in place: same inode
      file.write("p { color: tan }\n");
      file.close();
      QVERIFY(QProcess::execute("touch", {"-r", reference, path}) == 0);
    });
    const struct stat after = StatOf(path);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_size, before.st_size);
    QCOMPARE(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    QTRY_VERIFY(asked_.contains(Window().Message("Reload")));
    QCOMPARE(QString::fromStdString(page->Model().Text("\n")), QString("p { color: tan }\n"));
  }

  // Save All writes modified pages only: neither a read-only twin nor an untouched page puts
  // its older text over the file.
  void saveAllWritesModifiedPagesOnly() {
    const QString edited = Path("edited.php");
    const QString untouched = Path("untouched.php");
    WriteOld(edited, "<?php echo 1;\n");
    WriteOld(untouched, "<?php echo 2;\n");
    TTvlPage* first = OpenByKeys(edited);
    QVERIFY(OpenByKeys(edited));  // Yes: a read-only second view
    QVERIFY(Current()->ReadOnly());
    QVERIFY(OpenByKeys(untouched));
    Window().PageControl()->setCurrentWidget(first);
    QTRY_COMPARE(Current(), first);
    Keys(Qt::Key_End, Qt::ControlModifier);
    Type("// edit");
    WriteOld(untouched, "<?php echo 'from another program';\n", kHoursAgo - 5);
    asked_.clear();
    SaveByKeys(true);
    QCOMPARE(Read(edited), QByteArray("<?php echo 1;\n// edit"));
    QCOMPARE(Read(untouched), QByteArray("<?php echo 'from another program';\n"));
    QVERIFY(asked_.isEmpty());
  }

  // With "tabstospaces" on (the default), only lines the user changed lose their tabs, and
  // files whose type needs tabs keep them everywhere.
  void unchangedLinesKeepTheirTabs() {
    QVERIFY(Window().Configuration().TabsToSpaces);
    const QString notes = Path("notes.txt");
    WriteOld(notes, "\tone\n\ttwo\nthree\n");
    QVERIFY(OpenByKeys(notes));
    Keys(Qt::Key_Down);
    Keys(Qt::Key_Down);
    Keys(Qt::Key_End);
    Type("!");
    Keys(Qt::Key_Home, Qt::ControlModifier);
    Keys(Qt::Key_End);
    Type("?");
    SaveByKeys();
    QCOMPARE(Read(notes), QByteArray("    one?\n\ttwo\nthree!\n"));

    const QString makefile = Path("Makefile");
    WriteOld(makefile, "all:\n\tcc -o x x.c\n");
    QVERIFY(OpenByKeys(makefile));
    Keys(Qt::Key_Down);
    Keys(Qt::Key_End);
    Type(" -O2");
    SaveByKeys();
    QCOMPARE(Read(makefile), QByteArray("all:\n\tcc -o x x.c -O2\n"));
  }

  void unicodeFormsAndFallbackTextRoundTrip_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("typedZ");  // the letter z in the file's encoding
    QTest::addColumn<QString>("encoding");
    const QByteArray le("a\0\r\0\n\0b\0", 8), be("\0a\0\r\0\n\0b", 8);
    QTest::newRow("UTF-16LE with mark")
        << QByteArray("\xFF\xFE", 2) + le << QByteArray("z\0", 2) << "utf-16le";
    QTest::newRow("UTF-16LE") << le << QByteArray("z\0", 2) << "utf-16le";
    QTest::newRow("UTF-16BE with mark")
        << QByteArray("\xFE\xFF", 2) + be << QByteArray("\0z", 2) << "utf-16be";
    QTest::newRow("UTF-16BE") << be << QByteArray("\0z", 2) << "utf-16be";
    QTest::newRow("UTF-32LE") << QByteArray("a\0\0\0\r\0\0\0\n\0\0\0b\0\0\0", 16)
                              << QByteArray("z\0\0\0", 4) << "utf-32le";
    // EBCDIC "AB" CR LF "C": unknown here, read by the fallback, its CR written back alone.
    QTest::newRow("EBCDIC") << QByteArray("\xC1\x81\x0D\x25\xC3") << QByteArray("z")
                            << "iso-8859-1";
  }

  void unicodeFormsAndFallbackTextRoundTrip() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, typedZ);
    QFETCH(QString, encoding);
    const QString path = Path("form.txt");
    WriteOld(path, bytes);
    QVERIFY(OpenByKeys(path));
    QCOMPARE(Window().StatusPanels()->PanelText(6), encoding);
    Keys(Qt::Key_End, Qt::ControlModifier);
    Type("z");
    SaveByKeys();
    QCOMPARE(Read(path), bytes + typedZ);
    QVERIFY(asked_.isEmpty());
  }

  // A file that cannot be read gets no page, so no save can empty it; a failed reload keeps the
  // page's text.
  void unreadableFilesAreNeverReplaced() {
    const QString path = Path("secret.txt");
    WriteOld(path, "secret");
    ::chmod(path.toLocal8Bit().constData(), 0);
    {
      TAsUser user(home_.path());
      QVERIFY(!OpenByKeys(path));
    }
    QVERIFY(!asked_.isEmpty());
    QVERIFY(asked_.last().contains("Permission denied"));
    QVERIFY(Window().EditorPages().empty());
    ::chmod(path.toLocal8Bit().constData(), 0644);
    QCOMPARE(Read(path), QByteArray("secret"));

    TTvlPage* page = OpenByKeys(path);
    QVERIFY(page);
    Type("my ");
    ::chmod(path.toLocal8Bit().constData(), 0);
    asked_.clear();
    {
      TAsUser user(home_.path());
      Action("Reload")->trigger();  // Yes to "Reload2"
    }
    QCOMPARE(asked_.size(), 2);
    QVERIFY(asked_.last().contains("Permission denied"));
    QCOMPARE(QString::fromStdString(page->Model().Text()), QString("my secret"));
    QVERIFY(page->Model().Modified());
    ::chmod(path.toLocal8Bit().constData(), 0644);
  }

  // A save killed while it wrote a hard-linked file in place is found at the next start: a file
  // cut short gets its old content back, and the user is told.
  void anInterruptedInPlaceSaveIsRepairedAtTheNextStart() {
    const QString path = Path("linked.html");
    const QByteArray old(4000, 'o');
    WriteOld(path, old);
    QVERIFY(::link(path.toLocal8Bit().constData(),
                   Path("linked-twin.html").toLocal8Bit().constData()) == 0);
    int ready[2];
    QVERIFY(::pipe(ready) == 0);
    const std::string file = path.toStdString();
    const std::string fresh(8000, 'n');
    const pid_t child = ::fork();
    if (child == 0) {
      SetWriteFunctionForTests([&](int fd, const void* data, std::size_t size) -> long {
        if (size == fresh.size()) {
          [[maybe_unused]] long n = ::write(fd, data, 100);
          [[maybe_unused]] long w = ::write(ready[1], "x", 1);
          ::pause();
        }
        return ::write(fd, data, size);
      });
      SafeWriteFile(file, fresh, nullptr);
      _exit(0);
    }
    char c;
    QCOMPARE(::read(ready[0], &c, 1), 1L);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    QCOMPARE(Read(path).size(), 100);
    NewWindow();  // the restart
    QCOMPARE(asked_.size(), 1);
    QVERIFY(asked_.first().contains("interrupted"));
    QCOMPARE(Read(path), old);
    QCOMPARE(Read(Path("linked-twin.html")), old);
    asked_.clear();
    NewWindow();
    QVERIFY(asked_.isEmpty());  // repaired once
  }

  // Rename refuses a name that an existing file has.
  void renameNeverReplacesAnExistingFile() {
    WriteOld(Path("draft.txt"), "draft");
    WriteOld(Path("final.txt"), "final");
    TTvlPage* page = OpenByKeys(Path("draft.txt"));
    QVERIFY(page);
    AnswerInputDialog("final.txt");
    QTRY_VERIFY(Action("Rename...")->isEnabled());
    Action("Rename...")->trigger();
    QCOMPARE(asked_.size(), 1);
    QVERIFY2(asked_.first().contains("File exists"), qPrintable(asked_.first()));
    QCOMPARE(Read(Path("final.txt")), QByteArray("final"));
    QCOMPARE(Read(Path("draft.txt")), QByteArray("draft"));
    QCOMPARE(page->Filename(), Path("draft.txt"));
    AnswerInputDialog("renamed.txt");
    Action("Rename...")->trigger();
    QCOMPARE(page->Filename(), Path("renamed.txt"));
    QCOMPARE(Read(Path("renamed.txt")), QByteArray("draft"));
  }

  // After "save as UTF-8 instead?", reopening the file reads it as UTF-8.
  void theRecentRecordNamesTheEncodingWritten() {
    const QString path = Path("menu.html");
    WriteOld(path, "caf\xE9\n");
    TTvlPage* page = OpenByKeys(path);
    QVERIFY(page);
    QCOMPARE(page->Encoding, QString("windows-1252"));
    QTest::sendKeyEvent(QTest::Click, KeyTarget(), Qt::Key_unknown,
                        QString::fromUtf8("\xE2\x9C\x93"), Qt::NoModifier);  // not in windows-1252
    SaveByKeys();                                                            // Yes: as UTF-8
    QCOMPARE(Read(path), QByteArray("\xE2\x9C\x93"
                                    "caf\xC3\xA9\n"));
    QTRY_VERIFY(Action("Close")->isEnabled());
    Keys(Qt::Key_Escape, Qt::ShiftModifier);
    QVERIFY(Window().EditorPages().empty());
    page = OpenByKeys(path);
    QVERIFY(page);
    QCOMPARE(page->Encoding, QString("utf-8"));
    QCOMPARE(QString::fromStdString(page->Model().Text()), QString::fromUtf8("\xE2\x9C\x93"
                                                                             "caf\xC3\xA9\r\n"));
  }

  // Mixed line breaks are kept line by line, and the status bar says so.
  void mixedLineBreaksAreShownInTheStatusBar() {
    const QString path = Path("mixed.txt");
    WriteOld(path, "a\nb\r\nc\r\n");
    QVERIFY(OpenByKeys(path));
    const QString notice = Window().StatusPanels()->PanelText(0);
    QVERIFY2(notice.contains("Mixed line breaks") && notice.endsWith("LF"), qPrintable(notice));
    Keys(Qt::Key_End, Qt::ControlModifier);
    Type("d");
    SaveByKeys();
    QCOMPARE(Read(path), QByteArray("a\nb\r\nc\r\nd"));
    WriteOld(Path("plain.txt"), "x\n");
    QVERIFY(OpenByKeys(Path("plain.txt")));
    QVERIFY(!Window().StatusPanels()->PanelText(0).contains("Mixed"));
  }

  // A file edited in one line is written back with only that line's bytes changed: CR-only
  // breaks stay CR, and in a mixed file every line keeps its own break; a new line gets the
  // file's first kind.
  void editedFilesKeepEveryLinesBreak_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("CR only") << QByteArray("one\rtwo\rthree\r") << 2 << "x"
                             << QByteArray("one\rtwox\rthree\r");
    QTest::newRow("mixed") << QByteArray("a\nb\r\nc\rd\r\ne") << 3 << "x"
                           << QByteArray("a\nb\r\ncx\rd\r\ne");
    QTest::newRow("mixed, new line")
        << QByteArray("a\r\nb\nc\r") << 1 << "\nn" << QByteArray("a\r\nn\r\nb\nc\r");
    QTest::newRow("CR first, mixed")
        << QByteArray("a\rb\nc") << 3 << "\nn" << QByteArray("a\rb\nc\rn");
  }
  void editedFilesKeepEveryLinesBreak() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);
    QFETCH(QString, typed);
    QFETCH(QByteArray, expected);
    const QString path = Path("breaks.txt");
    WriteOld(path, bytes);
    QVERIFY(OpenByKeys(path));
    Keys(Qt::Key_Home, Qt::ControlModifier);
    for (int i = 1; i < line; ++i) Keys(Qt::Key_Down);
    Keys(Qt::Key_End);
    for (QChar c : typed) c == '\n' ? Keys(Qt::Key_Return) : Type(QString(c));
    SaveByKeys();
    QCOMPARE(Read(path), expected);
  }

  // Saves leave nothing behind: the hidden copy of a killed save goes with the next save, and a
  // failed in-place save keeps no backup once the file is back as it was.
  void savesLeaveNoTemporariesBehind() {
    const QString path = Path("page.txt");
    const QString stale = Path(".page.txt.tervil-Ab12Cd");
    WriteOld(path, "text");
    WriteOld(stale, "te");
    QVERIFY(OpenByKeys(path));
    Type("x");
    SaveByKeys();
    QVERIFY(!QFile::exists(stale));
    QCOMPARE(Read(path), QByteArray("xtext"));

    QVERIFY(::link(path.toLocal8Bit().constData(),
                   Path("page-twin.txt").toLocal8Bit().constData()) == 0);
    Type("y");
    const std::string refused = "xytext";
    SetWriteFunctionForTests([&refused](int fd, const void* data, std::size_t size) -> long {
      if (std::string_view(static_cast<const char*>(data), size) != refused)
        return ::write(fd, data, size);
      errno = ENOSPC;
      return -1;
    });
    SaveByKeys();
    SetWriteFunctionForTests(nullptr);
    QCOMPARE(asked_.size(), 1);
    QVERIFY(asked_.first().contains("No space left on device"));
    QCOMPARE(Read(path), QByteArray("xtext"));
    QCOMPARE(QDir(QString::fromStdString(InPlaceBackupDirectory())).entryList(QDir::Files),
             QStringList());
  }

  // A file of another user that this user may not write is not replaced without a question, even
  // in a folder the user may write.
  void anotherUsersFileIsNotReplacedSilently() {
    if (::geteuid() != 0) QSKIP("needs a second user to own the file");
    QDir(home_.path()).mkpath("docs/shared");
    ::chmod(Path("shared").toLocal8Bit().constData(), 0777);
    const QString path = Path("shared/theirs.txt");
    WriteOld(path, "theirs");
    QVERIFY(::chown(path.toLocal8Bit().constData(), 65534, 65534) == 0);
    ::chmod(path.toLocal8Bit().constData(), 0644);
    {
      TAsUser user(home_.path(), 65533);
      QVERIFY(OpenByKeys(path));
      Type("mine ");
      answers_ = {TMsgResult::No};
      SaveByKeys();
    }
    QCOMPARE(asked_, QStringList{Window().Message("ReadOnly")});
    QCOMPARE(Read(path), QByteArray("theirs"));
    struct stat st {};
    QVERIFY(::stat(path.toLocal8Bit().constData(), &st) == 0);
    QCOMPARE(st.st_uid, 65534u);
  }

 private:
  // Permission bits do not stop root: tests that need a refused access act as another user
  // meanwhile (nobody by default).
  class TAsUser {
   public:
    explicit TAsUser(const QString& home, uid_t user = 65534) : root_(::geteuid() == 0) {
      if (!root_) return;
      ::chmod(home.toLocal8Bit().constData(), 0755);
      ::chmod((home + "/docs").toLocal8Bit().constData(), 0777);
      if (::seteuid(user) != 0) qWarning("cannot act as another user");
    }
    ~TAsUser() {
      if (root_ && ::seteuid(0) != 0) qFatal("cannot become root again");
    }

   private:
    bool root_;
  };

  // Fills in and accepts the next input dialog (the Rename dialog).
  void AnswerInputDialog(const QString& text) {
    auto* timer = new QTimer(this);
    timer->setInterval(10);
    connect(timer, &QTimer::timeout, this, [timer, text] {
      if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
        dialog->setTextValue(text);
        dialog->accept();
        timer->deleteLater();
      }
    });
    timer->start();
  }
};

QTEST_MAIN(SaveFaultsTest)
#include "savefaults_test.moc"
