#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "core/generators/ImageMap.h"

namespace tervil {

// The picture of the image map editor (`Image1`) at a zoom factor, with the finished areas
// drawn over it. In a drawing mode the pointer draws new shapes; in the editing mode it moves
// an area (dragged by its inside) or one of its points (dragged by its handle).
class TImageMapCanvas : public QWidget {
  Q_OBJECT
 public:
  explicit TImageMapCanvas(QWidget* parent = nullptr);

  void SetPicture(const QImage& picture);
  bool HasPicture() const { return !picture_.isNull(); }
  // The picture's natural size.
  QSize PictureSize() const { return picture_.size(); }

  double Zoom() const { return zoom_; }
  void SetZoom(double zoom);
  void ZoomIn();
  void ZoomOut();

  TMapDrawing& Drawing() { return drawing_; }
  void SetEditing(bool editing);
  bool Editing() const { return editing_; }
  // The finished areas, one per line of the area list (nothing for a line that is no area).
  void SetAreas(std::vector<std::optional<TMapArea>> areas);
  int SelectedArea() const { return selected_; }

  // The picture pixel under a position of the widget.
  TMapPoint ToPicture(const QPointF& pos) const;

  std::function<void(const std::string& line)> OnAreaFinished;
  std::function<void(int index, const TMapArea& area)> OnAreaChanged;
  std::function<void()> OnDrawingChanged;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  struct TDrag {
    int Index = -1;
    TAreaHit Hit;
    TMapPoint Start;
    TMapArea Original;
  };

  QPointF ToWidget(TMapPoint p) const;
  void Finished(std::optional<std::string> line);
  void StartEdit(TMapPoint at);
  void DragTo(TMapPoint at);
  void PaintArea(QPainter& painter, const TMapArea& area, bool selected) const;
  void PaintDrawing(QPainter& painter) const;
  void Resize();

  QImage picture_;
  double zoom_ = 1.0;
  TMapDrawing drawing_;
  bool editing_ = false;
  std::vector<std::optional<TMapArea>> areas_;
  int selected_ = -1;
  std::optional<TDrag> drag_;
};

}  // namespace tervil
