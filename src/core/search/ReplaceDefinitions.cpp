#include "core/search/ReplaceDefinitions.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/common/Paths.h"
#include "core/common/TextFile.h"

namespace tervil {

std::vector<TReplacePair> ParseReplaceDefinitions(std::string_view text) {
  if (text.find('\0') != std::string_view::npos)
    throw TDefinitionFileError("The definition file is not a text file.");
  std::vector<TReplacePair> pairs;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(pos, end - pos);
    const std::size_t bar = line.find('|');
    if (bar == std::string_view::npos)
      pairs.push_back({std::string(), std::string(line)});
    else
      pairs.push_back({std::string(line.substr(0, bar)), std::string(line.substr(bar + 1))});
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n' && (pos == end || text[pos - 1] == '\r')) ++pos;
  }
  return pairs;
}

std::vector<TReplacePair> ReadReplaceDefinitions(const std::string& path) {
  std::string bytes, error;
  if (!ReadFileBytes(path, bytes, &error)) throw TDefinitionFileError(error);
  return ParseReplaceDefinitions(bytes);
}

std::vector<TDefinitionFile> ListReplaceDefinitions(const std::vector<std::string>& folders) {
  namespace fs = std::filesystem;
  std::vector<TDefinitionFile> files;
  for (const std::string& folder : folders) {
    std::vector<TDefinitionFile> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code typeError;
      if (!it->is_regular_file(typeError)) continue;
      const std::string name = it->path().filename().string();
      if (!FindReplaceDefinition(files, name)) found.push_back({name, it->path().string()});
    }
    std::sort(found.begin(), found.end(),
              [](const TDefinitionFile& a, const TDefinitionFile& b) { return a.Name < b.Name; });
    files.insert(files.end(), found.begin(), found.end());
  }
  return files;
}

std::string UserReplaceDefinitionFolder() {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  // Only an absolute value counts, as the XDG base directory rules say.
  const std::string base =
      dataHome && dataHome[0] == '/' ? std::string(dataHome) : HomeDirectory() + "/.local/share";
  return base + "/tervil-editor/format";
}

const TDefinitionFile* FindReplaceDefinition(const std::vector<TDefinitionFile>& files,
                                             const std::string& name) {
  auto it = std::find_if(files.begin(), files.end(),
                         [&](const TDefinitionFile& f) { return f.Name == name; });
  return it == files.end() ? nullptr : &*it;
}

}  // namespace tervil
