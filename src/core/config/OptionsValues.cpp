#include "core/config/OptionsValues.h"

#include <algorithm>

#include "core/text/Charsets.h"

namespace tervil {

namespace {

bool IsBlank(const std::string& text) {
  return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

bool IsCharsetName(const std::string& name) {
  return std::any_of(CharsetTable.begin(), CharsetTable.end(),
                     [&](const TCharsetInfo& info) { return info.name == name; });
}

bool SameCodes(const std::vector<TUserCode>& a, const std::vector<TUserCode>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const TUserCode& x, const TUserCode& y) {
                      return x.caption == y.caption && x.before == y.before && x.after == y.after;
                    });
}

}  // namespace

bool TOptionsValues::operator==(const TOptionsValues& o) const {
  return autosave == o.autosave && autosaveMinutes == o.autosaveMinutes &&
         autosaveBackup == o.autosaveBackup && defaultEncoding == o.defaultEncoding &&
         encodingFilter == o.encodingFilter && supportedExtensions == o.supportedExtensions &&
         reopenFiles == o.reopenFiles && unixEol == o.unixEol && autoDetectEol == o.autoDetectEol &&
         checkVersion == o.checkVersion && multipleInstances == o.multipleInstances &&
         showHiddenFiles == o.showHiddenFiles && SameCodes(userCodes, o.userCodes) &&
         tabWidth == o.tabWidth && whitespace == o.whitespace && autoIndent == o.autoIndent &&
         continueLists == o.continueLists && autoClose == o.autoClose &&
         tabCloseButton == o.tabCloseButton && enhanceHomeKey == o.enhanceHomeKey &&
         smartTabs == o.smartTabs && variableColor == o.variableColor &&
         bracketColor == o.bracketColor && activeLineColor == o.activeLineColor &&
         rightEdgeColor == o.rightEdgeColor && editorBackground == o.editorBackground &&
         rightEdge == o.rightEdge && fontSize == o.fontSize && fontName == o.fontName &&
         gutter == o.gutter && phpPath == o.phpPath && applications == o.applications &&
         defaultApplication == o.defaultApplication;
}

int ClampOption(int value, int low, int high) {
  return std::clamp(value, low, high);
}

TOptionsValues FillOptions(const TConfiguration& c) {
  using V = TOptionsValues;
  TOptionsValues v;
  v.autosave = c.Autosave;
  v.autosaveMinutes = ClampOption(c.AutosaveInterval / V::kMillisecondsPerMinute,
                                  V::kMinAutosaveMinutes, V::kMaxAutosaveMinutes);
  v.autosaveBackup = c.AutosaveBackup;
  v.defaultEncoding = IsCharsetName(c.DefaultEncoding) ? c.DefaultEncoding : std::string();
  v.encodingFilter = c.EncodingFilter;
  v.supportedExtensions = c.SupportedExtensions;
  v.reopenFiles = ClampOption(c.ReopenFiles, 0, 2);
  v.unixEol = c.UnixEol;
  v.autoDetectEol = c.AutoDetectEol;
  v.checkVersion = c.CheckVersion;
  v.multipleInstances = c.MultipleInstances;
  v.showHiddenFiles = c.ShowHiddenFiles;
  for (const TUserCode& code : c.UserCodeList)
    if (!IsBlank(code.caption)) v.userCodes.push_back(code);

  v.tabWidth = ClampOption(c.TabWidth, V::kMinTabWidth, V::kMaxTabWidth);
  v.whitespace = c.TabsToSpaces ? wsTabsToSpaces : c.SpacesToTabs ? wsSpacesToTabs : wsNoChange;
  v.autoIndent = c.AutoIndent;
  v.continueLists = c.ContinueLists;
  v.autoClose = c.AutoClose;
  v.tabCloseButton = c.TabCloseButton;
  v.enhanceHomeKey = c.EnhanceHomeKey;
  v.smartTabs = c.SmartTabs;
  v.variableColor = c.VariableColor;
  v.bracketColor = c.BracketColor;
  v.activeLineColor = c.ActiveLineColor;
  v.rightEdgeColor = c.RightEdgeColor;
  v.editorBackground = c.EditorBackground;
  v.rightEdge = ClampOption(c.RightEdge, V::kMinRightEdge, V::kMaxRightEdge);
  v.fontSize = ClampOption(c.FontSize, V::kMinFontSize, V::kMaxFontSize);
  v.fontName = c.FontName;
  v.gutter = c.Gutter;

  v.phpPath = c.PhpPath;
  v.applications = ApplicationRows(c.Applications);
  const std::vector<std::string> names = DefaultApplicationNames(c.PhpPath, v.applications);
  const auto found = std::find(names.begin(), names.end(), c.RunWithDefault);
  v.defaultApplication = found != names.end() ? *found : names.empty() ? "" : names.front();
  return v;
}

