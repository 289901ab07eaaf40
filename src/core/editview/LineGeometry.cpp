#include "core/editview/LineGeometry.h"

#include <algorithm>
#include <cstring>

#include "core/common/Utf8.h"
#include "core/editcomponent/TextBuffer.h"

namespace tervil {

int TabAdvance(int displayColumn, int tabWidth) {
  return tabWidth - displayColumn % tabWidth;
}

int AdvanceColumns(std::string_view text, int displayColumn, int tabWidth) {
  for (char c : text) {
    if (c == '\t') {
      displayColumn += TabAdvance(displayColumn, tabWidth);
    } else if (!utf8::IsContinuation(static_cast<unsigned char>(c))) {
      ++displayColumn;
    }
  }
  return displayColumn;
}

namespace {

// Walks the characters of a line's text, keeping the display column of each.
struct ColumnWalker {
  std::string_view text;
  int tabWidth;
  std::size_t byte = 0;
  int charIndex = 0;
  int column = 0;

  bool AtEnd() const { return byte >= text.size(); }
  int Width() const { return text[byte] == '\t' ? TabAdvance(column, tabWidth) : 1; }
  void Next() {
    column += Width();
    ++byte;
    while (byte < text.size() && utf8::IsContinuation(static_cast<unsigned char>(text[byte]))) {
      ++byte;
    }
    ++charIndex;
  }
};

}  // namespace

void TLineGeometry::SetTabWidth(int width) {
  width = std::max(1, width);
  if (width == tabWidth_) return;
  tabWidth_ = width;
  longLines_.clear();  // the checkpoints' columns depend on the tab width
}

int TLineGeometry::LineCount() const {
  return static_cast<int>(buffer_.LineCount());
}

std::size_t TLineGeometry::LineBytes(int line) const {
  return buffer_.LineEnd(line) - buffer_.LineStart(line);
}

int TLineGeometry::LineChars(int line) const {
  return static_cast<int>(buffer_.LineChars(line));
}

int TLineGeometry::LineColumns(int line) {
  return DisplayColumn(line, LineChars(line));
}

std::size_t TLineGeometry::ByteOfChar(int line, int charIndex) const {
  std::size_t start = buffer_.LineStart(line);
  std::size_t end = buffer_.LineEnd(line);
  std::size_t byte = buffer_.ByteOfChar(buffer_.CharIndex(start) + std::max(0, charIndex));
  return std::min(byte, end);
}

TLineGeometry::LongLineInfo& TLineGeometry::Info(int line) {
  auto found = longLines_.find(line);
  if (found != longLines_.end()) {
    if (!found->second.stale) return found->second;
    longLines_.erase(found);
  }
  if (longLines_.size() > 64) longLines_.clear();
  LongLineInfo info;
  info.chars = LineChars(line);
  info.bytes = LineBytes(line);
  AddCheckpoints(buffer_.LineStart(line), 0, info.chars, 0, info.checkpoints);
  FindFirstTab(info);
  return longLines_.emplace(line, std::move(info)).first->second;
}

void TLineGeometry::FindFirstTab(LongLineInfo& info) {
  info.firstTab = -1;
  for (const Checkpoint& c : info.checkpoints) {
    if (c.firstTab >= 0) {
      info.firstTab = c.charIndex + c.firstTab;
      return;
    }
  }
}

int TLineGeometry::AddCheckpoints(std::size_t byte, int from, int to, int column,
                                  std::vector<Checkpoint>& out) const {
  // One walk from tab to tab: between tabs every character takes one column, so the stretches
  // are counted at memory speed.
  int charIndex = from;
  int next = from;  // where the next checkpoint goes
  auto addBefore = [&](int endChar) {
    for (; next < endChar && next < to; next += kCheckpointChars)
      out.push_back({next, column + (next - charIndex), -1});
  };
  if (from >= to) return column;
  buffer_.VisitRange(byte, buffer_.ByteCount() - byte, [&](const char* data, std::size_t n) {
    const char* p = data;
    const char* end = data + n;
    while (p < end && charIndex < to) {
      const auto* tab =
          static_cast<const char*>(std::memchr(p, '\t', static_cast<std::size_t>(end - p)));
      const char* stretchEnd = tab ? tab : end;
      const int chars =
          static_cast<int>(utf8::CountChars(p, static_cast<std::size_t>(stretchEnd - p)));
      addBefore(charIndex + chars);
      charIndex += chars;
      column += chars;
      if (charIndex >= to) {
        column -= charIndex - to;
        charIndex = to;
        return false;
      }
      if (!tab) break;
      addBefore(charIndex + 1);
      if (out.back().firstTab < 0) out.back().firstTab = charIndex - out.back().charIndex;
      column += TabAdvance(column, tabWidth_);
      ++charIndex;
      p = tab + 1;
    }
    return charIndex < to;
  });
  return column + (to - charIndex);  // past the text: one column each
}

std::size_t TLineGeometry::StretchOfChar(const LongLineInfo& info, int charIndex) {
  const auto& c = info.checkpoints;
  auto it = std::upper_bound(c.begin(), c.end(), charIndex,
                             [](int x, const Checkpoint& k) { return x < k.charIndex; });
  return it == c.begin() ? 0 : static_cast<std::size_t>(it - c.begin() - 1);
}

std::size_t TLineGeometry::StretchOfColumn(const LongLineInfo& info, int column) {
  const auto& c = info.checkpoints;
  auto it = std::upper_bound(c.begin(), c.end(), column,
                             [](int x, const Checkpoint& k) { return x < k.column; });
  return it == c.begin() ? 0 : static_cast<std::size_t>(it - c.begin() - 1);
}

void TLineGeometry::LineChanged(int line) {
  auto found = longLines_.find(line);
  if (found != longLines_.end()) found->second.stale = true;
}

void TLineGeometry::TextEdited(std::size_t byte, std::size_t removed, std::string_view inserted) {
  if (longLines_.empty() || inserted.find('\n') != std::string_view::npos) return;
  const int line = static_cast<int>(buffer_.LineOfByte(byte));
  auto found = longLines_.find(line);
  if (found == longLines_.end() || !found->second.stale) return;
  LongLineInfo& info = found->second;
  const std::size_t lineStart = buffer_.LineStart(line);
  const int chars = LineChars(line);
  const int insertedChars = static_cast<int>(utf8::CountChars(inserted.data(), inserted.size()));
  const int removedChars = insertedChars - (chars - info.chars);
  const int at = static_cast<int>(buffer_.CharIndex(byte) - buffer_.CharIndex(lineStart));
  const bool consistent = LineBytes(line) + removed == info.bytes + inserted.size() &&
                          removedChars >= 0 && at + removedChars <= info.chars;
  if (!consistent || !ApplyEdit(line, info, at, removedChars, insertedChars)) {
    longLines_.erase(found);
    return;
  }
  info.chars = chars;
  info.bytes = LineBytes(line);
  info.stale = false;
}

bool TLineGeometry::ApplyEdit(int line, LongLineInfo& info, int at, int removedChars,
                              int insertedChars) {
  std::vector<Checkpoint>& c = info.checkpoints;
  if (c.empty()) return false;
  const int delta = insertedChars - removedChars;
  // The stretches from the one holding the edit up to the first one after the removed
  // characters are read again; the ones after that hold the same text, moved by `delta`.
  const std::size_t first = StretchOfChar(info, at);
  std::size_t after = first + 1;
  while (after < c.size() && c[after].charIndex < at + removedChars) ++after;
  const int oldEnd = after < c.size() ? c[after].charIndex : info.chars;
  std::vector<Checkpoint> redone;
  const int begin = c[first].charIndex;
  const std::size_t byte = buffer_.ByteOfChar(buffer_.CharIndex(buffer_.LineStart(line)) +
                                              static_cast<std::size_t>(begin));
  const int endColumn = AddCheckpoints(byte, begin, oldEnd + delta, c[first].column, redone);
  // With whole stretches removed the next one starts where the removed ones did.
  if (redone.empty() && after == c.size()) redone.push_back({begin, c[first].column, -1});
  if (after < c.size()) {
    // Up to the next tab the columns move by the change of the edited stretch's end column;
    // a tab then realigns to its stop, and from there on the shift is whole tab widths.
    const int shift = endColumn - c[after].column;
    int tabShift = shift;
    std::size_t tabStretch = after;
    while (tabStretch < c.size() && c[tabStretch].firstTab < 0) ++tabStretch;
    if (tabStretch < c.size()) {
      const int tabColumn = c[tabStretch].column + c[tabStretch].firstTab;
      tabShift = ((tabColumn + shift) / tabWidth_ - tabColumn / tabWidth_) * tabWidth_;
    }
    for (std::size_t k = after; k < c.size(); ++k) {
      c[k].charIndex += delta;
      c[k].column += k <= tabStretch ? shift : tabShift;
    }
  }
  c.erase(c.begin() + static_cast<std::ptrdiff_t>(first),
          c.begin() + static_cast<std::ptrdiff_t>(after));
  c.insert(c.begin() + static_cast<std::ptrdiff_t>(first), redone.begin(), redone.end());
  FindFirstTab(info);
  return true;
}

template <typename Stop>
void TLineGeometry::ScanLong(int line, Stop stop, int& column, int& charIndex) {
  std::size_t start = ByteOfChar(line, charIndex);
  buffer_.VisitRange(start, buffer_.LineEnd(line) - start, [&](const char* data, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
      unsigned char c = static_cast<unsigned char>(data[i]);
      if (utf8::IsContinuation(c)) continue;
      int width = c == '\t' ? TabAdvance(column, tabWidth_) : 1;
      if (stop(column, width, charIndex)) {
        return false;
      }
      column += width;
      ++charIndex;
    }
    return true;
  });
}

