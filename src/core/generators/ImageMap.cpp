#include "core/generators/ImageMap.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/common/Utf8.h"
#include "core/generators/MarkupText.h"

namespace tervil {

namespace {

std::string Pair(TMapPoint p) {
  return std::to_string(p.X) + "," + std::to_string(p.Y);
}

std::string_view ShapeKeyword(TMapShape shape) {
  switch (shape) {
    case TMapShape::Rectangle:
      return "rect";
    case TMapShape::Circle:
      return "circle";
    case TMapShape::Polygon:
      break;
  }
  return "polygon";
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Where the value of attribute `name` lies in a tag (quoted or not), or nothing.
struct TValueSpan {
  std::size_t Start = 0;
  std::size_t Length = 0;
};

std::optional<TValueSpan> FindAttribute(std::string_view tag, std::string_view name) {
  for (std::size_t i = 0; i + name.size() <= tag.size(); ++i) {
    if (!EqualsNoCase(tag.substr(i, name.size()), name)) continue;
    if (i == 0 || !IsBlank(tag[i - 1])) continue;
    std::size_t j = i + name.size();
    while (j < tag.size() && IsBlank(tag[j])) ++j;
    if (j >= tag.size() || tag[j] != '=') continue;
    ++j;
    while (j < tag.size() && IsBlank(tag[j])) ++j;
    if (j < tag.size() && (tag[j] == '"' || tag[j] == '\'')) {
      const std::size_t close = tag.find(tag[j], j + 1);
      if (close == std::string_view::npos) return std::nullopt;
      return TValueSpan{j + 1, close - j - 1};
    }
    std::size_t end = j;
    while (end < tag.size() && !IsBlank(tag[end]) && tag[end] != '>' && tag[end] != '/') ++end;
    return TValueSpan{j, end - j};
  }
  return std::nullopt;
}

std::optional<TMapShape> ShapeOf(std::string_view word) {
  if (EqualsNoCase(word, "poly") || EqualsNoCase(word, "polygon")) return TMapShape::Polygon;
  if (EqualsNoCase(word, "rect") || EqualsNoCase(word, "rectangle")) return TMapShape::Rectangle;
  if (EqualsNoCase(word, "circle") || EqualsNoCase(word, "circ")) return TMapShape::Circle;
  return std::nullopt;
}

std::optional<std::vector<int>> ParseNumbers(std::string_view text) {
  std::vector<int> numbers;
  std::size_t i = 0;
  while (i <= text.size()) {
    std::size_t end = text.find(',', i);
    if (end == std::string_view::npos) end = text.size();
    std::string_view item = text.substr(i, end - i);
    while (!item.empty() && IsBlank(item.front())) item.remove_prefix(1);
    while (!item.empty() && IsBlank(item.back())) item.remove_suffix(1);
    int value = 0;
    const auto [ptr, ec] = std::from_chars(item.data(), item.data() + item.size(), value);
    if (item.empty() || ec != std::errc() || ptr != item.data() + item.size()) return std::nullopt;
    numbers.push_back(value);
    i = end + 1;
  }
  return numbers;
}

int Radius(TMapPoint centre, TMapPoint edge) {
  return RoundHalfEven(std::hypot(double(edge.X - centre.X), double(edge.Y - centre.Y)));
}

bool Near(TMapPoint a, TMapPoint b, int tolerance) {
  return std::abs(a.X - b.X) <= tolerance && std::abs(a.Y - b.Y) <= tolerance;
}

// Even-odd rule on the polygon's vertices.
bool InsidePolygon(const std::vector<int>& c, TMapPoint p) {
  bool inside = false;
  const std::size_t n = c.size() / 2;
  for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
    const double xi = c[2 * i], yi = c[2 * i + 1], xj = c[2 * j], yj = c[2 * j + 1];
    if ((yi > p.Y) != (yj > p.Y) && p.X < (xj - xi) * (p.Y - yi) / (yj - yi) + xi) inside = !inside;
  }
  return inside;
}

}  // namespace

int RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double fraction = value - floor;
  double rounded = floor;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0)) rounded = floor + 1;
  return static_cast<int>(rounded);
}

