#include "core/config/Configuration.h"

#include <algorithm>
#include <variant>

#include "core/common/Paths.h"

namespace tervil {

namespace {

constexpr int kRecentFileSlotsCleared = 96;
constexpr int kUserCodeSlotsCleared = 64;

const char* const kRecentFilesKey = "RecentFiles";
const char* const kUserCodesKey = "UserCodes";

// How one value of a configuration key is kept.
enum class TFieldKind { Flag, Integer, Color, Text, WriteOnlyFlag, ApplicationList };

struct TValueField {
  const char* name;
  TFieldKind kind;
  std::variant<std::monostate, bool TConfiguration::*, int TConfiguration::*,
               TColor TConfiguration::*, std::string TConfiguration::*>
      member;
};

using C = TConfiguration;

// The values of a configuration key, in the order they are read and written.
const TValueField kValueFields[] = {
    {"unixeol", TFieldKind::Flag, &C::UnixEol},
    {"autodetecteol", TFieldKind::Flag, &C::AutoDetectEol},
    {"showhiddenfiles", TFieldKind::Flag, &C::ShowHiddenFiles},
    {"multipleinstances", TFieldKind::WriteOnlyFlag, &C::MultipleInstances},
    {"reopenfiles", TFieldKind::Integer, &C::ReopenFiles},
    {"application", TFieldKind::ApplicationList, std::monostate{}},
    {"enhancehomekey", TFieldKind::Flag, &C::EnhanceHomeKey},
    {"smarttabs", TFieldKind::Flag, &C::SmartTabs},
    {"tabstospaces", TFieldKind::Flag, &C::TabsToSpaces},
    {"spacestotabs", TFieldKind::Flag, &C::SpacesToTabs},
    {"activelinecolor", TFieldKind::Color, &C::ActiveLineColor},
    {"editorbackground", TFieldKind::Color, &C::EditorBackground},
    {"rightedge", TFieldKind::Integer, &C::RightEdge},
    {"rightedgecolor", TFieldKind::Color, &C::RightEdgeColor},
    {"tabwidth", TFieldKind::Integer, &C::TabWidth},
    {"fontsize", TFieldKind::Integer, &C::FontSize},
    {"bracketcolor", TFieldKind::Color, &C::BracketColor},
    {"variablecolor", TFieldKind::Color, &C::VariableColor},
    {"autoclose", TFieldKind::Flag, &C::AutoClose},
    {"autosave", TFieldKind::Flag, &C::Autosave},
    {"autosavebackup", TFieldKind::Flag, &C::AutosaveBackup},
    {"autosaveinterval", TFieldKind::Integer, &C::AutosaveInterval},
    {"autoindent", TFieldKind::Flag, &C::AutoIndent},
    {"continuelists", TFieldKind::Flag, &C::ContinueLists},
    {"tabclosebutton", TFieldKind::Flag, &C::TabCloseButton},
    {"defaultencoding", TFieldKind::Text, &C::DefaultEncoding},
    {"leftviewdir", TFieldKind::Text, &C::LeftViewDir},
    {"rightviewdir", TFieldKind::Text, &C::RightViewDir},
    {"encodingfilter", TFieldKind::Text, &C::EncodingFilter},
    {"supportedextensions", TFieldKind::Text, &C::SupportedExtensions},
    {"runwithdefault", TFieldKind::Text, &C::RunWithDefault},
    {"phppath", TFieldKind::Text, &C::PhpPath},
    {"fontname", TFieldKind::Text, &C::FontName},
    {"gutter", TFieldKind::Flag, &C::Gutter},
};

std::string Indexed(const char* name, int n) {
  return name + std::to_string(n);
}

// Reads an optional value of a numbered group; a value of the wrong type keeps the default.
template <typename T, typename Reader>
void ReadIfPresent(const TSettingsStore& store, const std::string& key, const std::string& name,
                   T& field, Reader read) {
  if (!store.ValueExists(key, name)) return;
  try {
    field = static_cast<T>(read(key, name));
  } catch (const TSettingsError&) {
  }
}

}  // namespace

TConfiguration::TConfiguration(TSettingsStore& store, TConfigurationOwner* owner)
    : LeftViewDir(HomeDirectory()), RightViewDir(HomeDirectory()), store_(store), owner_(owner) {
  ConfigNames = store_.SubkeyNames(kRootKey);
  if (store_.ValueExists(kRootKey, "lastconfig")) {
    try {
      ConfigName = store_.ReadString(kRootKey, "lastconfig");
    } catch (const TSettingsError&) {
    }
  }
  if (ConfigName.empty()) ConfigName = "default";
  if (std::find(ConfigNames.begin(), ConfigNames.end(), ConfigName) == ConfigNames.end())
    ConfigNames.push_back(ConfigName);
  Load(ConfigName);
}

void TConfiguration::Load(const std::string& name) {
  const std::string key = kRootKey + "\\" + name;
  if (owner_) owner_->LoadHighlighterAttributes(store_, key + "\\Highlighters");
  ConfigName = name;
  LoadRecentFiles(key + "\\" + kRecentFilesKey);
  LoadUserCodes(key + "\\" + kUserCodesKey);

  store_.CreateKey(kRootKey);
  auto readRootFlag = [&](const char* value, bool& field) {
    ReadIfPresent(store_, kRootKey, value, field,
                  [&](const auto& k, const auto& n) { return store_.ReadBool(k, n); });
  };
  readRootFlag("multipleinstances", MultipleInstances);
  readRootFlag("checkver", CheckVersion);

  store_.CreateKey(key);
  LoadValues(key);
}

void TConfiguration::LoadRecentFiles(const std::string& key) {
  store_.CreateKey(key);
  RecentList.clear();
  auto readInt = [&](const auto& k, const auto& n) { return store_.ReadInteger(k, n); };
  auto readText = [&](const auto& k, const auto& n) { return store_.ReadString(k, n); };
  for (int n = 0;; ++n) {
    if (!store_.ValueExists(key, Indexed("recentfile_filename", n))) break;
    TRecentFile record;
    ReadIfPresent(store_, key, Indexed("recentfile_filename", n), record.fileName, readText);
    ReadIfPresent(store_, key, Indexed("recentfile_x", n), record.caretX, readInt);
    ReadIfPresent(store_, key, Indexed("recentfile_y", n), record.caretY, readInt);
    ReadIfPresent(store_, key, Indexed("recentfile_topline", n), record.topLine, readInt);
    ReadIfPresent(store_, key, Indexed("recentfile_encoding", n), record.encoding, readText);
    ReadIfPresent(store_, key, Indexed("recentfile_highlighter", n), record.highlighter, readText);
    ReadIfPresent(store_, key, Indexed("recentfile_reopen", n), record.reopen,
                  [&](const auto& k, const auto& v) { return store_.ReadBool(k, v); });
    RecentList.push_back(std::move(record));
  }
}

void TConfiguration::LoadUserCodes(const std::string& key) {
  store_.CreateKey(key);
  UserCodeList.clear();
  auto readText = [&](const auto& k, const auto& n) { return store_.ReadString(k, n); };
  for (int n = 0;; ++n) {
    if (!store_.ValueExists(key, Indexed("usercode_caption", n))) break;
    TUserCode code;
    ReadIfPresent(store_, key, Indexed("usercode_caption", n), code.caption, readText);
    ReadIfPresent(store_, key, Indexed("usercode_after", n), code.after, readText);
    ReadIfPresent(store_, key, Indexed("usercode_before", n), code.before, readText);
    UserCodeList.push_back(std::move(code));
  }
}

// Reads the values in table order. A value of the wrong type ends the reading of this key:
// that value and every later one keep what they had.
void TConfiguration::LoadValues(const std::string& key) {
  try {
    for (const auto& field : kValueFields) {
      switch (field.kind) {
        case TFieldKind::WriteOnlyFlag:
          break;
        case TFieldKind::ApplicationList:
          Applications.clear();
          for (int n = 0; store_.ValueExists(key, Indexed(field.name, n)); ++n)
            Applications.push_back(store_.ReadString(key, Indexed(field.name, n)));
          break;
        default:
          if (!store_.ValueExists(key, field.name)) break;
          if (auto m = std::get_if<bool C::*>(&field.member))
            this->*(*m) = store_.ReadBool(key, field.name);
          else if (auto m = std::get_if<int C::*>(&field.member))
            this->*(*m) = static_cast<int>(store_.ReadInteger(key, field.name));
          else if (auto m = std::get_if<TColor C::*>(&field.member))
            this->*(*m) = store_.ReadInteger(key, field.name);
          else if (auto m = std::get_if<std::string C::*>(&field.member))
            this->*(*m) = store_.ReadString(key, field.name);
          break;
      }
    }
  } catch (const TSettingsError&) {
  }
}

void TConfiguration::Save() {
  const std::string key = ConfigKey();
  if (owner_) owner_->SaveHighlighterAttributes(store_, key + "\\Highlighters");
  SaveRecentFiles(key + "\\" + kRecentFilesKey);
  SaveUserCodes(key + "\\" + kUserCodesKey);
  store_.WriteBool(kRootKey, "multipleinstances", MultipleInstances);
  store_.WriteBool(kRootKey, "checkver", CheckVersion);
  store_.CreateKey(key);
  SaveValues(key);
  store_.Flush();
}

void TConfiguration::SaveRecentFiles(const std::string& key) {
  static const char* const kKinds[] = {
      "recentfile_filename", "recentfile_x",           "recentfile_y",     "recentfile_topline",
      "recentfile_encoding", "recentfile_highlighter", "recentfile_reopen"};
  store_.CreateKey(key);
  for (int n = 0; n <= kRecentFileSlotsCleared; ++n)
    for (const char* kind : kKinds) store_.DeleteValue(key, Indexed(kind, n));
  for (int n = 0; n < static_cast<int>(RecentList.size()); ++n) {
    const TRecentFile& r = RecentList[n];
    store_.WriteString(key, Indexed("recentfile_highlighter", n), r.highlighter);
    store_.WriteString(key, Indexed("recentfile_encoding", n), r.encoding);
    store_.WriteString(key, Indexed("recentfile_filename", n), r.fileName);
    store_.WriteInteger(key, Indexed("recentfile_topline", n), static_cast<uint32_t>(r.topLine));
    store_.WriteInteger(key, Indexed("recentfile_y", n), static_cast<uint32_t>(r.caretY));
    store_.WriteInteger(key, Indexed("recentfile_x", n), static_cast<uint32_t>(r.caretX));
    store_.WriteBool(key, Indexed("recentfile_reopen", n), r.reopen);
  }
}

void TConfiguration::SaveUserCodes(const std::string& key) {
  store_.CreateKey(key);
  for (int n = 0; n <= kUserCodeSlotsCleared; ++n)
    for (const char* kind : {"usercode_caption", "usercode_after", "usercode_before"})
      store_.DeleteValue(key, Indexed(kind, n));
  for (int n = 0; n < static_cast<int>(UserCodeList.size()); ++n) {
    const TUserCode& code = UserCodeList[n];
    store_.WriteString(key, Indexed("usercode_caption", n), code.caption);
    store_.WriteString(key, Indexed("usercode_after", n), code.after);
    store_.WriteString(key, Indexed("usercode_before", n), code.before);
  }
}

void TConfiguration::SaveValues(const std::string& key) {
  for (const auto& field : kValueFields) {
    if (field.kind == TFieldKind::ApplicationList) {
      for (int n = 0; store_.ValueExists(key, Indexed(field.name, n)); ++n)
        store_.DeleteValue(key, Indexed(field.name, n));
      for (int n = 0; n < static_cast<int>(Applications.size()); ++n)
        store_.WriteString(key, Indexed(field.name, n), Applications[n]);
    } else if (auto m = std::get_if<bool C::*>(&field.member)) {
      store_.WriteBool(key, field.name, this->*(*m));
    } else if (auto m = std::get_if<int C::*>(&field.member)) {
      store_.WriteInteger(key, field.name, static_cast<uint32_t>(this->*(*m)));
    } else if (auto m = std::get_if<TColor C::*>(&field.member)) {
      store_.WriteInteger(key, field.name, this->*(*m));
    } else if (auto m = std::get_if<std::string C::*>(&field.member)) {
      store_.WriteString(key, field.name, this->*(*m));
    }
  }
}

void TConfiguration::SaveAtExit() {
  store_.WriteString(kRootKey, "lastconfig", ConfigName);
  Save();
}

void TConfiguration::SwitchTo(const std::string& name) {
  Save();
  ConfigName = name;
  Load(name);
}

void TConfiguration::AddConfig(const std::string& name) {
  ConfigNames.push_back(name);
  store_.CreateKey(kRootKey + "\\" + name);
  store_.Flush();
}

void TConfiguration::DeleteConfig(const std::string& name) {
  ConfigNames.erase(std::remove(ConfigNames.begin(), ConfigNames.end(), name), ConfigNames.end());
  store_.DeleteKey(kRootKey + "\\" + name);
  store_.Flush();
}

// Paths are compared exactly: two names that differ in case are different files here.
int TConfiguration::IndexOfRecentFile(const std::string& path) const {
  int found = -1;
  for (int i = 0; i < static_cast<int>(RecentList.size()); ++i)
    if (RecentList[i].fileName == path) found = i;
  return found;
}

void TConfiguration::AddRecentFile(const TRecentFile& record) {
  if (record.fileName.empty()) return;
  int index = IndexOfRecentFile(record.fileName);
  if (index >= 0) RecentList.erase(RecentList.begin() + index);
  RecentList.insert(RecentList.begin(), record);
  while (static_cast<int>(RecentList.size()) > kMaxRecentFiles) RecentList.pop_back();
}

void TConfiguration::SetReopenMarks(const std::vector<std::string>& paths) {
  for (TRecentFile& record : RecentList)
    record.reopen = std::find(paths.begin(), paths.end(), record.fileName) != paths.end();
}

TPlacement TConfiguration::LoadPlacement(const std::string& component) const {
  TPlacement p;
  const std::string key = ConfigKey() + "\\" + component;
  auto readInt = [&](const auto& k, const auto& n) {
    return static_cast<int>(store_.ReadInteger(k, n));
  };
  auto readOptInt = [&](const char* name, std::optional<int>& field) {
    if (!store_.ValueExists(key, name)) return;
    int value = 0;
    ReadIfPresent(store_, key, name, value, readInt);
    field = value;
  };
  if (store_.ValueExists(key, "visible")) {
    bool visible = true;
    ReadIfPresent(store_, key, "visible", visible,
                  [&](const auto& k, const auto& n) { return store_.ReadBool(k, n); });
    p.visible = visible;
  }
  readOptInt("left", p.left);
  readOptInt("top", p.top);
  readOptInt("width", p.width);
  readOptInt("height", p.height);
  if (store_.ValueExists(key, "dock")) {
    std::string dock;
    ReadIfPresent(store_, key, "dock", dock,
                  [&](const auto& k, const auto& n) { return store_.ReadString(k, n); });
    p.dock = dock;
  }
  return p;
}

void TConfiguration::SavePlacement(const std::string& component, const TPlacement& placement) {
  const std::string key = ConfigKey() + "\\" + component;
  store_.CreateKey(key);
  if (placement.visible) store_.WriteBool(key, "visible", *placement.visible);
  auto writeInt = [&](const char* name, const std::optional<int>& value) {
    if (value) store_.WriteInteger(key, name, static_cast<uint32_t>(*value));
  };
  writeInt("left", placement.left);
  writeInt("top", placement.top);
  writeInt("width", placement.width);
  writeInt("height", placement.height);
  if (placement.dock) store_.WriteString(key, "dock", *placement.dock);
}

}  // namespace tervil
