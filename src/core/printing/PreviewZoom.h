#pragma once

namespace tervil {

// The preview's scale: a mode, or a percentage of the paper's real size.
struct TPreviewZoom {
  enum class TMode { WholePage, PageWidth, Percent };
  TMode mode = TMode::WholePage;
  int percent = 100;

  // A left click: from a fitted scale to 100 %, else double the percentage up to 400.
  void ZoomIn() {
    percent = mode == TMode::Percent ? (percent * 2 > 400 ? 400 : percent * 2) : 100;
    mode = TMode::Percent;
  }
  // A right click: half the percentage (of the scale shown), not below 25.
  void ZoomOut(int shownPercent) {
    const int from = mode == TMode::Percent ? percent : shownPercent;
    percent = from / 2 < 25 ? 25 : from / 2;
    mode = TMode::Percent;
  }
};

}  // namespace tervil
