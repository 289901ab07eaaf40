#pragma once

#include <string>
#include <vector>

namespace tervil {

// A window's message table: lines of key "=" value. Every user-visible sentence of a window
// is looked up here by key, so texts can change without touching the code that shows them.
class TResourceStrings {
 public:
  TResourceStrings() = default;
  explicit TResourceStrings(std::vector<std::string> items) : items_(std::move(items)) {}

  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(const std::vector<std::string>& items) { items_ = items; }

  // The value of the first line whose key equals `key` exactly; "" when none does.
  // Key and value are trimmed of blanks; only the first "=" separates them.
  std::string Lookup(const std::string& key) const;

 private:
  std::vector<std::string> items_;
};

// The message tables of the program's windows.
const std::vector<std::string>& MainWindowMessages();
const std::vector<std::string>& OptionsDialogMessages();
const std::vector<std::string>& ConsoleWindowMessages();
const std::vector<std::string>& DiskExplorerMessages();
const std::vector<std::string>& CodeInspectorMessages();

}  // namespace tervil
