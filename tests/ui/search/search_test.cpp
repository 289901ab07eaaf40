#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <functional>

#include "core/editcomponent/EditorModel.h"
#include "core/search/SearchDriver.h"
#include "support/AppTestSupport.h"
#include "support/MainWindowFixture.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/app/StatusPanels.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/search/SearchController.h"
#include "ui/search/SearchDialogs.h"

using namespace tervil;
using namespace tervil::test;

namespace {

// Runs `fill` on the next modal dialog of type T as soon as it is shown.
template <typename T>
void OnNextDialog(std::function<void(T*)> fill) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, fill] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    fill(dialog);
  });
  timer->start();
}

QPushButton* ButtonNamed(QWidget* dialog, const QString& text) {
  for (QPushButton* button : dialog->findChildren<QPushButton*>())
    if (button->text() == text) return button;
  return nullptr;
}

// The options of a search dialog as a string of letters: c case, w whole words, s selected
// only, r regular expression, b backward, k "from caret" cleared.
void SetOptions(TTextSearchDialog* d, const QString& options) {
  d->cbSearchCaseSensitive->setChecked(options.contains('c'));
  d->cbSearchWholeWords->setChecked(options.contains('w'));
  d->cbSearchSelectedOnly->setChecked(options.contains('s'));
  d->cbRegularExpression->setChecked(options.contains('r'));
  d->cbSearchFromCursor->setChecked(!options.contains('k'));
  if (options.contains('b')) QTest::mouseClick(d->rbBackward, Qt::LeftButton);
}

// The longest the window may keep an event waiting, and the longest a search may run on after
// Esc, in milliseconds. Generous for a loaded machine: a search on the window thread blocks for
// many seconds.
constexpr qint64 kAnswerBound = 300;

// Watches the event loop while a search runs: a timer every 10 ms notes the longest gap between
// two of its turns.
class TLoopWatch {
 public:
  TLoopWatch() {
    clock_.start();
    ticker_.setInterval(10);
    QObject::connect(&ticker_, &QTimer::timeout, [this] {
      const qint64 now = clock_.elapsed();
      longestGap_ = std::max(longestGap_, now - last_);
      last_ = now;
      if (onTick) onTick(now);
    });
  }
  void Start() {
    last_ = clock_.elapsed();
    ticker_.start();
  }
  qint64 Stop() {
    ticker_.stop();
    longestGap_ = std::max(longestGap_, clock_.elapsed() - last_);
    return longestGap_;
  }
  qint64 Now() const { return clock_.elapsed(); }
  std::function<void(qint64)> onTick;

 private:
  QElapsedTimer clock_;
  QTimer ticker_;
  qint64 last_ = 0;
  qint64 longestGap_ = 0;
};

// A line of 1 MB (256 KB for the repeated word) on which the expression runs for many seconds.
QString HostileLine(const QString& pattern) {
  if (pattern.contains("\\b")) {
    QString words;
    for (int i = 0; words.size() < (256 << 10); ++i) words += QString("w%1 ").arg(i);
    return words;
  }
  const QString a(1 << 20, 'a');
  if (pattern.contains(".*z")) return a + "xy";
  if (pattern.contains(':')) return a + "!:";
  return a + "!b";
}

}  // namespace

