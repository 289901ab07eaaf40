// Page setup values and the layout of printed pages: margins in their units, the page frame for
// given font metrics, pagination with and without wrapping, header and footer macros.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/printing/PageGeometry.h"
#include "core/printing/PrintLayout.h"
#include "core/printing/PrintSettings.h"

namespace tervil {
namespace {

struct TPageSpan {
  int firstLine, firstRow, lastLine, lastRow;
  friend bool operator==(const TPageSpan&, const TPageSpan&) = default;
};

std::ostream& operator<<(std::ostream& os, const TPageSpan& s) {
  return os << "{" << s.firstLine << "," << s.firstRow << " - " << s.lastLine << "," << s.lastRow
            << "}";
}

std::vector<TPageSpan> Spans(const TPrintLayout& layout) {
  std::vector<TPageSpan> spans;
  for (int i = 0; i < layout.PageCount(); ++i) {
    const TPrintPage& p = layout.Page(i);
    spans.push_back({p.firstLine, p.firstRow, p.lastLine, p.lastRow});
  }
  return spans;
}

std::vector<std::string> Numbered(int count) {
  std::vector<std::string> lines;
  for (int i = 1; i <= count; ++i) lines.push_back("line " + std::to_string(i));
  return lines;
}

struct TLayoutCase {
  const char* name;
  std::vector<std::string> lines;
  int rowsPerPage;
  int columns;
  bool wrap;
  std::vector<TPageSpan> pages;
};

TEST(PrintLayout, PagesOfKnownTexts) {
  const std::string sixteen = "abcd efgh ijkl mnop";  // wraps at 10 columns after "efgh "
  const TLayoutCase cases[] = {
      {"one line", {"x"}, 5, 80, true, {{0, 0, 0, 0}}},
      {"empty document", {}, 5, 80, true, {{0, 0, -1, 0}}},
      {"exactly full page", Numbered(5), 5, 80, true, {{0, 0, 4, 0}}},
      {"one line over", Numbered(6), 5, 80, true, {{0, 0, 4, 0}, {5, 0, 5, 0}}},
      {"three pages", Numbered(12), 5, 80, false, {{0, 0, 4, 0}, {5, 0, 9, 0}, {10, 0, 11, 0}}},
      {"no wrap keeps long lines on one row",
       {sixteen, sixteen, sixteen},
       2,
       10,
       false,
       {{0, 0, 1, 0}, {2, 0, 2, 0}}},
      {"wrapped line crosses a page",
       {"a", sixteen, "b"},
       2,
       10,
       true,
       {{0, 0, 1, 0}, {1, 1, 2, 0}}},
      {"a line longer than a page",
       {std::string(35, 'x')},
       2,
       10,
       true,
       {{0, 0, 0, 1}, {0, 2, 0, 3}}},
      {"tabs count to their stops", {"\t\tab"}, 1, 10, true, {{0, 0, 0, 0}, {0, 1, 0, 1}}},
      {"single row pages", Numbered(3), 0, 80, true, {{0, 0, 0, 0}, {1, 0, 1, 0}, {2, 0, 2, 0}}},
  };
  for (const TLayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    TPrintLayout layout;
    const std::vector<std::string> lines = c.lines;
    layout.Start(static_cast<int>(lines.size()), [lines](int i) { return lines.at(i); },
                 {c.rowsPerPage, c.columns, 8, c.wrap, nullptr});
    layout.LayoutAll();
    EXPECT_TRUE(layout.Done());
    EXPECT_EQ(Spans(layout), c.pages);
  }
}

TEST(PrintLayout, RowsOfAPageSplitWrappedLinesAtBlanks) {
  const std::vector<std::string> lines = {"a", "abcd efgh ijkl mnop", "b"};
  TPrintLayout layout;
  layout.Start(3, [&lines](int i) { return lines.at(i); }, {2, 10, 8, true, nullptr});
  layout.LayoutAll();
  const std::vector<TPrintRow> second = layout.PageRows(1);
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[0].line, 1);
  EXPECT_EQ(second[0].row, 1);
  EXPECT_EQ(second[0].startChar, 10);  // "ijkl mnop"
  EXPECT_EQ(second[0].endChar, 19);
  EXPECT_EQ(second[1].line, 2);
  EXPECT_EQ(second[1].row, 0);
}

TEST(PrintLayout, SlicesGiveTheSamePagesAsOneRun) {
  const std::vector<std::string> lines = Numbered(1000);
  auto source = [&lines](int i) { return lines.at(i); };
  TPrintLayout whole, sliced;
  whole.Start(1000, source, {7, 5, 8, true, nullptr});
  whole.LayoutAll();
  sliced.Start(1000, source, {7, 5, 8, true, nullptr});
  int steps = 0;
  while (sliced.AdvanceLines(13)) ++steps;
  EXPECT_GT(steps, 10);
  EXPECT_EQ(Spans(sliced), Spans(whole));
}

// Counts open quotes across lines: the state at a page start must be the one after all lines
// above it.
class TQuoteHighlighter : public THighlighter {
 public:
  std::string LanguageName() const override { return "Quotes"; }
  std::string DefaultFilter() const override { return ""; }
  std::vector<THighlighterAttribute*> Attributes() override { return {}; }
  THighlighterState TokenizeLine(std::string_view line, THighlighterState start,
                                 std::vector<TToken>&) override {
    for (char c : line)
      if (c == '"') start ^= 1;
    return start;
  }
};

TEST(PrintLayout, PagesKeepTheHighlighterStateOfTheirFirstLine) {
  const std::vector<std::string> lines = {"a", "\"open", "b", "close\"", "c", "d"};
  TQuoteHighlighter quotes;
  TPrintLayout layout;
  layout.Start(6, [&lines](int i) { return lines.at(i); }, {2, 80, 8, true, &quotes});
  layout.LayoutAll();
  ASSERT_EQ(layout.PageCount(), 3);
  EXPECT_EQ(layout.Page(0).state, 0u);
  EXPECT_EQ(layout.Page(1).state, 1u);  // "b" is inside the string
  EXPECT_EQ(layout.Page(2).state, 0u);
}

TEST(PrintLayout, RowRunsFollowTokensAndTabStops) {
  const THighlighterAttribute keyword{"Keyword"}, text{"Text"};
  const std::string line =
      "if\t\xC3\xA4"
      "b cd";  // "if", tab, "äb cd"
  const std::vector<TToken> tokens = {{0, 2, &keyword}, {2, 1, nullptr}, {3, 3, &text}};
  const std::vector<TPrintRun> whole = RowRuns(line, tokens, {0, 0, 0, 8, 0}, 4);
  ASSERT_EQ(whole.size(), 4u);
  EXPECT_EQ(whole[0].text, "if");
  EXPECT_EQ(whole[0].attribute, &keyword);
  EXPECT_EQ(whole[1].text, "  ");  // the tab reaches column 4
  EXPECT_EQ(whole[1].attribute, nullptr);
  EXPECT_EQ(whole[2].column, 4);
  EXPECT_EQ(whole[2].text,
            "\xC3\xA4"
            "b");
  EXPECT_EQ(whole[3].text, " cd");
  const std::vector<TPrintRun> tail = RowRuns(line, {}, {0, 1, 5, 8, 6}, 4);
  ASSERT_EQ(tail.size(), 1u);
  EXPECT_EQ(tail[0].column, 6);
  EXPECT_EQ(tail[0].text, " cd");
}

TEST(PageGeometry, RowsAndColumnsForFontAndMargins) {
  struct TCase {
    const char* name;
    double lineHeight, charWidth, header, footer;
    bool numbers, inMargin;
    int rows, columns;
    double textLeft;
  };
  // A4 at one unit per millimetre: 210 x 297, margins 25/15/25/25, header at 15, footer at 20.
  const TCase cases[] = {
      {"plain", 5, 2, 0, 0, false, false, 49, 85, 25},  // (297-50)/5, (210-40)/2
      {"numbers in margin", 5, 2, 0, 0, true, true, 49, 85, 25},
      {"numbers in text", 5, 2, 0, 0, true, false, 49, 82, 31},              // 3 columns for "99 "
      {"header below top margin", 5, 2, 12, 0, false, false, 48, 85, 25},    // from 15+12+0.5
      {"footer above bottom margin", 5, 2, 0, 8, false, false, 48, 85, 25},  // to 297-20-8-0.5
      {"small font", 2.5, 1, 0, 0, false, false, 98, 170, 25},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TPrintSettings settings;
    settings.lineNumbers = c.numbers;
    settings.lineNumbersInMargin = c.inMargin;
    TPageMetrics metrics{210, 297, 1, c.lineHeight, c.charWidth, c.header, c.footer, 50};
    const TPageFrame frame = ComputePageFrame(settings, metrics, 1);
    EXPECT_EQ(frame.rowsPerPage, c.rows);
    EXPECT_EQ(frame.columns, c.columns);
    EXPECT_DOUBLE_EQ(frame.textLeft, c.textLeft);
  }
}

TEST(PageGeometry, GutterAndMirrorMargins) {
  TPrintSettings settings;
  settings.margins.gutter = 10;
  settings.margins.mirrorMargins = true;
  const TPageMetrics metrics{210, 297, 2, 10, 4, 0, 0, 10};  // two units per millimetre
  const TPageFrame odd = ComputePageFrame(settings, metrics, 1);
  const TPageFrame even = ComputePageFrame(settings, metrics, 2);
  EXPECT_DOUBLE_EQ(odd.left, 70);   // (25 + 10) * 2
  EXPECT_DOUBLE_EQ(odd.right, 30);  // 15 * 2
  EXPECT_DOUBLE_EQ(even.left, 30);
  EXPECT_DOUBLE_EQ(even.right, 70);
  settings.margins.mirrorMargins = false;
  EXPECT_DOUBLE_EQ(ComputePageFrame(settings, metrics, 2).left, 70);
}

TEST(PrintSettings, MacrosExpandOnEveryPage) {
  const TMacroValues values{3, 12, "14:05:09", "2026-12-11", "/www/index.php"};
  const std::pair<const char*, const char*> cases[] = {
      {"$PAGENUM$", "3"},
      {"Page $PAGENUM$ of $PAGECOUNT$", "Page 3 of 12"},
      {"$TITLE$", "/www/index.php"},
      {"$DATE$ $TIME$", "2026-12-11 14:05:09"},
      {"$pagenum$/$PageCount$", "3/12"},
      {"$5 and $PAGE$ stay", "$5 and $PAGE$ stay"},
      {"$$PAGENUM$$", "$3$"},
      {"", ""},
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(ExpandMacros(text, values), expected) << text;
}

TEST(PrintSettings, UnitsConvertTheMargins) {
  struct TCase {
    TMarginUnits units;
    double left, gutter;
  };
  const TCase cases[] = {
      {TMarginUnits::Centimeters, 2.5, 0},
      {TMarginUnits::Inches, 0.984251969, 0},
      {TMarginUnits::Thousandths, 984.251968504, 0},
      {TMarginUnits::Millimeters, 25, 0},
  };
  for (const TCase& c : cases) {
    TPrintMargins margins;  // 25 mm left
    margins.SetUnits(c.units);
    EXPECT_NEAR(margins.left, c.left, 1e-6) << MarginUnitsCaption(c.units);
    EXPECT_NEAR(margins.InMillimeters(margins.left), 25, 1e-6);
  }
  TPrintMargins margins;
  margins.SetUnits(TMarginUnits::Centimeters);
  EXPECT_EQ(FormatMarginNumber(margins.left), "2.5");
  EXPECT_EQ(FormatMarginNumber(margins.hfInternalMargin), "0.05");
  margins.SetUnits(TMarginUnits::Millimeters);
  EXPECT_EQ(FormatMarginNumber(margins.left), "25");
}

TEST(PrintSettings, MarginNumbers) {
  const std::pair<const char*, double> good[] = {{"25", 25},     {"2.5", 2.5}, {"2,5", 2.5},
                                                 {" 0.5 ", 0.5}, {"-1", -1},   {".5", 0.5}};
  for (const auto& [text, value] : good) {
    double parsed = 0;
    EXPECT_TRUE(ParseMarginNumber(text, parsed)) << text;
    EXPECT_DOUBLE_EQ(parsed, value) << text;
  }
  for (const char* bad : {"abc", "", " ", "1.2.3", "12mm", "1e5", "-", "."}) {
    double parsed = 7;
    EXPECT_FALSE(ParseMarginNumber(bad, parsed)) << bad;
    EXPECT_EQ(parsed, 7) << bad;
  }
}

TEST(PrintSettings, PageRanges) {
  struct TCase {
    int count, from, to;
    std::vector<int> pages;
  };
  const TCase cases[] = {
      {3, 0, 0, {1, 2, 3}}, {5, 2, 4, {2, 3, 4}}, {5, 4, 9, {4, 5}},
      {5, 6, 9, {}},        {0, 0, 0, {}},        {5, 3, 3, {3}},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(PagesToPrint(c.count, c.from, c.to), c.pages) << c.from << ".." << c.to;
}

TEST(PrintSettings, HeaderLinesGroupItemsByLineNumber) {
  THeaderFooter header;
  TPrintFont bold;
  bold.style = 1;
  header.Add("$TITLE$", bold, 1, THFAlignment::Left);
  header.Add("$DATE$", {}, 2, THFAlignment::Left);
  header.Add("Page $PAGENUM$", {}, 1, THFAlignment::Right);
  const std::vector<THeaderFooterLine> lines = header.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].lineNumber, 1);
  ASSERT_EQ(lines[0].items.size(), 2u);
  EXPECT_EQ(lines[0].items[0]->text, "$TITLE$");
  EXPECT_EQ(lines[0].items[0]->font.style, 1);
  EXPECT_EQ(lines[0].items[1]->alignment, THFAlignment::Right);
  EXPECT_EQ(lines[1].items[0]->text, "$DATE$");
}

TEST(PrintSettings, StartValues) {
  const TPrintSettings s;
  EXPECT_EQ(s.copies, 1);
  EXPECT_EQ(s.margins.units, TMarginUnits::Millimeters);
  EXPECT_EQ(s.margins.left, 25);
  EXPECT_EQ(s.margins.right, 15);
  EXPECT_EQ(s.margins.header, 15);
  EXPECT_EQ(s.margins.footer, 20);
  EXPECT_TRUE(s.lineNumbers && s.lineNumbersInMargin && s.syntaxPrint && s.useColors && s.wrap);
  EXPECT_EQ(s.header.defaultFont.name, "Arial");
  EXPECT_EQ(s.header.frameTypes, 0);
}

}  // namespace
}  // namespace tervil
