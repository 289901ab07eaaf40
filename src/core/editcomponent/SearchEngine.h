#pragma once

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
  std::size_t FindAll(const TTextBuffer& buffer, std::size_t begin, std::size_t end,
                      const std::function<bool(const TSearchMatch&)>& onMatch);

  // Appends the replacement text for the last match found; a regular-expression engine
  // expands group references in `replacement`.
  virtual void AppendReplacement(std::string_view replacement, std::string& out) const;

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

 private:
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
};

}  // namespace tervil
