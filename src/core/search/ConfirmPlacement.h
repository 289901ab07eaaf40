#pragma once

#include "core/common/ScreenGeometry.h"

namespace tervil {

// Where the replace question goes so that it does not hide the occurrence: its left edge at the
// occurrence, moved left to stay inside the window's client area (centred on it when the area
// is narrower than the question); 4 pixels below the occurrence's line, or 4 pixels above it
// when that line's bottom lies lower than two thirds of the area. `line` is the occurrence's
// line: its left is the occurrence's x, its height the line height.
TScreenPoint ConfirmDialogPlace(const TScreenRect& client, const TScreenRect& line, int width,
                                int height);

}  // namespace tervil
