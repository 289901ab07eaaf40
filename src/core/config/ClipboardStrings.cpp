#include "core/config/ClipboardStrings.h"

#include <algorithm>

#include "core/common/Utf8.h"
#include "core/text/TextProcessor.h"

namespace tervil {

bool TClipboardStrings::SameText(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    std::size_t la = 0, lb = 0;
    const char32_t ca = utf8::Decode(a.data() + i, a.size() - i, la);
    const char32_t cb = utf8::Decode(b.data() + j, b.size() - j, lb);
    if (ca != cb && utf8::ToLower(ca) != utf8::ToLower(cb)) return false;
    i += la;
    j += lb;
  }
  return i == a.size() && j == b.size();
}

int TClipboardStrings::IndexOf(std::string_view text) const {
  for (std::size_t k = 0; k < entries_.size(); ++k)
    if (SameText(entries_[k], text)) return static_cast<int>(k);
  return -1;
}

void TClipboardStrings::Insert(std::size_t index, std::string_view text) {
  index = std::min(index, entries_.size());
  const int found = IndexOf(text);
  if (found >= 0) {
    std::string kept = std::move(entries_[static_cast<std::size_t>(found)]);
    entries_.erase(entries_.begin() + found);
    entries_.insert(
        entries_.begin() + static_cast<std::ptrdiff_t>(std::min(index, entries_.size())),
        std::move(kept));
  } else {
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(index), std::string(text));
  }
  Trim();
}

void TClipboardStrings::Add(std::string_view text) {
  entries_.emplace_back(text);
  Trim();
}

std::string TClipboardStrings::TakeToTop(std::size_t index) {
  if (index >= entries_.size()) return {};
  std::rotate(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(index),
              entries_.begin() + static_cast<std::ptrdiff_t>(index) + 1);
  return entries_.front();
}

void TClipboardStrings::Put(std::size_t index, std::string_view text) {
  if (index < entries_.size()) entries_[index] = std::string(text);
}

void TClipboardStrings::SetMaxCount(int maxCount) {
  maxCount_ = maxCount;
  Trim();
}

void TClipboardStrings::Trim() {
  if (maxCount_ > 0 && entries_.size() > static_cast<std::size_t>(maxCount_))
    entries_.resize(static_cast<std::size_t>(maxCount_));
}

std::string TClipboardStrings::ListLine(std::string_view text) {
  // Only the start of a long text is compacted: a prefix compacts to a prefix of the whole
  // result. The prefix grows until it yields enough characters (with room for a character cut
  // at its end) or covers the text.
  std::string line;
  std::size_t prefix = 4096;
  std::size_t at = 0, count = 0;
  for (;;) {
    const bool whole = prefix >= text.size();
    line = TTextProcessor::CompactWhitespace(text.substr(0, prefix));
    at = 0;
    count = 0;
    while (at < line.size() && count < kListLineLength) {
      std::size_t length = 0;
      utf8::Decode(line.data() + at, line.size() - at, length);
      at += length;
      ++count;
    }
    if (whole || line.size() >= at + 8) break;
    prefix *= 2;
  }
  if (at < line.size()) {
    line.resize(at);
    line += "...";
  }
  return line;
}

TScreenPoint ClipboardWindowPos(TScreenPoint at, int width, int height, const TScreenRect& screen,
                                const TScreenRect& workArea, TScreenPoint mainTopLeft) {
  TScreenPoint pos = at;
  if (pos.X + width > screen.Left + screen.Width) pos.X = screen.Left + screen.Width - width;
  if (pos.Y + height > workArea.Top + workArea.Height)
    pos.Y = workArea.Top + workArea.Height - height;
  pos.X = std::max(pos.X, mainTopLeft.X);
  pos.Y = std::max(pos.Y, mainTopLeft.Y);
  return pos;
}

}  // namespace tervil
