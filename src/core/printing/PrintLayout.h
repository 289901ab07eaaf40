#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "core/editcomponent/Highlighter.h"

namespace tervil {

struct TPrintLayoutOptions {
  int rowsPerPage = 60;
  int columns = 80;  // display columns of a row (wrapping)
  int tabWidth = 8;
  bool wrap = true;
  THighlighter* highlighter = nullptr;  // states at page starts are kept when set
};

// One printed page: from a row of a line to a row of a line (lines from 0, rows of a wrapped
// line from 0), and the highlighter's state at the start of its first line.
struct TPrintPage {
  int firstLine = 0;
  int firstRow = 0;
  int lastLine = -1;
  int lastRow = 0;
  THighlighterState state = 0;
};

// A row of a page: characters [startChar, endChar) of a line, starting at display column
// startColumn of that line (tabs keep their stops across wrapped rows).
struct TPrintRow {
  int line = 0;
  int row = 0;  // 0 for the row that starts the line (the one that gets its number)
  int startChar = 0;
  int endChar = 0;
  int startColumn = 0;
};

// A piece of a row in one style: its text with tabs expanded to blanks, starting at display
// column `column` of the line.
struct TPrintRun {
  int column = 0;
  std::string text;
  const THighlighterAttribute* attribute = nullptr;
};

// The runs of one row of `line`, styled by the line's tokens (none: one plain run). Runs of
// equal style are merged; blanks of a tab reach its next stop.
std::vector<TPrintRun> RowRuns(std::string_view line, const std::vector<TToken>& tokens,
                               const TPrintRow& row, int tabWidth);

// Splits a document into pages of a fixed number of rows. The work goes in slices (Advance), so
// a window can show the first pages of a large document at once and lay out the rest while idle;
// pages already made never change.
class TPrintLayout {
 public:
  using TLineSource = std::function<std::string(int)>;

  // Starts a layout of `lineCount` lines read through `source`.
  void Start(int lineCount, TLineSource source, const TPrintLayoutOptions& options);
  // Lays out up to `lines` more lines; returns whether work remains.
  bool AdvanceLines(int lines);
  // Lays out for about `budget`; returns whether work remains.
  bool Advance(std::chrono::microseconds budget);
  void LayoutAll();

  bool Done() const { return next_ >= lineCount_; }
  // Pages made so far; every page once Done.
  int PageCount() const { return static_cast<int>(pages_.size()); }
  const TPrintPage& Page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
  // The rows of a made page, top down.
  std::vector<TPrintRow> PageRows(int index) const;
  const TPrintLayoutOptions& Options() const { return options_; }
  int LineCount() const { return lineCount_; }
  std::string Line(int index) const { return source_ ? source_(index) : std::string(); }

 private:
  void LayOutLine(int line);

  TLineSource source_;
  TPrintLayoutOptions options_;
  int lineCount_ = 0;
  int next_ = 0;
  int rowOnPage_ = 0;  // rows of the open page
  THighlighterState state_ = 0;
  std::vector<TPrintPage> pages_;
  std::vector<int> rowChars_, rowColumns_;
  std::vector<TToken> tokens_;
};

}  // namespace tervil
