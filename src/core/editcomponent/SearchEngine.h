#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/editcomponent/EditorTypes.h"

namespace tervil {

class TTextBuffer;

// An invalid search pattern; the message is the regular-expression library's own text.
class TSearchError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A search stopped before its end: by the user, or because the text was about to change.
class TSearchCancelled : public std::runtime_error {
 public:
  TSearchCancelled() : std::runtime_error("The search was stopped.") {}
};

// What a search running on another thread watches: the flag that stops it, and the time one
// regular-expression match may take before the search gives up with a message (the base, and
// the share per byte of the lines it reads, so long lines get longer).
struct TSearchControl {
  std::atomic<bool> Stop{false};
  std::chrono::nanoseconds MatchBudget = std::chrono::seconds(2);
  std::chrono::nanoseconds MatchBudgetPerByte{50};
};

// A match as bytes of the buffer's UTF-8 text.
struct TSearchMatch {
  std::size_t Start = 0;
  std::size_t End = 0;
};

// Finds a pattern in a text buffer. The buffer is read in windows of about a megabyte, so a
// search never copies a whole document. Matching honours match case and whole word; the caller
// decides scope and direction.
class TSearchEngine {
 public:
  virtual ~TSearchEngine() = default;

  // Prepares `pattern` for the search options; throws TSearchError for an invalid pattern.
  virtual void Prepare(std::string_view pattern, TSearchOptions options) = 0;

  // The first match in [begin, end), or the last one when `backwards`.
  bool Find(const TTextBuffer& buffer, std::size_t begin, std::size_t end, bool backwards,
            TSearchMatch& match);
  // Every match in [begin, end) from the first on, until `onMatch` returns false. While
  // `onMatch` runs, Replacement() refers to that match. Returns the number of matches seen.
  // With a runner, `onMatch` runs where the runner runs the search.
  std::size_t FindAll(const TTextBuffer& buffer, std::size_t begin, std::size_t end,
                      const std::function<bool(const TSearchMatch&)>& onMatch);

  // Appends the replacement text for the last match found; a regular-expression engine
  // expands group references in `replacement`.
  virtual void AppendReplacement(std::string_view replacement, std::string& out) const;

  // What Find and FindAll watch while they scan (nullptr: a control of the engine's own that
  // nobody stops). Both throw TSearchCancelled when its flag is raised.
  void SetControl(TSearchControl* control) { control_ = control ? control : &ownControl_; }
  TSearchControl& Control() const { return *control_; }
  // Runs the scans of Find and FindAll through `runner`, which calls the function it is given
  // (for instance on another thread) and returns when it has ended, passing on its exception.
  // An empty runner scans here.
  using TRunner = std::function<void(const std::function<void()>&)>;
  void SetRunner(TRunner runner) { runner_ = std::move(runner); }

 protected:
  // Finds the first match that starts at or after `from` in window[0, size). The window holds
  // whole lines when LineWindows() is true.
  virtual bool FindInWindow(const char* window, std::size_t size, std::size_t from,
                            std::size_t& start, std::size_t& end) = 0;
  // Whether matches may not cross line breaks (windows then hold whole lines).
  virtual bool LineWindows() const { return false; }
  // Bytes a match can span at most, for overlapping windows (0 = unknown).
  virtual std::size_t MaxMatchLength() const { return 0; }
  bool WholeWord() const { return wholeWord_; }
  void SetWholeWord(bool on) { wholeWord_ = on; }
  // Throws TSearchCancelled when the control's flag is raised.
  void CheckStop() const;

 private:
  bool FindHere(const TTextBuffer& buffer, std::size_t begin, std::size_t end, bool backwards,
                TSearchMatch& match);
  std::size_t FindAllHere(const TTextBuffer& buffer, std::size_t begin, std::size_t end,
                          const std::function<bool(const TSearchMatch&)>& onMatch);
  struct Window;
  bool NextWindow(const TTextBuffer& buffer, std::size_t begin, std::size_t end, std::size_t from,
                  Window& w);
  bool IsWholeWord(const TTextBuffer& buffer, const Window& w, std::size_t start,
                   std::size_t end) const;
  // Every acceptable match of window `w` starting at or after `from`, in order.
  bool ScanWindow(const TTextBuffer& buffer, const Window& w, std::size_t from,
                  const std::function<bool(const TSearchMatch&)>& onMatch);

  bool wholeWord_ = false;
  std::string windowText_;
  TSearchControl ownControl_;
  TSearchControl* control_ = &ownControl_;
  TRunner runner_;
};

}  // namespace tervil
