#include "core/highlighters/LineStateCache.h"

#include <algorithm>

namespace tervil {

TLineStateCache::TLineStateCache(TLineSource source, THighlighter* highlighter, int lineCount)
    : source_(std::move(source)), highlighter_(highlighter) {
  Reset(lineCount);
}

void TLineStateCache::SetHighlighter(THighlighter* highlighter) {
  highlighter_ = highlighter;
  Reset(LineCount());
}

void TLineStateCache::Reset(int lineCount) {
  ends_.Assign(static_cast<std::size_t>(std::max(lineCount, 0)), 0);
  valid_ = 0;
  DropTail();
}

THighlighterState TLineStateCache::StartState(int line) {
  if (line <= 0 || highlighter_ == nullptr) return 0;
  line = std::min(line, LineCount());
  EnsureValid(line);
  return ends_[static_cast<std::size_t>(line - 1)];
}

THighlighterState TLineStateCache::EndState(int line) {
  if (line < 0 || line >= LineCount() || highlighter_ == nullptr) return 0;
  EnsureValid(line + 1);
  return ends_[static_cast<std::size_t>(line)];
}

void TLineStateCache::TokenizeLine(int line, std::vector<TToken>& tokens) {
  tokens.clear();
  if (highlighter_ == nullptr || line < 0 || line >= LineCount()) return;
  EnsureValid(line);
  if (valid_ == line) {
    AdvanceOne(tokens);
    return;
  }
  THighlighterState start = line == 0 ? 0 : ends_[static_cast<std::size_t>(line - 1)];
  highlighter_->TokenizeLine(source_(line), start, tokens);
}

TTokenAt TLineStateCache::TokenAt(int line, int column) {
  if (highlighter_ == nullptr || line < 0 || line >= LineCount()) return {};
  THighlighterState start = StartState(line);
  return TokenAtColumn(*highlighter_, source_(line), start, column);
}

void TLineStateCache::EnsureValid(int lines) {
  while (valid_ < lines && valid_ < LineCount()) {
    scratch_.clear();
    AdvanceOne(scratch_);
  }
}

bool TLineStateCache::AdvanceOne(std::vector<TToken>& tokens) {
  auto line = static_cast<std::size_t>(valid_);
  THighlighterState start = line == 0 ? 0 : ends_[line - 1];
  THighlighterState end = highlighter_->TokenizeLine(source_(valid_), start, tokens);
  ++tokenized_;
  bool joined = false;
  if (tail_.active) {
    if (valid_ + 1 == tail_.from) {
      joined = end == tail_.expected;
    } else if (valid_ >= tail_.from && valid_ < tail_.to) {
      joined = end == ends_[line];
    }
  }
  ends_[line] = end;
  ++valid_;
  if (joined) {
    joinedAt_ = valid_;
    valid_ = std::max(valid_, tail_.to);
  }
  if (joined || (tail_.active && valid_ >= tail_.to)) DropTail();
  return joined;
}

void TLineStateCache::TryJoinTail() {
  if (!tail_.active || valid_ != tail_.from) return;
  THighlighterState start = valid_ == 0 ? 0 : ends_[static_cast<std::size_t>(valid_ - 1)];
  if (start == tail_.expected) {
    joinedAt_ = valid_;
    valid_ = tail_.to;
    DropTail();
  }
}

int TLineStateCache::LinesReplaced(int first, int removed, int inserted) {
  int count = LineCount();
  first = std::clamp(first, 0, count);
  removed = std::clamp(removed, 0, count - first);
  inserted = std::max(inserted, 0);
  if (highlighter_ == nullptr) {
    Splice(first, removed, inserted);
    valid_ = 0;
    return LineCount();
  }
  joinedAt_ = -1;
  Splice(first, removed, inserted);
  if (valid_ < first) return LineCount();
  int editedEnd = first + inserted;
  int stop = editedEnd + eagerLimit_;
  while (joinedAt_ < 0 && valid_ < LineCount() && valid_ < stop) {
    if (valid_ >= editedEnd && !tail_.active) break;
    scratch_.clear();
    AdvanceOne(scratch_);
  }
  return joinedAt_ >= 0 ? std::max(joinedAt_, editedEnd) : LineCount();
}

// Removes the states of the replaced lines and inserts unknown ones, keeping as old states
// worth checking the known run right after the edit (or the run already waiting to be joined).
void TLineStateCache::Splice(int first, int removed, int inserted) {
  int after = first + removed;
  int delta = inserted - removed;
  TTail tail;
  if (after < valid_) {
    tail = {true, after, valid_, after == 0 ? 0 : ends_[static_cast<std::size_t>(after - 1)]};
  } else if (tail_.active) {
    if (after <= tail_.from) {
      tail = tail_;
    } else if (after < tail_.to) {
      tail = {true, after, tail_.to, ends_[static_cast<std::size_t>(after - 1)]};
    } else if (first >= tail_.to) {
      tail = tail_;
    } else if (first > tail_.from) {
      tail = {true, tail_.from, first, tail_.expected};
    }
  }
  if (tail.active && tail.from >= after) {
    tail.from += delta;
    tail.to += delta;
  }
  tail_ = tail;
  valid_ = std::min(valid_, first);
  ends_.Erase(static_cast<std::size_t>(first), static_cast<std::size_t>(removed));
  ends_.Insert(static_cast<std::size_t>(first), static_cast<std::size_t>(inserted), 0);
  TryJoinTail();
}

}  // namespace tervil
