#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/config/Configuration.h"

namespace tervil {

// One entry of the Open and Save As dialogs' filter list.
struct TFileFilter {
  std::string description;
  std::string patterns;  // "*.php; *.phtml"
};

// The dialogs' filters; the first, "Supported files", lists the configured extensions (with
// every "|" removed).
std::vector<TFileFilter> DocumentFileFilters(const std::string& supportedExtensions);
// The Qt name filter text of one entry: "description (pattern pattern ...)".
std::string QtNameFilter(const TFileFilter& filter);

// The filter the Save As dialog preselects for a document with extension `extension` ("php",
// without the dot): the first entry after "Supported files" whose patterns hold "*." + it,
// compared without regard to case; -1 when none does.
int PreselectedFilter(const std::vector<TFileFilter>& filters, const std::string& extension);
// The extension Save As adds to a name without one, by the chosen filter's index (0-based):
// ".php", ".html", ".css", ".js", ".pl", ".xml", ".sql", ".txt" for the entries after
// "Supported files"; "" for the others.
std::string ExtensionForFilter(int index);

// The name of a new document: "Unnamed n" with the smallest n no tab caption uses yet.
std::string NextUnnamedName(const std::string& unnamed, const std::vector<std::string>& captions);

// The recent-file menu: the paths of the first 16 records whose files still exist and that are
// not open for editing.
std::vector<std::string> RecentMenuPaths(
    const std::vector<TRecentFile>& records,
    const std::function<bool(const std::string&)>& fileExists,
    const std::function<bool(const std::string&)>& isOpenForEditing);
constexpr int kRecentMenuSize = 16;

// Sets the reopen flag of every record whose path is in `reopenList` (compared exactly).
void MarkReopenFiles(std::vector<TRecentFile>& records, const std::vector<std::string>& reopenList);

// The records to reopen at start, in list order, and clears every flag.
std::vector<TRecentFile> TakeReopenFiles(std::vector<TRecentFile>& records);

}  // namespace tervil
