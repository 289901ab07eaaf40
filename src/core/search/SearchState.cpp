#include "core/search/SearchState.h"

#include <algorithm>

namespace tervil {

TSearchOptions BuildSearchOptions(const TSearchState& state, TSearchKind kind, bool backward,
                                  bool hasSelection) {
  TSearchOptions options = 0;
  if (state.SearchMatchCase) options |= ssoMatchCase;
  if (state.SearchWholeWords) options |= ssoWholeWord;
  if (backward) options |= ssoBackwards;
  if (!state.SearchContinue) options |= ssoEntireScope;
  if (state.SearchSelectedOnly && hasSelection) options |= ssoSelectedOnly;
  if (kind != TSearchKind::skFind) options |= ssoReplace | ssoReplaceAll;
  if (kind == TSearchKind::skReplace) options |= ssoPrompt;
  return options;
}

std::vector<std::string> SplitHistory(const std::string& history) {
  std::vector<std::string> entries;
  std::size_t pos = 0;
  while (pos <= history.size()) {
    std::size_t next = history.find_first_of("\r\n", pos);
    if (next == std::string::npos) next = history.size();
    if (next > pos) entries.push_back(history.substr(pos, next - pos));
    pos = next + 1;
  }
  return entries;
}

std::string JoinHistory(const std::vector<std::string>& entries) {
  std::string joined;
  const std::size_t count = std::min(entries.size(), kMaxSearchHistory);
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) joined += "\r\n";
    joined += entries[i];
  }
  return joined;
}

void PushHistory(std::vector<std::string>& entries, const std::string& text) {
  if (text.empty()) return;
  auto found = std::find(entries.begin(), entries.end(), text);
  if (found != entries.end()) entries.erase(found);
  entries.insert(entries.begin(), text);
}

}  // namespace tervil
