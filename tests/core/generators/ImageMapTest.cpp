// The image map editor: drawing each shape from pointer events, the map markup, and editing
// finished areas.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "GeneratorTestSupport.h"
#include "core/generators/ImageMap.h"

namespace tervil {
namespace {

// Pointer events as the picture delivers them: a click is a press and a release; a double click
// is a press, a release, the double click (finishing, then the press it carries) and a release.
class TPointer {
 public:
  explicit TPointer(TMapShape shape) { drawing_.SetShape(shape); }
  TPointer& Drag(TMapPoint from, TMapPoint to) {
    drawing_.Press(from);
    drawing_.Move(to);
    Keep(drawing_.Release(to));
    return *this;
  }
  TPointer& Click(TMapPoint at) { return Drag(at, at); }
  TPointer& DoubleClick(TMapPoint at) {
    Click(at);
    Keep(drawing_.Finish());
    drawing_.Press(at);
    Keep(drawing_.Release(at));
    return *this;
  }
  const std::vector<std::string>& Lines() const { return lines_; }
  TMapDrawing& Drawing() { return drawing_; }

 private:
  void Keep(std::optional<std::string> line) {
    if (line) lines_.push_back(*line);
  }
  TMapDrawing drawing_;
  std::vector<std::string> lines_;
};

struct TShapeCase {
  const char* what;
  TMapShape shape;
  std::function<void(TPointer&)> events;
  std::vector<std::string> expected;
};

std::string Area(const char* shape, const char* coords) {
  return std::string("<area href=\"http://\" shape=\"") + shape + "\" coords=\"" + coords + "\" />";
}

TEST(ImageMap, DrawsEachShape) {
  const TShapeCase cases[] = {
      {"rectangle",
       TMapShape::Rectangle,
       [](TPointer& p) {
         p.Drag({10, 10}, {50, 40});
       },
       {Area("rect", "10,10,50,40")}},
      {"rectangle dragged right to left keeps the larger x first",
       TMapShape::Rectangle,
       [](TPointer& p) {
         p.Drag({50, 10}, {10, 40});
       },
       {Area("rect", "50,10,10,40")}},
      {"circle 3 right and 4 down has radius 5",
       TMapShape::Circle,
       [](TPointer& p) {
         p.Drag({20, 20}, {23, 24});
       },
       {Area("circle", "20,20,5")}},
      {"circle radius rounds to the nearest pixel",
       TMapShape::Circle,
       [](TPointer& p) {
         p.Drag({0, 0}, {0, 3}).Drag({0, 0}, {1, 2});
       },
       {Area("circle", "0,0,3"), Area("circle", "0,0,2")}},
      {"polygon: a click, then a double click elsewhere",
       TMapShape::Polygon,
       [](TPointer& p) {
         p.Click({1, 2}).DoubleClick({30, 40});
       },
       {Area("polygon", "1,2,30,40")}},
      {"polygon with four vertices, then the next one",
       TMapShape::Polygon,
       [](TPointer& p) {
         p.Click({0, 0}).Click({10, 0}).Click({10, 10}).DoubleClick({0, 10});
         p.Click({5, 5}).DoubleClick({6, 6});
       },
       {Area("polygon", "0,0,10,0,10,10,0,10"), Area("polygon", "5,5,6,6")}},
      {"double click in rectangle mode writes the rectangle once",
       TMapShape::Rectangle,
       [](TPointer& p) {
         p.DoubleClick({7, 8});
       },
       {Area("rect", "7,8,7,8")}},
      {"the press after a double click starts the next shape",
       TMapShape::Rectangle,
       [](TPointer& p) {
         p.DoubleClick({1, 1}).Drag({2, 2}, {3, 3});
       },
       {Area("rect", "1,1,1,1"), Area("rect", "2,2,3,3")}},
  };
  for (const TShapeCase& c : cases) {
    SCOPED_TRACE(c.what);
    TPointer pointer(c.shape);
    c.events(pointer);
    EXPECT_EQ(pointer.Lines(), c.expected);
    EXPECT_FALSE(pointer.Drawing().Drawing());
  }
}

TEST(ImageMap, ShapeCannotChangeWhileDrawing) {
  TMapDrawing drawing;
  drawing.Press({1, 1});
  drawing.Release({1, 1});
  EXPECT_TRUE(drawing.Drawing());
  EXPECT_EQ(drawing.Vertices().size(), 1u);
  drawing.SetShape(TMapShape::Circle);
  EXPECT_EQ(drawing.Shape(), TMapShape::Polygon);
  drawing.Move({9, 9});
  EXPECT_EQ(drawing.Rubber(), (TMapPoint{9, 9}));
  EXPECT_EQ(drawing.Finish(), Area("polygon", "1,1"));
  drawing.SetShape(TMapShape::Circle);
  EXPECT_EQ(drawing.Shape(), TMapShape::Circle);
}

TEST(ImageMap, AssemblesTheMap) {
  EXPECT_EQ(MapNameOf("photo.gif"), "photo");
  EXPECT_EQ(MapNameOf("photo.jpeg"), "photo.");
  EXPECT_EQ(MapNameOf("b\xC3\xA4r.png"), "b\xC3\xA4r");
  EXPECT_EQ(MapNameOf(".gif"), "");
  EXPECT_EQ(MapStartTag("photo.gif"), "<map id=\"photo\">");
  EXPECT_EQ(MapEndPreview("photo.gif"), "</map><img src=\"photo.gif\" usemap=\"#photo\">");
  const std::string map = AssembleMap("photo.gif", {Area("rect", "10,10,50,40")}, 120, 80);
  EXPECT_EQ(map, "<map id=\"photo\">\n" + Area("rect", "10,10,50,40") +
                     "\r\n</map><img src=\"photo.gif\" usemap=\"#photo\" width=\"120\" "
                     "height=\"80\" />");
  EXPECT_EQ(test::HtmlParseErrors(map), "");
  EXPECT_EQ(AssembleMap("", {}, 0, 0),
            "<map id=\"\">\n</map><img src=\"\" usemap=\"#\" width=\"0\" height=\"0\" />");
}

TEST(ImageMap, FileNamesWithMarkupCharactersGiveValidMarkup) {
  const std::string map = AssembleMap("a\"b&<c>.png", {Area("circle", "1,1,1")}, 3, 4);
  EXPECT_NE(map.find("src=\"a&quot;b&amp;&lt;c&gt;.png\""), std::string::npos);
  EXPECT_NE(map.find("<map id=\"a&quot;b&amp;&lt;c&gt;\">"), std::string::npos);
  EXPECT_EQ(test::HtmlParseErrors(map), "");
}

TEST(ImageMap, EveryShapeGivesMarkupTheParserAccepts) {
  const std::vector<std::string> lines = {Area("polygon", "1,2,30,40,5,60"),
                                          Area("rect", "50,10,10,40"), Area("circle", "20,20,5")};
  EXPECT_EQ(test::HtmlParseErrors(AssembleMap("shapes.webp", lines, 640, 480)), "");
}

TEST(ImageMap, SplitsTheAreaList) {
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitAreaLines(""), V{});
  EXPECT_EQ(SplitAreaLines("a\nb"), (V{"a", "b"}));
  EXPECT_EQ(SplitAreaLines("a\r\nb\r\n"), (V{"a", "b"}));
  EXPECT_EQ(SplitAreaLines("a\n\nb"), (V{"a", "", "b"}));
}

TEST(ImageMap, ReadsAreasBack) {
  struct TRow {
    std::string line;
    std::optional<TMapShape> shape;
    std::vector<int> coords;
  };
  const TRow rows[] = {
      {Area("rect", "50,10,10,40"), TMapShape::Rectangle, {50, 10, 10, 40}},
      {Area("circle", "20,20,5"), TMapShape::Circle, {20, 20, 5}},
      {Area("polygon", "1,2,3,4,5,6"), TMapShape::Polygon, {1, 2, 3, 4, 5, 6}},
      {"<AREA SHAPE=poly COORDS='1, 2 ,3,4' href=\"x.html\">", TMapShape::Polygon, {1, 2, 3, 4}},
      {"<area href=\"go\" shape=\"rect\" coords=\"1,2,3\" />", std::nullopt, {}},
      {"<area href=\"go\" shape=\"star\" coords=\"1,2,3,4\" />", std::nullopt, {}},
      {"<area href=\"go\" shape=\"circle\" coords=\"1,x,3\" />", std::nullopt, {}},
      {"<area href=\"go\" shape=\"circle\" />", std::nullopt, {}},
      {"<area href=\"go\" noshape=\"circle\" coords=\"1,1,1\" />", std::nullopt, {}},
      {"", std::nullopt, {}},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.line);
    const auto area = ParseArea(row.line);
    ASSERT_EQ(area.has_value(), row.shape.has_value());
    if (!area) continue;
    EXPECT_EQ(area->Shape, *row.shape);
    EXPECT_EQ(area->Coords, row.coords);
  }
}