std::string MapNameOf(std::string_view fileName) {
  const std::size_t chars = utf8::CountCharsTolerant(fileName);
  if (chars <= 4) return {};
  return std::string(fileName.substr(0, utf8::AdvanceCharsTolerant(fileName, chars - 4)));
}

std::string MapStartTag(std::string_view fileName) {
  return "<map id=\"" + EscapeAttribute(MapNameOf(fileName)) + "\">";
}

std::string MapEndPreview(std::string_view fileName) {
  return "</map><img src=\"" + EscapeAttribute(fileName) + "\" usemap=\"#" +
         EscapeAttribute(MapNameOf(fileName)) + "\">";
}

std::string MapEndTag(std::string_view fileName, int width, int height) {
  std::string tag = MapEndPreview(fileName);
  tag.pop_back();
  return tag + " width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(height) +
         "\" />";
}

std::string AssembleMap(std::string_view fileName, const std::vector<std::string>& areaLines,
                        int width, int height) {
  std::string text = MapStartTag(fileName) + "\n";
  for (const std::string& line : areaLines) text += line + "\r\n";
  return text + MapEndTag(fileName, width, height);
}

std::vector<std::string> SplitAreaLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    start = end + 1;
  }
  return lines;
}

std::string AreaLine(TMapShape shape, std::string_view coords) {
  return "<area href=\"http://\" shape=\"" + std::string(ShapeKeyword(shape)) + "\" coords=\"" +
         std::string(coords) + "\" />";
}

// ---- Drawing

void TMapDrawing::SetShape(TMapShape shape) {
  if (!drawing_) shape_ = shape;
}

void TMapDrawing::Restart() {
  drawing_ = false;
  ready_ = true;
  coords_.clear();
  vertices_.clear();
}

void TMapDrawing::Press(TMapPoint at) {
  if (!drawing_ && ready_) {
    drawing_ = true;
    first_ = last_ = rubber_ = at;
    vertices_.clear();
    coords_ = shape_ == TMapShape::Polygon ? std::string() : Pair(at);
  }
  ready_ = true;
}

void TMapDrawing::Move(TMapPoint at) {
  if (drawing_) rubber_ = at;
}

std::optional<std::string> TMapDrawing::Release(TMapPoint at) {
  if (!drawing_) return std::nullopt;
  last_ = rubber_ = at;
  if (shape_ == TMapShape::Circle) {
    coords_ += "," + std::to_string(Radius(first_, at));
  } else {
    coords_ += "," + Pair(at);
    if (coords_.front() == ',') coords_.erase(0, 1);
  }
  if (shape_ == TMapShape::Polygon) {
    vertices_.push_back(at);
    return std::nullopt;
  }
  std::optional<std::string> line = Finish();
  ready_ = true;
  return line;
}

// A double click outside a shape in progress adds nothing: finishing twice would write the last
// shape again.
std::optional<std::string> TMapDrawing::Finish() {
  if (!drawing_) {
    ready_ = false;
    return std::nullopt;
  }
  drawing_ = false;
  ready_ = false;
  vertices_.clear();
  return AreaLine(shape_, coords_);
}

// ---- Editing finished areas

std::optional<TMapArea> ParseArea(std::string_view line) {
  const auto shape = FindAttribute(line, "shape");
  const auto coords = FindAttribute(line, "coords");
  if (!shape || !coords) return std::nullopt;
  const auto kind = ShapeOf(line.substr(shape->Start, shape->Length));
  auto numbers = ParseNumbers(line.substr(coords->Start, coords->Length));
  if (!kind || !numbers) return std::nullopt;
  const std::size_t n = numbers->size();
  const bool complete = *kind == TMapShape::Polygon     ? (n >= 2 && n % 2 == 0)
                        : *kind == TMapShape::Rectangle ? n == 4
                                                        : n == 3;
  if (!complete) return std::nullopt;
  return TMapArea{*kind, std::move(*numbers)};
}

