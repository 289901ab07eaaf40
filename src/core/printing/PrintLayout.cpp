#include "core/printing/PrintLayout.h"

#include <algorithm>

#include "core/common/Utf8.h"
#include "core/editview/LineGeometry.h"
#include "core/editview/ViewLayout.h"

namespace tervil {

void TPrintLayout::Start(int lineCount, TLineSource source, const TPrintLayoutOptions& options) {
  source_ = std::move(source);
  options_ = options;
  options_.rowsPerPage = std::max(1, options_.rowsPerPage);
  options_.columns = std::max(1, options_.columns);
  options_.tabWidth = std::max(1, options_.tabWidth);
  lineCount_ = std::max(0, lineCount);
  next_ = 0;
  rowOnPage_ = 0;
  state_ = 0;
  pages_.clear();
  // A document without lines still prints one (empty) page.
  if (lineCount_ == 0) pages_.push_back({0, 0, -1, 0, 0});
}

void TPrintLayout::LayOutLine(int line) {
  const std::string text = source_(line);
  int rows = 1;
  if (options_.wrap) {
    WrapLine(text, options_.tabWidth, options_.columns, rowChars_, rowColumns_);
    rows = static_cast<int>(rowChars_.size());
  }
  const THighlighterState startState = state_;
  if (options_.highlighter) {
    tokens_.clear();
    state_ = options_.highlighter->TokenizeLine(text, state_, tokens_);
  }
  for (int row = 0; row < rows; ++row) {
    if (rowOnPage_ == 0) pages_.push_back({line, row, line, row, startState});
    TPrintPage& page = pages_.back();
    page.lastLine = line;
    page.lastRow = row;
    if (++rowOnPage_ == options_.rowsPerPage) rowOnPage_ = 0;
  }
}

bool TPrintLayout::AdvanceLines(int lines) {
  for (int i = 0; i < lines && next_ < lineCount_; ++i) LayOutLine(next_++);
  return !Done();
}

bool TPrintLayout::Advance(std::chrono::microseconds budget) {
  const auto end = std::chrono::steady_clock::now() + budget;
  while (AdvanceLines(256)) {
    if (std::chrono::steady_clock::now() >= end) return true;
  }
  return false;
}

void TPrintLayout::LayoutAll() {
  while (AdvanceLines(1 << 16)) {
  }
}

std::vector<TPrintRow> TPrintLayout::PageRows(int index) const {
  std::vector<TPrintRow> rows;
  const TPrintPage& page = Page(index);
  std::vector<int> chars, columns;
  for (int line = page.firstLine; line <= page.lastLine; ++line) {
    const std::string text = source_(line);
    const int length = static_cast<int>(utf8::CountChars(text));
    if (options_.wrap) {
      WrapLine(text, options_.tabWidth, options_.columns, chars, columns);
    } else {
      chars.assign(1, 0);
      columns.assign(1, 0);
    }
    const int count = static_cast<int>(chars.size());
    const int first = line == page.firstLine ? page.firstRow : 0;
    const int last = line == page.lastLine ? page.lastRow : count - 1;
    for (int row = first; row <= last && row < count; ++row) {
      const int endChar = row + 1 < count ? chars[static_cast<std::size_t>(row) + 1] : length;
      rows.push_back({line, row, chars[static_cast<std::size_t>(row)], endChar,
                      columns[static_cast<std::size_t>(row)]});
    }
  }
  return rows;
}

std::vector<TPrintRun> RowRuns(std::string_view line, const std::vector<TToken>& tokens,
                               const TPrintRow& row, int tabWidth) {
  std::vector<TPrintRun> runs;
  std::size_t token = 0;
  int index = 0, column = 0;
  for (std::size_t byte = 0; byte < line.size() && index < row.endChar;) {
    std::size_t end = byte + 1;
    while (end < line.size() && utf8::IsContinuation(static_cast<unsigned char>(line[end]))) ++end;
    const bool tab = line[byte] == '\t';
    const int advance = tab ? TabAdvance(column, tabWidth) : 1;
    if (index >= row.startChar) {
      while (token < tokens.size() &&
             static_cast<std::size_t>(tokens[token].start) +
                     static_cast<std::size_t>(std::max(tokens[token].length, 0)) <=
                 byte)
        ++token;
      const THighlighterAttribute* attribute =
          token < tokens.size() && static_cast<std::size_t>(tokens[token].start) <= byte
              ? tokens[token].attribute
              : nullptr;
      if (runs.empty() || runs.back().attribute != attribute)
        runs.push_back({column, std::string(), attribute});
      if (tab) {
        runs.back().text.append(static_cast<std::size_t>(advance), ' ');
      } else {
        runs.back().text.append(line.substr(byte, end - byte));
      }
    }
    column += advance;
    ++index;
    byte = end;
  }
  return runs;
}

}  // namespace tervil
