#include <unistd.h>

#include <QMimeData>
#include <QtTest>

#include "ui/documents/EditorPanel.h"
#include "ui/documents/TvlPage.h"
#include "ui/documents/TvlPageControl.h"

using namespace tervil;

class PageControlTest : public QObject {
  Q_OBJECT

  TTvlPage* AddPage(TTvlPageControl& control, const QString& path) {
    auto* page = new TTvlPage;
    page->SetFilename(path);
    control.AddPage(page);
    return page;
  }

  static QWidget* StartSheet() { return new QWidget; }

  // Sends a tab drag from `source` dropped on tab `target` of `destination`.
  static bool DropTab(TTvlPageControl& source, TTvlPageControl& destination, int target) {
    QMimeData mime;
    mime.setData(TTvlPageControl::kTabMimeType,
                 QByteArray::number(static_cast<qlonglong>(::getpid())) + ":" +
                     QByteArray::number(reinterpret_cast<quintptr>(&source)));
    QPointF at = destination.Bar()->tabRect(target).center();
    QDragMoveEvent move(at.toPoint(), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    // Straight to the tab bar: outside a real drag the application would not route these.
    static_cast<QObject*>(destination.Bar())->event(&move);
    if (!move.isAccepted()) return false;
    QDropEvent drop(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(destination.Bar())->event(&drop);
    return drop.isAccepted();
  }

 private slots:
  void captionsAreShortenedAndTabsOnlyGrow() {
    TTvlPageControl control(true);
    control.addTab(StartSheet(), "Start");
    AddPage(control, "/site/abcdefghijklmnopqrstuvwx.php");  // 28 characters
    AddPage(control, "/site/abcdefghijklmnopqrstuvw");       // 23 characters
    control.resize(1200, 300);
    control.show();
    QCOMPARE(control.TabCaption(1), QString("abcdefghijklmnopqrst..."));
    QCOMPARE(control.TabCaption(2), QString("abcdefghijklmnopqrstuvw"));
    const int wide = control.Bar()->tabRect(1).width();
    QCOMPARE(control.Bar()->tabRect(0).width(), wide);  // one common width
    QCOMPARE(control.Bar()->tabRect(0).height(), TTvlPageControl::kTabHeight);
    control.PageAt(1)->Close();
    control.PageAt(1)->SetFilename("/a.php");
    QCOMPARE(control.Bar()->tabRect(1).width(), wide);
  }

  void modifiedAndReadOnlyLookFollowThePage() {
    TTvlPageControl control(true);
    TTvlPage* page = AddPage(control, "/x/index.php");
    QSignalSpy look(page, &TTvlPage::CaptionLookChanged);
    page->EditorStatusChanged(0, true);
    QVERIFY(page->ShownModified());
    page->EditorStatusChanged(0, true);
    QCOMPARE(look.count(), 1);  // only a change of boldness repaints
    page->SetReadOnly(true);
    QVERIFY(page->ReadOnly());
  }

  void middleClickClosesEditorPagesOnly() {
    TTvlPageControl control(true);
    control.addTab(StartSheet(), "Start");
    AddPage(control, "/a.php");
    AddPage(control, "/b.php");
    control.resize(800, 300);
    control.show();
    QTest::mouseClick(control.Bar(), Qt::MiddleButton, {}, control.Bar()->tabRect(0).center());
    QCOMPARE(control.count(), 3);
    control.setCurrentIndex(2);
    QTest::mouseClick(control.Bar(), Qt::MiddleButton, {}, control.Bar()->tabRect(1).center());
    QCOMPARE(control.count(), 2);
    QCOMPARE(control.currentIndex(), 1);
    QCOMPARE(control.PageAt(1)->Filename(), QString("/b.php"));
  }

  void closeGlyphClosesAndCloseQueryCanRefuse() {
    TTvlPageControl control(true);
    control.addTab(StartSheet(), "Start");
    TTvlPage* keep = AddPage(control, "/keep.php");
    keep->OnCloseQuery = [](TTvlPage*, bool& canClose) { canClose = false; };
    AddPage(control, "/close.php");
    control.resize(800, 300);
    control.show();
    QTest::mouseClick(control.Bar(), Qt::LeftButton, {}, control.Bar()->CloseHitRect(2).center());
    QCOMPARE(control.count(), 2);
    bool allClosed = true;
    control.CloseAll(allClosed);
    QVERIFY(!allClosed);
    QCOMPARE(control.EditorPageCount(), 1);
  }

  void tabsMoveWithinAndBetweenControls() {
    TTvlPageControl upper(true), lower(false);
    upper.addTab(StartSheet(), "Start");
    lower.addTab(StartSheet(), "Start");
    AddPage(upper, "/a.php");
    AddPage(upper, "/b.php");
    TTvlPage* only = AddPage(lower, "/c.php");
    upper.resize(800, 200);
    lower.resize(800, 200);
    upper.show();
    lower.show();

    upper.setCurrentIndex(2);
    QVERIFY(!DropTab(upper, upper, 2));  // onto itself: refused
    QVERIFY(DropTab(upper, upper, 1));
    QCOMPARE(upper.PageAt(1)->Filename(), QString("/b.php"));

    lower.setCurrentIndex(1);
    QVERIFY(DropTab(lower, upper, 2));
    QCOMPARE(upper.ActivePage(), only);
    QCOMPARE(upper.indexOf(only), upper.count() - 1);
    QCOMPARE(lower.count(), 1);
    QCOMPARE(lower.currentIndex(), 0);  // back on its "Start" tab

    lower.setCurrentIndex(0);
    QVERIFY(!DropTab(lower, upper, 1));  // the "Start" tab is not dragged
  }

  void splitFollowsTheRatio() {
    TEditorPanel panel;
    panel.resize(800, 600);
    panel.show();
    QVERIFY(!panel.SplitPageControl()->isVisible());
    panel.SetSplitRatio(50);
    QCOMPARE(panel.PageControl()->height(), 298);
    QCOMPARE(panel.SplitPageControl()->height(), 298);
    QVERIFY(panel.SplitPageControl()->isVisible());
    panel.SetSplitRatio(0);
    QCOMPARE(panel.PageControl()->height(), 30);
    QCOMPARE(panel.SplitPageControl()->height(), 564);
  }
};

QTEST_MAIN(PageControlTest)
#include "pagecontrol_test.moc"
