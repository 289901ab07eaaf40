#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/editcomponent/Completion.h"
#include "core/javascript/JSModel.h"

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
  // LookupList by name without regard to case.
  TFunctionLookup Lookup;
  // The JavaScript objects of the member popup ("js.tvd").
  std::shared_ptr<const TJSModel> JSObjects = std::make_shared<TJSModel>();
};

// Lines longer than this are cut when a reference list is read.
inline constexpr std::size_t kMaxReferenceLine = 4096;

// Reads "entities.tvd" and "entities_captions.tvd" from `dataDir`: one item per caption line,
// its text the entities file's line of the same index. When the entities file is shorter, the
// items without a text are left out. Unreadable files add their message to `errors`.
std::vector<TEntityItem> LoadEntityItems(const std::string& dataDir,
                                         std::vector<std::string>& errors);

// Reads the six completion files and "js.tvd" from `dataDir`, in the order start-up reads them.
// Each problem adds one message naming the file to `errors`: a missing or unreadable file (its
// list stays empty), a file holding binary bytes (its list stays empty), lines longer than
// kMaxReferenceLine (cut), and function files that are not parallel (all four are cut to the
// shortest, so that line i of each still belongs together).
TCompletionLists LoadCompletionLists(const std::string& dataDir, std::vector<std::string>& errors);

}  // namespace tervil
