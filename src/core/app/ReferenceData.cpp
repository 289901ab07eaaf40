#include "core/app/ReferenceData.h"

#include <algorithm>

#include "core/common/TextFile.h"

namespace tervil {

namespace {

// A NUL or another control byte (other than tab, CR, LF, form feed) marks a file that is not text.
bool HasBinaryBytes(const std::string& bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 && b != '\t' && b != '\r' && b != '\n' && b != '\f';
  });
}

std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') continue;
    lines.push_back(bytes.substr(start, i - start));
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

// The file's text; empty, with a message, when it cannot be read or is not text.
std::string ReadText(const std::string& path, std::vector<std::string>& errors,
                     bool* readable = nullptr) {
  std::string bytes, error;
  bool ok = ReadFileBytes(path, bytes, &error);
  if (!ok) errors.push_back(error);
  if (ok && HasBinaryBytes(bytes)) {
    errors.push_back(path + " is not a text file; it was not read.");
    ok = false;
  }
  if (readable) *readable = ok;
  return ok ? bytes : std::string();
}

std::vector<std::string> ReadList(const std::string& dataDir, const char* name,
                                  std::vector<std::string>& errors, bool* readable = nullptr) {
  const std::string path = dataDir + "/" + name;
  std::vector<std::string> lines = SplitLines(ReadText(path, errors, readable));
  std::size_t cut = 0;
  for (std::string& line : lines) {
    if (line.size() <= kMaxReferenceLine) continue;
    line.resize(kMaxReferenceLine);
    ++cut;
  }
  if (cut > 0) {
    errors.push_back(path + ": " + std::to_string(cut) + " lines longer than " +
                     std::to_string(kMaxReferenceLine) + " characters were cut.");
  }
  return lines;
}

// The four function files describe the same functions line by line; when their lengths differ,
// all are cut to the shortest and the first file that differs is named (unless a file could not
// be read, which has been reported already).
void KeepParallel(const std::string& dataDir, TCompletionLists& lists, bool reported,
                  std::vector<std::string>& errors) {
  const std::pair<const char*, std::vector<std::string>*> files[] = {
      {"phpfuncn.tvd", &lists.LookupList},
      {"phpfuncp.tvd", &lists.ParamList},
      {"phpfuncf.tvd", &lists.FullList},
      {"phpfuncm.tvd", &lists.FunctionList}};
  std::size_t shortest = lists.LookupList.size();
  for (const auto& [name, list] : files) shortest = std::min(shortest, list->size());
  for (const auto& [name, list] : files) {
    if (reported || list->size() == lists.LookupList.size()) continue;
    errors.push_back(dataDir + "/" + name + " has " + std::to_string(list->size()) +
                     " lines but phpfuncn.tvd has " + std::to_string(lists.LookupList.size()) +
                     "; the function lists hold the first " + std::to_string(shortest) + ".");
    break;
  }
  for (const auto& [name, list] : files) list->resize(shortest);
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
  bool readable[4];
  lists.LookupList = ReadList(dataDir, "phpfuncn.tvd", errors, &readable[0]);
  lists.ParamList = ReadList(dataDir, "phpfuncp.tvd", errors, &readable[1]);
  lists.FullList = ReadList(dataDir, "phpfuncf.tvd", errors, &readable[2]);
  lists.FunctionList = ReadList(dataDir, "phpfuncm.tvd", errors, &readable[3]);
  const bool unreadable = !(readable[0] && readable[1] && readable[2] && readable[3]);
  lists.AutoCompleteList = ReadList(dataDir, "autocomplete.tvd", errors);
  lists.AutoCorrectList = ReadList(dataDir, "autocorrect.tvd", errors);
  KeepParallel(dataDir, lists, unreadable, errors);
  lists.Lookup.Build(lists.LookupList);
  auto objects = std::make_shared<TJSModel>();
  objects->LoadFromText(ReadText(dataDir + "/js.tvd", errors));
  lists.JSObjects = std::move(objects);
  return lists;
}

}  // namespace tervil
