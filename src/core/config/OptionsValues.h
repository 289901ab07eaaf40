#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/common/Color.h"
#include "core/config/Configuration.h"
#include "core/editcomponent/Highlighter.h"

namespace tervil {

// One row of the Options dialog's application list: "name=command line" in the configuration.
struct TApplicationRow {
  std::string name;
  std::string command;

  bool operator==(const TApplicationRow&) const = default;
};

// The Options dialog's whitespace choice.
enum TWhitespaceChoice : int { wsNoChange = 0, wsTabsToSpaces = 1, wsSpacesToTabs = 2 };

// What the controls of the Options dialog show, one field per control. The dialog edits a copy
// and writes it into the configuration only on Ok or Apply.
struct TOptionsValues {
  static constexpr int kMinTabWidth = 1, kMaxTabWidth = 16;
  static constexpr int kMinRightEdge = 25, kMaxRightEdge = 200;
  static constexpr int kMinFontSize = 1, kMaxFontSize = 48;
  static constexpr int kMinAutosaveMinutes = 1, kMaxAutosaveMinutes = 60;
  static constexpr int kMillisecondsPerMinute = 60000;

  // Environment
  bool autosave = false;
  int autosaveMinutes = 5;
  bool autosaveBackup = false;
  std::string defaultEncoding;
  std::string encodingFilter;
  std::string supportedExtensions;
  int reopenFiles = 0;  // 0 Yes, 1 No, 2 Query
  bool unixEol = true;
  bool autoDetectEol = true;
  bool checkVersion = true;
  bool multipleInstances = false;
  bool showHiddenFiles = true;
  std::vector<TUserCode> userCodes;

  // Editor
  int tabWidth = 4;
  int whitespace = wsTabsToSpaces;
  bool autoIndent = true;
  bool continueLists = false;
  bool autoClose = true;
  bool tabCloseButton = true;
  bool enhanceHomeKey = true;
  bool smartTabs = false;
  TColor variableColor = 0;
  TColor bracketColor = 0;
  TColor activeLineColor = 0;
  TColor rightEdgeColor = 0;
  TColor editorBackground = 0;
  int rightEdge = 80;
  int fontSize = 10;
  std::string fontName;  // empty: the system's fixed-pitch font
  bool gutter = true;

  // Applications
  std::string phpPath;
  std::vector<TApplicationRow> applications;
  std::string defaultApplication;

  bool operator==(const TOptionsValues& other) const;
};

// The controls filled from the configuration: numbers inside their ranges, the interval in whole
// minutes, an encoding the list does not hold shown as the first entry (the system's), user codes
// with a blank caption left out, the default application chosen among the offered names.
TOptionsValues FillOptions(const TConfiguration& config);

// Ok and Apply: every control into the configuration (the interval as minutes x 60000, the
// application rows as "name=command", the user codes in the list's order). Saving is the
// caller's. Rows without name and command are dropped.
void ApplyOptions(const TOptionsValues& values, TConfiguration& config);

// Whether switching configuration would lose edits: any control differs from what the
// configuration would show.
bool OptionsDiffer(const TOptionsValues& values, const TConfiguration& config);

// Keeps `value` inside [low, high].
int ClampOption(int value, int low, int high);

// The application rows of the configuration's "name=command" entries (split at the first "=").
std::vector<TApplicationRow> ApplicationRows(const std::vector<std::string>& applications);

// The names "Default Application:" offers: "PHP" first when the saved PHP path is not blank, then
// every row with a name.
std::vector<std::string> DefaultApplicationNames(const std::string& savedPhpPath,
                                                 const std::vector<TApplicationRow>& rows);

// The entry the rebuilt list selects: the previous name when still offered, else the previous
// position when still valid, else the first entry; -1 for an empty list.
int DefaultApplicationIndex(const std::vector<std::string>& names, const std::string& previousName,
                            int previousIndex);

// Whether `name` is taken by another row than `row` (names are unique in the list).
bool ApplicationNameTaken(const std::vector<TApplicationRow>& rows, int row,
                          const std::string& name);

// The rules for a new configuration's name.
enum class TConfigNameCheck { Ok, Bad, Exists };
// Bad: blank, or a character other than an ASCII letter, a digit, "_" or "-". Exists: the name
// is in the list already.
TConfigNameCheck CheckNewConfigName(const std::string& name,
                                    const std::vector<std::string>& existing);

// A text as a file dialog starts from: surrounding blanks and double quotes removed.
std::string UnquotedPath(const std::string& text);
// A chosen file as it is written back: in double quotes.
std::string QuotedPath(const std::string& path);

// The colours and styles of every attribute of some highlighters, taken when the Options
// dialog starts working on them, so that a dialog closed without saving puts them back even
// where the configuration holds no stored value for them.
class THighlighterColours {
 public:
  void Take(const std::vector<THighlighter*>& highlighters);
  void Restore() const;

 private:
  std::vector<std::pair<THighlighterAttribute*, THighlighterAttribute>> saved_;
};

}  // namespace tervil
