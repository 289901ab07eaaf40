#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "core/app/ResourceStrings.h"
#include "core/config/Configuration.h"
#include "core/config/ExtensionChecks.h"
#include "core/config/OptionsValues.h"
#include "core/config/UserCodeEditor.h"
#include "core/highlighters/HighlighterSet.h"

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTableWidget;
class QTreeWidget;
class QVBoxLayout;

namespace tervil {

class TColorBox;
class TTextEditor;

// What the Options dialog works on: the active configuration and the window that shows it.
struct TOptionsHost {
  TConfiguration* config = nullptr;
  // The live highlighters by language name: colour changes show at once in every open page.
  THighlighterList highlighters;
  QString dataDir;          // extensions.tvd; the highlighter samples are in ../samples
  std::string programPath;  // the program the associated file types open with
  std::function<void()> applyConfiguration;     // the window follows the configuration
  std::function<void()> repaintPages;           // the pages show changed highlighter colours
  std::function<QString(const char*)> message;  // the main window's message table
  std::function<TFileAssociation()> association;
};

// The Options dialog: five sections (Environment, Editor, Syntax, Applications,
// Configurations) that edit a copy of the active configuration's values, written back by Ok
// and Apply. Highlighter colours change the live highlighters at once; a dialog closed without
// saving them puts them back (RevertUnsaved).
class TOptionsForm : public QDialog {
  Q_OBJECT
 public:
  explicit TOptionsForm(TOptionsHost host, QWidget* parent = nullptr);
  ~TOptionsForm() override;

  // The controls filled from the configuration.
  void Fill();
  // Ok and Apply: the controls into the configuration, the extensions' associations, saved.
  // False when saving failed (the user was told).
  bool ApplyChanges();
  // What the controls show now.
  TOptionsValues Values() const;
  // After the dialog closed: the highlighter colours changed since the last save go back.
  void RevertUnsaved();

  void ShowSection(int index);
  int SectionCount() const;
  // Switches the active configuration as the "Current configuration:" list does.
  void SwitchConfiguration(const QString& name);
  void CreateConfig();
  void DeleteConfig();
  void ChooseHighlighter(int index);

 protected:
  void accept() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* CreateEnvironmentSection();
  QWidget* CreateEditorSection();
  QWidget* CreateSyntaxSection();
  QWidget* CreateApplicationsSection();
  QWidget* CreateConfigurationsSection();
  void CreateBottomRow(QVBoxLayout* layout);

  void SetValues(const TOptionsValues& values);
  void FillConfigNames();
  void FillExtensions();
  void FillUserCodes();
  void ShowUserCodeEditor();
  void RebuildDefaultApplications();
  std::vector<TApplicationRow> ApplicationRowsShown() const;
  void SetApplicationRows(const std::vector<TApplicationRow>& rows);
  void ApplicationNameEdited(int row, int column);
  void BrowseInto(QLineEdit* edit);
  void BrowseDefaultApplication();
  void ChooseAttribute(int index);
  void AttributeEdited();
  void Notice(const char* key);
  QString Text(const char* key) const;
  THighlighter* ShownHighlighter() const;

  TOptionsHost host_;
  TResourceStrings messages_;
  THighlighterColours savedColours_;
  bool coloursChanged_ = false;
  TUserCodeEditor userCodes_;
  std::vector<std::string> extensions_;
  bool filling_ = false;
  QString shownFontName_;  // the family the font list showed when filled

  QListWidget* sections_ = nullptr;
  QStackedWidget* pages_ = nullptr;

  // Environment
  QCheckBox* autosave_ = nullptr;
  QSpinBox* autosaveInterval_ = nullptr;
  QCheckBox* autosaveBackup_ = nullptr;
  QComboBox* defaultEncoding_ = nullptr;
  QLineEdit* encodingFilter_ = nullptr;
  QLineEdit* supportedExtensions_ = nullptr;
  QComboBox* reopenFiles_ = nullptr;
  QCheckBox* unixEol_ = nullptr;
  QCheckBox* autoDetectEol_ = nullptr;
  QCheckBox* checkVersion_ = nullptr;
  QCheckBox* multipleInstances_ = nullptr;
  QCheckBox* showHiddenFiles_ = nullptr;
  QTreeWidget* userCodeList_ = nullptr;
  QLineEdit* codeCaption_ = nullptr;
  QLineEdit* codeBefore_ = nullptr;
  QLineEdit* codeAfter_ = nullptr;
  QPushButton* codeButton_ = nullptr;

  // Editor
  QSpinBox* tabWidth_ = nullptr;
  QComboBox* whitespace_ = nullptr;
  QCheckBox* autoIndent_ = nullptr;
  QCheckBox* continueLists_ = nullptr;
  QCheckBox* autoClose_ = nullptr;
  QCheckBox* tabCloseButton_ = nullptr;
  QCheckBox* enhanceHomeKey_ = nullptr;
  QCheckBox* smartTabs_ = nullptr;
  TColorBox* variableColor_ = nullptr;
  TColorBox* bracketColor_ = nullptr;
  TColorBox* activeLineColor_ = nullptr;
  TColorBox* rightEdgeColor_ = nullptr;
  TColorBox* editorBackground_ = nullptr;
  QSpinBox* rightEdge_ = nullptr;
  QSpinBox* fontSize_ = nullptr;
  QFontComboBox* fontName_ = nullptr;
  QCheckBox* gutter_ = nullptr;

  // Syntax
  QComboBox* highlighter_ = nullptr;
  QListWidget* attribute_ = nullptr;
  TColorBox* foreground_ = nullptr;
  TColorBox* background_ = nullptr;
  QCheckBox* bold_ = nullptr;
  QCheckBox* italic_ = nullptr;
  QCheckBox* underline_ = nullptr;
  QCheckBox* strikeOut_ = nullptr;
  TTextEditor* preview_ = nullptr;

  // Applications
  QLineEdit* phpPath_ = nullptr;
  QTableWidget* applications_ = nullptr;
  QComboBox* defaultApplication_ = nullptr;

  // Configurations
  QListWidget* configList_ = nullptr;
  QLineEdit* configName_ = nullptr;
  QListWidget* extensionList_ = nullptr;

  QComboBox* currentConfig_ = nullptr;
};

}  // namespace tervil
