#pragma once

// Places on the screen, in pixels, for the logic that positions popups and questions.

namespace tervil {

// A rectangle in screen pixels.
struct TScreenRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

struct TScreenPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TScreenPoint&, const TScreenPoint&) = default;
};

}  // namespace tervil
