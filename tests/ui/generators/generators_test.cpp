#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <functional>

#include "core/editcomponent/EditorModel.h"
#include "core/highlighters/HighlighterSet.h"
#include "support/MainWindowFixture.h"
#include "ui/app/FileDialogs.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/generators/ImageMapCanvas.h"
#include "ui/generators/TableForm.h"
#include "ui/generators/TableGridView.h"

using namespace tervil;

// The generator commands on the real main window: each dialog is opened through its action,
// worked with the mouse and keyboard, and its markup checked in the page.
class GeneratorsTest : public QObject {
  Q_OBJECT

  QTemporaryDir home_;
  test::TMainWindowFixture window_;
  QStringList shown_;

  TTervilMain& Window() { return *window_; }

  QAction* Action(const QString& caption) {
    for (QAction* action : Window().findChildren<QAction*>())
      if (action->text() == caption) return action;
    return nullptr;
  }

  // Triggers the action and works the modal dialog it opens with `work`.
  void WithDialog(const QString& caption, const std::function<void(QDialog&)>& work) {
    bool worked = false;
    QTimer::singleShot(0, this, [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      worked = true;
      work(*dialog);
      if (dialog->isVisible()) dialog->reject();
    });
    QAction* action = Action(caption);
    QVERIFY(action);
    QTRY_VERIFY(action->isEnabled());
    action->trigger();
    QVERIFY(worked);
  }

