#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

#include "core/app/ReferenceData.h"
#include "core/app/ResourceStrings.h"
#include "core/config/Configuration.h"
#include "core/documents/DocumentFiles.h"
#include "core/highlighters/HighlighterSet.h"
#include "core/tags/TagsEditor.h"

class QAction;
class QComboBox;
class QMenu;
class QToolBar;
class QMimeData;
class QTimer;

namespace tervil {

class TCodeInspector;
class TPhpLintMarks;
class TPreview;
class TUpdateChecker;
class TDiskExplorer;
class TDockManager;
class TCssEditor;
class TEditorPanel;
class TInstanceServer;
class TMultiClipboard;
class TPrintActions;
class THtmlEditor;
class THtmlTextActions;
class TSearchController;
class TRunActions;
class TStatusPanels;
class TToolForm;
class TTvlPage;
class TTvlPageControl;
class TTvlEdit;
class TTextEditor;
class TWaitWindow;
class TCrashJournal;
struct TRecoverablePage;
struct TOptionsHost;

// The main window: owns the configuration, the highlighters, the two page controls, the
// status bar and the dock areas of the tool windows.
class TTervilMain : public QMainWindow, public TConfigurationOwner {
  Q_OBJECT
 public:
  // `arguments` are the absolute paths given on the command line; `dataDir` holds the
  // reference data files.
  TTervilMain(TSettingsStore& store, const QStringList& arguments, const QString& dataDir,
              QWidget* parent = nullptr);
  ~TTervilMain() override;

  // Shows the window maximized, its normal bounds the screen's work area at (0, 0), and then
  // reports whatever start-up could not read.
  void ShowAtStart();
  // Asks the configured update server for a newer version, unless the check is off, no server
  // is set or a check runs; a newer version is announced in a notice window.
  void StartUpdateCheck();

  // ---- Documents
  // Opens a document in a page (as the Open command does).
  // `askIfLarge` off opens a large file without the question (the user chose it already).
  void OpenFile(const QString& fileName, bool forceReadOnly, bool askIfLarge = true);
  TTvlPage* NewDocument();
  void SetUpPage(TTvlPage* page);
  bool IsOpenForEditing(const QString& fileName) const;
  void OpenCommand();
  // Save, Save As, Save All and the close question: false when nothing was written.
  bool SavePage(TTvlPage* page, bool askName);
  bool SavePageTo(TTvlPage* page, const QString& path);
  // Converts and writes the page's text; asks before replacing characters the page's encoding
  // cannot hold, and reports a failed write. `written` receives the stamp of the written file.
  bool WriteDocument(TTvlPage* page, const QString& path, TFileStamp* written = nullptr);
  void ReloadPage(TTvlPage* page);
  void ReloadCommand();
  void CheckOutsideChange(TTvlPage* page);
  void EditorCloseQuery(TTvlPage* page, bool& canClose);
  void CloseCommand();
  void CloseAllCommand();
  void CloseAllButThis();
  void SaveAllCommand();
  void RenameCommand();
  void CopyFilename(bool withPath);
  QMenu* EncodingMenu();
  void ChangeEncodingClick(const QString& encoding);
  void GoToLine();
  void AutosaveTimerTimer();
  // Writes the settings, the recent-file records and (when the open files are remembered)
  // the reopen marks of the documents open now: for an end without the close sequence.
  void SaveSession();
  // The program ends now without the close questions (a signal): the session is saved and the
  // unsaved pages stay in the crash journal, which the next start offers.
  void EndKeepingUnsaved();
  // The desktop session ends: the session is saved, every edit is in the crash journal, and the
  // journals of pages still unsaved when the window goes are kept for the next start.
  void SessionEnding();
  void BuildRecentMenu(QMenu* menu);
  QString LastDirectory() const;

  // The receiving side of the single-instance hand-over. The window takes the server's queued
  // requests once its start-up is over, one at a time and in order, also when a question is
  // open meanwhile.
  void AcceptHandOver(TInstanceServer* server);
  void HandOverPath(const QString& path);
  void BringToFront();

  // ---- Pages and status
  TTvlPage* CurrentPage() const { return currentPage_; }
  TTvlPageControl* PageControl() const;
  TTvlPageControl* SplitPageControl() const;
  TEditorPanel* EditorPanel() const { return editorPanel_; }
  // Every editor page, upper control first, in tab order.
  std::vector<TTvlPage*> EditorPages() const;
  void RefreshStatus(TTvlPage* page);
  void PageControlChange(TTvlPageControl* control);
  void NextTab();
  void PreviousTab();
  void SetSplitView(bool on);
  void ShowOpenedTab(bool lowerControl, int index, const QString& path);
  void StatusBarClick(int panel, const QPoint& globalPos);

