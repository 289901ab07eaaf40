#include "core/documents/DocumentRules.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace tervil {

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string& text) {
  auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string> SplitPatterns(const std::string& patterns) {
  std::vector<std::string> parts;
  std::stringstream ss(patterns);
  std::string part;
  while (std::getline(ss, part, ';'))
    if (!Trim(part).empty()) parts.push_back(Trim(part));
  return parts;
}

}  // namespace

std::vector<TFileFilter> DocumentFileFilters(const std::string& supportedExtensions) {
  std::string supported = supportedExtensions;
  supported.erase(std::remove(supported.begin(), supported.end(), '|'), supported.end());
  return {
      {"Supported files", supported},
      {"PHP scripts (*.php, *.phtml, *.php3)", "*.php; *.phtml; *.php3"},
      {"HTML files (*.htm, *.html)", "*.htm; *.html"},
      {"Cascade Style Sheets (*.css)", "*.css"},
      {"JavaScripts (*.js)", "*.js"},
      {"Perl scripts (*.pl, *.plx, *.pm)", "*.pl; *.plx; *.cgi; *.pm"},
      {"XML files (*.xml)", "*.xml"},
      {"SQL queries (*.sql)", "*.sql"},
      {"Text file (*.txt)", "*.txt"},
      {"Pascal files", "*.pas"},
      {"C files", "*.c;*.h; *.cpp;"},
      {"C# files (*.cs)", "*.cs"},
      {"Visual Basic Scripts (*.vbs)", "*.vbs"},
      {"Java files (*.java)", "*.java"},
      {"All files (*.*)", "*.*"},
  };
}

std::string QtNameFilter(const TFileFilter& filter) {
  std::string patterns;
  for (const auto& p : SplitPatterns(filter.patterns)) {
    if (!patterns.empty()) patterns += ' ';
    patterns += p == "*.*" ? "*" : p;
  }
  return filter.description + " (" + patterns + ")";
}

int PreselectedFilter(const std::vector<TFileFilter>& filters, const std::string& extension) {
  const std::string wanted = Lower("*." + extension);
  for (size_t i = 1; i < filters.size(); ++i) {
    for (const auto& p : SplitPatterns(filters[i].patterns))
      if (Lower(p) == wanted) return static_cast<int>(i);
  }
  return -1;
}

std::string ExtensionForFilter(int index) {
  static const char* const kExtensions[] = {".php", ".html", ".css", ".js",
                                            ".pl",  ".xml",  ".sql", ".txt"};
  if (index >= 1 && index <= 8) return kExtensions[index - 1];
  return {};
}

std::string NextUnnamedName(const std::string& unnamed, const std::vector<std::string>& captions) {
  for (int n = 1;; ++n) {
    std::string name = unnamed + " " + std::to_string(n);
    if (std::find(captions.begin(), captions.end(), name) == captions.end()) return name;
  }
}

std::vector<std::string> RecentMenuPaths(
    const std::vector<TRecentFile>& records,
    const std::function<bool(const std::string&)>& fileExists,
    const std::function<bool(const std::string&)>& isOpenForEditing) {
  std::vector<std::string> paths;
  for (size_t i = 0; i < records.size() && i < static_cast<size_t>(kRecentMenuSize); ++i) {
    const std::string& path = records[i].fileName;
    if (fileExists(path) && !isOpenForEditing(path)) paths.push_back(path);
  }
  return paths;
}

void MarkReopenFiles(std::vector<TRecentFile>& records,
                     const std::vector<std::string>& reopenList) {
  for (auto& record : records)
    if (std::find(reopenList.begin(), reopenList.end(), record.fileName) != reopenList.end())
      record.reopen = true;
}

std::vector<TRecentFile> TakeReopenFiles(std::vector<TRecentFile>& records) {
  std::vector<TRecentFile> reopen;
  for (auto& record : records) {
    if (record.reopen) reopen.push_back(record);
    record.reopen = false;
  }
  return reopen;
}

}  // namespace tervil
