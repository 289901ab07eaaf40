#include "ui/phpcss/CodeInspector.h"

#include <QAction>
#include <QDockWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QtTest>
#include <fstream>

#include "core/editcomponent/EditorModel.h"
#include "support/AppTestSupport.h"
#include "support/MainWindowFixture.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"

using namespace tervil;
using namespace tervil::test;

namespace {

const char* const kCounter =
    "<?php\n"
    "/**\n"
    " * Keeps a counter.\n"
    " */\n"
    "class Counter extends Base {\n"
    "    /** @var int */\n"
    "    private static $count = 0;\n"
    "    const STEP = 1;\n"
    "    /**\n"
    "     * Returns the new value.\n"
    "     */\n"
    "    public function add($by = 1) {\n"
    "        return self::$count;\n"
    "    }\n"
    "}\n"
    "function total($a, $b) { return $a; }\n";

// The tree as indented captions, one node a line.
QString Outline(const QTreeWidget* tree) {
  QString out;
  std::function<void(const QTreeWidgetItem*, int)> visit = [&](const QTreeWidgetItem* node,
                                                               int depth) {
    out += QString(depth * 2, ' ') + node->text(0) + "\n";
    for (int i = 0; i < node->childCount(); ++i) visit(node->child(i), depth + 1);
  };
  for (int i = 0; i < tree->topLevelItemCount(); ++i) visit(tree->topLevelItem(i), 0);
  return out;
}

// A user's double click: the press selects the node, the second press opens it.
void DoubleClick(QTreeWidget* tree, QTreeWidgetItem* item) {
  const QPoint at = tree->visualItemRect(item).center();
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
}

QTreeWidgetItem* Find(const QTreeWidget* tree, const QString& caption) {
  const auto found = tree->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
  return found.isEmpty() ? nullptr : found.first();
}

}  // namespace

