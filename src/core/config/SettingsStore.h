#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace tervil {

// Raised when a value is read with the wrong type or a key cannot be opened.
class TSettingsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A value in the store: a string or a 32-bit integer ("dword").
using TSettingsValue = std::variant<std::string, std::uint32_t>;

// One key of the hierarchical per-user store. Key paths use "\" between names, for example
// "Software\Tervil Editor\default\RecentFiles"; names are compared exactly.
// Keys nest at most kMaxKeyDepth names deep (the limit of the system's registry); every walk
// over the tree, destruction included, runs in a loop, never recursing over its depth.
struct TSettingsKey {
  static constexpr size_t kMaxKeyDepth = 512;

  TSettingsKey() = default;
  TSettingsKey(TSettingsKey&&) = default;
  TSettingsKey& operator=(TSettingsKey&&) = default;
  ~TSettingsKey();

  std::map<std::string, TSettingsValue> values;
  std::map<std::string, std::unique_ptr<TSettingsKey>> subkeys;
};

// The per-user settings file ($XDG_CONFIG_HOME/tervil-editor/registry.reg) in the text
// format of a registry export. Reads come from memory; every change is also recorded so that
// Flush() can re-read the file under an advisory lock, replay this process's changes on top of
// what other processes wrote meanwhile, and write the result atomically with mode 0600.
class TSettingsStore {
 public:
  // Uses `filePath`; an empty path means the default per-user location.
  explicit TSettingsStore(std::string filePath = {});
  ~TSettingsStore();
  TSettingsStore(const TSettingsStore&) = delete;
  TSettingsStore& operator=(const TSettingsStore&) = delete;

  static std::string DefaultFilePath();
  const std::string& FilePath() const { return filePath_; }

  // Reads the file. A file that cannot be parsed (also one with keys nested deeper than
  // TSettingsKey::kMaxKeyDepth) is renamed to registry.reg.bad and the store starts empty; the
  // returned text says what happened (empty when all went well).
  std::string Load();
  // Writes pending changes. Throws TSettingsError with the system's text when writing fails.
  void Flush();

  // Changes to keys nested deeper than TSettingsKey::kMaxKeyDepth throw TSettingsError.
  bool KeyExists(const std::string& path) const;
  void CreateKey(const std::string& path);
  void DeleteKey(const std::string& path);  // with all subkeys
  std::vector<std::string> SubkeyNames(const std::string& path) const;
  std::vector<std::string> ValueNames(const std::string& path) const;

  bool ValueExists(const std::string& path, const std::string& name) const;
  // Throw TSettingsError when the value is missing or of the other type.
  std::string ReadString(const std::string& path, const std::string& name) const;
  std::uint32_t ReadInteger(const std::string& path, const std::string& name) const;
  bool ReadBool(const std::string& path, const std::string& name) const;  // non-zero is set
  void WriteString(const std::string& path, const std::string& name, const std::string& value);
  void WriteInteger(const std::string& path, const std::string& name, std::uint32_t value);
  void WriteBool(const std::string& path, const std::string& name, bool value);
  void DeleteValue(const std::string& path, const std::string& name);

  // The export text of everything in memory, and its parser (exposed for tests and tools).
  std::string Serialize() const;
  static bool Parse(const std::string& text, TSettingsKey& root, std::string* error);

 private:
  struct Change;
  void Apply(const Change& change, TSettingsKey& root) const;
  void Record(Change change);

  std::string filePath_;
  TSettingsKey root_;
  std::vector<Change> pending_;
};

}  // namespace tervil
