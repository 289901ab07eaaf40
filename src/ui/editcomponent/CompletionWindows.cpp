#include "ui/editcomponent/CompletionWindows.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

namespace tervil {

namespace {

constexpr int kMargin = 3;

QString Text(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void MakePopupWindow(QWidget& window) {
  window.setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
  window.setAttribute(Qt::WA_ShowWithoutActivating);
  window.setFocusPolicy(Qt::NoFocus);
}

// ---------------------------------------------------------------- the list

TCompletionListWindow::TCompletionListWindow(QWidget* owner)
    : QWidget(owner), scrollBar_(new QScrollBar(Qt::Vertical, this)) {
  MakePopupWindow(*this);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  scrollBar_->setFocusPolicy(Qt::NoFocus);
  connect(scrollBar_, &QScrollBar::valueChanged, this, [this] { update(); });
  SetVisibleRows(visibleRows_);
}

int TCompletionListWindow::RowHeight() const {
  return fontMetrics().height() + 2;
}

void TCompletionListWindow::SetVisibleRows(int rows) {
  visibleRows_ = std::max(1, rows);
  resize(width(), visibleRows_ * RowHeight() + 2);
}

void TCompletionListWindow::Refresh() {
  const int count = items_ ? static_cast<int>(items_->Count()) : 0;
  scrollBar_->setRange(0, std::max(0, count - visibleRows_));
  scrollBar_->setPageStep(visibleRows_);
  const int selected = items_ ? items_->Selected() : -1;
  if (selected >= 0) {
    if (selected < scrollBar_->value()) scrollBar_->setValue(selected);
    if (selected >= scrollBar_->value() + visibleRows_)
      scrollBar_->setValue(selected - visibleRows_ + 1);
  }
  scrollBar_->setVisible(count > visibleRows_);
  update();
}

void TCompletionListWindow::resizeEvent(QResizeEvent*) {
  const int w = scrollBar_->sizeHint().width();
  scrollBar_->setGeometry(width() - w - 1, 1, w, height() - 2);
}

int TCompletionListWindow::RowAt(int y) const {
  const int row = scrollBar_->value() + (y - 1) / RowHeight();
  return items_ && row >= 0 && row < static_cast<int>(items_->Count()) ? row : -1;
}

void TCompletionListWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  if (!items_) return;
  const int textWidth = width() - 2 - (scrollBar_->isVisible() ? scrollBar_->width() : 0);
  const int first = scrollBar_->value();
  const int last = std::min<int>(first + visibleRows_, static_cast<int>(items_->Count()));
  for (int row = first; row < last; ++row) {
    const QRect rowRect(1, 1 + (row - first) * RowHeight(), textWidth, RowHeight());
    PaintRow(painter, row, rowRect, row == items_->Selected());
  }
}

void TCompletionListWindow::PaintRow(QPainter& painter, int row, const QRect& rect, bool selected) {
  if (selected) painter.fillRect(rect, palette().color(QPalette::Highlight));
  painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
  QFont normal = font();
  QFont bold = font();
  bold.setBold(true);
  int x = rect.left() + kMargin;
  int column = 0;
  for (const TPrettySegment& segment : ParsePrettyText(items_->ItemText(row))) {
    while (column < segment.Column) {
      // A column starts at the sum of the widths before it (or after the text, when wider).
      int start = rect.left() + kMargin;
      for (int c = 0; c <= column && c < static_cast<int>(columnWidths_.size()); ++c)
        start += columnWidths_[c];
      x = std::max(x + kMargin, start);
      ++column;
    }
    painter.setFont(segment.Bold ? bold : normal);
    const QString text = Text(segment.Text);
    painter.drawText(QRect(x, rect.top(), rect.right() - x, rect.height()),
                     Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text);
    x += QFontMetrics(painter.font()).horizontalAdvance(text);
  }
  painter.setFont(normal);
}

void TCompletionListWindow::mousePressEvent(QMouseEvent* event) {
  const int row = RowAt(event->position().toPoint().y());
  if (row >= 0 && OnRowClicked) OnRowClicked(row);
}

void TCompletionListWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  const int row = RowAt(event->position().toPoint().y());
  if (row >= 0 && OnRowDoubleClicked) OnRowDoubleClicked(row);
}

void TCompletionListWindow::wheelEvent(QWheelEvent* event) {
  scrollBar_->setValue(scrollBar_->value() - event->angleDelta().y() / 40);
}

// ---------------------------------------------------------------- the hint

THintWindow::THintWindow(QWidget* owner) : QWidget(owner) {
  MakePopupWindow(*this);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::ToolTipBase);
  setForegroundRole(QPalette::ToolTipText);
}

void THintWindow::SetLines(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  boldStart_ = boldEnd_ = 0;
  resize(SizeHint());
  update();
}

void THintWindow::SetBoldRange(std::size_t start, std::size_t end) {
  boldStart_ = start;
  boldEnd_ = end;
  resize(SizeHint());
  update();
}

QSize THintWindow::SizeHint() const {
  QFont bold = font();
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  int width = 0;
  for (const std::string& line : lines_)
    width = std::max(width, metrics.horizontalAdvance(Text(line)));
  const int lines = std::max<int>(1, static_cast<int>(lines_.size()));
  return {width + 4 * kMargin, lines * metrics.height() + 2 * kMargin};
}

void THintWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  painter.setPen(palette().color(QPalette::ToolTipText));
  QFont normal = font();
  QFont bold = font();
  bold.setBold(true);
  const int lineHeight = QFontMetrics(bold).height();
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const std::string& line = lines_[i];
    const int y = kMargin + static_cast<int>(i) * lineHeight;
    // The pieces of the line: before the bold range, the range, after it.
    const std::size_t start = i == 0 ? std::min(boldStart_, line.size()) : line.size();
    const std::size_t end = i == 0 ? std::min(boldEnd_, line.size()) : line.size();
    const std::pair<std::string_view, bool> pieces[] = {
        {std::string_view(line).substr(0, start), false},
        {std::string_view(line).substr(start, end - start), true},
        {std::string_view(line).substr(end), false}};
    int total = 0;
    for (const auto& [piece, isBold] : pieces)
      total += QFontMetrics(isBold ? bold : normal).horizontalAdvance(Text(std::string(piece)));
    int x = titleCentered_ && i == 0 ? (width() - total) / 2 : 2 * kMargin;
    for (const auto& [piece, isBold] : pieces) {
      painter.setFont(isBold ? bold : normal);
      const QString text = Text(std::string(piece));
      painter.drawText(QPoint(x, y + QFontMetrics(bold).ascent()), text);
      x += painter.fontMetrics().horizontalAdvance(text);
    }
  }
}

}  // namespace tervil
