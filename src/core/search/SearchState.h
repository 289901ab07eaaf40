#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/editcomponent/EditorTypes.h"

namespace tervil {

// The three kinds of search the editor offers.
enum class TSearchKind { skFind, skReplace, skMultiReplace };

// The state of searching, shared by every page for the life of the program and never stored.
struct TSearchState {
  bool SearchBackward = false;
  bool SearchMatchCase = false;
  bool SearchFromCaret = true;
  // The next pass starts at the caret; false makes it cover the whole scope.
  bool SearchContinue = true;
  bool SearchSelectedOnly = false;
  bool SearchWholeWords = false;
  bool SearchRegex = false;
  std::string MultiReplaceFile;  // file name, without folder
  std::string SearchText;
  std::string SearchHistory;  // newest first, joined with CR LF
  std::string ReplaceText;
  std::string ReplaceHistory;
};

// The most entries a history keeps.
inline constexpr std::size_t kMaxSearchHistory = 20;

// The option bits of one pass. Selected-only is dropped when nothing is selected: the pass
// then covers the scope it would have without it.
TSearchOptions BuildSearchOptions(const TSearchState& state, TSearchKind kind, bool backward,
                                  bool hasSelection);

// A history string split into its entries (empty entries dropped).
std::vector<std::string> SplitHistory(const std::string& history);
// The first kMaxSearchHistory entries joined with CR LF.
std::string JoinHistory(const std::vector<std::string>& entries);
// Moves `text` to the top of `entries` (inserted when new); an empty text changes nothing.
void PushHistory(std::vector<std::string>& entries, const std::string& text);

}  // namespace tervil
