#include "core/config/DesktopApplications.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "core/common/Paths.h"
#include "core/common/TextFile.h"
#include "core/config/KeyFile.h"

namespace tervil {

namespace {

namespace fs = std::filesystem;

constexpr const char* kEntryGroup = "Desktop Entry";

std::vector<std::string> FolderList(const char* variable, const std::string& fallback) {
  std::vector<std::string> folders;
  const char* value = std::getenv(variable);
  std::string list = value && *value ? value : fallback;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    std::string folder = list.substr(start, end - start);
    if (!folder.empty() && folder.front() == '/') folders.push_back(folder);
    start = end + 1;
  }
  return folders;
}

std::string HomeFolder(const char* variable, const std::string& fallback) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return value;
  return HomeDirectory() + fallback;
}

TKeyFile ReadKeys(const std::string& path) {
  TKeyFile file;
  std::string bytes;
  if (ReadFileBytes(path, bytes, nullptr)) file.Parse(bytes);
  return file;
}

bool IsTrue(const std::optional<std::string>& value) {
  return value && *value == "true";
}

// Every desktop entry under the applications folders, by id; the first folder holding an id
// wins. An entry in a subfolder has the subfolder in its id ("kde/x.desktop" is "kde-x.desktop").
std::map<std::string, std::string> EntryFiles(const TDesktopFolders& folders) {
  std::map<std::string, std::string> entries;
  for (const std::string& data : folders.dataDirs) {
    const fs::path root = fs::path(data) / "applications";
    std::error_code error;
    if (!fs::is_directory(root, error)) continue;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
      if (it->path().extension() != ".desktop" || !it->is_regular_file(error)) continue;
      std::string id = fs::relative(it->path(), root, error).generic_string();
      std::replace(id.begin(), id.end(), '/', '-');
      entries.emplace(id, it->path().string());
    }
  }
  return entries;
}

}  // namespace

TDesktopFolders TDesktopFolders::FromEnvironment() {
  TDesktopFolders folders;
  folders.configDirs.push_back(HomeFolder("XDG_CONFIG_HOME", "/.config"));
  for (const std::string& dir : FolderList("XDG_CONFIG_DIRS", "/etc/xdg"))
    folders.configDirs.push_back(dir);
  folders.dataDirs.push_back(HomeFolder("XDG_DATA_HOME", "/.local/share"));
  for (const std::string& dir : FolderList("XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
    folders.dataDirs.push_back(dir);
  return folders;
}

std::vector<TDesktopApplication> ApplicationsForMimeTypes(
    const TDesktopFolders& folders, const std::vector<std::string>& mimeTypes) {
  std::vector<TKeyFile> lists;
  for (const std::string& dir : folders.configDirs)
    lists.push_back(ReadKeys(dir + "/mimeapps.list"));
  for (const std::string& dir : folders.dataDirs)
    lists.push_back(ReadKeys(dir + "/applications/mimeapps.list"));

  const std::map<std::string, std::string> files = EntryFiles(folders);
  std::map<std::string, TKeyFile> entries;
  auto entryOf = [&](const std::string& id) -> const TKeyFile* {
    auto file = files.find(id);
    if (file == files.end()) return nullptr;
    auto [it, added] = entries.try_emplace(id);
    if (added) it->second = ReadKeys(file->second);
    return &it->second;
  };

  std::vector<std::string> order;
  std::set<std::string> seen;
  for (const std::string& type : mimeTypes) {
    if (type.empty()) continue;
    std::set<std::string> removed;
    for (const TKeyFile& list : lists)
      if (auto value = list.Get("Removed Associations", type))
        for (const std::string& id : SplitKeyFileList(*value)) removed.insert(id);
    std::vector<std::string> candidates;
    for (const char* group : {"Default Applications", "Added Associations"})
      for (const TKeyFile& list : lists)
        if (auto value = list.Get(group, type))
          for (const std::string& id : SplitKeyFileList(*value)) candidates.push_back(id);
    for (const auto& [id, path] : files) {
      const TKeyFile* entry = entryOf(id);
      const auto types = entry->Get(kEntryGroup, "MimeType");
      if (!types) continue;
      const std::vector<std::string> listed = SplitKeyFileList(*types);
      if (std::find(listed.begin(), listed.end(), type) != listed.end()) candidates.push_back(id);
    }
    for (const std::string& id : candidates)
      if (!removed.count(id) && seen.insert(id).second) order.push_back(id);
  }

  std::vector<TDesktopApplication> applications;
  for (const std::string& id : order) {
    const TKeyFile* entry = entryOf(id);
    if (!entry) continue;
    const auto type = entry->Get(kEntryGroup, "Type");
    const auto exec = entry->Get(kEntryGroup, "Exec");
    const auto name = entry->Get(kEntryGroup, "Name");
    if (!type || *type != "Application" || !exec || exec->empty() || !name) continue;
    if (IsTrue(entry->Get(kEntryGroup, "Hidden")) || IsTrue(entry->Get(kEntryGroup, "NoDisplay")))
      continue;
    applications.push_back(
        {id, *name, *exec, entry->Get(kEntryGroup, "Icon").value_or(""), files.at(id)});
  }
  return applications;
}

std::vector<std::string> DesktopExecArguments(const TDesktopApplication& application,
                                              const std::string& file) {
  // Split into words first; the field codes are replaced inside the words afterwards.
  std::vector<std::string> words;
  const std::string& exec = application.exec;
  std::string word;
  bool inWord = false;
  bool quoted = false;
  for (size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '\\' && i + 1 < exec.size()) {
        word += exec[++i];
      } else {
        word += c;
      }
    } else if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else if (c == '"') {
      quoted = true;
      inWord = true;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (quoted) return {};
  if (inWord) words.push_back(word);

  std::vector<std::string> arguments;
  for (const std::string& w : words) {
    std::string out;
    bool dropWord = false;
    for (size_t i = 0; i < w.size(); ++i) {
      if (w[i] != '%' || i + 1 >= w.size()) {
        out += w[i];
        continue;
      }
      const char code = w[++i];
      switch (code) {
        case 'f':
        case 'F':
        case 'u':
        case 'U':
          out += file;
          break;
        case 'c':
          out += application.name;
          break;
        case 'k':
          out += application.path;
          break;
        case '%':
          out += '%';
          break;
        default:
          // %i and the deprecated codes: a word that is only the code goes away.
          if (w.size() == 2) dropWord = true;
          break;
      }
    }
    if (!dropWord) arguments.push_back(out);
  }
  return arguments;
}

}  // namespace tervil