void ApplyOptions(const TOptionsValues& v, TConfiguration& c) {
  using V = TOptionsValues;
  c.Autosave = v.autosave;
  c.AutosaveInterval =
      ClampOption(v.autosaveMinutes, V::kMinAutosaveMinutes, V::kMaxAutosaveMinutes) *
      V::kMillisecondsPerMinute;
  c.AutosaveBackup = v.autosaveBackup;
  c.DefaultEncoding = v.defaultEncoding;
  c.EncodingFilter = v.encodingFilter;
  c.SupportedExtensions = v.supportedExtensions;
  c.ReopenFiles = ClampOption(v.reopenFiles, 0, 2);
  c.UnixEol = v.unixEol;
  c.AutoDetectEol = v.autoDetectEol;
  c.CheckVersion = v.checkVersion;
  c.MultipleInstances = v.multipleInstances;
  c.ShowHiddenFiles = v.showHiddenFiles;
  c.UserCodeList = v.userCodes;

  c.TabWidth = ClampOption(v.tabWidth, V::kMinTabWidth, V::kMaxTabWidth);
  c.TabsToSpaces = v.whitespace == wsTabsToSpaces;
  c.SpacesToTabs = v.whitespace == wsSpacesToTabs;
  c.AutoIndent = v.autoIndent;
  c.ContinueLists = v.continueLists;
  c.AutoClose = v.autoClose;
  c.TabCloseButton = v.tabCloseButton;
  c.EnhanceHomeKey = v.enhanceHomeKey;
  c.SmartTabs = v.smartTabs;
  c.VariableColor = v.variableColor;
  c.BracketColor = v.bracketColor;
  c.ActiveLineColor = v.activeLineColor;
  c.RightEdgeColor = v.rightEdgeColor;
  c.EditorBackground = v.editorBackground;
  c.RightEdge = ClampOption(v.rightEdge, V::kMinRightEdge, V::kMaxRightEdge);
  c.FontSize = ClampOption(v.fontSize, V::kMinFontSize, V::kMaxFontSize);
  c.FontName = v.fontName;
  c.Gutter = v.gutter;

  c.PhpPath = v.phpPath;
  std::vector<std::string> applications;
  for (const TApplicationRow& row : v.applications)
    if (!row.name.empty() || !row.command.empty())
      applications.push_back(row.name + "=" + row.command);
  c.SetApplications(applications);
  c.RunWithDefault = v.defaultApplication;
}

bool OptionsDiffer(const TOptionsValues& values, const TConfiguration& config) {
  return !(values == FillOptions(config));
}

std::vector<TApplicationRow> ApplicationRows(const std::vector<std::string>& applications) {
  std::vector<TApplicationRow> rows;
  rows.reserve(applications.size());
  for (const std::string& entry : applications) {
    const std::size_t eq = entry.find('=');
    if (eq == std::string::npos)
      rows.push_back({entry, ""});
    else
      rows.push_back({entry.substr(0, eq), entry.substr(eq + 1)});
  }
  return rows;
}

std::vector<std::string> DefaultApplicationNames(const std::string& savedPhpPath,
                                                 const std::vector<TApplicationRow>& rows) {
  std::vector<std::string> names;
  if (!IsBlank(savedPhpPath)) names.push_back("PHP");
  for (const TApplicationRow& row : rows)
    if (!row.name.empty()) names.push_back(row.name);
  return names;
}

int DefaultApplicationIndex(const std::vector<std::string>& names, const std::string& previousName,
                            int previousIndex) {
  if (names.empty()) return -1;
  const auto found = std::find(names.begin(), names.end(), previousName);
  if (!previousName.empty() && found != names.end()) return static_cast<int>(found - names.begin());
  if (previousIndex >= 0 && previousIndex < static_cast<int>(names.size())) return previousIndex;
  return 0;
}

bool ApplicationNameTaken(const std::vector<TApplicationRow>& rows, int row,
                          const std::string& name) {
  for (int i = 0; i < static_cast<int>(rows.size()); ++i)
    if (i != row && rows[static_cast<std::size_t>(i)].name == name) return true;
  return false;
}

TConfigNameCheck CheckNewConfigName(const std::string& name,
                                    const std::vector<std::string>& existing) {
  if (name.empty()) return TConfigNameCheck::Bad;
  for (const char ch : name) {
    const bool ok = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
                    (ch >= '0' && ch <= '9') || ch == '_' || ch == '-';
    if (!ok) return TConfigNameCheck::Bad;
  }
  if (std::find(existing.begin(), existing.end(), name) != existing.end())
    return TConfigNameCheck::Exists;
  return TConfigNameCheck::Ok;
}

std::string UnquotedPath(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\"");
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\"");
  return text.substr(first, last - first + 1);
}

std::string QuotedPath(const std::string& path) {
  return "\"" + path + "\"";
}

void THighlighterColours::Take(const std::vector<THighlighter*>& highlighters) {
  saved_.clear();
  for (THighlighter* highlighter : highlighters)
    for (THighlighterAttribute* attribute : highlighter->Attributes())
      saved_.emplace_back(attribute, *attribute);
}

void THighlighterColours::Restore() const {
  for (const auto& [attribute, saved] : saved_) {
    attribute->foreground = saved.foreground;
    attribute->background = saved.background;
    attribute->style = saved.style;
  }
}

}  // namespace tervil