int TLineGeometry::DisplayColumn(int line, int charIndex) {
  charIndex = std::max(0, charIndex);
  if (!IsLong(line)) {
    std::string text = buffer_.Line(line);
    ColumnWalker w{text, tabWidth_};
    while (!w.AtEnd() && w.charIndex < charIndex) w.Next();
    return w.column + (charIndex - w.charIndex);
  }
  const LongLineInfo& info = Info(line);
  if (info.firstTab < 0 || charIndex <= info.firstTab) return charIndex;
  const Checkpoint& k = info.checkpoints[StretchOfChar(info, charIndex)];
  // Before the stretch's first tab every character takes one column.
  if (k.firstTab < 0 || charIndex <= k.charIndex + k.firstTab) {
    return k.column + (charIndex - k.charIndex);
  }
  int column = k.column;
  int index = k.charIndex;
  ScanLong(
      line, [&](int, int, int i) { return i >= charIndex; }, column, index);
  return column + (charIndex - index);
}

int TLineGeometry::CharAtColumn(int line, int column, bool nearest) {
  column = std::max(0, column);
  auto pick = [&](int start, int width, int index) {
    if (nearest && width > 1 && (column - start) * 2 >= width) return index + 1;
    return index;
  };
  if (!IsLong(line)) {
    std::string text = buffer_.Line(line);
    ColumnWalker w{text, tabWidth_};
    while (!w.AtEnd()) {
      int width = w.Width();
      if (column < w.column + width) return pick(w.column, width, w.charIndex);
      w.Next();
    }
    return w.charIndex + (column - w.column);
  }
  const LongLineInfo& info = Info(line);
  if (info.firstTab < 0 || column <= info.firstTab) return column;
  // The last checkpoint at or before the column: the character sought lies in its stretch.
  const Checkpoint& k = info.checkpoints[StretchOfColumn(info, column)];
  if (k.firstTab < 0 || column < k.column + k.firstTab) return k.charIndex + (column - k.column);
  int reached = k.column;
  int index = k.charIndex;
  int result = -1;
  ScanLong(
      line,
      [&](int start, int width, int i) {
        if (column < start + width) {
          result = pick(start, width, i);
          return true;
        }
        return false;
      },
      reached, index);
  return result >= 0 ? result : index + (column - reached);
}

