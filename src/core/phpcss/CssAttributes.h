#pragma once

// The property table of the "Css Editor" window, read from data/css.tvd: one line per property
// with the attributes name, style, values, uservalue (and, as a hint, kind), each written
// ` key="value"` (single quotes or no quotes up to the next space also do).

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tervil {

enum class TCssEditStyle { kSimple, kPickList, kEllipsis };

struct TCssAttr {
  std::string values;     // allowed values, separated by "|"
  std::string style;      // "essimple", "espicklist" or "esellipsis"
  std::string name;       // the property
  std::string uservalue;  // "false": the value can only be chosen, not typed
  std::string kind;       // the kinds of value the grammar names ("length-percentage|auto")

  TCssEditStyle EditStyle() const;
  bool UserMayType() const { return uservalue != "false"; }
  // The values, split at "|" and trimmed, without empty ones.
  std::vector<std::string> PickList() const;
};

class TCssAttributeTable {
 public:
  // Replaces the table with the lines of `text`. Blank lines are skipped; a line without a name
  // is skipped and named in `problems` (the first few of them, then a count).
  void LoadText(std::string_view text, std::vector<std::string>& problems);
  // Reads the file; a file that cannot be read leaves an empty table and names the problem.
  // Returns false when the file could not be read.
  bool LoadFile(const std::string& path, std::vector<std::string>& problems);

  // The first entry with exactly this name, or nullptr.
  const TCssAttr* Find(std::string_view name) const;
  const std::vector<TCssAttr>& Attributes() const { return attributes_; }
  // Every property name, sorted.
  std::vector<std::string> SortedNames() const;

 private:
  std::vector<TCssAttr> attributes_;
  std::unordered_map<std::string, std::size_t> index_;
};

}  // namespace tervil
