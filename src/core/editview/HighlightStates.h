#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "core/editcomponent/Highlighter.h"
#include "core/editview/LineStateStore.h"

namespace tervil {

class TTextBuffer;
struct TLineSlice;

// The highlighter state at the start of every line of a buffer, learnt lazily.
//
// States of lines [0, KnownLines()) are exact. An edit makes the states after the edited line
// doubtful; they are kept as "stale" and re-tokenizing from the edit stops as soon as a computed
// state agrees with a stale one past the edited lines. States further down are computed in
// slices by Advance (the view calls it when idle); meanwhile a line far below the known part gets
// a state guessed by tokenizing a bounded number of lines above it, so painting never waits for
// the whole document.
//
// Lines longer than kLongLineBytes are tokenized only in windows: the part shown, from a bounded
// look-back before it, and the tail of the line for its end state.
class THighlightStates {
 public:
  // Lines a state question may re-tokenize before it guesses instead.
  static constexpr int kRepairLines = 400;
  // Lines tokenized above a line whose state is guessed.
  static constexpr int kLookBackLines = 100;
  // Bytes tokenized before the shown window of a long line.
  static constexpr std::size_t kLookBackBytes = 4096;

  explicit THighlightStates(const TTextBuffer& buffer);

  THighlighter* Highlighter() const { return highlighter_; }
  void SetHighlighter(THighlighter* highlighter);

  // Follow the buffer (line numbers from 0).
  void Reset();
  void LinesInserted(int first, int count);
  void LinesDeleted(int first, int count);
  void LinesChanged(int first, int count);

  int KnownLines() const { return valid_; }
  bool Complete() const { return highlighter_ == nullptr || valid_ >= store_.Size(); }
  bool IsExact(int line) const { return line < valid_; }

  // The state at the start of `line`: exact when known or within kRepairLines of the known
  // part (which is then extended), otherwise a guess.
  THighlighterState StartState(int line);

  // Tokens of a piece of a line (offsets relative to slice.text), given the state at the
  // start of the line; returns the state at the end of the line.
  THighlighterState Tokenize(int line, THighlighterState start, const TLineSlice& slice,
                             std::vector<TToken>& tokens);

  // Extends the known part for about `budget`; returns whether work remains.
  bool Advance(std::chrono::microseconds budget);
  // Extends the known part by up to `lines` lines; returns whether work remains.
  bool AdvanceLines(int lines);

  // The memory the kept states take.
  std::size_t MemoryBytes() const { return store_.MemoryBytes(); }

 private:
  THighlighterState EndState(int line, THighlighterState start);
  // Lines of one step of Advance, between looks at the clock.
  static constexpr int kRunLines = 1024;
  bool StepKnown();  // one line of Advance
  // Records the end state of `line` as the start state of the next one; returns whether the next
  // line may be stepped on at once (false when the known part jumped past stale states that
  // agree, or reached the end).
  bool Record(int line, THighlighterState end);
  // Extends the known part by up to `maxLines` lines, reading the text forward in one pass;
  // returns the lines done (at least 1 while work remains).
  int StepRun(int maxLines);
  void LineChangedAt(int line, int count);

  const TTextBuffer& buffer_;
  THighlighter* highlighter_ = nullptr;
  TLineStateStore store_;  // state at the start of each line
  int valid_ = 1;          // lines with exact start states
  int staleUntil_ = 1;     // [valid_, staleUntil_) hold states that may still be right
  int dirtyEnd_ = 0;       // a stale state may be trusted only from this line on
  std::string text_;       // scratch line text
  std::vector<TToken> scratch_;
};

}  // namespace tervil
