#pragma once

#include "core/printing/PrintSettings.h"

namespace tervil {

// What the printer and the fonts measure, in the printer's device units.
struct TPageMetrics {
  double paperWidth = 0;
  double paperHeight = 0;
  double unitsPerMillimeter = 1;
  double lineHeight = 1;    // a text row of the document font
  double charWidth = 1;     // one column of the document font
  double headerHeight = 0;  // the header's lines together; 0 without items
  double footerHeight = 0;  // the same for the footer
  int lineCount = 1;        // the document's lines, for the width of the line numbers
};

// Where everything goes on one page, in device units.
struct TPageFrame {
  double left = 0, right = 0;        // the text's horizontal margins (gutter and mirror applied)
  double textLeft = 0, textTop = 0;  // the first row's top left corner
  double textWidth = 0, textHeight = 0;
  double numbersLeft = 0, numbersWidth = 0;  // right-aligned line numbers; 0 wide when off
  double headerTop = 0, footerBottom = 0;
  double hfLeft = 0, hfRight = 0;  // where header and footer texts start and end
  int rowsPerPage = 1;
  int columns = 1;
};

// Lays a page out from the margins: the header below its distance from the top edge, the text
// from the top margin (or below a header that reaches further) to the bottom margin (or above
// the footer), line numbers in the left margin or at the start of the text area. Odd pages have
// the gutter on the left; with mirror margins even pages swap the left and right sides.
TPageFrame ComputePageFrame(const TPrintSettings& settings, const TPageMetrics& metrics,
                            int pageNumber);

}  // namespace tervil
