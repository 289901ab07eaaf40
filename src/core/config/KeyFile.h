#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tervil {

// A freedesktop.org key file (desktop entries, mimeapps.list): "[Group]" headers and
// "Key=Value" lines. Changes touch only the lines they concern; comments, blank lines, other
// groups and the order of keys stay as they were.
class TKeyFile {
 public:
  void Parse(const std::string& text);
  std::string Serialize() const;

  std::optional<std::string> Get(const std::string& group, const std::string& key) const;
  // Replaces the key's line, or adds it at the end of the group (the group at the end of the
  // file when it is missing).
  void Set(const std::string& group, const std::string& key, const std::string& value);
  // Returns false when the key was not there.
  bool Remove(const std::string& group, const std::string& key);

 private:
  // The line range [begin, end) of the group's keys; begin is npos when there is no group.
  std::pair<size_t, size_t> GroupLines(const std::string& group) const;
  size_t KeyLine(const std::string& group, const std::string& key) const;

  std::vector<std::string> lines_;
};

// A list value "a;b;c;" split into its items (empty items dropped), and joined back with a
// closing ";".
std::vector<std::string> SplitKeyFileList(const std::string& value);
std::string JoinKeyFileList(const std::vector<std::string>& items);

}  // namespace tervil
