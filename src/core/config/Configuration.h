#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/common/Color.h"
#include "core/config/ClipboardStrings.h"
#include "core/config/SettingsStore.h"
#include "core/search/SearchState.h"

namespace tervil {

// The root key of every setting.
inline const std::string kRootKey = "Software\\Tervil Editor";

// One remembered document: where the caret was, how it was decoded and coloured.
struct TRecentFile {
  int caretX = 0;
  int caretY = 0;
  int topLine = 1;
  std::string fileName;
  std::string encoding;
  std::string highlighter;
  bool reopen = false;

  bool operator==(const TRecentFile&) const = default;
};

// A user code: choosing it inserts before + selected text + after.
struct TUserCode {
  std::string caption;
  std::string before;
  std::string after;
};

// Where a toolbar or tool window was, as stored per configuration. Only fields that were
// stored are set when loading.
struct TPlacement {
  std::optional<bool> visible;
  std::optional<int> left, top, width, height;
  std::optional<std::string> dock;  // "" when the window floats
};

// Lets the owning window keep its highlighters' colours in the active configuration.
class TConfigurationOwner {
 public:
  virtual ~TConfigurationOwner() = default;
  // `keyPath` is R + name + "\Highlighters"; each highlighter uses its language name below it.
  virtual void LoadHighlighterAttributes(TSettingsStore& store, const std::string& keyPath) = 0;
  virtual void SaveHighlighterAttributes(TSettingsStore& store, const std::string& keyPath) = 0;
};

// The active named configuration in memory, with the list of configuration names.
class TConfiguration {
 public:
  static constexpr int kMaxRecentFiles = 96;

  // Sets the defaults and loads the configuration named by the root value "lastconfig".
  TConfiguration(TSettingsStore& store, TConfigurationOwner* owner = nullptr);

  void Load(const std::string& name);
  void Save();
  // Writes "lastconfig" and saves: what the editor does when its window goes away.
  void SaveAtExit();
  void SwitchTo(const std::string& name);
  void AddConfig(const std::string& name);
  void DeleteConfig(const std::string& name);

  int IndexOfRecentFile(const std::string& path) const;
  void AddRecentFile(const TRecentFile& record);
  // Sets the reopen flag of exactly the records whose file is one of `paths`.
  void SetReopenMarks(const std::vector<std::string>& paths);
  void SetApplications(const std::vector<std::string>& list) { Applications = list; }

  TPlacement LoadPlacement(const std::string& component) const;
  void SavePlacement(const std::string& component, const TPlacement& placement);

  std::string ConfigKey() const { return kRootKey + "\\" + ConfigName; }
  TSettingsStore& Store() { return store_; }

  std::string ConfigName = "default";

  // Root values.
  bool MultipleInstances = false;
  bool CheckVersion = true;

  // Values of a configuration key.
  bool UnixEol = true;
  bool AutoDetectEol = true;
  bool ShowHiddenFiles = true;
  int ReopenFiles = 0;  // 0 remember open documents, 1 do not, 2 ask
  bool EnhanceHomeKey = true;
  bool SmartTabs = false;
  bool TabsToSpaces = true;
  bool SpacesToTabs = false;
  TColor ActiveLineColor = clNone;
  TColor EditorBackground = clWindow;
  int RightEdge = 80;
  TColor RightEdgeColor = 0x808080;
  int TabWidth = 4;
  int FontSize = 10;
  TColor BracketColor = 0xC0DCC0;
  TColor VariableColor = 0xF0CAA6;
  bool AutoClose = true;
  bool Autosave = false;
  bool AutosaveBackup = false;
  int AutosaveInterval = 300000;
  bool AutoIndent = true;
  bool ContinueLists = false;
  bool TabCloseButton = true;
  std::string DefaultEncoding;
  std::string LeftViewDir;   // the home folder by default
  std::string RightViewDir;  // the home folder by default
  std::string EncodingFilter = "*.php;*.phtml;*.php3;*.htm;*.html;*.css;*.js;*.xml;*.inc;*.sql;";
  std::string SupportedExtensions =
      "*.php; *.phtml; *.php3; *.htm; *.html; *.css; *.js; *.pl; *.cgi; "
      "*.plx;*.pm;*.xml;*.inc;*.sql;*.txt;*.c;*.cpp;*.h;*.cs;*.vbs;*.java;*.pas";
  std::string RunWithDefault;
  std::string PhpPath;
  std::string FontName;  // the editor's font family; empty: the system's fixed-pitch font
  bool Gutter = true;    // the gutter with line numbers beside the text

  std::vector<TRecentFile> RecentList;
  std::vector<TUserCode> UserCodeList;
  std::vector<std::string> ConfigNames;
  std::vector<std::string> Applications;

  // Not stored.
  TClipboardStrings ClipboardList;  // the clipboard history of this run
  TSearchState SearchState;

 private:
  void LoadRecentFiles(const std::string& key);
  void LoadUserCodes(const std::string& key);
  void LoadValues(const std::string& key);
  void SaveRecentFiles(const std::string& key);
  void SaveUserCodes(const std::string& key);
  void SaveValues(const std::string& key);

  TSettingsStore& store_;
  TConfigurationOwner* owner_;
};

}  // namespace tervil
