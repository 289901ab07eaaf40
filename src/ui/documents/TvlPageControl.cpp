#include "ui/documents/TvlPageControl.h"

#include <unistd.h>

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSet>

#include "core/documents/PageLayout.h"
#include "ui/documents/TvlPage.h"

namespace tervil {

namespace {

constexpr int kHintIntervalMs = 1000;
constexpr int kFileHoverMs = 1;
constexpr int kTextHoverMs = 1000;
constexpr int kArrowSize = 12;
enum TCloseImage { kCloseActive = 0, kCloseInactive = 1, kCloseHover = 2 };

QColor ToQColor(TColor c) {
  return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

// Every live page control, so that a dragged tab's source can be checked before use.
QSet<TTvlPageControl*>& LiveControls() {
  static QSet<TTvlPageControl*> controls;
  return controls;
}

QByteArray TabDragPayload(TTvlPageControl* source) {
  return QByteArray::number(static_cast<qlonglong>(::getpid())) + ":" +
         QByteArray::number(reinterpret_cast<quintptr>(source));
}

TTvlPageControl* TabDragSource(const QMimeData* mime) {
  if (!mime || !mime->hasFormat(TTvlPageControl::kTabMimeType)) return nullptr;
  const QList<QByteArray> parts = mime->data(TTvlPageControl::kTabMimeType).split(':');
  if (parts.size() != 2 || parts[0].toLongLong() != ::getpid()) return nullptr;
  auto* source = reinterpret_cast<TTvlPageControl*>(parts[1].toULongLong());
  return LiveControls().contains(source) ? source : nullptr;
}

void DrawCloseGlyph(QPainter& p, const QRect& r, int image) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  if (image == kCloseHover) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xC4, 0x2B, 0x1C));
    p.drawRoundedRect(r, 3, 3);
  }
  QColor cross = image == kCloseHover    ? Qt::white
                 : image == kCloseActive ? QColor(0x40, 0x40, 0x40)
                                         : QColor(0x90, 0x90, 0x90);
  p.setPen(QPen(cross, 1.6));
  QRect inner = r.adjusted(4, 4, -4, -4);
  p.drawLine(inner.topLeft(), inner.bottomRight());
  p.drawLine(inner.topRight(), inner.bottomLeft());
  p.restore();
}

// The small marker that shows where a dragged tab will land.
class TArrowWindow : public QWidget {
 public:
  TArrowWindow() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(kArrowSize, kArrowSize);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.moveTo(0, 0);
    path.lineTo(width(), 0);
    path.lineTo(width() / 2.0, height());
    path.closeSubpath();
    p.fillPath(path, QColor(0x20, 0x40, 0x90));
  }
};

}  // namespace

// ---------------------------------------------------------------- tab bar

TTvlTabBar::TTvlTabBar(TTvlPageControl* control) : QTabBar(control), control_(control) {
  setMouseTracking(true);
  setAcceptDrops(true);
  setExpanding(false);
  setElideMode(Qt::ElideNone);
  setUsesScrollButtons(true);
  setDrawBase(false);
  hoverTimer_.setSingleShot(true);
  connect(&hoverTimer_, &QTimer::timeout, this, [this] {
    if (tabAt(mapFromGlobal(QCursor::pos())) == hoverTarget_ && hoverTarget_ >= 0)
      setCurrentIndex(hoverTarget_);
  });
  hintTimer_.setInterval(kHintIntervalMs);
  connect(&hintTimer_, &QTimer::timeout, this, &TTvlTabBar::HintTick);
}

QSize TTvlTabBar::tabSizeHint(int) const {
  QFont bold = font();
  bold.setBold(true);
  QFontMetrics metrics(bold);
  for (int i = 0; i < count(); ++i) {
    int needed = TabWidthFor(metrics.horizontalAdvance(control_->TabCaption(i)),
                             control_->PageAt(i) != nullptr, control_->TabCloseButton());
    commonWidth_ = std::max(commonWidth_, needed);  // tabs never get narrower
  }
  return QSize(commonWidth_, TTvlPageControl::kTabHeight);
}