// Search and replace through the real dialogs, the toolbar and the main window's actions.
class SearchTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  test::TMainWindowFixture window_;
  QStringList shown_;
  QStringList answers_;     // captions of the buttons that answer the replace questions
  QList<QRect> questions_;  // where each replace question was shown
  QList<QRect> occurrences_;
  QTimer* answerer_ = nullptr;

  TSearchController& Search() { return *window_->SearchController(); }
  TTvlPage* Page() { return window_->CurrentPage(); }
  TEditorModel& Model() { return Page()->Model(); }
  TSearchState& state() { return Search().Driver().State(); }

  void OpenText(const QString& text) {
    TTvlPage* page = window_->NewDocument();
    page->Model().SetText(text.toStdString());
    page->Model().SetCaretPos({1, 1});
  }

  // Opens the dialog of `action`, types the texts and options and presses Enter.
  void RunDialog(QAction* action, const QString& search, const QString& replacement,
                 const QString& options, std::function<void()> beforeEnter = {}) {
    OnNextDialog<TTextSearchDialog>([=](TTextSearchDialog* d) {
      if (d->cbSearchText->isVisible()) {
        d->cbSearchText->lineEdit()->clear();
        QTest::keyClicks(d->cbSearchText->lineEdit(), search);
      }
      if (auto* replace = qobject_cast<TTextReplaceDialog*>(d)) {
        replace->cbReplaceText->lineEdit()->clear();
        QTest::keyClicks(replace->cbReplaceText->lineEdit(), replacement);
      }
      if (auto* multi = qobject_cast<TTextMultiReplaceDialog*>(d))
        multi->cbDefFile->setCurrentIndex(multi->cbDefFile->findText(replacement));
      SetOptions(d, options);
      if (beforeEnter) beforeEnter();
      QTest::keyClick(d, Qt::Key_Return);
    });
    action->trigger();
  }

  QString Selected() { return QString::fromStdString(Model().SelText()); }
  QString Text() { return QString::fromStdString(Model().Text()); }
  QString Caret() {
    return QString("%1:%2").arg(Model().CaretPos().Line).arg(Model().CaretPos().Column);
  }

  void WriteUserDefinition(const QString& name, const QByteArray& text) {
    QDir().mkpath(home_.filePath("data/tervil-editor/format"));
    QFile file(home_.filePath("data/tervil-editor/format/" + name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
  }

 private slots:
  void initTestCase() {
    qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", home_.filePath("cache").toUtf8());
    qputenv("XDG_DATA_HOME", home_.filePath("data").toUtf8());
    TMessageBox::SetHandler([this](const QString&, const QString& text, int, TMsgIcon) {
      shown_ << text;
      return TMsgResult::OK;
    });
    // Answers every replace question with the next caption of answers_.
    answerer_ = new QTimer(this);
    answerer_->setInterval(5);
    connect(answerer_, &QTimer::timeout, this, [this] {
      auto* question = qobject_cast<TConfirmReplaceDialog*>(QApplication::activeModalWidget());
      if (!question || !question->isVisible() || answers_.isEmpty()) return;
      questions_ << question->frameGeometry();
      TTvlEdit* editor = Page()->TvlEdit();
      const QPoint at =
          editor->viewport()->mapToGlobal(editor->BufferPosToPixels(Model().BlockBegin()));
      occurrences_ << QRect(at, QSize(20, editor->TextHeight()));
      QTest::mouseClick(ButtonNamed(question, answers_.takeFirst()), Qt::LeftButton);
    });
    answerer_->start();
  }

  void init() {
    shown_.clear();
    answers_.clear();
    questions_.clear();
    occurrences_.clear();
    // room for every toolbar in one row, the find box included
    QVERIFY(window_.Start(QSize(1600, 900)));
  }

  void cleanup() { window_.Close(); }

  void commandsSitInTheMenusAndTheToolbar() {
    QCOMPARE(Search().actFind->text(), QString("Find..."));
    QCOMPARE(Search().actFind->shortcut(), QKeySequence("Ctrl+F"));
    QCOMPARE(Search().actReplace->shortcut(), QKeySequence("Ctrl+R"));
    QCOMPARE(Search().actRepeatSearch->shortcut(), QKeySequence("F3"));
    QCOMPARE(Search().actSearchNext->toolTip(), QString("Find Next"));
    QCOMPARE(Search().actSearchPrev->toolTip(), QString("Find Previous"));
    QCOMPARE(Search().SearchToolbar()->objectName(), QString("SearchToolbar"));
    const QList<QAction*> bar = Search().SearchToolbar()->actions();
    QCOMPARE(bar.size(), 5);
    QCOMPARE(bar[0], Search().actSearchNext);
    QCOMPARE(bar[1], Search().actSearchPrev);
    QCOMPARE(bar[2], Search().actFind);
    QCOMPARE(bar[4], Search().actReplace);
    QCOMPARE(Search().FindText()->focusPolicy(), Qt::ClickFocus);
    QCOMPARE(Search().actMultiReplace->associatedObjects().size(), 2);  // Edit and Tools
    QVERIFY(!Search().actMultiReplace->isEnabled());
    QVERIFY(!Search().actRepeatSearch->isEnabled());
    OpenText("text");
    QVERIFY(Search().actMultiReplace->isEnabled());
    QVERIFY(!Search().actSearchNext->isEnabled());
    QVERIFY(Search().actSearchToolbar->isChecked());
    Search().actSearchToolbar->trigger();
    QVERIFY(!Search().SearchToolbar()->isVisible());
    QVERIFY(!Search().actSearchToolbar->isChecked());
    // Shown again: its visibility is kept in the settings the next tests start from.
    Search().actSearchToolbar->trigger();
    QVERIFY(Search().actSearchToolbar->isChecked());
  }

  void findDialog_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("caret");
    QTest::addColumn<QString>("boxes");
    QTest::newRow("forward") << "one two one"
                             << "one"
                             << ""
                             << "one"
                             << "1:4"
                             << "";
    QTest::newRow("backward_from_the_end") << "one two one"
                                           << "one"
                                           << "bk"
                                           << "one"
                                           << "1:9"
                                           << "";
    QTest::newRow("whole_words") << "sword word"
                                 << "word"
                                 << "w"
                                 << "word"
                                 << "1:11"
                                 << "";
    QTest::newRow("case") << "Word word"
                          << "word"
                          << "c"
                          << "word"
                          << "1:10"
                          << "";
    QTest::newRow("regex_groups") << "a1 b22 c333"
                                  << "([a-z])(\\d{2})\\b"
                                  << "r"
                                  << "b22"
                                  << "1:7"
                                  << "";
    QTest::newRow("no_match") << "alpha"
                              << "zeta"
                              << ""
                              << ""
                              << "1:1"
                              << "Text not found";
    QTest::newRow("invalid_regex") << "alpha"
                                   << "(al"
                                   << "r"
                                   << ""
                                   << "1:1"
                                   << "missing closing parenthesis";
  }

  void findDialog() {
    QFETCH(QString, text);
    QFETCH(QString, search);
    QFETCH(QString, options);
    OpenText(text);
    RunDialog(Search().actFind, search, "", options);
    QTEST(Selected(), "selected");
    QTEST(Caret(), "caret");
    QFETCH(QString, boxes);
    QCOMPARE(shown_.size(), boxes.isEmpty() ? 0 : 1);
    if (!boxes.isEmpty()) QVERIFY2(shown_[0].contains(boxes), qPrintable(shown_[0]));
    if (boxes == "Text not found")
      QCOMPARE(window_->StatusPanels()->PanelText(0), QString("Text not found"));
    QCOMPARE(Search().FindText()->text(), search);
  }

  void emptySearchTextStoresOptionsOnly() {
    OpenText("text");
    Search().FindText()->setText("kept");
    RunDialog(Search().actFind, "", "", "c");
    QVERIFY(window_->Configuration().SearchState.SearchMatchCase);
    QCOMPARE(Search().FindText()->text(), QString("kept"));
    QVERIFY(shown_.isEmpty());
  }

  void dialogsOpenForwardWithoutRegexAndWithHistory() {
    OpenText("aaa bbb");
    RunDialog(Search().actFind, "b+", "", "rbk");
    RunDialog(Search().actFind, "aaa", "", "");
    bool checked = false;
    bool keys = false;
    OnNextDialog<TTextSearchDialog>([&](TTextSearchDialog* d) {
      QVERIFY(d->rbForward->isChecked());
      QVERIFY(!d->cbRegularExpression->isChecked());
      QCOMPARE(d->windowTitle(), QString("Replace text"));
      QCOMPARE(d->cbSearchText->currentText(), QString("aaa"));
      QCOMPARE(d->cbSearchText->count(), 2);
      QCOMPARE(d->cbSearchText->itemText(1), QString("b+"));
      // Keyboard access: the options answer their Alt keys (a button clicks a moment later).
      d->activateWindow();
      if (QTest::qWaitForWindowActive(d)) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_B, Qt::AltModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::AltModifier);
        keys = QTest::qWaitFor(
            [d] { return d->rbBackward->isChecked() && d->cbSearchWholeWords->isChecked(); });
      }
      checked = true;
      d->reject();
    });
    Search().actReplace->trigger();
    QVERIFY(checked);
    QVERIFY(keys);
  }

  void replacePrompts_data() {
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("caret");
    QTest::addColumn<int>("questions");
    QTest::newRow("yes_no_yes") << "cat"
                                << "dog"
                                << "" << QStringList{"&Yes", "&No", "&Yes"} << "dog cat dog"
                                << "1:12" << 3;
    QTest::newRow("all_on_the_first") << "cat"
                                      << "dog"
                                      << "" << QStringList{"Yes to &all"} << "dog dog dog"
                                      << "1:12" << 1;
    QTest::newRow("cancel_keeps_the_first") << "cat"
                                            << "dog"
                                            << "" << QStringList{"&Yes", "Cancel"} << "dog cat cat"
                                            << "1:8" << 2;
    QTest::newRow("same_text_never_asks") << "cat"
                                          << "cat"
                                          << "" << QStringList{} << "cat cat cat"
                                          << "1:12" << 0;
    QTest::newRow("backward") << "cat"
                              << "cow"
                              << "bk" << QStringList{"&Yes", "&No", "&Yes"} << "cow cat cow"
                              << "1:1" << 3;
    QTest::newRow("regex_groups") << "c(a)(t)"
                                  << "$2$1"
                                  << "r" << QStringList{"Yes to &all"} << "ta ta ta"
                                  << "1:9" << 1;
  }

  void replacePrompts() {
    QFETCH(QString, search);
    QFETCH(QString, replacement);
    QFETCH(QString, options);
    QFETCH(QStringList, answers);
    OpenText("cat cat cat");
    if (options.contains('b')) Model().SetCaretPos({12, 1});
    answers_ = answers;
    RunDialog(Search().actReplace, search, replacement, options);
    QTEST(Text(), "result");
    QTEST(Caret(), "caret");
    QTEST(int(questions_.size()), "questions");
    QVERIFY(shown_.isEmpty());
    for (int i = 0; i < questions_.size(); ++i)
      QVERIFY2(!questions_[i].intersects(occurrences_[i]), "the question hides the occurrence");
  }

  void replaceAllIsOneUndoStepAndReadOnlyPagesRefuse() {
    OpenText("cat cat cat");
    answers_ = {"Yes to &all"};
    RunDialog(Search().actReplace, "cat", "dog", "");
    QCOMPARE(Text(), QString("dog dog dog"));
    Model().Undo();
    QCOMPARE(Text(), QString("cat cat cat"));
    Page()->SetReadOnly(true);
    RunDialog(Search().actReplace, "cat", "dog", "");
    QCOMPARE(Text(), QString("cat cat cat"));
    QCOMPARE(shown_.size(), 1);
    QVERIFY(shown_[0].contains("read-only"));
  }

  void questionGoesAboveAnOccurrenceLowInTheWindow() {
    QString text;
    for (int i = 0; i < 200; ++i) text += "line\n";
    OpenText(text + "cat");
    answers_ = {"&No"};
    RunDialog(Search().actReplace, "cat", "dog", "");
    QCOMPARE(questions_.size(), 1);
    QVERIFY(questions_[0].bottom() < occurrences_[0].top());
  }

  void multiReplace_data() {
    QTest::addColumn<QByteArray>("definitions");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::newRow("pairs_chain") << QByteArray("a|b\nb|c\n") << "a b a"
                                 << "c c c";
    QTest::newRow("bar_in_the_replacement") << QByteArray("x|y|z") << "x x"
                                            << "y|z y|z";
    QTest::newRow("lines_without_bar") << QByteArray("note\n\nq|Q") << "q"
                                       << "Q";
  }

  void multiReplace() {
    QFETCH(QByteArray, definitions);
    QFETCH(QString, text);
    WriteUserDefinition("pairs.txt", definitions);
    OpenText(text);
    RunDialog(Search().actMultiReplace, "", "pairs.txt", "k");
    QTEST(Text(), "result");
    QVERIFY(shown_.isEmpty());
    Model().Undo();
    QCOMPARE(Text(), text);
  }

  void multiReplaceListsUserFilesFirstAndShippedFiles() {
    WriteUserDefinition("mine.txt", "a|b");
    OpenText("“quoted” — text…");
    QStringList names;
    OnNextDialog<TTextMultiReplaceDialog>([&](TTextMultiReplaceDialog* d) {
      for (int i = 0; i < d->cbDefFile->count(); ++i) names << d->cbDefFile->itemText(i);
      QCOMPARE(d->cbDefFile->currentIndex(), -1);
      d->cbDefFile->setCurrentIndex(d->cbDefFile->findText("typographic-quotes-to-ascii.txt"));
      d->cbSearchFromCursor->setChecked(false);
      QTest::keyClick(d, Qt::Key_Return);
    });
    Search().actMultiReplace->trigger();
    QCOMPARE(names.first(), QString("mine.txt"));
    QVERIFY(names.contains("html-entities-to-characters.txt"));
    QCOMPARE(Text(), QString("\"quoted\" -- text..."));
    QCOMPARE(window_->Configuration().SearchState.MultiReplaceFile,
             std::string("typographic-quotes-to-ascii.txt"));
    // Without a chosen file the command ends with a report.
    RunDialog(Search().actMultiReplace, "", "", "");
    QCOMPARE(shown_.size(), 1);
  }

  void multiReplaceDialogMakesTheUsersFolder() {
    QDir(home_.filePath("data")).removeRecursively();
    OpenText("text");
    QString note;
    OnNextDialog<TTextMultiReplaceDialog>([&](TTextMultiReplaceDialog* d) {
      for (QLabel* label : d->findChildren<QLabel*>())
        if (label->text().startsWith("Definition files")) note = label->text();
      d->reject();
    });
    Search().actMultiReplace->trigger();
    QVERIFY(QDir(home_.filePath("data/tervil-editor/format")).exists());
    QVERIFY(note.contains(home_.filePath("data/tervil-editor/format")));
    QCOMPARE(Text(), QString("text"));
  }

  void findBoxSearchesAsYouTypeFromTheTop() {
    OpenText("abc abd abc abd");
    Model().SetCaretPos({16, 1});
    QLineEdit* box = Search().FindText();
    box->setFocus();
    // The search runs off the window thread: each result is waited for.
    QTest::keyClicks(box, "ab");
    QTRY_COMPARE(Caret(), QString("1:3"));
    QTest::keyClick(box, Qt::Key_D);
    QTRY_COMPARE(Caret(), QString("1:8"));
    QVERIFY(!Search().FindTextFailed());
    QVERIFY(box->hasFocus());
    QTest::keyClick(box, Qt::Key_Return);  // Repeat Search: the next one
    QCOMPARE(Caret(), QString("1:16"));
    QVERIFY(box->hasFocus());
    QCOMPARE(box->cursorPosition(), 3);
    QTest::keyClick(box, Qt::Key_X);
    QTRY_VERIFY(Search().FindTextFailed());
    QCOMPARE(window_->StatusPanels()->PanelText(0), QString("Text not found"));
    QVERIFY(shown_.isEmpty());
    QTest::keyClick(box, Qt::Key_Backspace);
    QVERIFY(!Search().FindTextFailed());
    QTRY_COMPARE(Selected(), QString("abd"));
    QVERIFY(!Search().FindTextFailed());
  }

  void nextPreviousAndRepeatSearch() {
    OpenText("ab ab ab");
    QTest::keyClicks(Search().FindText(), "ab");
    QTRY_COMPARE(Caret(), QString("1:3"));
    QVERIFY(Search().actSearchNext->isEnabled());
    auto* next = qobject_cast<QToolButton*>(
        Search().SearchToolbar()->widgetForAction(Search().actSearchNext));
    auto* previous = qobject_cast<QToolButton*>(
        Search().SearchToolbar()->widgetForAction(Search().actSearchPrev));
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(Caret(), QString("1:6"));
    QTest::mouseClick(previous, Qt::LeftButton);
    QCOMPARE(Caret(), QString("1:1"));
    QTest::mouseClick(previous, Qt::LeftButton);
    QCOMPARE(shown_, QStringList{"Text not found"});
    QCOMPARE(Caret(), QString("1:1"));
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(Caret(), QString("1:3"));
    QVERIFY(Page()->TvlEdit()->hasFocus());
    QTest::keyClick(Page()->TvlEdit(), Qt::Key_F3);
    QCOMPARE(Caret(), QString("1:6"));
    QTest::keyClick(Page()->TvlEdit(), Qt::Key_F3);
    QCOMPARE(Caret(), QString("1:9"));
  }

  void findBoxGivesWayInALongDocument() {
    std::string text(20 << 20, 'x');
    text += " needle";
    TTvlPage* page = window_->NewDocument();
    page->Model().SetText(text);
    QLineEdit* box = Search().FindText();
    QElapsedTimer timer;
    timer.start();
    QTest::keyClicks(box, "needle");
    QVERIFY2(timer.elapsed() < 2000, "typing waited for the whole scan");
    QTRY_COMPARE(Selected(), QString("needle"));
    QVERIFY(!Search().FindTextFailed());
    QTest::keyClick(box, Qt::Key_S);
    QTRY_VERIFY(Search().FindTextFailed());
    QCOMPARE(Caret(), QString("1:%1").arg((20 << 20) + 8));
  }

  // A runaway regular expression on a long line, through each way of searching: the window keeps
  // answering, a keystroke during the search changes nothing, and Esc ends the search.
  void hostileSearchesKeepTheWindowAnswering_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("find lookahead reference") << "find"
                                              << R"((?=(a+))\1b)";
    QTest::newRow("find repeated word") << "find"
                                        << R"(\b(\w+)\b.*\b\1\b)";
    QTest::newRow("replace group reference") << "replace"
                                             << R"((a+)\1b)";
    QTest::newRow("backward word reference") << "backward"
                                             << R"((?=(\w+))\1:)";
    QTest::newRow("toolbar lookaheads") << "toolbar"
                                        << R"((?=.*x)(?=.*y).*z)";
    QTest::newRow("toolbar group reference") << "toolbar"
                                             << R"((a+)\1b)";
  }

  void hostileSearchesKeepTheWindowAnswering() {
    QFETCH(QString, path);
    QFETCH(QString, pattern);
    const QString line = HostileLine(pattern);
    OpenText(line);
    TTvlEdit* editor = Page()->TvlEdit();
    TLoopWatch watch;
    qint64 keyAt = -1, escAt = -1;
    QWidget* keyTarget = editor;
    // The keystroke at 150 ms and Esc at 250 ms into the search.
    auto during = [&] {
      watch.Start();
      QTimer::singleShot(150, [&] {
        keyAt = watch.Now();
        QTest::keyClick(keyTarget, Qt::Key_Z);
      });
      QTimer::singleShot(250, [&] {
        escAt = watch.Now();
        QTest::keyClick(keyTarget, Qt::Key_Escape);
      });
    };
    if (path == "toolbar") {
      state().SearchRegex = true;
      QLineEdit* box = Search().FindText();
      box->setFocus();
      keyTarget = box;
      QTest::keyClicks(box, pattern);
      QVERIFY(Search().Driver().FindTextPending());
      during();
      QTRY_VERIFY_WITH_TIMEOUT(escAt >= 0 && !Search().Driver().FindTextPending(), 5000);
      QCOMPARE(box->text(), pattern + "z");  // the find box keeps taking keys
    } else {
      QAction* action = path == "replace" ? Search().actReplace : Search().actFind;
      RunDialog(action, pattern, "x", path == "backward" ? "rkb" : "rk", during);
    }
    const qint64 ended = watch.Now();
    const qint64 gap = watch.Stop();
    QVERIFY2(escAt >= 0, "the search ended before Esc");
    QVERIFY2(gap < kAnswerBound, qPrintable(QString("the window waited %1 ms").arg(gap)));
    QVERIFY2(keyAt < 150 + kAnswerBound, qPrintable(QString("the key came at %1 ms").arg(keyAt)));
    QVERIFY2(ended - escAt < kAnswerBound,
             qPrintable(QString("the search ran %1 ms after Esc").arg(ended - escAt)));
    QCOMPARE(Text().size(), line.size());  // the keystroke did not reach the text
    QCOMPARE(window_->StatusPanels()->PanelText(0), QString("The search was stopped."));
    QVERIFY(shown_.isEmpty());
  }

  // Left alone, a runaway search ends by itself with a message; the box that shows a long
  // search comes and goes with it.
  void runawaySearchEndsWithAMessage() {
    OpenText(HostileLine("(a+)"));
    TLoopWatch watch;
    bool boxSeen = false;
    watch.onTick = [&](qint64) {
      boxSeen = boxSeen || (Search().BusyBox() && Search().BusyBox()->isVisible());
    };
    RunDialog(Search().actFind, R"((a+)\1b)", "", "rk", [&] { watch.Start(); });
    const qint64 ended = watch.Now();
    QVERIFY(watch.Stop() < kAnswerBound);
    QVERIFY2(ended < 10000, qPrintable(QString("ran %1 ms").arg(ended)));
    QCOMPARE(shown_.size(), 1);
    QVERIFY2(shown_[0].contains("takes too long"), qPrintable(shown_[0]));
    QVERIFY(boxSeen);
    QVERIFY(!Search().BusyBox()->isVisible());
    QVERIFY(!Search().Searching());
  }

  // Pairs that multiply the text stop with a message at the limit instead of exhausting the
  // memory; one undo takes back what they did.
  void multiReplaceRefusesToGrowTheTextPastItsLimit() {
    WriteUserDefinition("double.txt", QByteArray("a|aa\n").repeated(30));
    OpenText(QString(1000, 'a'));
    Model().SetTextLimit(1 << 20);
    RunDialog(Search().actMultiReplace, "", "double.txt", "k");
    QCOMPARE(shown_, QStringList{"Replacing would make the text longer than 1 MB; the "
                                 "replacement was stopped."});
    QCOMPARE(Text().size(), 1024000);
    QTest::keyClick(Page()->TvlEdit(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Text(), QString(1000, 'a'));
    QFile::remove(home_.filePath("data/tervil-editor/format/double.txt"));
  }

  // A definition file of 50 MB: its progress shows, and Cancel stops it at once, keeping what
  // was replaced as one undo step.
  void multiReplaceWithALargeFileShowsProgressAndCancels() {
    QByteArray definitions = "alpha|beta\n";
    const QByteArray filler(480, 'x');
    for (int i = 0; definitions.size() < (50 << 20); ++i)
      definitions += "needle-" + QByteArray::number(i) + "-" + filler + "|r\n";
    WriteUserDefinition("large.txt", definitions);
    const QString text = "alpha " + QString(10000, 'y');
    OpenText(text);
    TLoopWatch watch;
    QString progress;
    qint64 cancelAt = -1;
    watch.onTick = [&](qint64 now) {
      QDialog* box = Search().BusyBox();
      if (cancelAt >= 0 || !box || !box->isVisible()) return;
      const QString label = box->findChild<QLabel*>()->text();
      if (!label.startsWith("Replacing: line")) return;
      progress = label;
      cancelAt = now;
      QTest::mouseClick(box->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel),
                        Qt::LeftButton);
    };
    RunDialog(Search().actMultiReplace, "", "large.txt", "k", [&] { watch.Start(); });
    const qint64 ended = watch.Now();
    QVERIFY(watch.Stop() < kAnswerBound);
    QVERIFY2(cancelAt >= 0, "no progress was shown");
    QVERIFY2(progress.contains(QRegularExpression("of \\d{5,}")), qPrintable(progress));
    QVERIFY2(ended - cancelAt < kAnswerBound,
             qPrintable(QString("ran %1 ms after Cancel").arg(ended - cancelAt)));
    QCOMPARE(window_->StatusPanels()->PanelText(0), QString("The search was stopped."));
    QVERIFY(shown_.isEmpty());
    QVERIFY(Text().startsWith("beta "));
    QTest::keyClick(Page()->TvlEdit(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Text(), text);
    QFile::remove(home_.filePath("data/tervil-editor/format/large.txt"));
  }
};

QTEST_MAIN(SearchTest)
#include "search_test.moc"
