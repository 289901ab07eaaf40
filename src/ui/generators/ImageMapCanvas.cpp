#include "ui/generators/ImageMapCanvas.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace tervil {

namespace {

constexpr double kZoomSteps[] = {0.125, 0.25, 1.0 / 3, 0.5, 2.0 / 3, 1.0,
                                 1.5,   2.0,  3.0,     4.0, 6.0,     8.0};
constexpr int kHandleRadius = 4;  // screen pixels

// Outlines stay visible on any picture: a dark line under a light one.
void StrokeTwice(QPainter& painter, const QPainterPath& path) {
  painter.strokePath(path, QPen(QColor(0, 0, 0, 200), 3));
  painter.strokePath(path, QPen(QColor(255, 255, 120), 1));
}

}  // namespace

TImageMapCanvas::TImageMapCanvas(QWidget* parent) : QWidget(parent) {
  setObjectName("Image1");
  setMouseTracking(true);
  setCursor(Qt::CrossCursor);
  setEnabled(false);
  Resize();
}

void TImageMapCanvas::SetPicture(const QImage& picture) {
  picture_ = picture;
  drag_.reset();
  selected_ = -1;
  drawing_.Restart();
  Resize();
  update();
}

void TImageMapCanvas::Resize() {
  const QSize size = picture_.size() * zoom_;
  setFixedSize(size.expandedTo({1, 1}));
}

void TImageMapCanvas::SetZoom(double zoom) {
  zoom_ = std::clamp(zoom, kZoomSteps[0], kZoomSteps[std::size(kZoomSteps) - 1]);
  Resize();
  update();
}

void TImageMapCanvas::ZoomIn() {
  for (double step : kZoomSteps)
    if (step > zoom_ + 1e-9) return SetZoom(step);
}

void TImageMapCanvas::ZoomOut() {
  for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it)
    if (*it < zoom_ - 1e-9) return SetZoom(*it);
}

void TImageMapCanvas::SetEditing(bool editing) {
  if (drawing_.Drawing()) return;
  editing_ = editing;
  drag_.reset();
  setCursor(editing ? Qt::ArrowCursor : Qt::CrossCursor);
  update();
}

void TImageMapCanvas::SetAreas(std::vector<std::optional<TMapArea>> areas) {
  areas_ = std::move(areas);
  if (selected_ >= static_cast<int>(areas_.size())) selected_ = -1;
  update();
}

TMapPoint TImageMapCanvas::ToPicture(const QPointF& pos) const {
  return {static_cast<int>(std::floor(pos.x() / zoom_)),
          static_cast<int>(std::floor(pos.y() / zoom_))};
}

// The middle of the picture pixel.
QPointF TImageMapCanvas::ToWidget(TMapPoint p) const {
  return {(p.X + 0.5) * zoom_, (p.Y + 0.5) * zoom_};
}

// Only the exposed part of the picture is drawn, so a very large picture scrolls smoothly.
void TImageMapCanvas::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect exposed = event->rect();
  painter.fillRect(exposed, palette().dark());
  if (!picture_.isNull()) {
    const QRectF source(exposed.x() / zoom_, exposed.y() / zoom_, exposed.width() / zoom_,
                        exposed.height() / zoom_);
    painter.drawImage(QRectF(exposed), picture_, source);
  }
  painter.setRenderHint(QPainter::Antialiasing);
  for (std::size_t i = 0; i < areas_.size(); ++i)
    if (areas_[i]) PaintArea(painter, *areas_[i], editing_ && static_cast<int>(i) == selected_);
  PaintDrawing(painter);
}

void TImageMapCanvas::PaintArea(QPainter& painter, const TMapArea& area, bool selected) const {
  QPainterPath path;
  const auto& c = area.Coords;
  switch (area.Shape) {
    case TMapShape::Rectangle:
      path.addRect(QRectF(ToWidget({c[0], c[1]}), ToWidget({c[2], c[3]})).normalized());
      break;
    case TMapShape::Circle:
      path.addEllipse(ToWidget({c[0], c[1]}), c[2] * zoom_, c[2] * zoom_);
      break;
    case TMapShape::Polygon: {
      QPolygonF polygon;
      for (std::size_t i = 0; i + 1 < c.size(); i += 2) polygon << ToWidget({c[i], c[i + 1]});
      path.addPolygon(polygon);
      path.closeSubpath();
      break;
    }
  }
  if (selected) painter.fillPath(path, QColor(85, 153, 238, 70));
  StrokeTwice(painter, path);
  if (!selected) return;
  for (TMapPoint handle : Handles(area)) {
    const QPointF at = ToWidget(handle);
    const QRectF box(at.x() - kHandleRadius, at.y() - kHandleRadius, 2 * kHandleRadius,
                     2 * kHandleRadius);
    painter.fillRect(box, Qt::white);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(box);
  }
}

