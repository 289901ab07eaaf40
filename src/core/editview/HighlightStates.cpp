#include "core/editview/HighlightStates.h"

#include <algorithm>
#include <cstring>

#include "core/editcomponent/TextBuffer.h"
#include "core/editview/LineGeometry.h"

namespace tervil {

THighlightStates::THighlightStates(const TTextBuffer& buffer) : buffer_(buffer) {
  Reset();
}

void THighlightStates::SetHighlighter(THighlighter* highlighter) {
  highlighter_ = highlighter;
  Reset();
}

void THighlightStates::Reset() {
  store_.Assign(static_cast<int>(buffer_.LineCount()), 0);
  valid_ = 1;
  staleUntil_ = 1;
  dirtyEnd_ = 0;
}

void THighlightStates::LineChangedAt(int line, int count) {
  // The start state of `line` depends only on the lines above it; the states after it do not.
  // States in [valid_, staleUntil_) stay as guesses that re-tokenizing may confirm, but only
  // past the last changed line. (valid_ <= staleUntil_ always holds.)
  if (line >= staleUntil_) return;
  if (line + 1 < valid_) valid_ = line + 1;
  dirtyEnd_ = std::max(dirtyEnd_, line + count);
}

void THighlightStates::LinesChanged(int first, int count) {
  if (count > 0) LineChangedAt(first, count);
}

void THighlightStates::LinesInserted(int first, int count) {
  if (count <= 0) return;
  store_.Insert(first, count, 0);
  auto shift = [&](int& x) {
    if (x > first) x += count;
  };
  shift(valid_);
  shift(staleUntil_);
  shift(dirtyEnd_);
  // The new lines and the line they were split from.
  int from = std::max(0, first - 1);
  LineChangedAt(from, first + count - from);
}

void THighlightStates::LinesDeleted(int first, int count) {
  if (count <= 0) return;
  count = std::min(count, store_.Size() - first);
  store_.Erase(first, count);
  if (store_.Size() == 0) store_.Insert(0, 1, 0);
  auto shift = [&](int& x) {
    if (x > first) x = std::max(first, x - count);
  };
  shift(valid_);
  shift(staleUntil_);
  shift(dirtyEnd_);
  valid_ = std::max(valid_, 1);
  // The line now at `first` follows a different line than before.
  if (first > 0) {
    LineChangedAt(first - 1, 1);
  } else {
    store_.Set(0, 0);
    LineChangedAt(0, 1);
  }
}

THighlighterState THighlightStates::EndState(int line, THighlighterState start) {
  std::size_t begin = buffer_.LineStart(line);
  std::size_t end = buffer_.LineEnd(line);
  if (end - begin >= kLongLineBytes) {
    std::size_t from = buffer_.CharBoundary(end - kLookBackBytes);
    begin = std::max(begin, from);
  }
  text_.clear();
  buffer_.AppendRange(begin, end - begin, text_);
  scratch_.clear();
  return highlighter_->TokenizeLine(text_, start, scratch_);
}

bool THighlightStates::StepKnown() {
  int lines = store_.Size();
  if (valid_ >= lines) return false;
  int line = valid_ - 1;
  return Record(line, EndState(line, store_.Get(line)));
}

bool THighlightStates::Record(int line, THighlighterState end) {
  int next = line + 1;
  if (next >= dirtyEnd_ && next < staleUntil_ && store_.Get(next) == end) {
    valid_ = staleUntil_;  // agrees with what was there before the edit
  } else {
    store_.Set(next, end);
    valid_ = next + 1;
  }
  if (staleUntil_ < valid_) staleUntil_ = valid_;
  return valid_ == next + 1 && valid_ < store_.Size();
}

int THighlightStates::StepRun(int maxLines) {
  const int lines = store_.Size();
  if (valid_ >= lines || maxLines <= 0) return 0;
  int line = valid_ - 1;
  THighlighterState state = store_.Get(line);
  const std::size_t from = buffer_.LineStart(line);
  int done = 0;
  bool longLine = false;
  text_.clear();
  // Read the text forward piece by piece, cutting it into lines at the breaks; a line that lies
  // inside one piece is tokenized where it lies, one that spans pieces is gathered in text_. Every
  // line but the last ends with a break, and the last line's end state is never needed.
  buffer_.VisitRange(from, buffer_.ByteCount() - from, [&](const char* data, std::size_t size) {
    const char* p = data;
    const char* const end = data + size;
    while (p < end) {
      const char* brk = static_cast<const char*>(std::memchr(p, '\n', end - p));
      const std::size_t piece = static_cast<std::size_t>((brk ? brk : end) - p);
      if (text_.size() + piece >= kLongLineBytes) {
        longLine = true;  // tokenized by its tail only, as EndState does
        return false;
      }
      if (brk == nullptr) {
        text_.append(p, piece);
        return true;
      }
      std::string_view lineText(p, piece);
      if (!text_.empty()) lineText = text_.append(p, piece);
      scratch_.clear();
      state = highlighter_->TokenizeLine(lineText, state, scratch_);
      text_.clear();
      p = brk + 1;
      ++done;
      if (!Record(line, state) || done >= maxLines) return false;
      ++line;
    }
    return true;
  });
  if (longLine && StepKnown()) ++done;
  return std::max(done, valid_ >= lines ? 0 : 1);
}

bool THighlightStates::AdvanceLines(int lines) {
  if (highlighter_ == nullptr) return false;
  while (lines > 0 && !Complete()) lines -= StepRun(std::min(lines, kRunLines));
  return !Complete();
}

bool THighlightStates::Advance(std::chrono::microseconds budget) {
  if (highlighter_ == nullptr) return false;
  auto deadline = std::chrono::steady_clock::now() + budget;
  while (!Complete()) {
    StepRun(kRunLines);
    if (std::chrono::steady_clock::now() >= deadline) break;
  }
  return !Complete();
}

THighlighterState THighlightStates::StartState(int line) {
  if (highlighter_ == nullptr || line <= 0) return 0;
  line = std::min(line, store_.Size() - 1);
  if (line < valid_) return store_.Get(line);
  if (line - valid_ <= kRepairLines) {
    while (valid_ <= line && StepRun(line + 1 - valid_) > 0) {
    }
    return store_.Get(line);
  }
  // Guess: tokenize a bounded stretch above the line, from a stale state where there is one.
  int from = line - kLookBackLines;
  THighlighterState state = (from >= dirtyEnd_ && from < staleUntil_) ? store_.Get(from) : 0;
  for (int i = from; i < line; ++i) state = EndState(i, state);
  return state;
}

THighlighterState THighlightStates::Tokenize(int line, THighlighterState start,
                                             const TLineSlice& slice, std::vector<TToken>& tokens) {
  tokens.clear();
  if (highlighter_ == nullptr) return 0;
  bool whole = slice.lineByte == 0 && slice.text.size() == slice.lineBytes;
  if (whole) return highlighter_->TokenizeLine(slice.text, start, tokens);
  // A window of a long line: tokenize from a bounded look-back before it.
  std::size_t lineStart = buffer_.LineStart(line);
  std::size_t windowBegin = lineStart + slice.lineByte;
  std::size_t from = slice.lineByte > kLookBackBytes
                         ? buffer_.CharBoundary(windowBegin - kLookBackBytes)
                         : lineStart;
  text_.clear();
  buffer_.AppendRange(from, windowBegin - from, text_);
  std::size_t lead = text_.size();
  text_ += slice.text;
  scratch_.clear();
  highlighter_->TokenizeLine(text_, start, scratch_);
  int offset = static_cast<int>(lead);
  int limit = static_cast<int>(slice.text.size());
  for (const TToken& t : scratch_) {
    int b = std::max(t.start - offset, 0);
    int e = std::min(t.start + t.length - offset, limit);
    if (e > b) tokens.push_back({b, e - b, t.attribute});
  }
  return EndState(line, start);
}

}  // namespace tervil
