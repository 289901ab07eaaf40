#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tervil {

// A console run works on a temporary copy of a page ("index.php.tvl0" beside "index.php"); what
// the program prints names that copy. These are the names it goes by and the page it stands for.
struct TRunCopyNames {
  // The copy's path as it was written and as the system resolves it (links followed).
  std::vector<std::string> CopyPaths;
  // The page's file, or its caption when it has none.
  std::string PageName;
};

// An error line as the user reads it: every mention of the copy, by path or by bare file name,
// names the page instead.
std::string WithPageName(const std::string& message, const TRunCopyNames& names);

// Where an error line leads: a line of the page that ran, or of another file.
struct TErrorTarget {
  bool RunPage = false;
  std::string File;  // the page's name for the page that ran
  int Line = 0;
};
std::optional<TErrorTarget> ErrorTarget(const std::string& message, const TRunCopyNames& names);

}  // namespace tervil
