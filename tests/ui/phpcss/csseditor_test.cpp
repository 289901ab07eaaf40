#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <algorithm>
#include <functional>
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
#include "ui/phpcss/CssEditorForm.h"
#include "ui/phpcss/CssForm.h"
#include "ui/tags/AttributeGrid.h"

using namespace tervil;

namespace {

// A stylesheet as people write them: comments, a shorthand with an address, properties the
// dialog does not know, a custom property.
const char* const kStylesheet =
    "/* Site styles */\n"
    "body {\n"
    "  font-family: \"Noto Sans\", Arial, sans-serif;\n"
    "  background: #fdfdfd url(\"img/paper.png\") repeat;\n"
    "}\n"
    "\n"
    ".header {\n"
    "  display: grid;\n"
    "  gap: 1rem;\n"
    "  --Accent: teal;\n"
    "  color: red !important;\n"
    "}\n";

}  // namespace

// The "Css Editor" tool window and the "CSS Editor..." dialog on the real main window.
class CssEditorTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  test::TMainWindowFixture window_;
  QStringList messages_;

  TTervilMain& Window() { return *window_; }
  TCssEditor* Editor() { return Window().CssEditor(); }
  TAttributeGridWidget* Grid() { return Editor()->Grid(); }
  QAction* ShowAction() { return Window().findChild<QAction*>("actCssEditor"); }
  QAction* DialogAction() { return Window().findChild<QAction*>("actCssEdit"); }

  void Start() { QVERIFY(window_.Start()); }
  void Stop() { window_.Stop(); }

  // A new page holding `text` with the caret at character offset `caret`, the window shown.
  TTvlPage* PageWith(const std::string& text, std::int64_t caret) {
    TTvlPage* page = Window().NewDocument();
    page->Model().SetText(text);
    page->Model().SetSelStart(caret);
    page->Model().SetModified(false);
    if (Editor()->isHidden()) ShowAction()->trigger();
    return page;
  }
  // The caret offset after `marker` in an ASCII text with LF breaks (each counts two).
  static std::int64_t After(const std::string& text, const std::string& marker) {
    const std::size_t end = text.find(marker) + marker.size();
    return static_cast<std::int64_t>(end + std::count(text.begin(), text.begin() + end, '\n'));
  }
  int RowOf(const std::string& key) {
    for (int row = 0; row < Grid()->RowCount(); ++row)
      if (Grid()->Key(row) == key) return row;
    return -1;
  }
  // The document with LF line breaks.
  static QString TextOf(TTvlPage* page) { return QString::fromStdString(page->Model().Text("\n")); }
  static QString Q(const std::string& text) { return QString::fromStdString(text); }

  // Opens the in-place editor of a value cell.
  QWidget* OpenCell(int row) {
    Grid()->setFocus();
    Grid()->setCurrentCell(row, 1);
    Grid()->edit(Grid()->model()->index(row, 1));
    QWidget* editor = nullptr;
    [&] {
      QTRY_VERIFY((editor = Grid()->indexWidget(Grid()->model()->index(row, 1))) != nullptr);
    }();
    return editor;
  }

  // Runs the style dialog: `work` gets the dialog while it is shown modally.
  void RunDialog(const std::function<void(TCSS&)>& work) {
    bool ran = false;
    QTimer::singleShot(0, this, [&] {
      auto* dialog = qobject_cast<TCSS*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      ran = true;
      work(*dialog);
    });
    DialogAction()->trigger();
    QVERIFY(ran);
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", home_.filePath("cache").toUtf8());
    TMessageBox::SetHandler([this](const QString&, const QString& text, int, TMsgIcon) {
      messages_ << text;
      return TMsgResult::OK;
    });
  }
  void init() {
    QFile::remove(home_.filePath("config/tervil-editor/registry.reg"));
    messages_.clear();
    Start();
  }
  void cleanup() { Stop(); }

  void commandsSitInTheirMenusAndToolbar() {
    QVERIFY(ShowAction());
    QCOMPARE(ShowAction()->text(), QString("CSS Editor"));
    QVERIFY(ShowAction()->isCheckable());
    // View menu: right after the HTML attribute window.
    QMenu* view = nullptr;
    QMenu* tools = nullptr;
    for (QAction* item : Window().menuBar()->actions()) {
      if (item->text() == "&View") view = item->menu();
      if (item->text() == "&Tools") tools = item->menu();
    }
    QVERIFY(view && tools);
    const QList<QAction*> viewItems = view->actions();
    QCOMPARE(viewItems.indexOf(ShowAction()),
             viewItems.indexOf(Window().findChild<QAction*>("actHtmlEditor")) + 1);
    QCOMPARE(tools->actions().value(0), DialogAction());
    QCOMPARE(DialogAction()->text(), QString("CSS Editor..."));
    QCOMPARE(DialogAction()->statusTip(), QString("Open CSS Editor"));
    auto* bar = Window().findChild<QToolBar*>("ToolsToolBar");
    QVERIFY(bar);
    QCOMPARE(bar->actions().value(0), DialogAction());
    // Both need a page.
    QVERIFY(!DialogAction()->isEnabled());
    ShowAction()->trigger();
    QCOMPARE(Window().dockWidgetArea(Editor()), Qt::RightDockWidgetArea);
    QCOMPARE(Editor()->windowTitle(), QString("Css Editor"));
    QTRY_COMPARE(Editor()->width(), 200);
    QVERIFY(ShowAction()->isChecked());
    QVERIFY(!Editor()->widget()->isEnabled());
    PageWith("p {}", 3);
    QVERIFY(DialogAction()->isEnabled());
    QVERIFY(Editor()->widget()->isEnabled());
    ShowAction()->trigger();
    QVERIFY(Editor()->isHidden());
    QVERIFY(!ShowAction()->isChecked());
  }

  void gridFollowsTheCaretOnceItRests() {
    const std::string text = "p { color:red; margin:0 }\n\nh1 { font-size: 2em }";
    TTvlPage* page = PageWith(text, After(text, "col"));
    QTRY_COMPARE(Grid()->RowCount(), 2);
    QCOMPARE(Grid()->Key(0), std::string("color"));
    QCOMPARE(Grid()->Value(0), std::string("red"));
    QCOMPARE(Grid()->Key(1), std::string("margin"));
    QVERIFY(Grid()->IsColorRow(0));  // a colour swatch and the colour picker
    // Within the same block the grid is not rebuilt.
    QTableWidgetItem* first = Grid()->item(0, 0);
    page->FocusEditor();
    QTest::keyClick(page->TvlEdit(), Qt::Key_Right);
    QVERIFY(Editor()->RestTimer()->isActive());
    QTRY_VERIFY(!Editor()->RestTimer()->isActive());
    QCOMPARE(Grid()->item(0, 0), first);
    // Another block, then none.
    QTest::keyClick(page->TvlEdit(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(page->TvlEdit(), Qt::Key_Left);
    QTRY_COMPARE(RowOf("font-size"), 0);
    QTest::keyClick(page->TvlEdit(), Qt::Key_Up);
    QTRY_COMPARE(Grid()->RowCount(), 0);
    QVERIFY(!page->Model().Modified());
  }

  void typingAValueRewritesTheBlockAsOneUndoStep() {
    const std::string text = "p { color:red; margin:0 }";
    TTvlPage* page = PageWith(text, After(text, "col"));
    QTRY_COMPARE(RowOf("margin"), 1);
    auto* line = OpenCell(1)->findChild<QLineEdit*>();
    QVERIFY(line);
    line->selectAll();
    QTest::keyClicks(line, "5px");
    QCOMPARE(TextOf(page), QString("p {\ncolor : red; \nmargin : 5px;\n}"));
    // Every keystroke shows in the text; the whole cell edit undoes as one step.
    QTest::keyClick(line, Qt::Key_Backspace);
    QCOMPARE(TextOf(page), QString("p {\ncolor : red; \nmargin : 5p;\n}"));
    QCOMPARE(page->Model().UndoList().UndoCount(), std::size_t{1});
    page->Model().Undo();
    QCOMPARE(TextOf(page), Q(text));
    QVERIFY(!page->Model().CanUndo());
  }

  void choosingFromThePickListIsOneUndoStep() {
    const std::string text = "a { color: red }\ndiv {\n  text-align: left;\n  gap: 1rem;\n}\n";
    TTvlPage* page = PageWith(text, After(text, "text-al"));
    QTRY_COMPARE(RowOf("text-align"), 0);
    QVERIFY(Grid()->PickList(0).contains("center"));
    auto* combo = qobject_cast<QComboBox*>(OpenCell(0)->focusProxy());
    QVERIFY(combo);
    const int center = combo->findText("center");
    combo->setCurrentIndex(center);
    emit combo->activated(center);
    QCOMPARE(TextOf(page), QString("a { color: red }\ndiv {\ntext-align : center; \n"
                                   "gap : 1rem;\n}\n"));
    page->Model().Undo();
    QCOMPARE(TextOf(page), Q(text));
  }

  void aValueThatCanOnlyBeChosen() {
    const std::string text = "p { flex-direction: row; }";
    TTvlPage* page = PageWith(text, After(text, "flex"));
    QTRY_COMPARE(RowOf("flex-direction"), 0);
    auto* combo = OpenCell(0)->findChild<QComboBox*>();
    QVERIFY(combo);
    QVERIFY(!combo->isEditable());
    QCOMPARE(combo->currentText(), QString("row"));
    const int column = combo->findText("column");
    combo->setCurrentIndex(column);
    emit combo->activated(column);
    QCOMPARE(TextOf(page), QString("p {flex-direction : column;}"));
  }

  void styleAttributeStaysOnOneLine() {
    const std::string text = "<p style=\"color:red\">x</p>";
    TTvlPage* page = PageWith(text, After(text, "col"));
    QTRY_COMPARE(RowOf("color"), 0);
    auto* line = OpenCell(0)->findChild<QLineEdit*>();
    QVERIFY(line);
    line->selectAll();
    QTest::keyClicks(line, "blue");
    QCOMPARE(TextOf(page), QString("<p style=\"color : blue;\">x</p>"));
  }

  // A custom property is an ordinary row; an ordinary tag's attribute brings no message.
  void customPropertiesAndOrdinaryTags() {
    const std::string text =
        "<style>:root { --main-color: #06c; color: red }</style>\n<h1 id=\"logo\">Site</h1>"
        "<p class=\"intro\">";
    TTvlPage* page = PageWith(text, After(text, "--main"));
    QTRY_COMPARE(RowOf("--main-color"), 0);
    QVERIFY(Grid()->item(0, 0)->data(Qt::ForegroundRole).isNull());
    QVERIFY(!Grid()->IsReadOnly(0));
    page->FocusEditor();
    QTest::keyClick(page->TvlEdit(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(page->TvlEdit(), Qt::Key_Home);
    for (int i = 0; i < 14; ++i) QTest::keyClick(page->TvlEdit(), Qt::Key_Right);  // after ">"
    QTRY_COMPARE(Grid()->RowCount(), 0);
    QTRY_VERIFY(!Editor()->RestTimer()->isActive());
    QVERIFY(Editor()->ProblemLabel()->isHidden());
    QTest::keyClick(page->TvlEdit(), Qt::Key_Left, Qt::ControlModifier);  // inside "logo"
    QTRY_VERIFY(!Editor()->RestTimer()->isActive());
    QVERIFY(Editor()->ProblemLabel()->isHidden());
  }

  void unknownPropertiesAreRedAndProblemsNamed() {
    const std::string text = "p { colr: red; color: blue }\nq { color red; margin: 0 }";
    TTvlPage* page = PageWith(text, After(text, "colr"));
    QTRY_COMPARE(RowOf("colr"), 0);
    QCOMPARE(Grid()->item(0, 0)->foreground().color(), QColor(255, 0, 0));
    QVERIFY(Grid()->item(1, 0)->data(Qt::ForegroundRole).isNull());
    QVERIFY(Editor()->ProblemLabel()->isHidden());
    // A declaration without ":" gives an empty grid and a message; the text stays.
    page->Model().SetSelStart(static_cast<std::int64_t>(text.find("margin")));
    Editor()->PageChanged(page);
    QTRY_COMPARE(Grid()->RowCount(), 0);
    QVERIFY(!Editor()->ProblemLabel()->isHidden());
    QVERIFY(Editor()->ProblemLabel()->text().contains(":"));
    QCOMPARE(TextOf(page), Q(text));
  }

  void insertingAProperty() {
    TTvlPage* page = PageWith("a { color: red }\nb", 19);
    QComboBox* combo = Editor()->TagsCombo();
    QVERIFY(combo->count() > 500);
    QVERIFY(combo->findText("grid-template-columns") >= 0);
    combo->setCurrentIndex(combo->findText("gap"));
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Return);  // outside any block: at the caret
    QCOMPARE(TextOf(page), QString("a { color: red }\nbgap  : ;"));
    page->Model().SetSelStart(5);
    combo->setCurrentIndex(combo->findText("margin-inline-start"));
    Editor()->InsertTagButton()->click();
    // The block had no ";": it stays on one line.
    QCOMPARE(TextOf(page), QString("a {\ncolor : red; margin-inline-start  : ;}\nbgap  : ;"));
    page->Model().Undo();
    QCOMPARE(TextOf(page), QString("a { color: red }\nbgap  : ;"));
  }

  void wrappingTheSelection() {
    TTvlPage* page = PageWith("a\nx.css", 0);
    page->Model().SetSelEnd(1);
    Editor()->findChild<QAction*>("actHover")->trigger();
    QCOMPARE(TextOf(page), QString("a:hover\nx.css"));
    page->Model().SetSelStart(9);
    page->Model().SetSelEnd(14);
    QCOMPARE(page->Model().SelText(), std::string("x.css"));
    QAction* import = Editor()->findChild<QAction*>("actImport");
    QCOMPARE(import->toolTip(), QString("@import"));
    import->trigger();
    QCOMPARE(TextOf(page), QString("a:hover\n@import url('x.css')"));
    for (const char* name : {"actActive", "actFocus", "actLink", "actVisited", "actFirstLetter",
                             "actFirstLine", "actBefore", "actAfter", "actFirstChild"})
      QVERIFY2(Editor()->findChild<QAction*>(name), name);
  }

  // Runs the colour picker that `open` opens: `work` gets the picker while it is shown.
  void RunPicker(const std::function<void()>& open, const std::function<void(TColorPick&)>& work) {
    bool ran = false;
    QTimer::singleShot(0, this, [&] {
      auto* picker = qobject_cast<TColorPick*>(QApplication::activeModalWidget());
      QVERIFY(picker);
      QCOMPARE(picker->windowTitle(), QString("Choose Color"));
      ran = true;
      work(*picker);
    });
    open();
    QVERIFY(ran);
  }

  // The "..." of a colour cell opens the program's colour picker with the cell's colour chosen;
  // a colour that has a name is written by its name.
  void colourButtonOfACellUsesThePicker() {
    const std::string text = "p { color: #FF0000; margin: 0 }";
    TTvlPage* page = PageWith(text, After(text, "col"));
    QTRY_COMPARE(RowOf("color"), 0);
    auto* button = OpenCell(0)->findChild<QToolButton*>("Ellipsis");
    QVERIFY(button);
    RunPicker([button] { QTest::mouseClick(button, Qt::LeftButton); },
              [](TColorPick& picker) {
                QCOMPARE(picker.ColorList()->currentText(), QString("Red"));
                QTest::keyClick(&picker, Qt::Key_Return);
              });
    QCOMPARE(TextOf(page), QString("p {\ncolor : red; \nmargin : 0;\n}"));
    // Another named colour by typing its name in the picker's list.
    button = OpenCell(0)->findChild<QToolButton*>("Ellipsis");
    RunPicker([button] { QTest::mouseClick(button, Qt::LeftButton); },
              [](TColorPick& picker) {
                picker.ColorList()->setFocus();
                QTest::keyClicks(picker.ColorList(), "navy");
                QTest::keyClick(&picker, Qt::Key_Return);
              });
    QCOMPARE(TextOf(page), QString("p {\ncolor : navy; \nmargin : 0;\n}"));
    QCOMPARE(Grid()->Value(0), std::string("navy"));
  }

  void dialogColourButtonsUseThePicker() {
    const std::string text = "p { color: #008080 }";
    TTvlPage* page = PageWith(text, After(text, "col"));
    RunDialog([this](TCSS& dialog) {
      auto* tabs = dialog.findChild<QTabWidget*>();
      for (int i = 0; i < tabs->count(); ++i)
        if (tabs->tabText(i) == "Color and Background") tabs->setCurrentIndex(i);
      auto* color = dialog.findChild<QToolButton*>("colorButton");
      auto* background = dialog.findChild<QToolButton*>("background-colorButton");
      QVERIFY(color && background && color->isVisible());
      // The field's colour is preselected by its name; Esc keeps the field.
      RunPicker([color] { QTest::mouseClick(color, Qt::LeftButton); },
                [](TColorPick& picker) {
                  QCOMPARE(picker.GetSelected(), QString("teal"));
                  QTest::keyClick(&picker, Qt::Key_Escape);
                });
      QCOMPARE(dialog.FieldText("color"), QString("#008080"));
      RunPicker(
          [background] {
            background->setFocus();
            QTest::keyClick(background, Qt::Key_Space);
          },
          [](TColorPick& picker) {
            picker.ColorList()->setFocus();
            QTest::keyClicks(picker.ColorList(), "wheat");
            QTest::keyClick(&picker, Qt::Key_Return);
          });
      QCOMPARE(dialog.FieldText("background-color"), QString("wheat"));
      dialog.OkButton()->click();
    });
    QVERIFY(TextOf(page).contains("background-color : wheat;"));
    QVERIFY(TextOf(page).contains("color : #008080;"));
  }

  void dialogRoundTripChangesOnlyTheEditedProperties() {
    const std::string text = kStylesheet;
    TTvlPage* page = PageWith(text, After(text, "gap"));
    RunDialog([](TCSS& dialog) {
      QCOMPARE(dialog.windowTitle(), QString("CSS Editor"));
      QCOMPARE(dialog.FieldText("color"), QString("red !important"));
      // A value the fixed list does not offer is shown in red and kept.
      QCOMPARE(dialog.FieldText("display"), QString("grid"));
      QVERIFY(dialog.ShowsUnknownValue("display"));
      auto* style = qobject_cast<QComboBox*>(dialog.Field("font-style"));
      style->setCurrentIndex(style->findText("italic"));
      dialog.OkButton()->click();
    });
    const std::string header =
        ".header {\n"
        "display : grid; \n"
        "gap : 1rem; \n"
        "--Accent : teal; \n"
        "color : red !important; \n"
        "font-style : italic;}\n";
    QCOMPARE(TextOf(page), Q(text.substr(0, text.find(".header")) + header));
    page->Model().Undo();
    QCOMPARE(TextOf(page), Q(text));
  }

  void dialogRemovesAClearedPropertyAndCancelChangesNothing() {
    const std::string text = "p { color: red; foo: bar }";
    TTvlPage* page = PageWith(text, After(text, "foo"));
    RunDialog([](TCSS& dialog) { dialog.reject(); });
    QCOMPARE(TextOf(page), Q(text));
    RunDialog([](TCSS& dialog) {
      qobject_cast<QLineEdit*>(dialog.Field("color"))->clear();
      dialog.OkButton()->click();
    });
    QCOMPARE(TextOf(page), QString("p {foo : bar;}"));  // a single-line result
  }

  void dialogOutsideABlockInsertsAtTheCaret() {
    TTvlPage* page = PageWith("x", 1);
    RunDialog([](TCSS& dialog) {
      dialog.Grid()->item(4, 1)->setText("0 auto");  // margin
      qobject_cast<QLineEdit*>(dialog.Field("color"))->setText("navy");
      dialog.OkButton()->click();
    });
    QCOMPARE(TextOf(page), QString("x\nmargin : 0 auto; color : navy;"));
    // Between two rules is outside any block too: no message, the grid empty.
    const std::string rules = "a { x: 1 }\n\nb { y: 2 }";
    TTvlPage* second = PageWith(rules, After(rules, "}\n"));
    QTRY_VERIFY(!Editor()->RestTimer()->isActive());
    QCOMPARE(Grid()->RowCount(), 0);
    QVERIFY(Editor()->ProblemLabel()->isHidden());
    RunDialog([](TCSS& dialog) {
      qobject_cast<QLineEdit*>(dialog.Field("color"))->setText("navy");
      dialog.OkButton()->click();
    });
    QCOMPARE(TextOf(second), QString("a { x: 1 }\n\ncolor : navy;\nb { y: 2 }"));
    QVERIFY(messages_.isEmpty());
  }

  void dialogFontChoiceInADoubleQuotedAttribute() {
    const std::string text = "<p style=\"font-family: Arial\">";
    TTvlPage* page = PageWith(text, After(text, "Ari"));
    RunDialog([](TCSS& dialog) {
      dialog.ChooseFont = [](const QString&) { return TCSS::FontChoice{"Times New Roman", true}; };
      dialog.findChild<QToolButton*>("FontButton")->click();
      QCOMPARE(dialog.FieldText("font-family"), QString("Arial, Times New Roman"));
      dialog.Tabs()->setCurrentWidget(dialog.PreviewMemo());
      QCOMPARE(dialog.PreviewMemo()->toPlainText(),
               QString("font-family : Arial, 'Times New Roman'; "));
      dialog.OkButton()->click();
    });
    QCOMPARE(TextOf(page), QString("<p style=\"\nfont-family : Arial, 'Times New Roman';\">"));
  }

  void dialogTakesTheEditedPreviewAndRefusesAnUnreadableOne() {
    const std::string text = "p { color: red; width: 1px }";
    TTvlPage* page = PageWith(text, After(text, "col"));
    RunDialog([](TCSS& dialog) {
      dialog.Tabs()->setCurrentWidget(dialog.PreviewMemo());
      QCOMPARE(dialog.PreviewMemo()->toPlainText(), QString("width : 1px; color : red; "));
      dialog.PreviewMemo()->setPlainText("width : 2px; color : red; ");
      dialog.OkButton()->click();
    });
    QCOMPARE(TextOf(page), QString("p {\ncolor : red; \nwidth : 2px;}"));
    const QString before = TextOf(page);
    RunDialog([](TCSS& dialog) {
      dialog.Tabs()->setCurrentWidget(dialog.PreviewMemo());
      dialog.PreviewMemo()->setPlainText("width 3px; color : red; ");
      dialog.OkButton()->click();
    });
    QCOMPARE(TextOf(page), before);
    QCOMPARE(messages_.size(), 1);
  }

  void dialogResetReturnsToTheBlock() {
    const std::string text = "p { float: left; display: grid }";
    PageWith(text, After(text, "flo"));
    RunDialog([](TCSS& dialog) {
      auto* display = qobject_cast<QComboBox*>(dialog.Field("display"));
      display->setEditText("block");
      QTRY_VERIFY(!dialog.ShowsUnknownValue("display"));  // a listed value: a plain list again
      QCOMPARE(dialog.FieldText("display"), QString("block"));
      qobject_cast<QComboBox*>(dialog.Field("float"))->setCurrentIndex(-1);
      dialog.ResetAll();
      QCOMPARE(dialog.FieldText("float"), QString("left"));
      QCOMPARE(dialog.FieldText("display"), QString("grid"));
      QVERIFY(dialog.ShowsUnknownValue("display"));
      dialog.reject();
    });
  }

  void missingDataFilesLeaveAWorkingWindow() {
    QMainWindow main;
    std::vector<std::string> problems;
    TCssEditor editor("/nonexistent-data", &main, problems);
    QCOMPARE(problems.size(), std::size_t{2});
    QVERIFY(QString::fromStdString(problems[0]).contains("/nonexistent-data/css.tvd"));
    QCOMPARE(editor.TagsCombo()->count(), 0);
  }
};

QTEST_MAIN(CssEditorTest)
#include "csseditor_test.moc"