  // ---- Highlighters
  THighlighterSet& Highlighters() { return highlighters_; }
  // The 13 single highlighters by language name, sorted without regard to case.
  THighlighterList ListHighlighters() const;
  void ApplyExtensionHighlighter(TTvlPage* page);
  // The text status panel 7 and the highlighter menus show for a page's highlighter.
  QString HighlighterCaption(const TTvlPage* page) const;
  void highlighterActionExecute(QAction* action);
  void highlighterActionUpdate(QAction* action);
  const QList<QAction*>& HighlighterActions() const { return highlighterActions_; }

  // ---- Configuration
  void ApplyConfiguration();
  void ApplyEditorSettings(TTvlEdit* editor);
  // What the Options dialog works on: this window's configuration, highlighters and pages.
  TOptionsHost OptionsHost();
  void LoadHighlighterAttributes(TSettingsStore& store, const std::string& keyPath) override;
  void SaveHighlighterAttributes(TSettingsStore& store, const std::string& keyPath) override;

  QString Message(const char* key) const;

  TConfiguration& Configuration() { return *configuration_; }
  TStatusPanels* StatusPanels() const { return statusPanels_; }
  TSearchController* SearchController() const { return searchController_; }
  const QStringList& StartupErrors() const { return startupErrors_; }
  const std::vector<TEntityItem>& EntityItems() const { return entityItems_; }
  QMenu* WindowMenu() const { return windowMenu_; }
  // The "Processing text" window of long text conversions.
  TWaitWindow* Wait() const { return wait_; }
  const THtmlTagsEditor& Tags() const { return tags_; }
  // Run, Execute, the Project menu, the Run toolbar and the console window.
  TRunActions* RunActions() const { return runActions_; }
  THtmlTagsEditor& Tags() { return tags_; }
  THtmlEditor* HtmlEditor() const { return htmlEditor_; }
  TCssEditor* CssEditor() const { return cssEditor_; }
  // The HTML toolbars, the text conversions and insertions (MainMenusHtmlText.cpp).
  THtmlTextActions* HtmlTextActions() const { return htmlText_; }
  // The dock areas and the tool windows in them (see ui/docking/ToolForm.h).
  TDockManager* DockManager() const { return dockManager_; }
  // Export, page setup, printing and the print preview (MainMenusPrint.cpp).
  TPrintActions* PrintActions() const { return printActions_; }
  // The live preview and the PHP syntax marks (MainMenusPreview.cpp).
  TPreview* Preview() const { return preview_; }
  TPhpLintMarks* LintMarks() const { return lintMarks_; }
  // The crash recovery journal of this run (MainRecoveryJournal.cpp).
  TCrashJournal* CrashJournal() const { return crashJournal_; }

  QString LastOpenedFile;
  bool ReloadAfterChange = true;
  QStringList ReopenList;
  bool RunInProgress = false;

 signals:
  // Raised for every document the window is asked to open.
  void OpenFileRequested(const QString& fileName, bool forceReadOnly);
  // The status of the current page was refreshed (caret, text, page switch); nullptr when no
  // editor page is current. Tool windows that follow the caret listen to it.
  void StatusRefreshed(TTvlPage* page);
  // A page's text changed (typing, commands, reloading).
  void PageTextChanged(TTvlPage* page);
  // A page was written to its file (Save, Save As, Save All, autosave).
  void PageSaved(TTvlPage* page);