TLineSlice TLineGeometry::SliceChars(int line, int firstChar, int chars) {
  TLineSlice slice;
  std::size_t lineStart = buffer_.LineStart(line);
  slice.lineBytes = buffer_.LineEnd(line) - lineStart;
  int lineChars = LineChars(line);
  firstChar = std::clamp(firstChar, 0, lineChars);
  chars = std::clamp(chars, 0, lineChars - firstChar);
  std::size_t begin = ByteOfChar(line, firstChar);
  std::size_t end = ByteOfChar(line, firstChar + chars);
  slice.text = buffer_.Range(begin, end - begin);
  slice.lineByte = begin - lineStart;
  slice.firstChar = firstChar;
  slice.firstColumn = DisplayColumn(line, firstChar);
  return slice;
}

TLineSlice TLineGeometry::SliceColumns(int line, int beginColumn, int endColumn) {
  int first = CharAtColumn(line, beginColumn);
  // Every character takes at least one column, so this many characters cover the window.
  int chars = std::max(0, endColumn - beginColumn) + 1;
  return SliceChars(line, first, chars);
}

TLineSlice TLineGeometry::WholeLine(int line) {
  TLineSlice slice;
  slice.text = buffer_.Line(line);
  slice.lineBytes = slice.text.size();
  return slice;
}

void TLineGeometry::InvalidateLine(int line) {
  longLines_.erase(line);
}

}  // namespace tervil
