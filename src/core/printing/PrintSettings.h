#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/common/Color.h"

namespace tervil {

// The units the page margins are given in, in the order of the page setup's "Units:" list.
enum class TMarginUnits { Millimeters, Centimeters, Inches, Thousandths };

// The caption of a unit in the "Units:" list.
const char* MarginUnitsCaption(TMarginUnits units);
// Millimetres in one of `units`.
double MillimetersPerUnit(TMarginUnits units);

// The page margins and header/footer distances, in `units`.
struct TPrintMargins {
  TMarginUnits units = TMarginUnits::Millimeters;
  double left = 25, right = 15, top = 25, bottom = 25;
  double gutter = 0;
  double header = 15, footer = 20;  // from the paper's top and bottom edges
  double leftHFTextIndent = 2, rightHFTextIndent = 2;
  double hfInternalMargin = 0.5;  // between the header (footer) and its frame line
  bool mirrorMargins = false;

  // Changes the unit, converting every length.
  void SetUnits(TMarginUnits newUnits);
  // A length of these margins in millimetres.
  double InMillimeters(double value) const { return value * MillimetersPerUnit(units); }
};

enum class THFAlignment { Left, Center, Right };

// Font of a header or footer item: family, points, TFontStyleBits and colour.
struct TPrintFont {
  std::string name = "Arial";
  int size = 10;
  int style = 0;
  TColor color = clBlack;
  friend bool operator==(const TPrintFont&, const TPrintFont&) = default;
};

// One text of a header or footer: on its line (from 1) at its alignment.
struct THeaderFooterItem {
  std::string text;
  TPrintFont font;
  int lineNumber = 1;
  THFAlignment alignment = THFAlignment::Left;
  friend bool operator==(const THeaderFooterItem&, const THeaderFooterItem&) = default;
};

// Frame types of a header or footer.
enum THFFrameBits : int { hfLine = 1, hfBox = 2, hfShadow = 4 };

// The items of one line of a header or footer.
struct THeaderFooterLine {
  int lineNumber = 1;
  std::vector<const THeaderFooterItem*> items;  // in the order they were added
};

struct THeaderFooter {
  std::vector<THeaderFooterItem> items;
  TPrintFont defaultFont;
  int frameTypes = 0;  // THFFrameBits
  TColor lineColor = clBlack;
  TColor shadowColor = clSilver;
  bool mirrorPosition = false;  // left and right items change places on even pages

  void Clear() { items.clear(); }
  void Add(std::string text, const TPrintFont& font, int lineNumber, THFAlignment alignment);
  // The lines that hold items, by ascending line number (lines without items are left out).
  std::vector<THeaderFooterLine> Lines() const;
};

// Everything the print engine keeps between prints; lives from start to exit.
struct TPrintSettings {
  int copies = 1;
  TPrintMargins margins;
  bool lineNumbers = true;
  bool lineNumbersInMargin = true;
  bool syntaxPrint = true;
  bool useColors = true;
  bool wrap = true;
  int tabWidth = 8;
  TColor background = clWhite;
  THeaderFooter header;
  THeaderFooter footer;
};

// What the macros of a header or footer text stand for on one page.
struct TMacroValues {
  int page = 1;
  int pageCount = 1;
  std::string time;
  std::string date;
  std::string title;
};

// Replaces "$PAGENUM$", "$PAGECOUNT$", "$TIME$", "$DATE$" and "$TITLE$" (case-insensitive) by
// their values; any other text, "$" signs included, is kept.
std::string ExpandMacros(std::string_view text, const TMacroValues& values);

// The pages (from 1) a print of `pageCount` pages covers for the range from..to: 0 for both
// means every page; a range is clamped to the document and an empty one prints nothing.
std::vector<int> PagesToPrint(int pageCount, int from, int to);

// Parses a number field of the page setup: a decimal number with "." or "," as the separator,
// blanks around allowed. False when the text is not such a number.
bool ParseMarginNumber(std::string_view text, double& value);
// A margin in the dialog: shortest decimal form, up to 4 places ("2.5", "25", "0.984").
std::string FormatMarginNumber(double value);

}  // namespace tervil