 private:
  void FormCreate(const QStringList& arguments);
  void FormDestroy();
  void CreateEditorPanel();
  void CreateDockAreas();
  void CreateActions();
  void CreateMenus();
  void CreateSearchActions();  // MainMenusSearch.cpp
  void CreateEditorActions();  // MainMenusEditor.cpp
  // The clipboard history (MainMenusClipboard.cpp).
  void CreateClipboardActions();
  void UpdateClipboardActions();
  void RememberCopies(TTvlEdit* editor);
  void CreatePrintActions();  // MainMenusPrint.cpp
  // The desktop's icon theme, with the program's fallback, before any command takes an icon.
  void SetUpIconTheme();
  // The Edit menu's own editing commands: delete, selection mode, bookmarks, block indent
  // (MainMenusEditing.cpp).
  void CreateEditingActions();
  void UpdateEditingActions();
  // The menus that several command groups fill, put in their final order once all exist.
  void ArrangeMenus();
  void EditMenuAboutToShow();
  void EditMenuAboutToHide();
  // The Help menu and context help (MainMenusHelp.cpp).
  void CreateHelpActions();
  void UpdateHelpActions();
  void ShowAbout();
  void ContextHelp();
  QString OnlineAddress() const;
  // The desktop's menu for a page's file (MainMenusShellFile.cpp).
  void CreateWindowsMenuAction();
  void ShowWindowsMenu(const QPoint& globalPos);
  void MoveFileToTrash(TTvlPage* page);
  // The configuration toolbar (MainMenusConfig.cpp).
  void CreateConfigToolbar();
  void FillConfigCombo();
  void ChangeConfigComboChange(const QString& name);
  void CreateRunActions();
  void UpdateRunActions();
  void StopConsoleProgram();  // MainMenusRun.cpp
  // The generators and "New..." (MainMenusGenerators.cpp).
  void CreateGeneratorActions();
  void CreateExplorerActions();  // MainMenusExplorer.cpp
  // Tools > Options... (MainMenusOptions.cpp).
  void CreateOptionsActions();
  void OptionsCommand();
  static TDiskExplorer* ExplorerOf(TTvlPageControl* control);
  void UpdateGeneratorActions();
  void NewTypeCommand();
  void InsertGenerated(const QString& text);
  void CreateHtmlEditor();
  void CreateCssActions();  // MainMenusCss.cpp
  void actCssEditExecute();
  void CreateHtmlTextActions();  // MainMenusHtmlText.cpp
  void CreatePreviewActions();   // MainMenusPreview.cpp
  void AddHtmlTextEditorMenuItems(QMenu& menu);
  bool DropExplorerEntry(TTextEditor& editor, const QMimeData& data, QPoint point);
  void ArrangeViewMenu();
  void GetHiglightersMenuItems();
  void UpdateActions();
  void UpdatePageActions();
  void Window1Click();
  void ReadReferenceData();
  void ReportStartupErrors();
  // The crash journal, its setting, and the recovery offered at start (MainRecoveryJournal.cpp).
  void CreateRecoveryActions();
  void OfferCrashRecovery();
  void RecoverPage(const TRecoverablePage& recovered, QStringList& notes);
  void ReportRecoveryNotes();
  bool CloseAllPages();
  TTvlPage* RecoveredPageOf(const QString& fileName) const;
  static std::string ReadRequiredFile(const std::string& path);
  void EditorStatusChange(TTvlPage* page);
  TTvlPage* CreatePage();
  TTvlPageControl* ControlOf(TTvlPage* page) const;
  bool ChangedOutside(TTvlPage* page, const TFileStamp& now);
  bool ReadPageBytes(const QString& fileName, std::string& bytes, TFileStamp& stamp);
  void LoadPageFile(TTvlPage* page, std::string&& bytes, const TFileStamp& stamp,
                    std::string encoding, bool useRecord, bool undoable = false);
  void ShowLineBreakNotice(const TTvlPage* page);
  void RecordSave(TTvlPage* page, const QString& path);
  bool MayOverwrite(TTvlPage* page, const QString& path);
  bool WritePageTo(TTvlPage* page, const QString& path);
  void RecoverInterruptedWrites();
  bool SaveAsDialog(TTvlPage* page);
  void BuildEncodingMenu();
  void ShowPageMenu(TTvlPage* page, const QPoint& globalPos);
  void ShowEditorMenu(TTvlPage* page, const QPoint& localPos);
  void ReopenAtStart();
  void FollowPage(TTvlPage* page);
  void ScheduleSessionSave();
  void WriteSession(bool evenUnchanged);
  void OpenDroppedFiles(const QStringList& files);
  void OpenHandedOver();
  TWriteSettings WriteSettings(const TTvlPage* page) const;
  std::string PageTerminator(const TTvlPage* page) const;
  // PHP commands and the code inspector (MainMenusPhp.cpp).
  void CreatePhpActions();
  void UpdatePhpActions();
  void AddPhpEditorMenuItems(QMenu& menu);
  void actPHPAnalyserExecute();
  void actAddGetSetExecute();
  void RequestPhpAnalysis();
  void PhpPageSwitched(TTvlPage* page);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  TSettingsStore& store_;
  QString dataDir_;
  TResourceStrings ResourceStrings1;
  THighlighterSet highlighters_;
  THtmlTagsEditor tags_;  // the one tag database, handed to every editor
  std::unique_ptr<TConfiguration> configuration_;
  TStatusPanels* statusPanels_ = nullptr;
  TUpdateChecker* updateChecker_ = nullptr;
  TSearchController* searchController_ = nullptr;
  TEditorPanel* editorPanel_ = nullptr;
  TDockManager* dockManager_ = nullptr;
  THtmlEditor* htmlEditor_ = nullptr;
  THtmlTextActions* htmlText_ = nullptr;
  QAction* actHtmlEditor = nullptr;
  TCssEditor* cssEditor_ = nullptr;
  QAction* actCssEditor = nullptr;
  QAction* actCssEdit = nullptr;
  QAction* actGotoFileExplorer = nullptr;
  TTvlPage* currentPage_ = nullptr;
  std::vector<TEntityItem> entityItems_;
  QStringList startupErrors_;
  bool destroyed_ = false;
  int saving_ = 0;  // saves under way: their own writes are no outside changes
  QPointer<TInstanceServer> handOver_;
  bool startupDone_ = false;        // start-up questions and reports are over
  bool openingHandedOver_ = false;  // the hand-over queue is being worked off

