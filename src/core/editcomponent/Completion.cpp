#include "core/editcomponent/Completion.h"

#include <algorithm>

namespace tervil {

namespace {

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiUpper(c);
  return out;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool IsEndOfToken(char c) {
  return IsBlank(c) || kEndOfTokenChars.find(c) != std::string_view::npos;
}

// 0-9, A-Z, a-z, "_" and the bytes of letters beyond ASCII.
bool IsNameByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_' ||
         b >= 0x80;
}

const std::string kNoText;

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (AsciiUpper(text[i]) != AsciiUpper(prefix[i])) return false;
  }
  return true;
}

// ---------------------------------------------------------------- pretty text

std::vector<TPrettySegment> ParsePrettyText(std::string_view text) {
  std::vector<TPrettySegment> segments;
  TPrettySegment current;
  auto flush = [&] {
    if (!current.Text.empty()) segments.push_back(current);
    current.Text.clear();
  };
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t brace = text[i] == '\\' ? text.find('{', i) : std::string_view::npos;
    const std::size_t close = brace == std::string_view::npos ? brace : text.find('}', brace);
    const bool command =
        close != std::string_view::npos && std::all_of(text.begin() + i + 1, text.begin() + brace,
                                                       [](char c) { return c >= 'a' && c <= 'z'; });
    if (!command) {
      current.Text.push_back(text[i++]);
      continue;
    }
    const std::string_view name = text.substr(i + 1, brace - i - 1);
    const std::string_view argument = text.substr(brace + 1, close - brace - 1);
    flush();
    if (name == "column") ++current.Column;
    if (name == "style" && argument == "+B") current.Bold = true;
    if (name == "style" && argument == "-B") current.Bold = false;
    i = close + 1;
  }
  flush();
  return segments;
}

// ---------------------------------------------------------------- the list

void TCompletionItems::SetLists(TSharedLines insertList, TSharedLines itemList) {
  insert_ = std::move(insertList);
  items_ = std::move(itemList);
  typed_ = "\x01";  // no filter applied yet: the next Filter starts from every entry
  rows_.clear();
  Filter({});
}

void TCompletionItems::Filter(std::string_view typed) {
  const bool narrowing = typed.size() >= typed_.size() && StartsWithNoCase(typed, typed_);
  std::vector<std::size_t> rows;
  if (narrowing) {
    for (std::size_t entry : rows_) {
      if (StartsWithNoCase((*insert_)[entry], typed)) rows.push_back(entry);
    }
  } else {
    for (std::size_t entry = 0; entry < InsertListSize(); ++entry) {
      if (StartsWithNoCase((*insert_)[entry], typed)) rows.push_back(entry);
    }
  }
  rows_ = std::move(rows);
  typed_ = typed;
  selected_ = rows_.empty() ? -1 : 0;
}

const std::string& TCompletionItems::InsertText(std::size_t row) const {
  return row < rows_.size() ? (*insert_)[rows_[row]] : kNoText;
}

const std::string& TCompletionItems::ItemText(std::size_t row) const {
  if (row >= rows_.size() || !items_ || rows_[row] >= items_->size()) return InsertText(row);
  return (*items_)[rows_[row]];
}

void TCompletionItems::Select(int row) {
  if (rows_.empty()) {
    selected_ = -1;
    return;
  }
  selected_ = std::clamp(row, 0, static_cast<int>(rows_.size()) - 1);
}

// ---------------------------------------------------------------- tokens and names

std::size_t TokenStart(std::string_view line, std::size_t caret) {
  std::size_t start = std::min(caret, line.size());
  while (start > 0 && !IsEndOfToken(line[start - 1])) --start;
  return start;
}

std::size_t TokenEnd(std::string_view line, std::size_t caret) {
  std::size_t end = std::min(caret, line.size());
  while (end < line.size() && IsNameByte(line[end])) ++end;
  return end;
}

void TFunctionLookup::Build(const std::vector<std::string>& lookupList) {
  index_.clear();
  index_.reserve(lookupList.size());
  for (std::size_t i = 0; i < lookupList.size(); ++i) {
    index_.emplace(UpperAscii(lookupList[i]), static_cast<int>(i));
  }
}

