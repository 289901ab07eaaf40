#include "core/app/ReferenceData.h"

#include "core/common/TextFile.h"

namespace tervil {

namespace {

std::vector<std::string> ReadList(const std::string& dataDir, const char* name,
                                  std::vector<std::string>& errors) {
  std::vector<std::string> lines;
  std::string error;
  if (!ReadLineList(dataDir + "/" + name, lines, &error)) errors.push_back(error);
  return lines;
}

}  // namespace

std::vector<TEntityItem> LoadEntityItems(const std::string& dataDir,
                                         std::vector<std::string>& errors) {
  auto entities = ReadList(dataDir, "entities.tvd", errors);
  auto captions = ReadList(dataDir, "entities_captions.tvd", errors);
  std::vector<TEntityItem> items;
  for (size_t i = 0; i < captions.size() && i < entities.size(); ++i)
    items.push_back({captions[i], entities[i]});
  return items;
}

TCompletionLists LoadCompletionLists(const std::string& dataDir, std::vector<std::string>& errors) {
  TCompletionLists lists;
  lists.LookupList = ReadList(dataDir, "phpfuncn.tvd", errors);
  lists.ParamList = ReadList(dataDir, "phpfuncp.tvd", errors);
  lists.FullList = ReadList(dataDir, "phpfuncf.tvd", errors);
  lists.FunctionList = ReadList(dataDir, "phpfuncm.tvd", errors);
  lists.AutoCompleteList = ReadList(dataDir, "autocomplete.tvd", errors);
  lists.AutoCorrectList = ReadList(dataDir, "autocorrect.tvd", errors);
  return lists;
}

}  // namespace tervil
