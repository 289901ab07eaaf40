#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/common/ScreenGeometry.h"

namespace tervil {

using TSharedLines = std::shared_ptr<const std::vector<std::string>>;

// ---- Text helpers of the completion lists.
// `text` without leading and trailing blanks, tabs and line ends.
std::string_view TrimBlanks(std::string_view text);
// Whether `text` starts with `prefix`, ASCII letters compared without regard to case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// ---- Pretty text of list items: "\column{}" starts the next column, "\style{+B}" and
// "\style{-B}" switch bold on and off; other "\name{...}" commands are dropped.
struct TPrettySegment {
  int Column = 0;
  std::string Text;
  bool Bold = false;
};
std::vector<TPrettySegment> ParsePrettyText(std::string_view text);

// ---- The completion list: the insert list and the item list (parallel) narrowed to the
// entries whose insert text starts with what the user typed, without regard to case, and the
// selected row.
class TCompletionItems {
 public:
  void SetLists(TSharedLines insertList, TSharedLines itemList);
  // Narrows to the entries starting with `typed`; a longer `typed` that extends the previous
  // one narrows the current rows only. Selects the first row.
  void Filter(std::string_view typed);
  const std::string& Typed() const { return typed_; }

  std::size_t Count() const { return rows_.size(); }
  bool Empty() const { return rows_.empty(); }
  // The entry (index into the lists) of a row.
  std::size_t EntryOf(std::size_t row) const { return rows_[row]; }
  const std::string& InsertText(std::size_t row) const;
  const std::string& ItemText(std::size_t row) const;
  std::size_t InsertListSize() const { return insert_ ? insert_->size() : 0; }

  int Selected() const { return selected_; }  // -1 when empty
  void Select(int row);                       // clamped into the rows
  void MoveSelection(int delta) { Select(selected_ + delta); }

 private:
  TSharedLines insert_;
  TSharedLines items_;
  std::vector<std::size_t> rows_;
  std::string typed_;
  int selected_ = -1;
};

// ---- Tokens and function names on a line (byte offsets).

// The end-of-token characters of the function list.
inline constexpr std::string_view kEndOfTokenChars = "()=+-/<>,.;:'\"[]{}\\|*&^%$#@!~`";
// Where the token that ends at `caret` starts: after the last end-of-token character or blank.
std::size_t TokenStart(std::string_view line, std::size_t caret);
// The byte after the word characters that continue the token to the right of `caret`.
std::size_t TokenEnd(std::string_view line, std::size_t caret);

// Function names of the LookupList by their upper-cased form (the first of equal names wins).
class TFunctionLookup {
 public:
  void Build(const std::vector<std::string>& lookupList);
  // The index of `name` in the list, without regard to case, or -1.
  int Find(std::string_view name) const;
  bool Empty() const { return index_.empty(); }

 private:
  std::unordered_map<std::string, int> index_;
};

// The function whose parameter list the caret is in: scans the line leftwards from the byte
// before `caret` counting commas, skipping balanced parenthesised groups, and stops at the first
// "(" whose preceding name is a known function. The scan looks at most `limit` bytes back.
struct THintScan {
  bool Found = false;
  int Index = -1;        // in the LookupList
  int Commas = 0;        // the current parameter's index
  std::size_t Open = 0;  // byte of the "(" found
};
inline constexpr std::size_t kHintScanLimit = 16 * 1024;
THintScan ScanForFunction(std::string_view line, std::size_t caret, const TFunctionLookup& lookup,
                          std::size_t limit = kHintScanLimit);

// The parameters of a ParamList line, split at the commas outside quotes and brackets, trimmed;
// "void" and an empty line give none.
std::vector<std::string> SplitParameters(std::string_view params);

// The two lines of the description hint from a FullList line: the part before the first run of
// eight spaces and the part after it, both trimmed.
std::pair<std::string, std::string> DescriptionLines(std::string_view fullLine);

// The parts a function list shows after "->" or "::": the expression split at ">" and ":",
// without empty parts. Fewer than two parts mean a plain name.
std::vector<std::string> MemberParts(std::string_view expression);

// ---- Placement of the popups, in screen pixels.
// The description hint: at the list's left edge just below it; at the editor's right edge when
// that is further right than it; above the list when the editor ends above the list's bottom.
TScreenPoint DescriptionHintPos(const TScreenRect& list, const TScreenRect& editor, int hintHeight);
// A popup of `width` x `height` at the caret: below the caret's line (`lineTop`, `lineBottom`)
// from `x`, above the line when it would leave the screen's bottom, moved left to stay on it.
TScreenPoint PopupPos(int x, int lineTop, int lineBottom, int width, int height,
                      const TScreenRect& screen);

}  // namespace tervil
