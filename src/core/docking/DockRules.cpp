#include "core/docking/DockRules.h"

#include <algorithm>
#include <cstdint>

namespace tervil {

TDockTarget DockTargetOfName(std::string_view name) {
  if (name == "DockPanelLeft" || name == "unset") return TDockTarget::Left;
  if (name == "DockPanelRight") return TDockTarget::Right;
  if (name == "DockPanelBottom") return TDockTarget::Bottom;
  if (name.empty()) return TDockTarget::Float;
  return TDockTarget::Nothing;
}

std::string DockAreaName(TDockArea area) {
  switch (area) {
    case TDockArea::Left:
      return "DockPanelLeft";
    case TDockArea::Right:
      return "DockPanelRight";
    case TDockArea::Bottom:
      return "DockPanelBottom";
  }
  return {};
}

namespace {
// start + ceiling(delta * i / n), also for a falling channel.
int ShadeChannel(int start, int end, int i, int n) {
  const std::int64_t num = static_cast<std::int64_t>(end - start) * i;
  std::int64_t q = num / n;
  if (num % n != 0 && num > 0) ++q;  // integer division truncates toward zero
  return std::clamp(static_cast<int>(start + q), 0, 255);
}
}  // namespace

TColor ShadeStep(TColor start, TColor end, int i, int n) {
  if (n <= 0) return start;
  TColor result = 0;
  for (int shift : {0, 8, 16}) {
    const int s = static_cast<int>((start >> shift) & 0xFF);
    const int e = static_cast<int>((end >> shift) & 0xFF);
    result |= static_cast<TColor>(ShadeChannel(s, e, i, n)) << shift;
  }
  return result;
}

namespace {
// One axis: size within [min, room], start so that the whole span lies in the room.
void FitSpan(int& start, int& size, int roomStart, int room, int minSize) {
  size = std::min(std::max(size, std::min(minSize, room)), room);
  start = std::clamp(start, roomStart, roomStart + room - size);
}
}  // namespace

TRect FitOnScreen(const TRect& stored, const TRect& screen, int minWidth, int minHeight) {
  TRect r = stored;
  FitSpan(r.left, r.width, screen.left, screen.width, minWidth);
  FitSpan(r.top, r.height, screen.top, screen.height, minHeight);
  return r;
}

int RestoredAreaSize(TDockArea area, const std::vector<TStoredToolWindow>& windows) {
  int size = 0;
  const std::string name = DockAreaName(area);
  for (const TStoredToolWindow& w : windows) {
    if (!w.visible || DockTargetOfName(w.dock) != DockTargetOfName(name)) continue;
    const int reach = area == TDockArea::Bottom ? w.top + w.height : w.left + w.width;
    size = std::max(size, reach);
  }
  return std::clamp(size, 0, kDockAreaMaxSize);
}

int FittedAreaSize(int windowSize, const std::vector<int>& reaches, int windowMin, int windowMax) {
  int size = windowSize;
  for (int reach : reaches) size = std::max(size, reach);
  size = std::min(size, std::min(windowMax, kDockAreaMaxSize));
  return std::max(size, std::min(windowMin, kDockAreaMaxSize));
}

}  // namespace tervil
