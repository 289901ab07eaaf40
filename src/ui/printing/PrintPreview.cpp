#include "ui/printing/PrintPreview.h"

#include <QAction>
#include <QEvent>
#include <QHelpEvent>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <chrono>
#include <cmath>

#include "ui/printing/PrintEngine.h"

namespace tervil {

TPreviewPage::TPreviewPage(TPrintEngine& engine, QWidget* parent)
    : QWidget(parent), engine_(engine) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPreviewPage::ShowPage(int index, double scale, int pageCount) {
  index_ = index;
  scale_ = scale;
  pageCount_ = pageCount;
  resize(std::max(1, static_cast<int>(engine_.PaperWidth() * scale)),
         std::max(1, static_cast<int>(engine_.PaperHeight() * scale)));
  update();
}

void TPreviewPage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.scale(scale_, scale_);
  engine_.PaintPage(painter, index_, pageCount_);
}

void TPreviewPage::mousePressEvent(QMouseEvent* event) {
  emit Clicked(event->button());
}

TPrintPreviewDlg::TPrintPreviewDlg(TPrintEngine& engine, QWidget* parent)
    : QDialog(parent), engine_(engine) {
  setWindowTitle(tr("Print Preview"));
  setWindowState(windowState() | Qt::WindowMaximized);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* toolbar = new QToolBar(this);
  layout->addWidget(toolbar);
  scroll_ = new QScrollArea(this);
  scroll_->setAlignment(Qt::AlignCenter);
  scroll_->setBackgroundRole(QPalette::Dark);
  view_ = new TPreviewPage(engine_, scroll_);
  scroll_->setWidget(view_);
  layout->addWidget(scroll_, 1);
  auto* status = new QStatusBar(this);
  hintPanel_ = new QLabel(status);
  pagePanel_ = new QLabel(status);
  status->addWidget(hintPanel_, 1);
  status->addWidget(pagePanel_);
  layout->addWidget(status);

  auto make = [this, toolbar](const char* icon, const QString& hint, const char* key, auto run) {
    auto* action = new QAction(QIcon::fromTheme(icon), hint, this);
    action->setShortcut(QKeySequence(key));
    action->setToolTip(hint);
    action->setStatusTip(hint);
    connect(action, &QAction::triggered, this, run);
    toolbar->addAction(action);
    return action;
  };
  FirstCmd = make("go-first", tr("First"), "Alt+F", [this] { GoTo(0); });
  PrevCmd = make("go-previous", tr("Previous"), "Alt+P", [this] { GoTo(page_ - 1); });
  NextCmd = make("go-next", tr("Next"), "Alt+N", [this] { GoTo(page_ + 1); });
  LastCmd = make("go-last", tr("Last"), "Alt+L", [this] {
    wantLast_ = !LayoutDone();
    GoTo(PageCount() - 1);
  });
  toolbar->addSeparator();
  ZoomCmd = make("zoom-fit-best", tr("Zoom"), "Alt+Z", [this] { SetZoom({}); });
  auto* zoomMenu = new QMenu(this);
  zoomMenu->addAction(tr("Whole page"), this, [this] { SetZoom({}); });
  zoomMenu->addAction(tr("Page width"), this, [this] {
    SetZoom({TPreviewZoom::TMode::PageWidth, 100});
  });
  for (int percent : {25, 50, 100, 200, 400}) {
    zoomMenu->addAction(QString::number(percent) + "%", this, [this, percent] {
      SetZoom({TPreviewZoom::TMode::Percent, percent});
    });
  }
  ZoomCmd->setMenu(zoomMenu);
  if (auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(ZoomCmd)))
    button->setPopupMode(QToolButton::MenuButtonPopup);
  toolbar->addSeparator();
  PrintCmd = make("document-print", tr("Print"), "Ctrl+P", [this] {
    if (PrintHandler) PrintHandler();
    Restart();
  });
  CloseCmd = make("window-close", tr("Close"), "Alt+C", [this] { reject(); });
  connect(view_, &TPreviewPage::Clicked, this, [this](Qt::MouseButton button) {
    TPreviewZoom zoom = zoom_;
    if (button == Qt::LeftButton) zoom.ZoomIn();
    if (button == Qt::RightButton) {
      const double shown = view_->width() / std::max(1.0, engine_.PaperWidth() * ScreenScale());
      zoom.ZoomOut(static_cast<int>(std::lround(shown * 100)));
    }
    SetZoom(zoom);
  });

  layoutTimer_ = new QTimer(this);
  layoutTimer_->setInterval(0);
  connect(layoutTimer_, &QTimer::timeout, this, &TPrintPreviewDlg::LayoutSlice);
}

