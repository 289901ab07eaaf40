#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <functional>

#include "core/common/ColorNames.h"
#include "core/editcomponent/EditorModel.h"
#include "support/AppTestSupport.h"
#include "support/MainWindowFixture.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/app/WaitWindow.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/explorer/ExplorerDrag.h"
#include "ui/explorer/FileListview.h"
#include "ui/generators/ColorListBox.h"
#include "ui/generators/ColorPickForm.h"
#include "ui/generators/FontPickForm.h"
#include "ui/generators/ScreenForm.h"
#include "ui/textcommands/HtmlTextActions.h"

using namespace tervil;
using namespace tervil::test;

// The text commands on the real main window: keys on the editor, actions of the toolbars and
// menus, drops from the explorer and the colour tools.
class TextCommandsTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  test::TMainWindowFixture window_;

  TTervilMain& Window() { return *window_; }
  THtmlTextActions& Commands() { return *window_->HtmlTextActions(); }

  QAction* Named(const char* name) {
    for (QAction* action : Window().findChildren<QAction*>())
      if (action->objectName() == name) return action;
    return nullptr;
  }

  // A page holding `text` with the characters [from, to) selected (offsets as the editor counts).
  TTvlPage* PageWithText(const std::string& text, int from = 0, int to = 0) {
    TTvlPage* page = Window().NewDocument();
    page->Model().SetText(text);
    page->Model().SetSelStart(from);
    if (to != from) page->Model().SetSelEnd(to);
    Window().RefreshStatus(page);
    page->FocusEditor();
    return page;
  }

  static std::string Text(TTvlPage* page) { return page->Model().Text(); }

  static void Trigger(QAction* action) {
    QVERIFY(action);
    QVERIFY2(action->isEnabled(), qPrintable(action->text()));
    action->trigger();
  }

  QString WritePicture(const QString& path, QSize size) {
    QDir().mkpath(QFileInfo(path).path());
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    return picture.save(path, "PNG") ? path : QString();
  }

  // A page saved as home/site/index.html.
  TTvlPage* SitePage() {
    TTvlPage* page = PageWithText("");
    QDir().mkpath(home_.filePath("site"));
    page->SetFilename(home_.filePath("site/index.html"));
    Window().RefreshStatus(page);
    return page;
  }

  // Works the modal dialog that `open` shows with `work`.
  void WithModal(const std::function<void()>& open, const std::function<void(QWidget&)>& work) {
    bool worked = false;
    QTimer::singleShot(0, this, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      QVERIFY(modal);
      worked = true;
      work(*modal);
      if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && dialog->isVisible())
        dialog->reject();
    });
    open();
    QVERIFY(worked);
  }

  // Drops an entry of the explorer's file list on the page's text.
  void DropExplorerEntry(TTvlPage* page, const QString& folder, const QString& entry) {
    std::unique_ptr<QMimeData> data(MakeExplorerDrag(folder, entry));
    QWidget* viewport = page->TvlEdit()->viewport();
    const QPointF at(5, 5);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &enter);
    QDropEvent drop(at, Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &drop);
    QTRY_VERIFY(Commands().DropMenu->isVisible());
  }

 private slots:
  void initTestCase() {
    qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", home_.filePath("cache").toUtf8());
    AnswerMessagesWith(TMsgResult::No);
  }

  void init() { QVERIFY(window_.Start()); }

  void cleanup() {
    for (QMenu* menu : Window().findChildren<QMenu*>()) menu->hide();
    window_.Close();
  }

  void toolbarsAndMenusHoldEveryCommandWithIconsAndNeedAPage() {
    auto* html = Window().findChild<QToolBar*>("HtmlToolbar");
    auto* form = Window().findChild<QToolBar*>("FormToolbar");
    QVERIFY(html && form);
    QCOMPARE(html->windowTitle(), QString("Html Toolbar"));
    QCOMPARE(form->windowTitle(), QString("Html Form Toolbar"));
    QCOMPARE(Commands().HtmlActions.size(), 30);
    QCOMPARE(Commands().FormActions.size(), 13);
    for (QAction* action : Commands().HtmlActions + Commands().FormActions) {
      QVERIFY2(!action->icon().isNull(), qPrintable(action->objectName()));
      QVERIFY2(!action->isEnabled(), qPrintable(action->objectName()));
    }
    QCOMPARE(Named("htmlBold")->shortcut(), QKeySequence("Ctrl+B"));
    QCOMPARE(Named("htmlBold")->toolTip(), QString("Bold"));
    QCOMPARE(Named("htmlBold")->statusTip(), QString("<b></b>"));
    QCOMPARE(Named("formList")->statusTip(), QString("<select></select>"));
    QVERIFY(!Commands().actCommentOut->isEnabled());
    QVERIFY(!Commands().actInsertColor->isEnabled());
    QCOMPARE(Commands().actHtmlToolbar->text(), QString("HTML"));

    PageWithText("x");
    QTRY_VERIFY(Named("htmlBold")->isEnabled());
    QVERIFY(Named("formArea")->isEnabled());
    QVERIFY(Commands().ConverttexttoHTML1->isEnabled());
    // User codes need at least one code.
    QVERIFY(!Commands().actUserCodes->isEnabled());

    // The toolbar toggles of View > Toolbars.
    Commands().actHTMLFormToolbar->trigger();
    QVERIFY(form->isHidden());
    QVERIFY(!Commands().actHTMLFormToolbar->isChecked());
    Commands().actHTMLFormToolbar->trigger();
    QVERIFY(!form->isHidden());
  }

  void ctrlBWrapsTheSelectionOrLeavesTheCaretBetweenTheTags() {
    TTvlPage* page = PageWithText("");
    QTest::keyClick(page->TvlEdit(), Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(Text(page), std::string("<b></b>"));
    QCOMPARE(page->Model().CaretPos(), (TBufferPos{4, 1}));

    page = PageWithText("a word", 2, 6);
    QTest::keyClick(page->TvlEdit(), Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(Text(page), std::string("a <b>word</b>"));
    QCOMPARE(page->Model().CaretPos(), (TBufferPos{10, 1}));
    page->TvlEdit()->Undo();
    QCOMPARE(Text(page), std::string("a word"));

    page = PageWithText("x");
    page->Model().SetCaretPos({2, 1});
    QTest::keyClick(page->TvlEdit(), Qt::Key_Comma, Qt::ControlModifier);
    QTest::keyClick(page->TvlEdit(), Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(Text(page), std::string("x&lt;<br />"));
  }

  void tagRowsOnASelection_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("result");
    QTest::newRow("link") << "htmlLink"
                          << "index.html" << 0 << 10 << "<a href=\"index.html\">index.html</a>";
    QTest::newRow("short link") << "htmlLink"
                                << "ab" << 0 << 2 << "<a>ab</a>";
    QTest::newRow("image") << "htmlImg"
                           << "a.png" << 0 << 5 << "<img src=\"a.png\" />";
    QTest::newRow("quot") << "quot"
                          << "x" << 0 << 1 << "&quot;x&quot;";
    QTest::newRow("list") << "htmlUList"
                          << "one\r\n\r\ntwo" << 0 << 10 << "<ul><li>one</li>\r\n<li>two</li></ul>";
    QTest::newRow("h3") << "htmlH3"
                        << "T" << 0 << 1 << "<h3>T</h3>";
    QTest::newRow("table") << "htmlTable"
                           << "" << 0 << 0 << "<table>\r\n</table>";
    QTest::newRow("form") << "formForm"
                          << "" << 0 << 0 << "<form>\r\n</form>";
    QTest::newRow("select") << "formList"
                            << "a\r\nb" << 0 << 4
                            << "<select><option>a</option>\r\n<option>b</option></select>";
    QTest::newRow("textarea") << "formArea"
                              << "Name" << 0 << 4 << "<textarea>Name</textarea>";
    QTest::newRow("submit") << "formSubmit"
                            << "x" << 0 << 1 << "<input type=\"submit\" />x";
  }

  void tagRowsOnASelection() {
    QFETCH(QString, action);
    QFETCH(QString, text);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, result);
    TTvlPage* page = PageWithText(text.toStdString(), from, to);
    Trigger(Named(action.toUtf8().constData()));
    QCOMPARE(QString::fromStdString(Text(page)), result);
    page->TvlEdit()->Undo();
    QCOMPARE(QString::fromStdString(Text(page)), text);
  }

  void conversionsReplaceTheSelectionInOneUndoStep() {
    TTvlPage* page = PageWithText("keep <a & b> keep", 5, 12);
    Trigger(Commands().ConverttexttoHTML1);
    QCOMPARE(Text(page), std::string("keep &lt;a &amp; b&gt; keep"));
    page->TvlEdit()->Undo();
    QCOMPARE(Text(page), std::string("keep <a & b> keep"));

    page = PageWithText("<P CLASS=X>Hi</P>", 0, 17);
    Trigger(Commands().Converttagstolowercase1);
    QCOMPARE(Text(page), std::string("<p class=x>Hi</p>"));
    Trigger(Commands().Converttouppercase1);
    QCOMPARE(Text(page), std::string("<p class=x>Hi</p>"));  // the selection is gone

    // Without a selection nothing changes and the page stays unmodified.
    page = PageWithText("abc");
    page->Model().SetModified(false);
    Trigger(Commands().Converttouppercase1);
    QCOMPARE(Text(page), std::string("abc"));
    QVERIFY(!page->Model().Modified());
  }

  void bigSelectionShowsTheWaitWindowAndUndoesAtOnce() {
    std::string text;
    while (text.size() < 2'000'000) text += "line with <tags> & \"quotes\"\r\n";
    TTvlPage* page = PageWithText(text);
    page->Model().SelectAll();
    bool waitShown = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this,
            [&] { waitShown = waitShown || Window().Wait()->isVisible(); });
    poll.start(1);
    Trigger(Commands().ConverttexttoHTML1);
    poll.stop();
    QVERIFY(waitShown);
    QVERIFY(!Window().Wait()->isVisible());
    QVERIFY(Text(page).find("&lt;tags&gt; &amp; &quot;quotes&quot;<br />") != std::string::npos);
    page->TvlEdit()->Undo();
    QCOMPARE(Text(page).size(), text.size());
  }

  void commentsAndBreakLines() {
    TTvlPage* page = PageWithText("a\r\nb", 0, 4);
    Trigger(Commands().actCommentOut);
    QCOMPARE(Text(page), std::string("// a\r\n// b"));
    page->Model().SelectAll();
    Trigger(Commands().actRemoveComment);
    QCOMPARE(Text(page), std::string("a\r\nb"));

    page = PageWithText("x");
    Trigger(Commands().actCommentOut);
    QCOMPARE(Text(page), std::string("// x"));
    QCOMPARE(page->Model().CaretPos(), (TBufferPos{1, 1}));

    Window().Configuration().RightEdge = 10;
    page = PageWithText("first\r\naaaa bbbb cccc dddd\r\nlast");
    page->Model().SetCaretPos({3, 2});
    Trigger(Commands().Breaklines1);
    QCOMPARE(Text(page), std::string("first\r\naaaa bbbb \r\ncccc dddd\r\nlast"));
    QVERIFY(page->Model().Modified());
    page->TvlEdit()->Undo();
    QCOMPARE(Text(page), std::string("first\r\naaaa bbbb cccc dddd\r\nlast"));
  }

  // The entities menu opens below its button inside the screen, in groups each of which fits
  // on the screen, and holds every entity.
  void entitiesMenuFitsOnTheScreen() {
    PageWithText("");
    const QRect screen = Window().screen()->availableGeometry();
    Commands().actEntities->trigger();
    QMenu* menu = Commands().EntitiesMenu;
    QTRY_VERIFY(menu->isVisible());
    QVERIFY(screen.contains(menu->geometry()));
    menu->close();
    int entities = 0;
    for (QAction* group : Commands().EntitiesMenu->actions()) {
      QVERIFY(group->menu());
      QVERIFY2(group->menu()->sizeHint().height() <= screen.height(), qPrintable(group->text()));
      entities += static_cast<int>(group->menu()->actions().size());
    }
    QCOMPARE(entities, static_cast<int>(Window().EntityItems().size()));
    QVERIFY(entities > 200);
  }

  void menusOfEntitiesVariablesAndUserCodes() {
    TTvlPage* page = PageWithText("sel", 0, 3);
    QVERIFY(!Commands().EntitiesMenu->actions().isEmpty());
    QAction* entity = Commands().EntitiesMenu->actions().first()->menu()->actions().first();
    entity->trigger();
    QCOMPARE(QString::fromStdString(Text(page)), "sel" + entity->statusTip());

    page = PageWithText("");
    QCOMPARE(Commands().PhpVarsMenu->actions().size(), 34);
    Commands().PhpVarsMenu->actions().first()->trigger();
    QCOMPARE(Text(page), std::string("$_SERVER['PHP_SELF']"));

    Window().Configuration().UserCodeList = {{"Strong", "<strong>", "</strong>"}};
    page = PageWithText("w", 0, 1);
    QTRY_VERIFY(Commands().actUserCodes->isEnabled());
    emit Commands().UserCodesMenu->aboutToShow();
    QCOMPARE(Commands().UserCodesMenu->actions().size(), 1);
    QCOMPARE(Commands().UserCodesMenu->actions().first()->statusTip(),
             QString("<strong></strong>"));
    Commands().UserCodesMenu->actions().first()->trigger();
    QCOMPARE(Text(page), std::string("<strong>w</strong>"));
  }

  void insertImageRelativeToThePageWithEscapingAndWithoutSizeWhenUnreadable() {
    TTvlPage* page = SitePage();
    const QString picture = WritePicture(home_.filePath("site/img/my pic#1 %.png"), {3, 2});
    QVERIFY(!picture.isEmpty());
    Commands().ChooseImageFile = [&](const QString& start) {
      [&] { QCOMPARE(start, home_.filePath("site") + "/"); }();
      return picture;
    };
    Trigger(Commands().actInsertImage);
    QCOMPARE(Text(page),
             std::string("<img src=\"img/my%20pic%231%20%25.png\" width=\"3\" height=\"2\" />"));

    page = SitePage();
    QFile broken(home_.filePath("site/broken.png"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    Commands().ChooseImageFile = [&](const QString&) { return broken.fileName(); };
    Trigger(Commands().actInsertImage);
    QCOMPARE(Text(page), std::string("<img src=\"broken.png\" />"));
  }

  void droppedExplorerEntryOffersItsMenu() {
    TTvlPage* page = SitePage();
    const QString folder = home_.filePath("site/img") + "/";
    WritePicture(folder + "logo.png", {4, 5});
    DropExplorerEntry(page, folder, "logo.png");
    QVERIFY(Commands().InsertasImage->isEnabled());
    Commands().InsertasImage->trigger();
    QCOMPARE(Text(page), std::string("<img src=\"img/logo.png\" width=\"4\" height=\"5\" />"));

    page = SitePage();
    DropExplorerEntry(page, folder, "a \"b\" & c.html");
    QVERIFY(!Commands().InsertasImage->isEnabled());
    Commands().InsertasHyperlink1->trigger();
    QCOMPARE(Text(page), std::string("<a href=\"img/a%20%22b%22%20&amp;%20c.html\">a &quot;b&quot; "
                                     "&amp; c.html</a>"));

    page = SitePage();
    DropExplorerEntry(page, folder, "..");
    Commands().InsertPathFilename1->trigger();
    QCOMPARE(QString::fromStdString(Text(page)), home_.filePath("site/img"));
    page->Model().SetText("");
    DropExplorerEntry(page, folder, "n\xC3\xA4me.txt");
    Commands().InsertFilename1->trigger();
    QCOMPARE(Text(page), std::string("n\xC3\xA4me.txt"));
  }

  void explorerEntriesCarryTheirFolderAndName() {
    const QString folder = home_.filePath("listed") + "/";
    WritePicture(folder + "a b.png", {1, 1});
    TFileListview list;
    list.SetPath(folder);
    QTRY_VERIFY(!list.Busy() && list.Model()->rowCount() == 2);
    for (int row = 0; row < 2; ++row) {
      const QModelIndex index = list.Model()->index(row, 0);
      QVERIFY(list.Model()->flags(index) & Qt::ItemIsDragEnabled);
      std::unique_ptr<QMimeData> data(list.Model()->mimeData({index}));
      QString dragFolder;
      QString entry;
      QVERIFY(ReadExplorerDrag(*data, dragFolder, entry));
      QCOMPARE(dragFolder, folder);
      QVERIFY(entry == ".." || entry == "a b.png");
      QCOMPARE(data->urls().size(), 1);
      QCOMPARE(data->urls().first().toLocalFile(),
               entry == ".." ? home_.filePath("listed") : folder + entry);
    }
  }

  void copyAsPutsTheRichFormatAndPlainText() {
    PageWithText("<b>bold</b>", 0, 11);
    Trigger(Commands().actCopyAsRtf);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    QVERIFY(data->hasFormat("text/rtf"));
    QVERIFY(data->data("text/rtf").startsWith("{\\rtf"));
    QCOMPARE(data->text(), QString("<b>bold</b>"));

    Trigger(Commands().actCopyAsHtml);
    data = QApplication::clipboard()->mimeData();
    QVERIFY(data->hasHtml());
    QVERIFY(data->html().contains("bold"));
    QVERIFY(data->html().contains("color:"));
    QCOMPARE(data->text(), data->html());
  }

  void editorContextMenuOffersCopyAsAndComments() {
    TTvlPage* page = PageWithText("a", 0, 1);
    QStringList captions;
    QTimer::singleShot(0, this, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      QVERIFY(menu);
      for (QAction* item : menu->actions()) captions << item->text();
      menu->close();
    });
    emit page->TvlEdit()->customContextMenuRequested({5, 5});
    const qsizetype copy = captions.indexOf("Copy");
    QVERIFY(copy >= 0);
    QCOMPARE(captions.value(copy + 1), QString("Copy As..."));
    QVERIFY(captions.contains("Add Comment"));
    QVERIFY(captions.contains("Remove Comment"));
  }

  void variablesMenuOpensBelowItsButton() {
    PageWithText("");
    auto* button = Window().findChild<QToolButton*>("ServerVarsToolButton");
    QVERIFY(button && button->isVisible());
    Trigger(Commands().actPHPVars);
    QTRY_VERIFY(Commands().PhpVarsMenu->isVisible());
    // Just below the button's left edge, unless the screen is too small for the menu there.
    const QRect wanted(button->mapToGlobal(QPoint(0, button->height())),
                       Commands().PhpVarsMenu->size());
    if (button->screen()->availableGeometry().contains(wanted))
      QCOMPARE(Commands().PhpVarsMenu->pos(), wanted.topLeft());
  }

  void showSpecialCharsIsCheckedWhileOn() {
    TTvlPage* page = PageWithText("a b");
    QVERIFY(!Commands().actSpecialChars->isChecked());
    Trigger(Commands().actSpecialChars);
    QVERIFY(page->TvlEdit()->Options() & eoShowSpecialChars);
    QVERIFY(Commands().actSpecialChars->isChecked());
  }

  void colorPickerInsertsNamesOrCustomColours() {
    TTvlPage* page = PageWithText("color: ");
    page->Model().SetCaretPos({8, 1});
    WithModal([&] { Trigger(Commands().actInsertColor); },
              [&](QWidget& modal) {
                auto* picker = qobject_cast<TColorPick*>(&modal);
                QVERIFY(picker);
                QCOMPARE(picker->windowTitle(), QString("Choose Color"));
                QCOMPARE(picker->GetSelected(), QString("black"));
                QCOMPARE(picker->ColorCode()->text(), QString("#000000"));
                picker->SelectColor("#ABCDEF");
                QCOMPARE(picker->ColorList()->itemText(0), QString("Custom... (#ABCDEF)"));
                QCOMPARE(picker->ColorCode()->text(), QString("#ABCDEF"));
                picker->accept();
              });
    QCOMPARE(Text(page), std::string("color: #ABCDEF"));

    // Choosing the custom entry opens the colour dialog.
    page = PageWithText("");
    WithModal([&] { Trigger(Commands().actInsertColor); },
              [&](QWidget& modal) {
                auto* picker = qobject_cast<TColorPick*>(&modal);
                picker->ColorList()->ChooseCustomColor = [](const QColor&) {
                  return QColor(1, 2, 3);
                };
                emit picker->ColorList()->activated(0);
                picker->accept();
              });
    QCOMPARE(Text(page), std::string("#010203"));
  }

  void screenPickerFollowsThePointerAndEscRestores() {
    QImage screen(40, 30, QImage::Format_RGB32);
    screen.fill(QColor(0xF0, 0xF8, 0xFF));  // aliceblue
    TScreenForm form(nullptr, screen);
    QCOMPARE(form.ColorAt({3, 3}), HtmlToColor("#F0F8FF"));

    TColorPick picker(QStringLiteral(TERVIL_SOURCE_DIR "/data/colorlist.tvd"));
    picker.SelectColor("red");
    picker.show();
    // Esc during picking brings the previous choice back.
    QTimer::singleShot(0, this, [] {
      auto* screenForm = qobject_cast<TScreenForm*>(QApplication::activeModalWidget());
      QVERIFY(screenForm);
      QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton,
                       {});
      QApplication::sendEvent(screenForm, &move);
      QTest::keyClick(screenForm, Qt::Key_Escape);
    });
    QTest::mouseClick(picker.ColorPickSButton(), Qt::LeftButton);
    QCOMPARE(picker.GetSelected(), QString("red"));
    // Releasing the button takes the pixel there, by its name when it has one.
    TColor taken = 0;
    QTimer::singleShot(0, this, [&] {
      auto* screenForm = qobject_cast<TScreenForm*>(QApplication::activeModalWidget());
      QVERIFY(screenForm);
      taken = screenForm->ColorAt({1, 1});
      QTest::mouseRelease(screenForm, Qt::LeftButton, {}, {1, 1});
    });
    QTest::mouseClick(picker.ColorPickSButton(), Qt::LeftButton);
    QCOMPARE(picker.ColorCode()->text(), QString::fromStdString(ColorToHtml(taken)));
  }

  void fontPickListsGenericFamiliesThenInstalledFonts() {
    TFontPick pick;
    QCOMPARE(pick.windowTitle(), QString("Select Font"));
    QListWidget* list = pick.List();
    QVERIFY(list->count() > 6);
    QCOMPARE(list->item(0)->text(), QString("serif"));
    QCOMPARE(list->item(4)->text(), QString("monospace"));
    QCOMPARE(list->item(5)->text(), QString(""));
    QCOMPARE(list->item(6)->font().family(), list->item(6)->text());
    list->setCurrentRow(1);
    QCOMPARE(pick.ChosenFont(), QString("sans-serif"));
  }
};

QTEST_MAIN(TextCommandsTest)
#include "textcommands_test.moc"