int TFunctionLookup::Find(std::string_view name) const {
  if (name.empty()) return -1;
  auto it = index_.find(UpperAscii(name));
  return it == index_.end() ? -1 : it->second;
}

THintScan ScanForFunction(std::string_view line, std::size_t caret, const TFunctionLookup& lookup,
                          std::size_t limit) {
  THintScan scan;
  std::size_t pos = std::min(caret, line.size());
  const std::size_t floor = pos > limit ? pos - limit : 0;
  while (pos > floor) {
    const char c = line[--pos];
    if (c == ',') {
      ++scan.Commas;
    } else if (c == ')') {
      // Skip back over the balanced group; the scan goes on left of its "(".
      int depth = 1;
      while (pos > floor && depth > 0) {
        const char g = line[--pos];
        if (g == ')') ++depth;
        if (g == '(') --depth;
      }
      if (depth > 0) break;
    } else if (c == '(') {
      std::size_t end = pos;
      while (end > floor && !IsNameByte(line[end - 1])) --end;
      std::size_t start = end;
      while (start > floor && IsNameByte(line[start - 1])) --start;
      const int index = lookup.Find(line.substr(start, end - start));
      if (index >= 0) {
        scan.Found = true;
        scan.Index = index;
        scan.Open = pos;
        return scan;
      }
      scan.Commas = 0;  // the commas so far were those of a call of an unknown function
    }
  }
  return scan;
}

std::vector<std::string> SplitParameters(std::string_view params) {
  std::vector<std::string> pieces;
  const std::string_view all = TrimBlanks(params);
  if (all.empty() || all == "void") return pieces;
  int depth = 0;
  char quote = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < all.size(); ++i) {
    const char c = all[i];
    if (quote != 0) {
      if (c == '\\')
        ++i;
      else if (c == quote)
        quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '(' || c == '[' || c == '{') {
      ++depth;
    } else if (c == ')' || c == ']' || c == '}') {
      depth = std::max(0, depth - 1);
    } else if (c == ',' && depth == 0) {
      pieces.emplace_back(TrimBlanks(all.substr(start, i - start)));
      start = i + 1;
    }
  }
  pieces.emplace_back(TrimBlanks(all.substr(start)));
  return pieces;
}

std::pair<std::string, std::string> DescriptionLines(std::string_view fullLine) {
  const std::size_t gap = fullLine.find("        ");
  if (gap == std::string_view::npos) return {std::string(TrimBlanks(fullLine)), {}};
  return {std::string(TrimBlanks(fullLine.substr(0, gap))),
          std::string(TrimBlanks(fullLine.substr(gap)))};
}

std::vector<std::string> MemberParts(std::string_view expression) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= expression.size(); ++i) {
    if (i < expression.size() && expression[i] != '>' && expression[i] != ':') continue;
    if (i > start) parts.emplace_back(expression.substr(start, i - start));
    start = i + 1;
  }
  return parts;
}

// ---------------------------------------------------------------- placement

TScreenPoint DescriptionHintPos(const TScreenRect& list, const TScreenRect& editor,
                                int hintHeight) {
  const int listBottom = list.Top + list.Height;
  const int editorRight = editor.Left + editor.Width;
  TScreenPoint at{list.Left, listBottom};
  if (at.X > editorRight) at.X = editorRight;
  if (editor.Top + editor.Height < listBottom) at.Y = list.Top - hintHeight;
  return at;
}

TScreenPoint PopupPos(int x, int lineTop, int lineBottom, int width, int height,
                      const TScreenRect& screen) {
  TScreenPoint at{x, lineBottom};
  if (at.Y + height > screen.Top + screen.Height && lineTop - height >= screen.Top)
    at.Y = lineTop - height;
  if (at.X + width > screen.Left + screen.Width) at.X = screen.Left + screen.Width - width;
  at.X = std::max(at.X, screen.Left);
  return at;
}

}  // namespace tervil
