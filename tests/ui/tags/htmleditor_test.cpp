#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "core/editcomponent/EditorModel.h"
#include "support/MainWindowFixture.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/docking/DockManager.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/generators/ColorListBox.h"
#include "ui/generators/ColorPickForm.h"
#include "ui/tags/AttributeGrid.h"
#include "ui/tags/HtmlEditorForm.h"

using namespace tervil;

// The HTML attribute window on the real main window: following the caret, editing values,
// inserting tags, and its place across restarts.
class HtmlEditorTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  test::TMainWindowFixture window_;

  TTervilMain& Window() { return *window_; }
  THtmlEditor* Editor() { return Window().HtmlEditor(); }
  TAttributeGridWidget* Grid() { return Editor()->Grid(); }
  QAction* ShowAction() { return Window().findChild<QAction*>("actHtmlEditor"); }

  void Start() { QVERIFY(window_.Start()); }
  void Stop() { window_.Stop(); }

  // A new page holding `text` with the caret at `caret`, and the attribute window shown.
  TTvlPage* PageWith(const std::string& text, TBufferPos caret) {
    TTvlPage* page = Window().NewDocument();
    page->Model().SetText(text);
    page->Model().SetCaretPos(caret);
    page->Model().SetModified(false);
    if (Editor()->isHidden()) ShowAction()->trigger();
    return page;
  }
  int RowOf(const std::string& key) {
    for (int row = 0; row < Grid()->RowCount(); ++row)
      if (Grid()->Key(row) == key) return row;
    return -1;
  }
  // The value shown for an attribute; "(no row)" when the grid has no row for it.
  std::string ValueOf(const std::string& key) {
    const int row = RowOf(key);
    return row < 0 ? "(no row)" : Grid()->Value(row);
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", home_.filePath("cache").toUtf8());
    TMessageBox::SetHandler(
        [](const QString&, const QString&, int, TMsgIcon) { return TMsgResult::No; });
  }
  void init() {
    QFile::remove(home_.filePath("config/tervil-editor/registry.reg"));  // every test starts anew
    Start();
  }
  void cleanup() { Stop(); }

  void showCommandChecksAndOpensTheRightArea() {
    QVERIFY(ShowAction());
    QCOMPARE(ShowAction()->text(), QString("HTML Editor"));
    QVERIFY(!ShowAction()->shortcut().isEmpty());
    QVERIFY(Editor()->isHidden());
    QVERIFY(!ShowAction()->isChecked());
    QTest::keySequence(&Window(), ShowAction()->shortcut());
    QVERIFY(ShowAction()->isChecked());
    QCOMPARE(Window().dockWidgetArea(Editor()), Qt::RightDockWidgetArea);
    QCOMPARE(Editor()->windowTitle(), QString("Html Editor"));
    QTRY_VERIFY(Editor()->isVisible());
    QTRY_COMPARE(Editor()->width(), 200);
    ShowAction()->trigger();
    QVERIFY(Editor()->isHidden());
    QVERIFY(!ShowAction()->isChecked());
  }

  void gridShowsTheAttributesOfTheTagAtTheCaret() {
    PageWith("<p>\n<a href=\"x\" title='y'>link</a>", {4, 2});
    QTRY_VERIFY(RowOf("href") >= 0);
    QCOMPARE(ValueOf("href"), std::string("x"));
    QCOMPARE(ValueOf("title"), std::string("y"));
    QCOMPARE(ValueOf("target"), std::string());
    QCOMPARE(Editor()->TagsCombo()->currentText(), QString("a"));
    QCOMPARE(Grid()->EditStyle(RowOf("href")), esEllipsis);
    // Deprecated attributes red, events green, style and class blue.
    auto colorOf = [this](const char* key) {
      return Grid()->item(RowOf(key), 0)->foreground().color();
    };
    QCOMPARE(colorOf("name"), QColor(255, 0, 0));
    QCOMPARE(colorOf("onclick"), QColor(0, 128, 0));
    QCOMPARE(colorOf("style"), QColor(0, 0, 255));
    QVERIFY(!Grid()->item(RowOf("name"), 0)->toolTip().isEmpty());  // its description
  }

  void gridFollowsTheCaretOnceItRests() {
    TTvlPage* page = PageWith("<img src=\"a.gif\" alt=\"x\"> <p class=\"c\">", {3, 1});
    QTRY_COMPARE(ValueOf("src"), std::string("a.gif"));
    page->FocusEditor();
    QTest::keyClick(page->TvlEdit(), Qt::Key_End);
    QTest::keyClick(page->TvlEdit(), Qt::Key_Left);
    QVERIFY(Editor()->RestTimer()->isActive());  // not at once
    QCOMPARE(RowOf("src") >= 0, true);
    QTRY_COMPARE(Editor()->TagsCombo()->currentText(), QString("p"));
    QCOMPARE(RowOf("src"), -1);
    QCOMPARE(ValueOf("class"), std::string("c"));
    // Outside any tag the grid is empty; the text never changed.
    QTest::keyClick(page->TvlEdit(), Qt::Key_Home);
    QTRY_COMPARE(Grid()->RowCount(), 0);
    QVERIFY(!page->Model().Modified());
  }

  void typingAValueRewritesTheTagAsOneUndoStep() {
    TTvlPage* page = PageWith("<a href=\"x\" title='y'>link</a>", {4, 1});
    QTRY_VERIFY(RowOf("title") >= 0);
    Grid()->setFocus();
    Grid()->setCurrentCell(RowOf("title"), 1);
    QLineEdit* line = nullptr;
    QTRY_VERIFY((line = Grid()->viewport()->findChild<QLineEdit*>()) != nullptr);
    QCOMPARE(line->text(), QString("y"));
    line->setFocus();
    QTest::keyClick(line, Qt::Key_End);
    QTest::keyClicks(line, "center");
    QCOMPARE(page->Model().Line(0), std::string("<a href=\"x\" title='ycenter'>link</a>"));
    QCOMPARE(page->Model().CaretPos(), (TBufferPos{4, 1}));
    QCOMPARE(page->Model().UndoList().UndoCount(), std::size_t{1});
    page->Model().Undo();
    QCOMPARE(page->Model().Line(0), std::string("<a href=\"x\" title='y'>link</a>"));
  }

  // Colour cells: named colours with their samples, the program's colour picker behind "...",
  // which writes a name; an empty colour shows no sample; the names stay in view while a value
  // is edited.
  void colourCellsOfferNamesAndThePicker() {
    TTvlPage* page = PageWith("<body bgcolor=\"\" text=\"#ff0000\">", {7, 1});
    QTRY_VERIFY(RowOf("bgcolor") >= 0);
    const int row = RowOf("bgcolor");
    QVERIFY(Grid()->IsColorRow(row));
    // Samples: none for the empty value, red for the code of red.
    auto sampleAt = [this](int r) {
      const QRect cell = Grid()->visualRect(Grid()->model()->index(r, 1));
      return Grid()->viewport()->grab().toImage().pixelColor(cell.left() + 10, cell.center().y());
    };
    QCOMPARE(sampleAt(row), Grid()->palette().color(QPalette::Base));
    QCOMPARE(sampleAt(RowOf("text")), QColor(255, 0, 0));
    // The cell's list: the colour names with samples, no bare codes; the window narrow.
    Window().resizeDocks({Editor()}, {150}, Qt::Horizontal);
    QTRY_VERIFY(Editor()->width() < 200);
    Grid()->setFocus();
    Grid()->setCurrentCell(row, 1);
    QComboBox* combo = nullptr;
    QTRY_VERIFY((combo = Grid()->viewport()->findChild<QComboBox*>()) != nullptr);
    const int red = combo->findText("red");
    QVERIFY(red > 0);
    QVERIFY(!combo->itemIcon(red).isNull());
    QCOMPARE(combo->findText("#ff0000", Qt::MatchContains), -1);
    // The attribute names stay in view beside the open editor.
    QCOMPARE(Grid()->horizontalScrollBar()->value(), 0);
    QCOMPARE(Grid()->columnViewportPosition(0), 0);
    QWidget* editor = Grid()->indexWidget(Grid()->model()->index(row, 1));
    QVERIFY(editor->geometry().right() < Grid()->viewport()->width());
    // "..." opens the colour picker; choosing Teal by typing its name writes "teal".
    auto* button = editor->findChild<QToolButton*>("Ellipsis");
    QVERIFY(button);
    bool picked = false;
    QTimer::singleShot(0, this, [&] {
      auto* picker = qobject_cast<TColorPick*>(QApplication::activeModalWidget());
      QVERIFY(picker);
      picker->ColorList()->setFocus();
      QTest::keyClicks(picker->ColorList(), "teal");
      QCOMPARE(picker->ColorList()->currentText(), QString("Teal"));
      QTest::keyClick(picker, Qt::Key_Return);
      picked = true;
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(picked);
    QCOMPARE(page->Model().Line(0), std::string("<body bgcolor=\"teal\" text=\"#ff0000\">"));
    QCOMPARE(ValueOf("bgcolor"), std::string("teal"));
    QCOMPARE(Grid()->horizontalScrollBar()->value(), 0);
    // The colour of a code that has a name comes back as the name; Esc changes nothing.
    Grid()->setCurrentCell(RowOf("text"), 1);
    QTRY_VERIFY((editor = Grid()->indexWidget(Grid()->model()->index(RowOf("text"), 1))));
    button = editor->findChild<QToolButton*>("Ellipsis");
    QTimer::singleShot(0, this, [&] {
      auto* picker = qobject_cast<TColorPick*>(QApplication::activeModalWidget());
      QVERIFY(picker);
      QCOMPARE(picker->GetSelected(), QString("red"));
      QTest::keyClick(picker, Qt::Key_Escape);
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(page->Model().Line(0), std::string("<body bgcolor=\"teal\" text=\"#ff0000\">"));
  }

  void aReadOnlyPageGivesAReadOnlyGrid() {
    TTvlPage* page = PageWith("<a href=\"x\">", {3, 1});
    page->SetReadOnly(true);
    page->Model().SetCaretPos({4, 1});
    QTRY_VERIFY(Grid()->AllReadOnly());
    Grid()->UserEdited(RowOf("href"), "changed");
    QCOMPARE(page->Model().Line(0), std::string("<a href=\"x\">"));
  }

  void insertingATagFromTheList() {
    TTvlPage* page = PageWith("", {1, 1});
    QComboBox* combo = Editor()->TagsCombo();
    combo->setCurrentText("table");
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Return);
    QCOMPARE(page->Model().Line(0), std::string("<table></table>"));
    QCOMPARE(page->Model().CaretPos(), (TBufferPos{8, 1}));
    combo->setCurrentText("br");
    Editor()->InsertTagButton()->click();
    QCOMPARE(page->Model().Line(0), std::string("<table><br /></table>"));
    page->Model().Undo();
    QCOMPARE(page->Model().Line(0), std::string("<table></table>"));
  }

  void placementSurvivesARestart() {
    ShowAction()->trigger();
    Editor()->DockTo("DockPanelLeft");
    QTRY_COMPARE(Editor()->width(), 200);
    Window().resizeDocks({Editor()}, {230}, Qt::Horizontal);
    QTRY_COMPARE(Editor()->width(), 230);
    Stop();  // the window closes and saves its placement
    Start();
    QCOMPARE(Window().dockWidgetArea(Editor()), Qt::LeftDockWidgetArea);
    QVERIFY(ShowAction()->isChecked());
    QTRY_VERIFY(Editor()->isVisible());
    QTRY_COMPARE(Editor()->width(), 230);
    ShowAction()->trigger();  // hidden at the next start
    Stop();
    Start();
    QVERIFY(Editor()->isHidden());
    QCOMPARE(Window().dockWidgetArea(Editor()), Qt::LeftDockWidgetArea);
  }

  void withoutAPageTheControlsAreDisabled() {
    ShowAction()->trigger();
    QVERIFY(!Editor()->widget()->isEnabled());
    TTvlPage* page = PageWith("<b>", {2, 1});
    QVERIFY(Editor()->widget()->isEnabled());
    page->Model().SetModified(false);
    page->Close();
    QVERIFY(!Editor()->widget()->isEnabled());
  }
};

QTEST_MAIN(HtmlEditorTest)
#include "htmleditor_test.moc"
