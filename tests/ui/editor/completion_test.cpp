#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "core/config/SettingsStore.h"
#include "support/AppTestSupport.h"
#include "support/MainWindowFixture.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/documents/PageCompletion.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/javascript/JSHelperForm.h"

using namespace tervil;
using namespace tervil::test;

// The function list, the hints, templates, auto-correction and the JavaScript member popup,
// driven by real keys on the main window's editor with the shipped reference data.
class CompletionTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  test::TMainWindowFixture window_;

  TTvlEdit* Open(const QString& name, const QByteArray& bytes) {
    TTvlEdit* editor = window_.OpenOldFile(home_.filePath(name), bytes);
    editor->SetCaretXY({1, editor->LineCount()});
    QTest::keyClick(editor, Qt::Key_End);
    return editor;
  }

  TPageCompletion& Aids() { return window_->CurrentPage()->Completion(); }
  const TCompletionLists& Lists() { return *window_->CurrentPage()->Lists; }
  std::string Text(TTvlEdit* editor) { return editor->Model().Text("\n"); }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    UseUserFoldersIn(home_);
    AnswerMessagesWith(TMsgResult::OK);
  }

  void init() { window_.LoadSettings(); }

  void cleanup() { window_.Close(); }

  // The parameter hint opens after "(" of a known function and follows the caret's parameter.
  void parameterHintFollowsTheParameter_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("function");  // empty: nothing opens
    QTest::addColumn<int>("parameter");
    QTest::newRow("strlen(") << "strlen("
                             << "strlen" << 0;
    QTest::newRow("second parameter") << "str_replace($s,"
                                      << "str_replace" << 1;
    QTest::newRow("nested call skipped") << "str_replace(trim(1), "
                                         << "str_replace" << 1;
    QTest::newRow("any case") << "STRLEN( "
                              << "strlen" << 0;
    QTest::newRow("unknown") << "nosuchfunction("
                             << "" << 0;
    QTest::newRow("closed call") << "strlen($s) "
                                 << "" << 0;
  }

  void parameterHintFollowsTheParameter() {
    QFETCH(QString, typed);
    QFETCH(QString, function);
    QFETCH(int, parameter);
    TTvlEdit* editor = Open("h.php", "<?php\n");
    QTest::keyClicks(editor, typed);
    TCompletionProposal& hint = Aids().CompletionHint();
    if (function.isEmpty()) {
      QTest::qWait(60);
      QVERIFY(!hint.Active());
      return;
    }
    QTRY_VERIFY(hint.Active());
    const int index = Lists().Lookup.Find(function.toStdString());
    QCOMPARE(hint.Items(), std::vector<std::string>{Lists().ParamList[index]});
    QCOMPARE(hint.CurrentIndex(), parameter);
    QCOMPARE(QApplication::focusWidget(), editor);  // the hint leaves the focus to the editor
  }

  void hintMovesOnAndClosesWithTheCall() {
    TTvlEdit* editor = Open("h2.php", "<?php\n");
    QTest::keyClicks(editor, "strlen(");
    TCompletionProposal& hint = Aids().CompletionHint();
    QTRY_VERIFY(hint.Active());
    QTest::keyClicks(editor, "$s,");
    QCOMPARE(hint.CurrentIndex(), 1);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QCOMPARE(hint.CurrentIndex(), 0);
    QTest::keyClicks(editor, ")");
    QVERIFY(!hint.Active());
    QTest::keyClicks(editor, "; strlen(");
    QTRY_VERIFY(hint.Active());
    QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(!hint.Active());
  }

  // F2 and Ctrl+Space open the function list at the caret; typing narrows it, keys move and
  // insert, the description hint shows the selected function.
  void functionListFiltersAndInserts() {
    TTvlEdit* editor = Open("f.php", "<?php\n$n = strl");
    TCompletionProposal& list = Aids().CompletionProposal();
    QTest::keyClick(editor, Qt::Key_F2);
    QVERIFY(list.Active());
    QCOMPARE(QApplication::focusWidget(), editor);
    const TCompletionItems& items = list.ListItems();
    QVERIFY(items.Count() >= 1);
    for (std::size_t row = 0; row < items.Count(); ++row)
      QVERIFY(QByteArray::fromStdString(items.InsertText(row)).toLower().startsWith("strl"));
    QTest::keyClicks(editor, "e");
    QCOMPARE(Text(editor), std::string("<?php\n$n = strle"));
    QCOMPARE(items.Count(), std::size_t{1});
    QCOMPARE(items.InsertText(0), std::string("strlen"));
    // The description hint: the signature and the description, below the list.
    TCompletionProposal& desc = Aids().CompletionHintDesc();
    QTRY_VERIFY(desc.Active());
    const auto lines = DescriptionLines(Lists().FullList[Lists().Lookup.Find("strlen")]);
    QCOMPARE(desc.Items(), (std::vector<std::string>{lines.first, lines.second}));
    QCOMPARE(desc.Items()[0], std::string("strlen(string $string): int"));
    const QRect listRect = list.Window()->geometry();
    QCOMPARE(desc.Window()->x(), listRect.x());
    QVERIFY(desc.Window()->y() == listRect.bottom() + 1 ||
            desc.Window()->geometry().bottom() + 1 == listRect.top());
    QTest::keyClick(editor, Qt::Key_Return);
    QVERIFY(!list.Active());
    QVERIFY(!desc.Active());
    QCOMPARE(Text(editor), std::string("<?php\n$n = strlen"));
    editor->Undo();
    QCOMPARE(Text(editor), std::string("<?php\n$n = strle"));
  }

  void functionListKeys() {
    TTvlEdit* editor = Open("k.php", "<?php\narray_");
    TCompletionProposal& list = Aids().CompletionProposal();
    QTest::keyClick(editor, Qt::Key_Space, Qt::ControlModifier);
    QVERIFY(list.Active());
    QVERIFY(list.ListItems().Count() > 20);
    QCOMPARE(list.SelectedIndex(), 0);
    QTest::keyClick(editor, Qt::Key_Down);
    QTest::keyClick(editor, Qt::Key_Down);
    QCOMPARE(list.SelectedIndex(), 2);
    QTest::keyClick(editor, Qt::Key_PageDown);
    QVERIFY(list.SelectedIndex() > 2);
    QTest::keyClick(editor, Qt::Key_PageUp);
    QTest::keyClick(editor, Qt::Key_Up);
    QCOMPARE(list.SelectedIndex(), 1);
    const std::string chosen = list.ListItems().InsertText(1);
    QTest::keyClick(editor, Qt::Key_Tab);
    QCOMPARE(Text(editor), "<?php\n" + chosen);
    // Esc closes without inserting; Backspace widens; an end-of-token character closes.
    QTest::keyClicks(editor, " str");
    QTest::keyClick(editor, Qt::Key_F2);
    const std::size_t narrow = list.ListItems().Count();
    QTest::keyClick(editor, Qt::Key_Backspace);
    QVERIFY(list.ListItems().Count() > narrow);
    QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(!list.Active());
    QTest::keyClick(editor, Qt::Key_F2);
    QTest::keyClicks(editor, "(");
    QVERIFY(!list.Active());
    QCOMPARE(Text(editor), "<?php\n" + chosen + " st(");
    // A click on a row selects it, a double click inserts it; the focus stays in the editor.
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, "substr_c");
    QTest::keyClick(editor, Qt::Key_F2);
    QVERIFY(list.ListItems().Count() >= 2);
    auto* window = list.Window();
    const QPoint second(20, 1 + QFontMetrics(window->font()).height() + 2 + 5);
    QTest::mouseClick(window, Qt::LeftButton, {}, second);
    QCOMPARE(list.SelectedIndex(), 1);
    QTest::mouseDClick(window, Qt::LeftButton, {}, second);
    QVERIFY(!list.Active());
    QVERIFY(Text(editor).ends_with(list.ListItems().InsertText(1)));
    // Losing the focus closes the list.
    QTest::keyClick(editor, Qt::Key_F2);
    QVERIFY(list.Active());
    window_->setFocus();
    QApplication::processEvents();
    QVERIFY(!list.Active());
  }

  // After "->" or "::" the list holds the parts of the expression instead of the functions.
  void functionListAfterArrowShowsTheParts() {
    TTvlEdit* editor = Open("p.php", "<?php\n$db->qu");
    TCompletionProposal& list = Aids().CompletionProposal();
    QTest::keyClick(editor, Qt::Key_F2);
    QVERIFY(list.Active());
    list.SelectRow(0);
    // Filtered by the token "qu": only "qu" of the parts remains.
    QCOMPARE(list.ListItems().InsertListSize(), std::size_t{2});
    QCOMPARE(list.ListItems().Count(), std::size_t{1});
    QCOMPARE(list.ListItems().InsertText(0), std::string("qu"));
    QVERIFY(!Aids().CompletionHintDesc().Active());
  }

  // A "." opens the function list after its timer.
  void dotOpensTheListAfterTheTimer() {
    TTvlEdit* editor = Open("d.php", "<?php\n");
    Aids().CompletionProposal().SetTimerInterval(30);
    QTest::keyClicks(editor, "$a.");
    QTRY_VERIFY(Aids().CompletionProposal().Active());
  }

  void templatesAndAutoCorrect() {
    TTvlEdit* editor = Open("t.php", "<?php\n");
    QTest::keyClicks(editor, "// teh ");
    QCOMPARE(Text(editor), std::string("<?php\n// the "));
    QTest::keyClicks(editor, "Teh.");
    QCOMPARE(Text(editor), std::string("<?php\n// the The."));
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, "if");
    QTest::keyClick(editor, Qt::Key_Space, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(Text(editor), std::string("<?php\n// the The.\nif () {\n}"));
    QCOMPARE(editor->CaretXY(), (TBufferPos{5, 3}));
  }

  // Auto-correction takes words of prose (text between tags, comments, strings), never names,
  // variables or keywords of code; the first Ctrl+Z gives back the word as typed.
  void autoCorrectTakesProseOnly_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("expected");
    auto row = [](const char* name, const char* file, const char* text, const char* typed,
                  const char* expected) {
      QTest::newRow(name) << QString(file) << QByteArray(text) << QString(typed)
                          << QByteArray(expected);
    };
    row("php variable", "c.php", "<?php\n", "$adn = 1; ", "<?php\n$adn = 1; ");
    row("php function", "c.php", "<?php\n", "function acheive() ", "<?php\nfunction acheive() ");
    row("php name", "c.php", "<?php\n", "teh(adn); ", "<?php\nteh(adn); ");
    row("php comment", "c.php", "<?php\n", "// acheive teh ", "<?php\n// achieve the ");
    row("php block comment", "c.php", "<?php\n", "/* adn */", "<?php\n/* and */");
    row("php string", "c.php", "<?php\n", "echo 'teh adn ", "<?php\necho 'the and ");
    row("variable in a string", "c.php", "<?php\n", "echo \"$adn ", "<?php\necho \"$adn ");
    row("html text", "c.html", "", "<p>teh adn ", "<p>the and </p>");
    row("html tag name", "c.html", "", "<teh ", "<teh ");
    row("html attribute value", "c.html", "", "<a href=\"teh.", "<a href=\"teh.");
    row("html comment", "c.html", "", "<!-- teh ", "<!-- the ");
    row("script code", "c.html", "<script>\n", "var adn = teh; ", "<script>\nvar adn = teh; ");
  }
  void autoCorrectTakesProseOnly() {
    QFETCH(QString, file);
    QFETCH(QByteArray, text);
    QFETCH(QString, typed);
    QFETCH(QByteArray, expected);
    TTvlEdit* editor = Open(file, text);
    QTest::keyClicks(editor, typed);
    QCOMPARE(QByteArray::fromStdString(Text(editor)), expected);
  }

  void ctrlZTakesBackTheCorrection() {
    TTvlEdit* editor = Open("u.html", "<p>");
    QTest::keyClicks(editor, "teh ");
    QCOMPARE(Text(editor), std::string("<p>the "));
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Text(editor), std::string("<p>teh "));
    QCOMPARE(editor->CaretXY(), (TBufferPos{8, 1}));
    QTest::keyClicks(editor, "x");
    QCOMPARE(Text(editor), std::string("<p>teh x"));
  }

  // The member popup of a script: Ctrl+Space after "document." lists Document's members.
  void javaScriptMembersListAndInsert() {
    TTvlEdit* editor = Open("s.js", "var x = document.");
    TJSHelper& helper = Aids().JSHelper();
    QTest::keyClick(editor, Qt::Key_Space, Qt::ControlModifier);
    QVERIFY(helper.isVisible());
    QCOMPARE(QApplication::focusWidget(), editor);
    QVERIFY(helper.Browser().Listed() != nullptr);
    QCOMPARE(helper.Browser().Listed()->name, std::string("Document"));
    QTest::keyClicks(editor, "getElementB");
    QCOMPARE(helper.Browser().SelectedRow()->Name(), std::string("getElementById"));
    QVERIFY(helper.DescriptionHtml().contains("<b>getElementById</b>"));
    QTest::keyClick(editor, Qt::Key_Return);
    QVERIFY(!helper.isVisible());
    QCOMPARE(Text(editor), std::string("var x = document.getElementById"));
    // Inherited members, going into a member's type and back.
    QTest::keyClicks(editor, "; document.bo");
    QTest::keyClick(editor, Qt::Key_Space, Qt::ControlModifier);
    QCOMPARE(helper.Browser().SelectedRow()->Name(), std::string("body"));
    QTest::keyClick(editor, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(helper.Browser().Listed()->name, std::string("HTMLElement"));
    QTest::keyClick(editor, Qt::Key_Left, Qt::ControlModifier);
    QVERIFY(helper.Browser().Listed() == nullptr);
    QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(!helper.isVisible());
  }

  // Collections yield their items, instances list their prototype's members, built-in methods show
  // their parameters.
  void javaScriptItemsInstancesAndParameters() {
    TTvlEdit* editor = Open("t.js", "var f = document.forms[0].");
    TJSHelper& helper = Aids().JSHelper();
    QTest::keyClick(editor, Qt::Key_Space, Qt::ControlModifier);
    QVERIFY(helper.isVisible());
    QCOMPARE(helper.Browser().Listed()->name, std::string("HTMLFormElement"));
    QTest::keyClicks(editor, "subm");
    QCOMPARE(helper.Browser().SelectedRow()->NameColumn(), std::string("submit()"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(Text(editor), std::string("var f = document.forms[0].submit"));
    QTest::keyClicks(editor, "(); var m = new Map().");
    QTest::keyClick(editor, Qt::Key_Space, Qt::ControlModifier);
    QCOMPARE(helper.Browser().Listed()->name, std::string("Map"));
    QCOMPARE(helper.Browser().SelectedRow()->Name(), helper.Browser().Rows().front().Name());
    for (const TJSRow& row : helper.Browser().Rows()) QVERIFY(row.Name() != "length");
    QTest::keyClick(editor, Qt::Key_Escape);
    QTest::keyClicks(editor, "; Math.ab");
    QTest::keyClick(editor, Qt::Key_Space, Qt::ControlModifier);
    QCOMPARE(helper.Browser().SelectedRow()->NameColumn(), std::string("abs(Number x)"));
    QVERIFY(helper.DescriptionHtml().contains("<b>abs</b> (Number x)"));
    QTest::keyClick(editor, Qt::Key_Escape);
  }

  // In a page's script the member popup opens too: by Ctrl+Space, and after a "." by the timer.
  void javaScriptInAPageScript() {
    TTvlEdit* editor = Open("s.html", "<html><script>\nvar f = window.");
    TJSHelper& helper = Aids().JSHelper();
    QTest::keyClick(editor, Qt::Key_Space, Qt::ControlModifier);
    QVERIFY(helper.isVisible());
    QCOMPARE(helper.Browser().Listed()->name, std::string("Window"));
    QTest::keyClicks(editor, "navigator");
    QTest::keyClick(editor, Qt::Key_Escape);
    Aids().CompletionProposal().SetTimerInterval(30);
    QTest::keyClicks(editor, ".");
    QTRY_VERIFY(helper.isVisible());
    QCOMPARE(helper.Browser().Listed()->name, std::string("Navigator"));
    QVERIFY(!Aids().CompletionProposal().Active());
  }
};

QTEST_MAIN(CompletionTest)
#include "completion_test.moc"
