#include "core/printing/PageGeometry.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace tervil {

TPageFrame ComputePageFrame(const TPrintSettings& settings, const TPageMetrics& metrics,
                            int pageNumber) {
  const TPrintMargins& m = settings.margins;
  const double perMm = metrics.unitsPerMillimeter;
  auto mm = [&](double value) { return std::max(0.0, m.InMillimeters(value) * perMm); };
  TPageFrame frame;
  double left = mm(m.left) + mm(m.gutter);
  double right = mm(m.right);
  if (m.mirrorMargins && pageNumber % 2 == 0) {
    left = mm(m.right);
    right = mm(m.left) + mm(m.gutter);
  }
  frame.left = left;
  frame.right = right;
  const double internal = mm(m.hfInternalMargin);
  frame.headerTop = mm(m.header);
  double top = mm(m.top);
  if (metrics.headerHeight > 0)
    top = std::max(top, frame.headerTop + metrics.headerHeight + internal);
  frame.footerBottom = metrics.paperHeight - mm(m.footer);
  double bottom = metrics.paperHeight - mm(m.bottom);
  if (metrics.footerHeight > 0)
    bottom = std::min(bottom, frame.footerBottom - metrics.footerHeight - internal);
  frame.hfLeft = left + mm(m.leftHFTextIndent);
  frame.hfRight = metrics.paperWidth - right - mm(m.rightHFTextIndent);

  const double charWidth = std::max(metrics.charWidth, 1e-6);
  frame.textLeft = left;
  if (settings.lineNumbers) {
    const int digits =
        std::max(2, static_cast<int>(std::to_string(std::max(1, metrics.lineCount)).size()));
    frame.numbersWidth = (digits + 1) * charWidth;  // the digits and a blank before the text
    if (settings.lineNumbersInMargin) {
      frame.numbersLeft = std::max(0.0, left - frame.numbersWidth);
      frame.numbersWidth = left - frame.numbersLeft;
    } else {
      frame.numbersLeft = left;
      frame.textLeft = left + frame.numbersWidth;
    }
  }
  frame.textTop = top;
  frame.textWidth = std::max(charWidth, metrics.paperWidth - right - frame.textLeft);
  frame.textHeight = std::max(0.0, bottom - top);
  const double lineHeight = std::max(metrics.lineHeight, 1e-6);
  frame.rowsPerPage =
      std::max(1, static_cast<int>(std::floor(frame.textHeight / lineHeight + 1e-9)));
  frame.columns = std::max(1, static_cast<int>(std::floor(frame.textWidth / charWidth + 1e-9)));
  return frame;
}

}  // namespace tervil
