#include "core/config/ExtensionChecks.h"

#include <algorithm>

namespace tervil {

std::vector<std::string> ParseExtensionList(const std::string& text) {
  std::vector<std::string> list;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) continue;
    line = line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
    if (line.size() < 2 || line.front() != '.' || line.find_first_of(" \t/\\") != std::string::npos)
      continue;
    list.push_back(line);
  }
  std::sort(list.begin(), list.end());
  list.erase(std::unique(list.begin(), list.end()), list.end());
  return list;
}

std::vector<TExtensionCheck> ReadExtensionChecks(const TFileAssociation& association,
                                                 const std::vector<std::string>& extensions) {
  std::vector<TExtensionCheck> checks;
  checks.reserve(extensions.size());
  for (const std::string& extension : extensions)
    checks.push_back({extension, association.IsAssociated(extension)});
  return checks;
}

void ApplyExtensionChecks(TFileAssociation& association, const std::vector<TExtensionCheck>& checks,
                          const std::string& programPath) {
  for (const TExtensionCheck& check : checks) {
    if (check.checked)
      association.Associate(check.extension, "open", programPath);
    else
      association.Unassociate(check.extension);
  }
}

}  // namespace tervil