QRect TTvlTabBar::CloseGlyphRect(int index) const {
  QRect tab = tabRect(index);
  bool active = index == currentIndex();
  int dx = active ? 4 : 0;
  int dy = control_->TabsOnTop() ? (active ? 3 : 1) : (active ? 2 : 0);
  return QRect(tab.right() + 1 - dx - 20, tab.top() + dy + 3, 14, 14);
}

QRect TTvlTabBar::CloseHitRect(int index) const {
  QRect tab = tabRect(index);
  return QRect(QPoint(tab.right() + 1 - 22, tab.top() + 4),
               QPoint(tab.right() + 1 - 8, tab.bottom() + 1 - 4));
}

void TTvlTabBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  for (int i = 0; i < count(); ++i) PaintTab(painter, i);
}

void TTvlTabBar::PaintTab(QPainter& painter, int index) {
  const QRect tab = tabRect(index);
  const bool onTop = control_->TabsOnTop();
  const bool active = index == currentIndex();
  for (int row = 0; row < tab.height(); ++row) {
    painter.setPen(ToQColor(TabGradientColor(row, tab.height(), onTop)));
    painter.drawLine(tab.left(), tab.top() + row, tab.right(), tab.top() + row);
  }
  if (active) {
    painter.setPen(QColor(0x99, 0x99, 0x99));
    int y = onTop ? tab.bottom() : tab.top();
    painter.drawLine(tab.left(), y, tab.right(), y);
  }
  TTvlPage* page = control_->PageAt(index);
  QFont captionFont = font();
  captionFont.setBold(page && page->ShownModified());
  painter.setFont(captionFont);
  painter.setPen(page && page->ReadOnly() ? QColor(0x80, 0x80, 0x80) : QColor(Qt::black));
  int dx = active ? 4 : 0;
  int dy = onTop ? (active ? 3 : 1) : (active ? 2 : 0);
  QRect textRect(tab.left() + 4 + dx, tab.top() + 4 + dy, tab.width(), tab.height());
  painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop, control_->TabCaption(index));
  if (page && control_->TabCloseButton()) {
    int image = index == hoverClose_ ? kCloseHover : active ? kCloseActive : kCloseInactive;
    DrawCloseGlyph(painter, CloseGlyphRect(index), image);
  }
}

void TTvlTabBar::mousePressEvent(QMouseEvent* event) {
  const int index = tabAt(event->position().toPoint());
  TTvlPage* page = index >= 0 ? control_->PageAt(index) : nullptr;
  pressed_ = false;
  if (event->button() == Qt::MiddleButton) {
    if (page) control_->ClosePageByMouse(index);
  } else if (event->button() == Qt::LeftButton && page && control_->TabCloseButton() &&
             CloseHitRect(index).contains(event->position().toPoint())) {
    control_->ClosePageByMouse(index);
  } else if (event->button() == Qt::RightButton && page) {
    setCurrentIndex(index);
    emit control_->PageMenuRequested(page, event->globalPosition().toPoint());
  } else {
    QTabBar::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && index >= 0) {
      pressed_ = true;
      pressPos_ = event->position().toPoint();
    }
  }
  // After any press on the tabs (also on the tab that is already active) the keyboard goes to
  // the active document.
  if (TTvlPage* active = control_->ActivePage()) active->FocusEditor();
  emit control_->TabsClicked();
}