  TWaitWindow* wait_ = nullptr;
  TRunActions* runActions_ = nullptr;
  int saveFilterIndex_ = 0;
  QTimer* autosaveTimer_ = nullptr;
  bool autosaving_ = false;
  bool sessionEnded_ = false;  // the window closed: the reopen marks are final
  bool keepUnsavedAtEnd_ = false;
  bool closing_ = false;                      // the close sequence's questions are open
  QList<QPointer<TTvlPage>> recoveredPages_;  // pages the start recovered text into
  QString recoveryNotes_;  // shown once the window shows  // the desktop session ends: unsaved
                           // pages stay journalled
  QTimer* sessionSaveTimer_ = nullptr;
  std::vector<TRecentFile> writtenRecentList_;  // as the store last got it
  QMenu* encodingMenu_ = nullptr;
  QMenu* reopenMenu_ = nullptr;

  QAction* actNew = nullptr;
  QAction* actOpen = nullptr;
  QAction* actSave = nullptr;
  QAction* actSaveAs = nullptr;
  QAction* actSaveAll = nullptr;
  QAction* actClose = nullptr;
  QAction* actCloseAll = nullptr;
  QAction* actCloseAllButThis = nullptr;
  QAction* actReload = nullptr;
  QAction* actRename = nullptr;
  QAction* actCopyFilename = nullptr;
  QAction* actCopyFilenameAndPath = nullptr;
  QAction* actChangeEncoding = nullptr;
  QAction* actGoToLine = nullptr;
  QAction* actMatchBracket = nullptr;
  QAction* actClipboardShow = nullptr;
  TMultiClipboard* multiClipboard_ = nullptr;
  TPrintActions* printActions_ = nullptr;
  QAction* actUndo = nullptr;
  QAction* actRedo = nullptr;
  QAction* actCopy = nullptr;
  QAction* actCut = nullptr;
  QAction* actPaste = nullptr;
  QAction* actSelectAll = nullptr;
  QAction* actExit = nullptr;
  QAction* actSplitView = nullptr;
  QAction* actPreviousTab = nullptr;
  QAction* actNextTab = nullptr;
  QAction* actWordWrap = nullptr;
  QAction* actNewType = nullptr;
  QAction* actTableGen = nullptr;
  QAction* actHead = nullptr;
  QAction* actImageMap = nullptr;
  QAction* actOptions = nullptr;
  QList<QAction*> highlighterActions_;
  QMenu* fileMenu_ = nullptr;
  QMenu* viewMenu_ = nullptr;
  QMenu* windowMenu_ = nullptr;
  QMenu* highlighterMenu_ = nullptr;        // View > Syntax Highlighter
  QMenu* editorHighlighterMenu_ = nullptr;  // in the editor's context menu
  QMenu* highlighterPopup_ = nullptr;       // from status panel 7
  TCodeInspector* codeInspector_ = nullptr;
  TToolForm* codeInspectorDock_ = nullptr;
  QPointer<TTvlPage> phpSeenPage_;  // the page the code inspector last saw made current
  QAction* actPHPAnalyser = nullptr;
  QAction* actAddGetSet = nullptr;
  TCrashJournal* crashJournal_ = nullptr;
  QAction* actCrashJournal = nullptr;
  QMenu* editMenu_ = nullptr;
  QAction* actDelete = nullptr;
  QMenu* selectionModeMenu_ = nullptr;
  QAction* actSelNormal = nullptr;
  QAction* actSelColumn = nullptr;
  QAction* actSelLine = nullptr;
  QMenu* setBookmarkMenu_ = nullptr;
  QMenu* gotoBookmarkMenu_ = nullptr;
  QAction* actClearBookmarks = nullptr;
  QAction* actBlockIndent = nullptr;
  QAction* actBlockUnindent = nullptr;
  QList<std::pair<QAction*, bool>> editMenuStates_;  // while the Edit menu shows without a page
  QMenu* helpMenu_ = nullptr;
  QAction* actAbout = nullptr;
  QAction* actOnline = nullptr;
  QAction* actContextHelp = nullptr;
  QAction* actWindowsMenu = nullptr;
  QToolBar* configToolbar_ = nullptr;
  QComboBox* configCombo_ = nullptr;
  bool fillingConfigCombo_ = false;
  TPreview* preview_ = nullptr;
  QAction* actPreview = nullptr;
  TPhpLintMarks* lintMarks_ = nullptr;
};

}  // namespace tervil
