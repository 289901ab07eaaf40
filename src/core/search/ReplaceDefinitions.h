#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tervil {

// A definition file that cannot be used: missing, unreadable or not text.
class TDefinitionFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One line of a multi-replace definition file.
struct TReplacePair {
  std::string Search;
  std::string Replacement;
  friend bool operator==(const TReplacePair&, const TReplacePair&) = default;
};

// A definition file offered in the multi-replace dialog.
struct TDefinitionFile {
  std::string Name;  // without folder
  std::string Path;
};

// The pairs of a definition file's text, in line order. Each line splits at its first "|":
// the search text before it, the replacement after it (later "|" belong to the replacement). A
// line without "|" has an empty search text. Lines end at CR LF, LF or CR. Throws
// TDefinitionFileError for text with NUL bytes, which is no definition file.
std::vector<TReplacePair> ParseReplaceDefinitions(std::string_view text);

// Reads and parses a definition file; throws TDefinitionFileError with the reason it cannot be
// read.
std::vector<TReplacePair> ReadReplaceDefinitions(const std::string& path);

// The plain files of `folders`, each folder sorted by name; a name already listed from an
// earlier folder hides the later file of that name. Missing folders list nothing.
std::vector<TDefinitionFile> ListReplaceDefinitions(const std::vector<std::string>& folders);

// The user's own folder of definition files: $XDG_DATA_HOME/tervil-editor/format (default
// ~/.local/share/tervil-editor/format).
std::string UserReplaceDefinitionFolder();

// The file of that name in `files`, or nullptr.
const TDefinitionFile* FindReplaceDefinition(const std::vector<TDefinitionFile>& files,
                                             const std::string& name);

}  // namespace tervil