void TTvlTabBar::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (pressed_ && (event->buttons() & Qt::LeftButton) &&
      (pos - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
    pressed_ = false;
    StartDrag();
    return;
  }
  const int index = tabAt(pos);
  int hover = index >= 0 && control_->PageAt(index) && control_->TabCloseButton() &&
                      CloseHitRect(index).contains(pos)
                  ? index
                  : -1;
  if (hover != hoverClose_) {
    hoverClose_ = hover;
    update();
  }
  TTvlPage* page = index >= 0 ? control_->PageAt(index) : nullptr;
  if (!page) {
    if (hint_) hint_->hide();
    return;
  }
  if (!hint_) {
    hint_ = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
    hint_->setObjectName("TabHint");
    hint_->setStyleSheet("background: #ffffe1; border: 1px solid #808080; padding: 1px 4px;");
  }
  hint_->setText(page->Filename());
  const QRect tab = tabRect(index);
  const int width = hint_->fontMetrics().horizontalAdvance(page->Filename()) + 8;
  hint_->resize(width + 8, hint_->sizeHint().height());
  QPoint at = control_->TabsOnTop()
                  ? mapToGlobal(QPoint(tab.left(), tab.bottom() + 1 + 4))
                  : mapToGlobal(QPoint(tab.left(), tab.top() - 4)) - QPoint(0, hint_->height());
  hint_->move(at);
  if (event->globalPosition().toPoint() != lastHintMouse_) {
    lastHintMouse_ = event->globalPosition().toPoint();
    hintMoved_ = true;
    if (!hintTimer_.isActive()) hintTimer_.start();
  }
  QTabBar::mouseMoveEvent(event);
}

void TTvlTabBar::HintTick() {
  if (!hint_) return;
  if (hint_->isVisible() && !hintMoved_) {
    hint_->hide();
    hintTimer_.stop();
  } else if (!hint_->isVisible() && hintMoved_) {
    hint_->show();
  }
  hintMoved_ = false;
}

void TTvlTabBar::mouseReleaseEvent(QMouseEvent* event) {
  pressed_ = false;
  QTabBar::mouseReleaseEvent(event);
}

void TTvlTabBar::leaveEvent(QEvent* event) {
  if (hint_) hint_->hide();
  hintTimer_.stop();
  if (hoverClose_ >= 0) {
    hoverClose_ = -1;
    update();
  }
  QTabBar::leaveEvent(event);
}

void TTvlTabBar::StartDrag() {
  if (!control_->ActivePage()) return;  // the "Start" tab stays where it is
  if (hint_) hint_->hide();
  auto* mime = new QMimeData;
  mime->setData(TTvlPageControl::kTabMimeType, TabDragPayload(control_));
  auto* drag = new QDrag(this);
  drag->setMimeData(mime);
  drag->exec(Qt::MoveAction);
}

bool TTvlTabBar::AcceptTabDrag(TTvlPageControl* source, int target) const {
  if (target < 0) return false;
  if (source == control_) return target != currentIndex();
  return source->ActivePage() != nullptr;
}

void TTvlTabBar::ShowArrow(TTvlPageControl* source, int target) {
  if (!arrow_) arrow_ = new TArrowWindow;
  const QRect tab = tabRect(target);
  const bool before = source == control_ && target < currentIndex();
  const int x = before ? tab.left() : tab.right() + 1;
  const int top = tab.top() - arrow_->height() * 2 / 3;
  arrow_->move(mapToGlobal(QPoint(x - arrow_->width() / 2, top)));
  arrow_->show();
}

void TTvlTabBar::HideArrow() {
  if (arrow_) arrow_->hide();
}

void TTvlTabBar::StartHoverSwitch(int target, int intervalMs) {
  if (target == hoverTarget_ && hoverTimer_.isActive()) return;
  hoverTarget_ = target;
  hoverTimer_.start(intervalMs);
}

void TTvlTabBar::dragEnterEvent(QDragEnterEvent* event) {
  const QMimeData* mime = event->mimeData();
  if (TabDragSource(mime) || mime->hasUrls() || mime->hasText()) event->acceptProposedAction();
}