std::string CoordsText(const TMapArea& area) {
  std::string text;
  for (int value : area.Coords) {
    if (!text.empty()) text += ',';
    text += std::to_string(value);
  }
  return text;
}

std::string WithCoords(std::string_view line, const TMapArea& area) {
  const auto span = FindAttribute(line, "coords");
  if (!span) return std::string(line);
  std::string out(line);
  out.replace(span->Start, span->Length, CoordsText(area));
  return out;
}

TMapBounds Bounds(const TMapArea& area) {
  const auto& c = area.Coords;
  if (area.Shape == TMapShape::Circle) return {c[0] - c[2], c[1] - c[2], c[0] + c[2], c[1] + c[2]};
  TMapBounds b{c[0], c[1], c[0], c[1]};
  for (std::size_t i = 0; i + 1 < c.size(); i += 2) {
    b.Left = std::min(b.Left, c[i]);
    b.Right = std::max(b.Right, c[i]);
    b.Top = std::min(b.Top, c[i + 1]);
    b.Bottom = std::max(b.Bottom, c[i + 1]);
  }
  return b;
}

std::vector<TMapPoint> Handles(const TMapArea& area) {
  const auto& c = area.Coords;
  switch (area.Shape) {
    case TMapShape::Rectangle:
      return {{c[0], c[1]}, {c[2], c[1]}, {c[2], c[3]}, {c[0], c[3]}};
    case TMapShape::Circle:
      return {{c[0] + c[2], c[1]}};
    case TMapShape::Polygon:
      break;
  }
  std::vector<TMapPoint> points;
  for (std::size_t i = 0; i + 1 < c.size(); i += 2) points.push_back({c[i], c[i + 1]});
  return points;
}

TAreaHit HitTest(const TMapArea& area, TMapPoint at, int tolerance) {
  const auto& c = area.Coords;
  if (area.Shape == TMapShape::Circle) {
    const double distance = std::hypot(double(at.X - c[0]), double(at.Y - c[1]));
    if (std::abs(distance - c[2]) <= tolerance) return {TAreaHit::Handle, 0};
    return distance < c[2] ? TAreaHit{TAreaHit::Body} : TAreaHit{};
  }
  const auto handles = Handles(area);
  for (std::size_t i = 0; i < handles.size(); ++i)
    if (Near(handles[i], at, tolerance)) return {TAreaHit::Handle, static_cast<int>(i)};
  if (area.Shape == TMapShape::Rectangle) {
    const TMapBounds b = Bounds(area);
    const bool inside = at.X >= b.Left && at.X <= b.Right && at.Y >= b.Top && at.Y <= b.Bottom;
    return inside ? TAreaHit{TAreaHit::Body} : TAreaHit{};
  }
  return InsidePolygon(c, at) ? TAreaHit{TAreaHit::Body} : TAreaHit{};
}

TMapArea Moved(const TMapArea& area, int dx, int dy) {
  TMapArea moved = area;
  const std::size_t points = area.Shape == TMapShape::Circle ? 2 : area.Coords.size();
  for (std::size_t i = 0; i < points; ++i) moved.Coords[i] += (i % 2 == 0) ? dx : dy;
  return moved;
}

TMapArea WithHandle(const TMapArea& area, int index, TMapPoint at) {
  TMapArea edited = area;
  auto& c = edited.Coords;
  switch (area.Shape) {
    case TMapShape::Circle:
      c[2] = Radius({c[0], c[1]}, at);
      break;
    case TMapShape::Rectangle:
      c[(index == 1 || index == 2) ? 2 : 0] = at.X;
      c[(index == 2 || index == 3) ? 3 : 1] = at.Y;
      break;
    case TMapShape::Polygon:
      if (index >= 0 && 2 * static_cast<std::size_t>(index) + 1 < c.size()) {
        c[2 * index] = at.X;
        c[2 * index + 1] = at.Y;
      }
      break;
  }
  return edited;
}

}  // namespace tervil