TEST(ImageMap, MovesAndEditsAFinishedArea) {
  const std::string edited = "<area href=\"shop.html\" shape=\"rect\" coords=\"10,10,50,40\" />";
  TMapArea rect = *ParseArea(edited);
  EXPECT_EQ(HitTest(rect, {30, 20}, 3).What, TAreaHit::Body);
  EXPECT_EQ(HitTest(rect, {60, 20}, 3).What, TAreaHit::None);
  const TAreaHit corner = HitTest(rect, {51, 41}, 3);
  ASSERT_EQ(corner.What, TAreaHit::Handle);
  EXPECT_EQ(corner.HandleIndex, 2);
  EXPECT_EQ(CoordsText(WithHandle(rect, corner.HandleIndex, {70, 60})), "10,10,70,60");
  EXPECT_EQ(CoordsText(WithHandle(rect, 3, {5, 45})), "5,10,50,45");
  // Moving keeps what the user typed into the line.
  EXPECT_EQ(WithCoords(edited, Moved(rect, 5, -2)),
            "<area href=\"shop.html\" shape=\"rect\" coords=\"15,8,55,38\" />");

  TMapArea circle = *ParseArea(Area("circle", "20,20,5"));
  EXPECT_EQ(HitTest(circle, {25, 20}, 2).What, TAreaHit::Handle);
  EXPECT_EQ(HitTest(circle, {20, 20}, 2).What, TAreaHit::Body);
  EXPECT_EQ(CoordsText(WithHandle(circle, 0, {20, 30})), "20,20,10");
  EXPECT_EQ(CoordsText(Moved(circle, 1, 1)), "21,21,5");
  const TMapBounds b = Bounds(circle);
  EXPECT_EQ(b.Left, 15);
  EXPECT_EQ(b.Bottom, 25);

  TMapArea triangle = *ParseArea(Area("polygon", "0,0,20,0,0,20"));
  EXPECT_EQ(HitTest(triangle, {5, 5}, 1).What, TAreaHit::Body);
  EXPECT_EQ(HitTest(triangle, {15, 15}, 1).What, TAreaHit::None);
  EXPECT_EQ(HitTest(triangle, {19, 1}, 1).HandleIndex, 1);
  EXPECT_EQ(CoordsText(WithHandle(triangle, 2, {0, 30})), "0,0,20,0,0,30");
  EXPECT_EQ(CoordsText(WithHandle(triangle, 7, {9, 9})), "0,0,20,0,0,20");
}

TEST(ImageMap, RoundsHalvesToEven) {
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(2.49), 2);
  EXPECT_EQ(RoundHalfEven(2.51), 3);
  EXPECT_EQ(RoundHalfEven(0.0), 0);
}

}  // namespace
}  // namespace tervil
