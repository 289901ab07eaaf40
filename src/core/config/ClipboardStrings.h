#pragma once

// The clipboard history: the texts the user copied or cut, newest first. Entries are told apart
// without regard to case; copying a text again moves the entry there is (with its own letters)
// to the front instead of adding a second one.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/ScreenGeometry.h"

namespace tervil {

class TClipboardStrings {
 public:
  static constexpr int kDefaultMaxCount = 96;
  // The longest list line, in characters, before it is cut and "..." follows.
  static constexpr std::size_t kListLineLength = 512;

  explicit TClipboardStrings(int maxCount = kDefaultMaxCount) : maxCount_(maxCount) {}

  // Puts `text` at `index` (clamped to the list): an entry equal to it without regard to case
  // moves there unchanged instead. Then drops entries from the end down to the maximum.
  void Insert(std::size_t index, std::string_view text);
  // Appends `text`, then drops entries from the end down to the maximum (so a full list loses
  // the text just added).
  void Add(std::string_view text);
  // Moves the entry at `index` to the front and returns its text; "" for an index out of range.
  std::string TakeToTop(std::size_t index);
  // Replaces the text of the entry at `index` (an edit in the history window); ignored out of
  // range.
  void Put(std::size_t index, std::string_view text);
  void Clear() { entries_.clear(); }

  // Index of the entry equal to `text` without regard to case, or -1.
  int IndexOf(std::string_view text) const;

  std::size_t Count() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }
  const std::string& operator[](std::size_t index) const { return entries_[index]; }
  const std::vector<std::string>& Entries() const { return entries_; }
  // No limit when 0 or less.
  int MaxCount() const { return maxCount_; }
  void SetMaxCount(int maxCount);

  // The line the history window lists for an entry: blanks compacted, line breaks gone, and cut
  // to its first 512 characters followed by "..." when longer.
  static std::string ListLine(std::string_view text);
  // Whether two texts are equal without regard to case (simple Unicode case mapping).
  static bool SameText(std::string_view a, std::string_view b);

 private:
  void Trim();

  std::vector<std::string> entries_;
  int maxCount_;
};

// Where the history window of `width` x `height` goes for the caret point `at` (the start of the
// row below the caret's row): kept left of the screen's right edge and above the work area's
// bottom, but never above or left of the main window's top-left corner `mainTopLeft`.
TScreenPoint ClipboardWindowPos(TScreenPoint at, int width, int height, const TScreenRect& screen,
                                const TScreenRect& workArea, TScreenPoint mainTopLeft);

}  // namespace tervil
