#include "core/search/ConfirmPlacement.h"

#include <algorithm>

namespace tervil {

namespace {
constexpr int kGap = 4;
}

TScreenPoint ConfirmDialogPlace(const TScreenRect& client, const TScreenRect& line, int width,
                                int height) {
  TScreenPoint at;
  if (client.Width < width)
    at.X = client.Left + (client.Width - width) / 2;
  else
    at.X = std::min(line.Left, client.Left + client.Width - width);
  const int lineBottom = line.Top + line.Height;
  if (lineBottom > client.Top + client.Height * 2 / 3)
    at.Y = line.Top - kGap - height;
  else
    at.Y = lineBottom + kGap;
  return at;
}

}  // namespace tervil