// The code inspector's tree, its in-place refresh, and the PHP commands of the main window.
class CodeInspectorTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  test::TMainWindowFixture window_;

  TTervilMain& Window() { return *window_; }
  QAction* Action(const char* name) { return Window().findChild<QAction*>(name); }
  QDockWidget* Dock() { return Window().findChild<QDockWidget*>("CodeInspector"); }
  TCodeInspector* Inspector() { return Window().findChild<TCodeInspector*>(); }

  TTvlPage* OpenPhp(const QString& name, const std::string& text) {
    const QString path = home_.filePath(name);
    std::ofstream(path.toStdString(), std::ios::binary) << text;
    Window().OpenFile(path, false);
    return Window().CurrentPage();
  }

  // Opens a PHP page another program wrote two hours before.
  TTvlPage* OpenOldPhp(const QString& name, const std::string& text) {
    Window().OpenFile(WriteOldFile(home_.filePath(name), QByteArray::fromStdString(text)), false);
    return Window().CurrentPage();
  }

  // Runs View > PHP Analyser and waits until the tree shows its result.
  void RunAnalyser() {
    Action("actPHPAnalyser")->trigger();
    QTRY_VERIFY(!Inspector()->Analysing());
  }

 private slots:
  void initTestCase() {
    qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", home_.filePath("cache").toUtf8());
    AnswerMessagesWith(TMsgResult::No);
  }

  void init() { window_.Start(QSize(1000, 700), test::TMainWindowFixture::TShow::Shown); }

  void cleanup() { window_.Close(); }

  void treeShowsClassesGroupsMembersAndFunctionsSorted() {
    TCodeInspector inspector(TERVIL_SOURCE_DIR "/data/icons");
    inspector.RefreshFromText(kCounter);
    QCOMPARE(Outline(inspector.TreeView()), QString("Counter (Base)\n"
                                                    "  Fields\n"
                                                    "    $count:int = 0\n"
                                                    "    STEP = 1\n"
                                                    "  Methods\n"
                                                    "    add($by = 1)\n"
                                                    "total($a, $b)\n"));
    const QTreeWidget* tree = inspector.TreeView();
    QTreeWidgetItem* count = Find(tree, "$count:int = 0");
    QCOMPARE(count->data(0, TCodeInspector::ImageRole).toInt(), 0);
    QVERIFY(count->data(0, TCodeInspector::OverlayRole).toBool());
    QCOMPARE(Find(tree, "Counter (Base)")->data(0, TCodeInspector::ImageRole).toInt(), 6);
    QCOMPARE(Find(tree, "Fields")->data(0, TCodeInspector::ImageRole).toInt(), 6);
    QCOMPARE(TCodeInspector::ElementOf(Find(tree, "Fields")), nullptr);
    QCOMPARE(Find(tree, "total($a, $b)")->data(0, TCodeInspector::ImageRole).toInt(), 7);
    QVERIFY(!Find(tree, "add($by = 1)")->icon(0).isNull());
    QVERIFY(Find(tree, "Counter (Base)")->isExpanded());
    QVERIFY(Find(tree, "Methods")->isExpanded());
  }

  void imagesAndStateMarks() {
    TCodeInspector inspector(TERVIL_SOURCE_DIR "/data/icons");
    inspector.RefreshFromText(
        "<?php abstract class A { abstract protected function a(); final public static function "
        "b() {} abstract final function c(); }\ninterface I {}\nabstract class J {}");
    const QTreeWidget* tree = inspector.TreeView();
    QCOMPARE(Find(tree, "A")->data(0, TCodeInspector::ImageRole).toInt(), 4);
    QCOMPARE(Find(tree, "I")->data(0, TCodeInspector::ImageRole).toInt(), 3);
    QCOMPARE(Find(tree, "a()")->data(0, TCodeInspector::ImageRole).toInt(), 1);
    QCOMPARE(Find(tree, "a()")->data(0, TCodeInspector::StateRole).toInt(), 2);
    QCOMPARE(Find(tree, "b()")->data(0, TCodeInspector::StateRole).toInt(), 1);
    QVERIFY(Find(tree, "b()")->data(0, TCodeInspector::OverlayRole).toBool());
    QCOMPARE(Find(tree, "c()")->data(0, TCodeInspector::StateRole).toInt(), 1);  // final wins
  }

  void refreshKeepsNodesAndTheirExpansion() {
    TCodeInspector inspector(TERVIL_SOURCE_DIR "/data/icons");
    QTreeWidget* tree = inspector.TreeView();
    inspector.RefreshFromText(kCounter);
    QTreeWidgetItem* counter = Find(tree, "Counter (Base)");
    QTreeWidgetItem* add = Find(tree, "add($by = 1)");
    counter->setExpanded(false);
    Find(tree, "Fields")->setExpanded(false);

    inspector.RefreshFromText(kCounter);
    QCOMPARE(Find(tree, "Counter (Base)"), counter);
    QCOMPARE(Find(tree, "add($by = 1)"), add);
    QVERIFY2(!counter->isExpanded(), "a collapsed class stays collapsed");
    QVERIFY(!Find(tree, "Fields")->isExpanded());
    QVERIFY(Find(tree, "Methods")->isExpanded());
    QCOMPARE(TCodeInspector::ElementOf(add), inspector.Analyser().Classes[0]->Methods[0].get());

    // A renamed method gets a new node; a class without fields keeps its empty group.
    std::string renamed = kCounter;
    renamed.replace(renamed.find("function add"), 12, "function sum");
    renamed.replace(renamed.find("    private static $count = 0;\n"), 31, "");
    renamed.replace(renamed.find("    const STEP = 1;\n"), 20, "");
    inspector.RefreshFromText(renamed);
    QCOMPARE(Outline(tree), QString("Counter (Base)\n"
                                    "  Fields\n"
                                    "  Methods\n"
                                    "    sum($by = 1)\n"
                                    "total($a, $b)\n"));
    QCOMPARE(Find(tree, "Counter (Base)"), counter);

    inspector.RefreshFromText("<?php echo 1;");
    QCOMPARE(tree->topLevelItemCount(), 0);  // no declarations empty the tree
  }

  void anotherDocumentUpdatesNodesOfTheSameNameOnly() {
    TCodeInspector inspector(TERVIL_SOURCE_DIR "/data/icons");
    QTreeWidget* tree = inspector.TreeView();
    inspector.RefreshFromText("<?php class Shared { function a() {} } class Gone {}");
    QTreeWidgetItem* shared = Find(tree, "Shared");
    shared->setExpanded(false);
    inspector.RefreshFromText("<?php class Shared { function b() {} } function Gone() {}");
    QCOMPARE(Find(tree, "Shared"), shared);
    QVERIFY(!shared->isExpanded());
    QCOMPARE(Outline(tree), QString("Gone()\nShared\n  Methods\n    b()\n"));
  }

  void analyserActionFillsAndShowsTheInspectorAndNeverHidesIt() {
    QAction* analyser = Action("actPHPAnalyser");
    QVERIFY(analyser);
    QVERIFY(!Dock()->isVisible());
    analyser->trigger();  // without a page it only shows the window
    QVERIFY(Dock()->isVisible());
    QCOMPARE(Inspector()->TreeView()->topLevelItemCount(), 0);
    QVERIFY(analyser->isChecked());
    analyser->trigger();
    QVERIFY(Dock()->isVisible());
    QVERIFY(analyser->isChecked());
    QCOMPARE(Window().dockWidgetArea(Dock()), Qt::RightDockWidgetArea);
    Dock()->close();  // the caption strip's close box
    QVERIFY(!analyser->isChecked());

    Dock()->hide();
    OpenPhp("counter.php", kCounter);
    analyser->trigger();
    QVERIFY(Dock()->isVisible());
    QTRY_COMPARE(Inspector()->TreeView()->topLevelItemCount(), 2);
    QVERIFY(Dock()->windowTitle() == "PHP Code Inspector");
  }

  void selectingShowsTheDescriptionAndDoubleClickMovesTheCaret() {
    TTvlPage* page = OpenPhp("counter.php", kCounter);
    RunAnalyser();
    QTreeWidget* tree = Inspector()->TreeView();
    QTreeWidgetItem* add = Find(tree, "add($by = 1)");
    tree->setCurrentItem(add);
    QCOMPARE(Inspector()->Memo()->toPlainText(), QString("Returns the new value."));
    tree->setCurrentItem(Find(tree, "Methods"));
    QCOMPARE(Inspector()->Memo()->toPlainText(),
             QString("Returns the new value."));  // group nodes leave the memo as it is

    QTRY_VERIFY(!tree->visualItemRect(add).isEmpty());
    DoubleClick(tree, add);
    QCOMPARE(page->Model().CaretPos().Line, 12);
    QCOMPARE(page->Model().CaretPos().Column, 1);
    QTRY_VERIFY(page->TvlEdit()->hasFocus());
    tree->setCurrentItem(Find(tree, "Counter (Base)"));
    DoubleClick(tree, Find(tree, "Counter (Base)"));
    QCOMPARE(page->Model().CaretPos().Line, 5);
    QCOMPARE(page->Model().CaretPos().Column, 28);  // a class's opening brace
  }

  void contextMenuOffersGetSetOnlyOnVariables() {
    TTvlPage* page = OpenPhp("vars.php", "<?php\nclass A {\n    private $name;\n}\n");
    TTvlEdit* editor = page->TvlEdit();
    // Right-clicks the character at a position: without a selection the caret goes there.
    const auto menuItems = [&](TBufferPos at) {
      QStringList visible;
      QTimer::singleShot(0, [&visible] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        for (QAction* action : menu->actions())
          if (action->isVisible() && !action->isSeparator()) visible << action->text();
        menu->close();
      });
      const QPoint click =
          editor->viewport()->mapTo(editor, editor->BufferPosToPixels(at) + QPoint(1, 2));
      emit editor->customContextMenuRequested(click);
      return visible;
    };
    QVERIFY(menuItems({15, 3}).contains("Add get/set methods"));
    QVERIFY(!menuItems({7, 3}).contains("Add get/set methods"));
  }

  void getSetWritesAccessorsAfterTheLineAsOneEdit() {
    TTvlPage* page = OpenPhp("vars.php", "<?php\nclass A {\n    private $name;\n}\n");
    Window().Configuration().TabWidth = 2;
    TEditorModel& model = page->Model();
    model.SetCaretPos({15, 3});
    Action("actAddGetSet")->trigger();
    QCOMPARE(QString::fromStdString(model.Text()),
             QString("<?php\r\nclass A {\r\n    private $name;\r\n"
                     "    public function getName() {\r\n      return $this->name;\r\n    }\r\n"
                     "    public function setName($value) {\r\n      $this->name = $value; \r\n"
                     "    }\r\n\r\n}\r\n"));
    QCOMPARE(model.CaretPos().Line, 10);
    QVERIFY(!model.SelAvail());
    model.Undo();
    QCOMPARE(QString::fromStdString(model.Text()),
             QString("<?php\r\nclass A {\r\n    private $name;\r\n}\r\n"));

    model.SetCaretPos({5, 2});  // on "class": nothing happens
    Action("actAddGetSet")->trigger();
    QCOMPARE(model.LineCount(), 5);
  }

  void switchingPagesShowsEachPagesStructureAndDescription() {
    TTvlPage* alpha = OpenOldPhp("alpha.php",
                                 "<?php\nclass Shop {\n    /** Opens the alpha shop. */\n"
                                 "    public function open() {}\n}\nfunction alphaOnly() {}\n");
    TTvlPage* beta = OpenOldPhp("beta.php",
                                "<?php\nclass Shop {\n    /** Opens the beta shop. */\n"
                                "    public function open() {}\n}\n");
    QVERIFY(QTest::qWaitForWindowActive(&Window()));
    RunAnalyser();
    QTreeWidget* tree = Inspector()->TreeView();
    QPlainTextEdit* memo = Inspector()->Memo();
    QTreeWidgetItem* open = Find(tree, "open()");
    QTRY_VERIFY(!tree->visualItemRect(open).isEmpty());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(open).center());
    QCOMPARE(memo->toPlainText(), QString("Opens the beta shop."));

    QTest::keyClick(beta->TvlEdit(), Qt::Key_F11);  // Previous Tab
    QCOMPARE(Window().CurrentPage(), alpha);
    QCOMPARE(memo->toPlainText(), QString());  // never the other page's text
    // The inspector in view shows the new page; the selected method is the same node, now
    // described from this page.
    QTRY_COMPARE(memo->toPlainText(), QString("Opens the alpha shop."));
    QVERIFY(Find(tree, "alphaOnly()"));
    QCOMPARE(Find(tree, "open()"), open);

    // Hidden, it keeps its tree, but a page it does not show gets no description nor jumps.
    Dock()->close();
    QTest::keyClick(alpha->TvlEdit(), Qt::Key_F12);
    QCOMPARE(Window().CurrentPage(), beta);
    QCOMPARE(memo->toPlainText(), QString());
    tree->setCurrentItem(Find(tree, "alphaOnly()"));
    emit tree->itemDoubleClicked(Find(tree, "alphaOnly()"), 0);
    QCOMPARE(beta->Model().CaretPos().Line, 1);
    QCOMPARE(memo->toPlainText(), QString());
    RunAnalyser();  // brought back: it shows the page in front
    QVERIFY(!Find(tree, "alphaOnly()"));
    QCOMPARE(Inspector()->TreeDocument(), beta);
  }

  void longCaptionsShowWhollyAsTooltips() {
    OpenOldPhp("long.php",
               "<?php\nclass Shop {\n    public function order(int $customerNumber, string "
               "$deliveryAddress, array $articles = [], ?Coupon $coupon = null): Confirmation "
               "{}\n}\n");
    RunAnalyser();
    QTreeWidget* tree = Inspector()->TreeView();
    QTreeWidgetItem* order = tree->topLevelItem(0)->child(0)->child(0);
    const QString caption = order->text(0);
    QVERIFY(caption.endsWith("$coupon = null) : Confirmation"));
    QTRY_VERIFY(!tree->visualItemRect(order).isEmpty());
    QVERIFY2(tree->visualItemRect(order).right() > tree->viewport()->width(),
             "the caption is wider than the inspector");
    const QPoint at = tree->visualItemRect(order).topLeft() + QPoint(40, 4);
    QHelpEvent hover(QEvent::ToolTip, at, tree->viewport()->mapToGlobal(at));
    QApplication::sendEvent(tree->viewport(), &hover);
    QTRY_COMPARE(QToolTip::text(), caption);
  }

  void bigPageIsAnalysedWhileTheWindowKeepsWorking() {
    // About 4 MB in 4,000 documented functions with long bodies.
    std::string text = "<?php\n";
    const std::string body(900, 'x');
    for (int n = 0; n < 4000; ++n)
      text += "/** Helper " + std::to_string(n) + ". */\nfunction helper" + std::to_string(n) +
              "($a) {\n    $s = '" + body + "';\n    return $s . $a;\n}\n";
    AnswerMessagesWith(TMsgResult::Yes);  // "open the large file?"
    TTvlPage* page = OpenOldPhp("functions.php", text);
    AnswerMessagesWith(TMsgResult::No);
    QVERIFY(page);
    QVERIFY(QTest::qWaitForWindowActive(&Window()));
    int ticksWhileAnalysing = 0;
    QTimer probe;
    probe.setInterval(2);
    connect(&probe, &QTimer::timeout, [&] {
      if (Inspector()->Analysing()) ++ticksWhileAnalysing;
    });
    probe.start();
    Action("actPHPAnalyser")->trigger();
    QVERIFY(Inspector()->Analysing());
    // Typed while the analysis runs: the page is analysed again, with the new function.
    TTvlEdit* editor = page->TvlEdit();
    QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, "function late()");
    QTRY_VERIFY_WITH_TIMEOUT(!Inspector()->Analysing(), 60000);
    QVERIFY2(ticksWhileAnalysing > 0, "the window served its timer during the analysis");
    QTreeWidget* tree = Inspector()->TreeView();
    QCOMPARE(tree->topLevelItemCount(), 4001);
    QVERIFY(Find(tree, "late()"));
    QCOMPARE(Inspector()->TreeDocument(), page);
  }
};

QTEST_MAIN(CodeInspectorTest)
#include "codeinspector_test.moc"
