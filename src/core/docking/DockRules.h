#pragma once

// The sizing rules of the tool windows and their dock areas, without any window: area names,
// the caption strip's shading, where a stored placement may go on the screen, and how large an
// area opens for the windows it holds.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/Color.h"

namespace tervil {

// The three dock areas along the main window's left, right and bottom edges.
enum class TDockArea { Left, Right, Bottom };

// What DockTo does for a stored area name.
enum class TDockTarget { Left, Right, Bottom, Float, Nothing };

inline constexpr int kDockAreaMaxSize = 300;   // the widest (highest) an area opens
inline constexpr int kDockAreaStartSize = 30;  // an area's size before anything was docked
inline constexpr int kGrabberSize = 16;        // the caption strip's thickness

// "DockPanelLeft" and "unset" dock left, "DockPanelRight" right, "DockPanelBottom" at the bottom,
// the empty name floats; any other name changes nothing.
TDockTarget DockTargetOfName(std::string_view name);
// "DockPanelLeft", "DockPanelRight" or "DockPanelBottom".
std::string DockAreaName(TDockArea area);

// One colour of the caption strip's shading: step `i` of `n` between `start` and `end`, each
// channel start + ceiling((end - start) * i / n). Plain RGB colours only.
TColor ShadeStep(TColor start, TColor end, int i, int n);

inline constexpr TColor kStripShadeStart = 0xBCC7CD;  // RGB (205, 199, 188)
inline constexpr TColor kStripShadeEnd = 0xEEEEEE;    // RGB (238, 238, 238)

struct TRect {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const TRect&, const TRect&) = default;
};

// A floating window's stored rectangle moved and shrunk so that it lies on `screen` (the work
// area of the screen it is shown on): a window stored off-screen or larger than a screen that
// got smaller comes back whole and reachable. `minWidth`/`minHeight` are kept where the screen
// allows.
TRect FitOnScreen(const TRect& stored, const TRect& screen, int minWidth, int minHeight);

// A stored tool window as the restore of the dock areas sees it.
struct TStoredToolWindow {
  std::string dock;  // the area name; empty when it floats
  bool visible = false;
  int left = 0, top = 0, width = 0, height = 0;
};

// How large an area opens after the placements were read: the largest left + width (for the
// left and right areas) or top + height (for the bottom area) of the windows stored as docked
// in it and visible, 0 when there is none, never more than kDockAreaMaxSize.
int RestoredAreaSize(TDockArea area, const std::vector<TStoredToolWindow>& windows);

// FitDockArea's size along the area's depth: at least the window's own size and as far as the
// visible windows of the area reach (`reaches` holds each one's offset + size), within
// [0, kDockAreaMaxSize] and the window's own limits.
int FittedAreaSize(int windowSize, const std::vector<int>& reaches, int windowMin, int windowMax);

}  // namespace tervil
