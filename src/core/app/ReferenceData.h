#pragma once

#include <string>
#include <vector>

namespace tervil {

// One item of the entities menu: its caption and the entity text it inserts.
struct TEntityItem {
  std::string caption;
  std::string text;
};

// The completion and correction lists a page control shares with its pages.
struct TCompletionLists {
  std::vector<std::string> LookupList;
  std::vector<std::string> ParamList;
  std::vector<std::string> FullList;
  std::vector<std::string> FunctionList;
  std::vector<std::string> AutoCompleteList;
  std::vector<std::string> AutoCorrectList;
};

// Reads "entities.tvd" and "entities_captions.tvd" from `dataDir`: one item per caption line,
// its text the entities file's line of the same index. When the entities file is shorter, the
// items without a text are left out. Unreadable files add their message to `errors`.
std::vector<TEntityItem> LoadEntityItems(const std::string& dataDir,
                                         std::vector<std::string>& errors);

// Reads the six completion files from `dataDir`, in the order start-up reads them.
TCompletionLists LoadCompletionLists(const std::string& dataDir, std::vector<std::string>& errors);

}  // namespace tervil