void TTvlTabBar::dragMoveEvent(QDragMoveEvent* event) {
  const int target = tabAt(event->position().toPoint());
  if (TTvlPageControl* source = TabDragSource(event->mimeData())) {
    if (AcceptTabDrag(source, target)) {
      ShowArrow(source, target);
      event->acceptProposedAction();
    } else {
      HideArrow();
      event->ignore();
    }
    return;
  }
  // Files from the explorer switch tabs at once, text from an editor after a second.
  if (target >= 0)
    StartHoverSwitch(target, event->mimeData()->hasUrls() ? kFileHoverMs : kTextHoverMs);
  else
    hoverTimer_.stop();
  event->ignore();
}

void TTvlTabBar::dragLeaveEvent(QDragLeaveEvent* event) {
  HideArrow();
  hoverTimer_.stop();
  QTabBar::dragLeaveEvent(event);
}

void TTvlTabBar::dropEvent(QDropEvent* event) {
  HideArrow();
  hoverTimer_.stop();
  TTvlPageControl* source = TabDragSource(event->mimeData());
  const int target = tabAt(event->position().toPoint());
  if (!source || !AcceptTabDrag(source, target)) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  if (source == control_) {
    // Editor pages stay behind the "Start" tab.
    moveTab(currentIndex(), std::max(target, 1));
  } else {
    if (target != currentIndex() && control_->ActivePage())
      moveTab(currentIndex(), std::max(1, std::min(target + 1, count() - 1)));
    control_->TakePage(source->ActivePage());
  }
  control_->update();
  source->update();
}

// ---------------------------------------------------------------- page control

TTvlPageControl::TTvlPageControl(bool tabsOnTop, QWidget* parent)
    : QTabWidget(parent), bar_(new TTvlTabBar(this)), tabsOnTop_(tabsOnTop) {
  setTabBar(bar_);
  setTabPosition(tabsOnTop ? QTabWidget::North : QTabWidget::South);
  setDocumentMode(true);
  LiveControls().insert(this);
  connect(this, &QObject::destroyed, [this] { LiveControls().remove(this); });
}

void TTvlPageControl::SetTabCloseButton(bool on) {
  tabCloseButton_ = on;
  bar_->update();
}

TTvlPage* TTvlPageControl::PageAt(int index) const {
  return qobject_cast<TTvlPage*>(widget(index));
}

int TTvlPageControl::EditorPageCount() const {
  int n = 0;
  for (int i = 0; i < count(); ++i)
    if (PageAt(i)) ++n;
  return n;
}

QString TTvlPageControl::TabCaption(int index) const {
  return QString::fromStdString(ShortTabCaption(tabText(index).toStdString()));
}

void TTvlPageControl::TrackPage(TTvlPage* page) {
  connect(page, &TTvlPage::CaptionLookChanged, this, [this, page] {
    int index = indexOf(page);
    if (index < 0) return;
    setTabText(index, page->Caption());
    bar_->update();
  });
}

void TTvlPageControl::AddPage(TTvlPage* page) {
  page->Lists = Lists;
  addTab(page, page->Caption());
  TrackPage(page);
}

void TTvlPageControl::CloseAll(bool& allClosed) {
  for (int i = count() - 1; i >= 0; --i)
    if (TTvlPage* page = PageAt(i)) page->Close();
  if (EditorPageCount() > 0) allClosed = false;
  if (currentIndex() > count() - 1) setCurrentIndex(count() - 1);
}

void TTvlPageControl::ClosePageByMouse(int index) {
  TTvlPage* page = PageAt(index);
  if (!page || !page->Close()) return;
  setCurrentIndex(std::min(index, count() - 1));
  update();
}

void TTvlPageControl::TakePage(TTvlPage* page) {
  auto* source = qobject_cast<TTvlPageControl*>(
      page->parentWidget() ? page->parentWidget()->parentWidget() : nullptr);
  int oldIndex = source ? source->indexOf(page) : -1;
  if (source) {
    disconnect(page, &TTvlPage::CaptionLookChanged, source, nullptr);
    source->removeTab(oldIndex);
    source->setCurrentIndex(std::min(oldIndex, source->count() - 1));
  }
  addTab(page, page->Caption());
  TrackPage(page);
  setCurrentWidget(page);
}

}  // namespace tervil