// The shape in progress and its rubber band to the pointer.
void TImageMapCanvas::PaintDrawing(QPainter& painter) const {
  if (!drawing_.Drawing()) return;
  QPainterPath path;
  const QPointF first = ToWidget(drawing_.First());
  const QPointF rubber = ToWidget(drawing_.Rubber());
  switch (drawing_.Shape()) {
    case TMapShape::Rectangle:
      path.addRect(QRectF(first, rubber).normalized());
      break;
    case TMapShape::Circle: {
      const double radius = std::hypot(rubber.x() - first.x(), rubber.y() - first.y());
      path.addEllipse(first, radius, radius);
      break;
    }
    case TMapShape::Polygon: {
      const auto& vertices = drawing_.Vertices();
      if (vertices.empty()) break;
      path.moveTo(ToWidget(vertices.front()));
      for (TMapPoint v : vertices) path.lineTo(ToWidget(v));
      path.lineTo(rubber);
      break;
    }
  }
  StrokeTwice(painter, path);
}

void TImageMapCanvas::Finished(std::optional<std::string> line) {
  if (line && OnAreaFinished) OnAreaFinished(*line);
  if (OnDrawingChanged) OnDrawingChanged();
  update();
}

void TImageMapCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const TMapPoint at = ToPicture(event->position());
  if (editing_) return StartEdit(at);
  drawing_.Press(at);
  Finished(std::nullopt);
}

void TImageMapCanvas::mouseMoveEvent(QMouseEvent* event) {
  const TMapPoint at = ToPicture(event->position());
  if (editing_) {
    if (drag_) DragTo(at);
    return;
  }
  if (!drawing_.Drawing()) return;
  drawing_.Move(at);
  update();
}

void TImageMapCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (editing_) {
    drag_.reset();
    return;
  }
  Finished(drawing_.Release(ToPicture(event->position())));
}

// A double click finishes a polygon; the press it carries then starts nothing.
void TImageMapCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || editing_) return;
  std::optional<std::string> line = drawing_.Finish();
  drawing_.Press(ToPicture(event->position()));
  Finished(std::move(line));
}

void TImageMapCanvas::wheelEvent(QWheelEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier)) return QWidget::wheelEvent(event);
  if (event->angleDelta().y() > 0)
    ZoomIn();
  else if (event->angleDelta().y() < 0)
    ZoomOut();
  event->accept();
}

// The topmost area under the pointer is picked, by a handle before its inside.
void TImageMapCanvas::StartEdit(TMapPoint at) {
  const int tolerance = std::max(1, static_cast<int>(std::lround(kHandleRadius / zoom_)));
  selected_ = -1;
  drag_.reset();
  for (int i = static_cast<int>(areas_.size()) - 1; i >= 0 && selected_ < 0; --i) {
    if (!areas_[i]) continue;
    const TAreaHit hit = HitTest(*areas_[i], at, tolerance);
    if (hit.What == TAreaHit::None) continue;
    selected_ = i;
    drag_ = TDrag{i, hit, at, *areas_[i]};
  }
  update();
}

// Moves stay on the picture: an area is not pushed past its edges, a point not dragged off it.
void TImageMapCanvas::DragTo(TMapPoint at) {
  const int maxX = std::max(0, picture_.width() - 1);
  const int maxY = std::max(0, picture_.height() - 1);
  TMapArea area;
  if (drag_->Hit.What == TAreaHit::Body) {
    const TMapBounds b = Bounds(drag_->Original);
    const int dx =
        std::clamp(at.X - drag_->Start.X, std::min(0, -b.Left), std::max(0, maxX - b.Right));
    const int dy =
        std::clamp(at.Y - drag_->Start.Y, std::min(0, -b.Top), std::max(0, maxY - b.Bottom));
    area = Moved(drag_->Original, dx, dy);
  } else {
    const TMapPoint clamped{std::clamp(at.X, 0, maxX), std::clamp(at.Y, 0, maxY)};
    area = WithHandle(drag_->Original, drag_->Hit.HandleIndex, clamped);
  }
  if (OnAreaChanged) OnAreaChanged(drag_->Index, area);
}

}  // namespace tervil
