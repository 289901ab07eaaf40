#pragma once

// The image map editor without its window: the markup of the map and its areas, the drawing of
// polygons, rectangles and circles from pointer events, and the editing of finished areas.
// Positions are pixel positions on the picture.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tervil {

enum class TMapShape { Polygon, Rectangle, Circle };

struct TMapPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const TMapPoint&) const = default;
};

// Rounds to the nearest integer, halves to the even neighbour.
int RoundHalfEven(double value);

// The map name of a picture's file name: the name without its last four characters.
std::string MapNameOf(std::string_view fileName);
// `<map id="M">`.
std::string MapStartTag(std::string_view fileName);
// `</map><img src="F" usemap="#M">`, the preview shown before the size is known.
std::string MapEndPreview(std::string_view fileName);
// `</map><img src="F" usemap="#M" width="W" height="H" />`.
std::string MapEndTag(std::string_view fileName, int width, int height);
// The map start tag, LF, every area line followed by CR LF, then the end tag.
std::string AssembleMap(std::string_view fileName, const std::vector<std::string>& areaLines,
                        int width, int height);
// The lines of the area list's text (LF or CR LF breaks); a final line break adds no line.
std::vector<std::string> SplitAreaLines(std::string_view text);

// One `area` line for a finished shape.
std::string AreaLine(TMapShape shape, std::string_view coords);

// The drawing of one shape after another from pointer events on the picture.
class TMapDrawing {
 public:
  TMapShape Shape() const { return shape_; }
  // Ignored while a shape is in progress.
  void SetShape(TMapShape shape);
  bool Drawing() const { return drawing_; }
  bool Ready() const { return ready_; }
  // A picture was opened: nothing in progress, and the next press starts a shape.
  void Restart();

  void Press(TMapPoint at);
  void Move(TMapPoint at);
  // A rectangle or circle is finished by its release: the area line is returned.
  std::optional<std::string> Release(TMapPoint at);
  // A double click: a shape in progress is finished and its area line returned.
  std::optional<std::string> Finish();

  // For painting the shape in progress.
  const std::string& CoordsText() const { return coords_; }
  TMapPoint First() const { return first_; }
  TMapPoint Last() const { return last_; }
  TMapPoint Rubber() const { return rubber_; }
  // The polygon's vertices so far.
  const std::vector<TMapPoint>& Vertices() const { return vertices_; }

 private:
  TMapShape shape_ = TMapShape::Polygon;
  bool drawing_ = false;
  bool ready_ = true;
  TMapPoint first_;
  TMapPoint last_;
  TMapPoint rubber_;
  std::string coords_;
  std::vector<TMapPoint> vertices_;
};

// A finished area read back from its line, for showing and editing it on the picture.
struct TMapArea {
  TMapShape Shape = TMapShape::Polygon;
  // Polygon: x, y of each vertex; rectangle: x1, y1, x2, y2; circle: x, y, radius.
  std::vector<int> Coords;
};

struct TMapBounds {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

// The shape and coordinates of an `area` line; nothing when the line is not a complete area.
std::optional<TMapArea> ParseArea(std::string_view line);
// The line with its coords value replaced by the area's coordinates; other text is kept.
std::string WithCoords(std::string_view line, const TMapArea& area);
std::string CoordsText(const TMapArea& area);
TMapBounds Bounds(const TMapArea& area);

// The points that can be dragged: the vertices, the four corners, or the point on a circle's
// right-hand edge.
std::vector<TMapPoint> Handles(const TMapArea& area);

struct TAreaHit {
  enum Kind { None, Body, Handle } What = None;
  int HandleIndex = -1;
};
// What lies under the point: a handle (within `tolerance` pixels; on a circle, its edge), else
// the inside of the area, else nothing.
TAreaHit HitTest(const TMapArea& area, TMapPoint at, int tolerance);
TMapArea Moved(const TMapArea& area, int dx, int dy);
// The area with handle `index` dragged to the point (a circle's edge sets its radius).
TMapArea WithHandle(const TMapArea& area, int index, TMapPoint at);

}  // namespace tervil