  static QPushButton* Button(QDialog& dialog, const QString& text) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
      if (button->text() == text) return button;
    return nullptr;
  }

  static void Click(QDialog& dialog, const QString& text) {
    QPushButton* button = Button(dialog, text);
    QVERIFY2(button, qPrintable(text));
    QTest::mouseClick(button, Qt::LeftButton);
  }

  // Clicks a check box on its box.
  static void Check(QDialog& dialog, const char* name) {
    auto* box = dialog.findChild<QCheckBox*>(name);
    QVERIFY2(box, name);
    QTest::mouseClick(box, Qt::LeftButton, {}, {8, box->height() / 2});
    QVERIFY(box->isChecked());
  }

  static QPoint CellCentre(int column, int row) {
    return {column * TTableGridView::kCellSize + 16, row * TTableGridView::kCellSize + 16};
  }

  static void Drag(QWidget* widget, QPoint from, QPoint to) {
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, to, widget->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     {});
    QApplication::sendEvent(widget, &move);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
  }

  // What a real double click delivers: press, release, the double click, release.
  static void DoubleClick(QWidget* widget, QPoint at) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
  }

  TTvlPage* PageWithText(const std::string& text) {
    TTvlPage* page = Window().NewDocument();
    page->Model().SetText(text);
    Window().RefreshStatus(page);
    return page;
  }

  QString WritePicture(const QString& name, const char* format, QSize size) {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    const QString path = home_.filePath(name);
    if (!picture.save(path, format)) return {};
    return path;
  }

 private slots:
  void initTestCase() {
    qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", home_.filePath("cache").toUtf8());
    TMessageBox::SetHandler([this](const QString&, const QString& text, int, TMsgIcon) {
      shown_ << text;
      return TMsgResult::No;
    });
  }

  void init() {
    shown_.clear();
    window_.Start(QSize(1000, 700), test::TMainWindowFixture::TShow::Hidden);
  }

  void cleanup() {
    TFileDialogs::SetOpenHook({});
    window_.Close();
  }

  void commandsSitInTheirMenusAndNeedAPage() {
    for (const char* caption : {"Table Generator...", "Head Generator...", "Image Map..."}) {
      QAction* action = Action(caption);
      QVERIFY2(action, caption);
      QTRY_VERIFY(!action->isEnabled());
      QVERIFY(!action->icon().isNull() || !action->iconText().isEmpty());
    }
    QCOMPARE(Action("Head Generator...")->statusTip(), QString("Open HTML HEAD Editor"));
    QCOMPARE(Action("New...")->statusTip(), QString("New File"));
    QVERIFY(Action("New...")->isEnabled());
    QList<QMenu*> tools;
    for (QAction* menu : Window().menuBar()->actions())
      if (menu->text() == "&Tools") tools << menu->menu();
    QCOMPARE(tools.size(), 1);
    QVERIFY(tools.first()->actions().contains(Action("Table Generator...")));
    // The Tools menu starts with the CSS style dialog, then the head generator.
    QCOMPARE(tools.first()->actions().at(0), Action("CSS Editor..."));
    QCOMPARE(tools.first()->actions().at(1), Action("Head Generator..."));
    PageWithText("");
    QTRY_VERIFY(Action("Image Map...")->isEnabled());
  }

  void tableGeneratorJoinsCellsAndInsertsAfterTheSelection() {
    TTvlPage* page = PageWithText("abc");
    page->Model().SelectAll();
    WithDialog("Table Generator...", [&](QDialog& dialog) {
      QCOMPARE(dialog.windowTitle(), QString("Table Generator"));
      dialog.findChild<QSlider*>("TrackBar2")->setValue(3);
      dialog.findChild<QSlider*>("TrackBar1")->setValue(2);
      QCOMPARE(dialog.findChild<QLabel*>("SizeLabel")->text(), QString("3:2"));
      auto* grid = dialog.findChild<TTableGridView*>();
      Drag(grid, CellCentre(0, 0), CellCentre(1, 0));
      Click(dialog, "Join Cells");
      Click(dialog, "Insert");
    });
    QCOMPARE(QString::fromStdString(page->Model().Text()),
             QString("abc<table>\r\n\t<tr>\r\n\t\t<td colspan=\"2\"></td>\r\n\t\t<td></td>\r\n"
                     "</tr>\r\n\t<tr>\r\n\t\t<td></td>\r\n\t\t<td></td>\r\n\t\t<td></td>\r\n"
                     "</tr>\r\n</table>"));
    page->TvlEdit()->Undo();
    QCOMPARE(page->Model().Text(), std::string("abc"));
  }

  // The row slider's handle follows the arrow keys: Down brings more rows, Up fewer.
  void tableGeneratorRowSliderFollowsTheArrows() {
    PageWithText("");
    WithDialog("Table Generator...", [&](QDialog& dialog) {
      auto* rows = dialog.findChild<QSlider*>("TrackBar1");
      rows->setFocus();
      QTest::keyClick(rows, Qt::Key_Down);
      QTest::keyClick(rows, Qt::Key_Down);
      QCOMPARE(rows->value(), 3);
      QTest::keyClick(rows, Qt::Key_Up);
      QCOMPARE(rows->value(), 2);
      QCOMPARE(dialog.findChild<QLabel*>("SizeLabel")->text(), QString("1:2"));
      Click(dialog, "Cancel");
    });
  }

  void tableGeneratorKeysSelectAndCancelInsertsNothing() {
    TTvlPage* page = PageWithText("x");
    WithDialog("Table Generator...", [&](QDialog& dialog) {
      dialog.findChild<QSlider*>("TrackBar2")->setValue(10);
      dialog.findChild<QSlider*>("TrackBar1")->setValue(8);
      auto* grid = dialog.findChild<TTableGridView*>();
      grid->setFocus();
      for (int i = 0; i < 12; ++i) QTest::keyClick(grid, Qt::Key_Right, Qt::ShiftModifier);
      for (int i = 0; i < 9; ++i) QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
      const TCellRect sel = grid->Selection();
      QCOMPARE(sel.Right, 9);
      QCOMPARE(sel.Bottom, 7);
      Click(dialog, "Join Cells");
      const TTableGrid& model = qobject_cast<TTableForm*>(&dialog)->Grid();
      QCOMPARE(model.CellId(0, 0), std::string("0"));
      QCOMPARE(model.CellId(9, 7), std::string("0"));
      Click(dialog, "Cancel");
    });
    QCOMPARE(page->Model().Text(), std::string("x"));
  }

  void headGeneratorEscapesTypedValues() {
    TTvlPage* page = PageWithText("");
    WithDialog("Head Generator...", [&](QDialog& dialog) {
      QCOMPARE(dialog.windowTitle(), QString("Head Generator"));
      auto* docType = dialog.findChild<QComboBox*>("DocType");
      QVERIFY(!docType->isEnabled());
      Check(dialog, "DocTypeCheck");
      QVERIFY(docType->isEnabled());
      docType->setCurrentIndex(0);
      Check(dialog, "TitleCheck");
      QLineEdit* title = nullptr;
      for (QLineEdit* edit : dialog.findChildren<QLineEdit*>())
        if (edit->isEnabled() && edit->parent() == &dialog) title = edit;
      QVERIFY(title);
      QTest::keyClicks(title, "a<b & \"c\"");
      Click(dialog, "Insert");
    });
    QCOMPARE(
        QString::fromStdString(page->Model().Text()),
        QString("<!DOCTYPE html>\r\n<html>\r\n\t<head>\r\n\t\t<title>a&lt;b &amp; \"c\"</title>"
                "\r\n\t</head>\r\n\t<body>\r\n\t</body>\r\n</html>"));
  }

  void headGeneratorCancelledOrEmptyChangesNothing() {
    TTvlPage* page = PageWithText("keep");
    WithDialog("Head Generator...", [&](QDialog& dialog) { Click(dialog, "Cancel"); });
    WithDialog("Head Generator...", [&](QDialog& dialog) { Click(dialog, "Insert"); });
    QCOMPARE(page->Model().Text(), std::string("keep"));
    QVERIFY(!page->TvlEdit()->CanUndo());
  }

  void imageMapDrawsMovesAndInsertsAreas() {
    const QString picture = WritePicture("photo.png", "PNG", {120, 80});
    QVERIFY(!picture.isEmpty());
    TFileDialogs::SetOpenHook([&](const QString&, const QStringList& filters) {
      [&] { QVERIFY(filters.first().contains("*.webp")); }();
      return QStringList{picture};
    });
    TTvlPage* page = PageWithText("");
    WithDialog("Image Map...", [&](QDialog& dialog) {
      QCOMPARE(dialog.windowTitle(), QString("Image Map Creator"));
      Click(dialog, "Open");
      QCOMPARE(dialog.findChild<QLabel*>("Label4")->text(), QString("<map id=\"photo\">"));
      auto* canvas = dialog.findChild<TImageMapCanvas*>();
      QCOMPARE(canvas->PictureSize(), QSize(120, 80));
      auto buttons = dialog.findChildren<QToolButton*>();
      auto button = [&](const QString& text) {
        for (QToolButton* b : buttons)
          if (b->text() == text) return b;
        return static_cast<QToolButton*>(nullptr);
      };
      QTest::mouseClick(button("Rectangle"), Qt::LeftButton);
      Drag(canvas, {10, 10}, {50, 40});
      auto* memo = dialog.findChild<QPlainTextEdit*>("Memo1");
      QCOMPARE(memo->toPlainText(),
               QString("<area href=\"http://\" shape=\"rect\" coords=\"10,10,50,40\" />"));
      // Typed links stay when the area is moved afterwards.
      memo->setPlainText(QString(memo->toPlainText()).replace("http://", "shop.html"));
      QTest::mouseClick(button("Move and Edit"), Qt::LeftButton);
      Drag(canvas, {30, 20}, {35, 22});
      QCOMPARE(memo->toPlainText(),
               QString("<area href=\"shop.html\" shape=\"rect\" coords=\"15,12,55,42\" />"));
      // At 200 % the pointer still gives picture pixels.
      QTest::mouseClick(button("Zoom In"), Qt::LeftButton);
      QCOMPARE(dialog.findChild<QLabel*>("ZoomLabel")->text(), QString("150%"));
      QTest::mouseClick(button("Zoom In"), Qt::LeftButton);
      QCOMPARE(canvas->size(), QSize(240, 160));
      QTest::mouseClick(button("Circle"), Qt::LeftButton);
      Drag(canvas, {40, 40}, {46, 48});
      QCOMPARE(memo->toPlainText().split('\n').last(),
               QString("<area href=\"http://\" shape=\"circle\" coords=\"20,20,5\" />"));
      // A polygon: a click, then a double click; the shape buttons rest while it is drawn.
      QTest::mouseClick(button("Polygon"), Qt::LeftButton);
      QTest::mouseClick(canvas, Qt::LeftButton, {}, {2, 4});
      QVERIFY(!button("Circle")->isEnabled());
      QTest::mouseClick(canvas, Qt::LeftButton, {}, {60, 80});
      DoubleClick(canvas, {20, 100});
      QVERIFY(button("Circle")->isEnabled());
      QCOMPARE(memo->toPlainText().split('\n').last(),
               QString("<area href=\"http://\" shape=\"polygon\" coords=\"1,2,30,40,10,50\" />"));
      Click(dialog, "Insert");
    });
    const std::string text = page->Model().Text();
    QCOMPARE(QString::fromStdString(text.substr(0, 18)), QString("<map id=\"photo\">\r\n"));
    QVERIFY(text.find("coords=\"15,12,55,42\" />\r\n<area") != std::string::npos);
    QVERIFY(text.ends_with(
        "\r\n</map><img src=\"photo.png\" usemap=\"#photo\" width=\"120\" height=\"80\" />"));
  }

  void imageMapReportsPicturesItCannotRead() {
    const QString good = WritePicture("good.png", "PNG", {64, 64});
    QFile text(home_.filePath("notes.png"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("this is not a picture");
    text.close();
    QFile source(good);
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    QFile truncated(home_.filePath("cut.png"));
    QVERIFY(truncated.open(QIODevice::WriteOnly));
    truncated.write(bytes.left(bytes.size() / 3));
    truncated.close();

    QStringList answers = {good, home_.filePath("missing.png"), text.fileName(),
                           truncated.fileName()};
    TFileDialogs::SetOpenHook(
        [&](const QString&, const QStringList&) { return QStringList{answers.takeFirst()}; });
    TTvlPage* page = PageWithText("");
    WithDialog("Image Map...", [&](QDialog& dialog) {
      Click(dialog, "Open");
      auto* canvas = dialog.findChild<TImageMapCanvas*>();
      Drag(canvas, {1, 1}, {1, 1});
      DoubleClick(canvas, {3, 3});
      for (int i = 0; i < 3; ++i) Click(dialog, "Open");
      QCOMPARE(shown_.size(), 3);
      QVERIFY(shown_[0].contains("missing.png"));
      QVERIFY(shown_[1].contains("notes.png"));
      QVERIFY(shown_[2].contains("cut.png"));
      QCOMPARE(canvas->PictureSize(), QSize(64, 64));
      QVERIFY(!dialog.findChild<QPlainTextEdit*>("Memo1")->toPlainText().isEmpty());
      Click(dialog, "Cancel");
    });
    QCOMPARE(page->Model().Text(), std::string(""));
  }

  void imageMapOpensWebpAndSvg() {
    const QString webp = WritePicture("leaf.webp", "WEBP", {33, 21});
    QVERIFY(!webp.isEmpty());
    const QString svg = home_.filePath("logo.svg");
    QFile file(svg);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"30\">"
        "<rect width=\"40\" height=\"30\" fill=\"red\"/></svg>");
    file.close();
    // 36 megapixels: more than Qt reads by default (128 MB of pixels).
    const QString large = WritePicture("large.png", "PNG", {6000, 6000});
    QStringList answers = {webp, svg, large};
    TFileDialogs::SetOpenHook(
        [&](const QString&, const QStringList&) { return QStringList{answers.takeFirst()}; });
    PageWithText("");
    WithDialog("Image Map...", [&](QDialog& dialog) {
      auto* canvas = dialog.findChild<TImageMapCanvas*>();
      Click(dialog, "Open");
      QCOMPARE(canvas->PictureSize(), QSize(33, 21));
      Click(dialog, "Open");
      QCOMPARE(canvas->PictureSize(), QSize(40, 30));
      Click(dialog, "Open");
      QCOMPARE(canvas->PictureSize(), QSize(6000, 6000));
      QVERIFY(shown_.isEmpty());
    });
  }

  void newTypeGivesHighlighterNameAndInitialText() {
    struct TRow {
      const char* type;
      const char* typed;
      QString name;
      std::string text;
      bool wrap;
    };
    const TRow rows[] = {
        {"PHP", "index", "index.php", "", false},
        {"PHP", "index.inc", "index.inc", "", false},
        {"Perl", "", "", "#!/usr/bin/perl -w", false},
        {"XML", "feed", "feed.xml", "<?xml version=\"1.0\"?>", false},
        {"TXT", "", "", "", true},
    };
    for (const TRow& row : rows) {
      const int before = static_cast<int>(Window().EditorPages().size());
      WithDialog("New...", [&](QDialog& dialog) {
        QCOMPARE(dialog.windowTitle(), QString("New project"));
        auto* list = dialog.findChild<QListWidget*>("ListView");
        QCOMPARE(list->count(), 9);
        for (int i = 0; i < list->count(); ++i)  // every type whole in view, its icon too
          QVERIFY2(list->viewport()->rect().contains(list->visualItemRect(list->item(i))),
                   qPrintable(list->item(i)->text()));
        QVERIFY(!Button(dialog, "OK")->isEnabled());
        const auto items = list->findItems(row.type, Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        list->setCurrentItem(items.first());
        QVERIFY(Button(dialog, "OK")->isEnabled());
        QTest::keyClicks(dialog.findChild<QLineEdit*>("FileNameEdit"), row.typed);
        Click(dialog, "OK");
      });
      QCOMPARE(static_cast<int>(Window().EditorPages().size()), before + 1);
      TTvlPage* page = Window().CurrentPage();
      if (!row.name.isEmpty())
        QCOMPARE(page->Filename(), row.name);
      else
        QVERIFY(page->Filename().startsWith("Unnamed"));
      QCOMPARE(page->Model().Text(), row.text);
      QCOMPARE(page->TvlEdit()->WordWrap(), row.wrap);
    }
    QCOMPARE(Window().CurrentPage()->Highlighter(), &Window().Highlighters().General());
  }

  void newTypeCancelledOrWithoutChoiceMakesNoPage() {
    const std::size_t before = Window().EditorPages().size();
    WithDialog("New...", [&](QDialog& dialog) { Click(dialog, "Cancel"); });
    WithDialog("New...", [&](QDialog& dialog) {
      auto* list = dialog.findChild<QListWidget*>("ListView");
      QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                         list->viewport()->rect().bottomRight() - QPoint(3, 3));
      QVERIFY(dialog.isVisible());
      Click(dialog, "OK");
      QVERIFY(dialog.isVisible());
    });
    QCOMPARE(Window().EditorPages().size(), before);
  }
};

QTEST_MAIN(GeneratorsTest)
#include "generators_test.moc"
