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
  runs_.clear();
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
  while (valid_ == line && TryJoinRun()) {
  }
  if (valid_ == line) {
    TokenizeNext(tokens);
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
    if (TryJoinRun()) continue;
    scratch_.clear();
    TokenizeNext(scratch_);
  }
}

bool TLineStateCache::TryJoinRun() {
  if (runs_.empty() || runs_.front().from != valid_) return false;
  THighlighterState start = valid_ == 0 ? 0 : ends_[static_cast<std::size_t>(valid_ - 1)];
  if (start != runs_.front().expected) return false;
  valid_ = runs_.front().to;
  runs_.erase(runs_.begin());
  return true;
}

void TLineStateCache::TokenizeNext(std::vector<TToken>& tokens) {
  auto line = static_cast<std::size_t>(valid_);
  THighlighterState start = line == 0 ? 0 : ends_[line - 1];
  THighlighterState end = highlighter_->TokenizeLine(source_(valid_), start, tokens);
  ++tokenized_;
  THighlighterState old = ends_[line];
  ends_[line] = end;
  ++valid_;
  if (!runs_.empty() && runs_.front().from == valid_ - 1) {
    // The run now starts one line later, with this line's old end state as its expectation.
    TRun& run = runs_.front();
    run.from = valid_;
    run.expected = old;
    if (run.from >= run.to) runs_.erase(runs_.begin());
  }
}

int TLineStateCache::LinesReplaced(int first, int removed, int inserted) {
  int count = LineCount();
  first = std::clamp(first, 0, count);
  removed = std::clamp(removed, 0, count - first);
  inserted = std::max(inserted, 0);
  Splice(first, removed, inserted);
  if (highlighter_ == nullptr || valid_ < first) return LineCount();
  int editedEnd = first + inserted;
  int stop = editedEnd + eagerLimit_;
  while (valid_ < LineCount()) {
    if (valid_ >= editedEnd && runs_.empty()) break;
    int at = valid_;
    if (TryJoinRun()) {
      if (at >= editedEnd) return at;
      continue;
    }
    if (valid_ >= stop) break;
    scratch_.clear();
    TokenizeNext(scratch_);
  }
  return LineCount();
}

// Removes the states of the replaced lines and inserts unknown ones. The known states after the
// edit, and the parts of older runs outside it, become runs that may join again.
void TLineStateCache::Splice(int first, int removed, int inserted) {
  int after = first + removed;
  int delta = inserted - removed;
  auto startOf = [this](int line) {
    return line == 0 ? THighlighterState{0} : ends_[static_cast<std::size_t>(line - 1)];
  };
  std::vector<TRun> runs;
  auto keep = [&](int from, int to, THighlighterState expected) {
    if (from >= to) return;
    if (from >= after)
      runs.push_back({from + delta, to + delta, expected});
    else
      runs.push_back({from, to, expected});
  };
  if (after < valid_) keep(after, valid_, startOf(after));
  for (const TRun& run : runs_) {
    keep(run.from, std::min(run.to, first), run.expected);
    int from = std::max(run.from, after);
    keep(from, run.to, from == run.from ? run.expected : startOf(from));
  }
  std::sort(runs.begin(), runs.end(), [](const TRun& a, const TRun& b) { return a.from < b.from; });
  if (runs.size() > kMaxRuns) runs.resize(kMaxRuns);
  runs_ = std::move(runs);
  valid_ = std::min(valid_, first);
  ends_.Erase(static_cast<std::size_t>(first), static_cast<std::size_t>(removed));
  ends_.Insert(static_cast<std::size_t>(first), static_cast<std::size_t>(inserted), 0);
}

}  // namespace tervil
