#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "core/editcomponent/Highlighter.h"
#include "core/highlighters/GapVector.h"
#include "core/highlighters/TokenLookup.h"

namespace tervil {

// Keeps the highlighter state at the end of every line of a document (4 bytes a line) and
// re-tokenizes only what an edit changed. It knows nothing of the buffer: it reads lines
// through a callback and is told which lines were replaced.
//
// States are valid from the first line up to a watermark; lines below it are tokenized on
// demand. After an edit the lines from the edited one on are re-tokenized until a line ends
// in the state it ended in before the edit, from where on the old states hold again.
class TLineStateCache {
 public:
  // Returns the text of line `line` (counted from 0, without its line break); the view only
  // has to stay valid until the next call.
  using TLineSource = std::function<std::string_view(int line)>;

  explicit TLineStateCache(TLineSource source, THighlighter* highlighter = nullptr,
                           int lineCount = 0);

  // Changes the highlighter (nullptr: none); every state becomes unknown.
  void SetHighlighter(THighlighter* highlighter);
  THighlighter* Highlighter() const { return highlighter_; }
  // A new text of `lineCount` lines; every state becomes unknown.
  void Reset(int lineCount);
  int LineCount() const { return static_cast<int>(ends_.size()); }

  // Lines [first, first + removed) were replaced by `inserted` lines. Re-tokenizes the new
  // lines and goes on until the states agree with the old ones again, but at most EagerLimit
  // lines past the edit; the rest is left to the watermark. Returns the end (exclusive) of the
  // lines whose colours may have changed: LineCount() when that is not known yet.
  int LinesReplaced(int first, int removed, int inserted);

  // How many lines past an edit LinesReplaced re-tokenizes at most (default 100).
  void SetEagerLimit(int lines) { eagerLimit_ = lines < 0 ? 0 : lines; }

  // Number of lines from the first whose end states are known.
  int ValidLines() const { return valid_; }
  // The state before / after a line, tokenizing the lines above it when needed.
  THighlighterState StartState(int line);
  THighlighterState EndState(int line);
  // Replaces `tokens` by the tokens of `line`.
  void TokenizeLine(int line, std::vector<TToken>& tokens);
  // The token covering code point `column` (from 1) of `line`.
  TTokenAt TokenAt(int line, int column);

  // Lines tokenized so far, and the memory the states take.
  std::size_t TokenizedLines() const { return tokenized_; }
  std::size_t MemoryBytes() const { return ends_.MemoryBytes(); }

 private:
  // A run of lines below the watermark whose end states are those from before an edit. They
  // hold again once line `from` is reached with the start state the run was made with.
  struct TRun {
    int from = 0;  // first line of the run
    int to = 0;    // end of the run (exclusive)
    THighlighterState expected = 0;
  };
  static constexpr std::size_t kMaxRuns = 16;

  void Splice(int first, int removed, int inserted);
  // When the next line starts a run with the state the run expects, moves the watermark to the
  // run's end and returns true.
  bool TryJoinRun();
  // Tokenizes line valid_ (whose start state is known) and records its end state.
  void TokenizeNext(std::vector<TToken>& tokens);
  void EnsureValid(int lines);

  TLineSource source_;
  THighlighter* highlighter_;
  TGapVector<THighlighterState> ends_;
  int valid_ = 0;
  std::vector<TRun> runs_;  // sorted, disjoint, all at or below the watermark
  int eagerLimit_ = 100;
  std::size_t tokenized_ = 0;
  std::vector<TToken> scratch_;
};

}  // namespace tervil