int TPrintPreviewDlg::PageCount() const {
  return engine_.Layout().PageCount();
}

bool TPrintPreviewDlg::LayoutDone() const {
  return engine_.Layout().Done();
}

// The status bar's first panel shows the hint of the control under the mouse.
bool TPrintPreviewDlg::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip)
    hintPanel_->setText("  " + static_cast<QStatusTipEvent*>(event)->tip());
  return QDialog::event(event);
}

void TPrintPreviewDlg::Restart() {
  engine_.BeginLayout();
  page_ = 0;
  wantLast_ = false;
  // The first page at once; the rest in slices while the window is idle.
  engine_.Layout().AdvanceLines(engine_.Layout().Options().rowsPerPage + 1);
  const QString printer = engine_.Printer().printerName();
  if (!printer.isEmpty() && engine_.Printer().outputFormat() == QPrinter::NativeFormat) {
    PrintCmd->setToolTip(tr("Print (%1)").arg(printer));
    PrintCmd->setStatusTip(tr("Print the document on %1").arg(printer));
  }
  if (!LayoutDone()) layoutTimer_->start();
  Refresh();
}

void TPrintPreviewDlg::LayoutSlice() {
  using namespace std::chrono_literals;
  if (!engine_.Layout().Advance(30ms)) {
    layoutTimer_->stop();
    if (wantLast_) page_ = PageCount() - 1;
    wantLast_ = false;
    Refresh();
    return;
  }
  pagePanel_->setText(tr(" Page: %1").arg(page_ + 1));
}

void TPrintPreviewDlg::GoTo(int page) {
  page_ = std::clamp(page, 0, std::max(0, PageCount() - 1));
  Refresh();
}

double TPrintPreviewDlg::ScreenScale() const {
  return logicalDpiX() / std::max(1.0, engine_.UnitsPerMillimeter() * 25.4);
}

double TPrintPreviewDlg::WholePageScale() const {
  const QSize area = scroll_->viewport()->size() - QSize(16, 16);
  return std::max(0.01, std::min(area.width() / std::max(1.0, engine_.PaperWidth()),
                                 area.height() / std::max(1.0, engine_.PaperHeight())));
}

double TPrintPreviewDlg::PageWidthScale() const {
  const int width = scroll_->viewport()->width() - 16 - scroll_->verticalScrollBar()->width();
  return std::max(0.01, width / std::max(1.0, engine_.PaperWidth()));
}

void TPrintPreviewDlg::SetZoom(TPreviewZoom zoom) {
  zoom_ = zoom;
  Refresh();
}

void TPrintPreviewDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (zoom_.mode != TPreviewZoom::TMode::Percent) Refresh();
}

void TPrintPreviewDlg::Refresh() {
  double scale = WholePageScale();
  if (zoom_.mode == TPreviewZoom::TMode::PageWidth) scale = PageWidthScale();
  if (zoom_.mode == TPreviewZoom::TMode::Percent) scale = ScreenScale() * zoom_.percent / 100.0;
  // "$PAGECOUNT$" is known once every page is laid out; until then the pages made so far.
  view_->ShowPage(page_, scale, PageCount());
  pagePanel_->setText(tr(" Page: %1").arg(page_ + 1));
  FirstCmd->setEnabled(page_ > 0);
  PrevCmd->setEnabled(page_ > 0);
  NextCmd->setEnabled(page_ + 1 < PageCount());
  LastCmd->setEnabled(page_ + 1 < PageCount() || !LayoutDone());
}

}  // namespace tervil
