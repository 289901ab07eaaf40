#include "core/editcomponent/SearchEngine.h"

#include <algorithm>

#include "core/common/Utf8.h"
#include "core/editcomponent/TextBuffer.h"

namespace tervil {

namespace {
// Windows start small, so that finding the next occurrence near the caret copies little, and
// grow to a megabyte for long scans.
constexpr std::size_t kFirstWindow = 64 * 1024;
constexpr std::size_t kMaxWindow = 1024 * 1024;
// Backwards every window is scanned whole for its last match, so the first one is smaller.
constexpr std::size_t kFirstBackwardWindow = 4 * 1024;
}  // namespace

// A copy of buffer bytes [Begin, End). Matches starting at Limit or later belong to the next
// window.
struct TSearchEngine::Window {
  std::size_t Begin = 0;
  std::size_t End = 0;
  std::size_t Limit = 0;
  const char* Data = nullptr;
};

void TSearchEngine::AppendReplacement(std::string_view replacement, std::string& out) const {
  out.append(replacement);
}

bool TSearchEngine::IsWholeWord(const TTextBuffer& buffer, const Window& w, std::size_t start,
                                std::size_t end) const {
  char32_t before = 0;
  if (start > w.Begin) {
    std::size_t len = 0;
    before = utf8::DecodeBefore(w.Data, start - w.Begin, len);
  } else if (start > 0) {
    before = buffer.CharAt(buffer.PrevChar(start));
  }
  char32_t after = 0;
  if (end < w.End) {
    std::size_t len = 0;
    after = utf8::Decode(w.Data + (end - w.Begin), w.End - end, len);
  } else {
    after = buffer.CharAt(end);
  }
  return !utf8::IsWordChar(before) && !utf8::IsWordChar(after);
}

bool TSearchEngine::ScanWindow(const TTextBuffer& buffer, const Window& w, std::size_t from,
                               const std::function<bool(const TSearchMatch&)>& onMatch) {
  const std::size_t size = w.End - w.Begin;
  // A window of whole lines also owns the end of its last line (an empty match of "$" there);
  // the next window starts on the following line.
  const bool ownsEnd = LineWindows();
  const auto charLength = [&w](std::size_t at) {
    std::size_t len = 0;
    if (at < w.End) utf8::Decode(w.Data + (at - w.Begin), w.End - at, len);
    return std::max<std::size_t>(len, 1);
  };
  while (from < w.Limit || (ownsEnd && from == w.Limit)) {
    std::size_t s = 0, e = 0;
    if (!FindInWindow(w.Data, size, from - w.Begin, s, e)) return true;
    s += w.Begin;
    e += w.Begin;
    if (ownsEnd ? s > w.Limit : s >= w.Limit) return true;
    if (wholeWord_ && !IsWholeWord(buffer, w, s, e)) {
      from = s + charLength(s);
      continue;
    }
    if (!onMatch({s, e})) return false;
    // After an empty match the search goes on at the next character, so that every place
    // matches once and the scan always moves on; a match may end where an empty one begins.
    from = e == s ? s + charLength(s) : e;
  }
  return true;
}

bool TSearchEngine::NextWindow(const TTextBuffer& buffer, std::size_t begin, std::size_t end,
                               std::size_t from, Window& w) {
  (void)begin;
  std::size_t want = std::min(kMaxWindow, std::max(kFirstWindow, w.End - w.Begin));
  if (w.Data != nullptr) want = std::min(kMaxWindow, want * 2);
  if (LineWindows()) {
    w.Begin = buffer.LineStart(buffer.LineOfByte(from));
    std::size_t target = std::min(end, from + want);
    w.End = std::min(end, buffer.LineEnd(buffer.LineOfByte(target)));
    w.Limit = w.End;
  } else {
    w.Begin = from;
    w.Limit = std::min(end, from + want);
    std::size_t overlap = MaxMatchLength() > 0 ? MaxMatchLength() - 1 : 0;
    w.End = std::min(end, w.Limit + overlap);
  }
  windowText_.clear();
  buffer.AppendRange(w.Begin, w.End - w.Begin, windowText_);
  w.Data = windowText_.data();
  return true;
}

void TSearchEngine::CheckStop() const {
  if (control_->Stop.load(std::memory_order_relaxed)) throw TSearchCancelled();
}

std::size_t TSearchEngine::FindAll(const TTextBuffer& buffer, std::size_t begin, std::size_t end,
                                   const std::function<bool(const TSearchMatch&)>& onMatch) {
  if (!runner_) return FindAllHere(buffer, begin, end, onMatch);
  std::size_t count = 0;
  runner_([&] { count = FindAllHere(buffer, begin, end, onMatch); });
  return count;
}

bool TSearchEngine::Find(const TTextBuffer& buffer, std::size_t begin, std::size_t end,
                         bool backwards, TSearchMatch& match) {
  if (!runner_) return FindHere(buffer, begin, end, backwards, match);
  bool found = false;
  runner_([&] { found = FindHere(buffer, begin, end, backwards, match); });
  return found;
}

std::size_t TSearchEngine::FindAllHere(const TTextBuffer& buffer, std::size_t begin,
                                       std::size_t end,
                                       const std::function<bool(const TSearchMatch&)>& onMatch) {
  end = std::min(end, buffer.ByteCount());
  std::size_t count = 0;
  std::size_t pos = begin;
  Window w;
  // An empty scope at a line's end still holds the empty match there (of "$" or "x*").
  bool first = true;
  while (pos < end || (first && pos == end && LineWindows())) {
    first = false;
    CheckStop();
    NextWindow(buffer, begin, end, pos, w);
    std::size_t lastEnd = pos;
    bool go = ScanWindow(buffer, w, pos, [&](const TSearchMatch& m) {
      ++count;
      lastEnd = m.End;
      return onMatch(m);
    });
    if (!go) break;
    std::size_t next = LineWindows() ? w.End + 1 : w.Limit;
    pos = std::max(next, lastEnd);
  }
  return count;
}

bool TSearchEngine::FindHere(const TTextBuffer& buffer, std::size_t begin, std::size_t end,
                             bool backwards, TSearchMatch& match) {
  end = std::min(end, buffer.ByteCount());
  if (begin > end) return false;
  if (!backwards) {
    bool found = false;
    FindAllHere(buffer, begin, end, [&](const TSearchMatch& m) {
      match = m;
      found = true;
      return false;
    });
    return found;
  }
  // Backwards: scan windows from the end, keeping the last match of each.
  std::size_t windowEnd = end;
  std::size_t want = kFirstBackwardWindow;
  while (windowEnd > begin) {
    CheckStop();
    Window w;
    std::size_t start = windowEnd - std::min(want, windowEnd - begin);
    if (LineWindows()) {
      // Whole lines, so that "$" is not taken to match where the scan stops inside a line.
      w.Begin = buffer.LineStart(buffer.LineOfByte(start));
      w.End = buffer.LineEnd(buffer.LineOfByte(windowEnd));
    } else {
      w.Begin = start;
      std::size_t overlap = MaxMatchLength() > 0 ? MaxMatchLength() - 1 : 0;
      w.End = std::min(end, windowEnd + (windowEnd == end ? 0 : overlap));
    }
    w.Limit = windowEnd;
    windowText_.clear();
    buffer.AppendRange(w.Begin, w.End - w.Begin, windowText_);
    w.Data = windowText_.data();
    bool found = false;
    std::size_t from = std::max(w.Begin, begin);
    ScanWindow(buffer, w, from, [&](const TSearchMatch& m) {
      if (m.End > end) return false;
      match = m;
      found = true;
      return true;
    });
    if (found) return true;
    std::size_t scanned = std::max(w.Begin, begin);
    if (scanned <= begin || scanned == 0) break;
    windowEnd = LineWindows() ? scanned - 1 : scanned;
    want = std::min(kMaxWindow, want * 2);
  }
  return false;
}

}  // namespace tervil
