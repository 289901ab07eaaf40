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
  if (found != longLines_.end()) return found->second;
  if (longLines_.size() > 64) longLines_.clear();
  LongLineInfo info;
  std::size_t start = buffer_.LineStart(line);
  std::size_t tabByte = std::string::npos;
  buffer_.VisitRange(start, buffer_.LineEnd(line) - start, [&](const char* data, std::size_t n) {
    const void* tab = std::memchr(data, '\t', n);
    if (tab == nullptr) {
      start += n;
      return true;
    }
    tabByte = start + static_cast<std::size_t>(static_cast<const char*>(tab) - data);
    return false;
  });
  if (tabByte != std::string::npos) {
    info.firstTab =
        static_cast<int>(buffer_.CharIndex(tabByte) - buffer_.CharIndex(buffer_.LineStart(line)));
  }
  return longLines_.emplace(line, info).first->second;
}

const std::vector<int>& TLineGeometry::Checkpoints(int line) {
  LongLineInfo& info = Info(line);
  if (!info.checkpointColumns.empty()) return info.checkpointColumns;
  // One walk from tab to tab: between tabs every character takes one column, so the stretches
  // are counted at memory speed and their checkpoints computed.
  std::vector<int> columns;
  int charIndex = 0, column = 0;
  auto addCheckpointsBefore = [&](int endChar) {
    for (int next = static_cast<int>(columns.size()) * kCheckpointChars; next < endChar;
         next += kCheckpointChars)
      columns.push_back(column + (next - charIndex));
  };
  const std::size_t start = buffer_.LineStart(line);
  buffer_.VisitRange(start, buffer_.LineEnd(line) - start, [&](const char* data, std::size_t n) {
    const char* p = data;
    const char* end = data + n;
    while (p < end) {
      const auto* tab =
          static_cast<const char*>(std::memchr(p, '\t', static_cast<std::size_t>(end - p)));
      const char* stretchEnd = tab ? tab : end;
      const int chars =
          static_cast<int>(utf8::CountChars(p, static_cast<std::size_t>(stretchEnd - p)));
      addCheckpointsBefore(charIndex + chars);
      charIndex += chars;
      column += chars;
      if (!tab) break;
      addCheckpointsBefore(charIndex + 1);
      column += TabAdvance(column, tabWidth_);
      ++charIndex;
      p = tab + 1;
    }
    return true;
  });
  if (columns.empty()) columns.push_back(0);
  info.checkpointColumns = std::move(columns);
  return info.checkpointColumns;
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
  if (Info(line).firstTab < 0 || charIndex <= Info(line).firstTab) return charIndex;
  const std::vector<int>& checkpoints = Checkpoints(line);
  const std::size_t k =
      std::min(static_cast<std::size_t>(charIndex / kCheckpointChars), checkpoints.size() - 1);
  int column = checkpoints[k];
  int index = static_cast<int>(k) * kCheckpointChars;
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
  if (Info(line).firstTab < 0 || column <= Info(line).firstTab) return column;
  const std::vector<int>& checkpoints = Checkpoints(line);
  // The last checkpoint at or before the column: the character sought lies within the next
  // kCheckpointChars characters.
  const std::size_t k = static_cast<std::size_t>(
      std::upper_bound(checkpoints.begin(), checkpoints.end(), column) - checkpoints.begin() - 1);
  int reached = checkpoints[k];
  int index = static_cast<int>(k) * kCheckpointChars;
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
