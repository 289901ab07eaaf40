#include "ui/app/MainForm.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "core/common/Paths.h"
#include "core/common/TextFile.h"
#include "core/tags/TagsEditor.h"
#include "ui/app/MessageBox.h"
#include "ui/app/StatusPanels.h"
#include "ui/app/WaitWindow.h"
#include "ui/docking/DockManager.h"
#include "ui/documents/EditorPanel.h"
#include "ui/documents/TvlPage.h"
#include "ui/documents/TvlPageControl.h"
#include "ui/explorer/DiskExplorer.h"
#include "ui/preview/PhpServer.h"
#include "ui/preview/Preview.h"
#include "ui/recovery/CrashJournal.h"

namespace tervil {

namespace {
constexpr int kMinimumWidth = 600;
constexpr int kMinimumHeight = 400;
}  // namespace

TTervilMain::TTervilMain(TSettingsStore& store, const QStringList& arguments,
                         const QString& dataDir, QWidget* parent)
    : QMainWindow(parent),
      store_(store),
      dataDir_(dataDir),
      ResourceStrings1(MainWindowMessages()) {
  setObjectName("TTervilMain");
  setWindowTitle(Message("AppName"));
  setMinimumSize(kMinimumWidth, kMinimumHeight);
  setAcceptDrops(true);
  FormCreate(arguments);
}

TTervilMain::~TTervilMain() {
  // Pages left unsaved by the end of the desktop session are offered at the next start.
  if (keepUnsavedAtEnd_ && crashJournal_) crashJournal_->KeepForNextStart();
  FormDestroy();
  // Pages go first: their editors use the highlighters and the tag database, which are members
  // and would otherwise be destroyed before the child widgets. Nothing may call back meanwhile.
  for (TTvlPageControl* control : {PageControl(), SplitPageControl()}) control->disconnect(this);
  for (TTvlPage* page : EditorPages()) {
    page->OnCloseQuery = nullptr;
    page->OnEditorStatusChange = nullptr;
  }
  delete editorPanel_;
  editorPanel_ = nullptr;
}

QString TTervilMain::Message(const char* key) const {
  return QString::fromStdString(ResourceStrings1.Lookup(key));
}

// The start-up sequence of the window, in the order the pieces depend on each other.
void TTervilMain::FormCreate(const QStringList& arguments) {
  ReopenList.clear();
  CreateDockAreas();
  CreateEditorPanel();
  statusPanels_ = new TStatusPanels(this);
  setStatusBar(statusPanels_);
  connect(statusPanels_, &TStatusPanels::PanelClicked, this,
          [this](int panel, Qt::MouseButton, const QPoint& at) { StatusBarClick(panel, at); });

  RunInProgress = false;
  SetUpIconTheme();
  CreateActions();
  GetHiglightersMenuItems();
  CreateMenus();
  CreatePhpActions();
  CreateEditorActions();
  CreateEditingActions();
  CreateRunActions();
  CreateGeneratorActions();
  CreateRecoveryActions();
  ReadReferenceData();
  CreateHtmlEditor();
  CreateCssActions();
  CreateHtmlTextActions();
  CreatePreviewActions();
  ArrangeViewMenu();

  configuration_ = std::make_unique<TConfiguration>(store_, this);
  CreateExplorerActions();
  CreateClipboardActions();
  CreateOptionsActions();
  CreatePrintActions();
  CreateConfigToolbar();
  CreateWindowsMenuAction();
  CreateHelpActions();
  ArrangeMenus();

  ReloadAfterChange = true;
  if (!configuration_->RecentList.empty())
    LastOpenedFile = QString::fromStdString(configuration_->RecentList.front().fileName);

  wait_ = new TWaitWindow(this);
  autosaveTimer_ = new QTimer(this);
  connect(autosaveTimer_, &QTimer::timeout, this, &TTervilMain::AutosaveTimerTimer);

  editorPanel_->ArrangeEditors();
  RecoverInterruptedWrites();
  // Unsaved text of an ended run goes back into its files' own pages before anything else
  // opens those files; a file recovered that way is not opened a second time.
  OfferCrashRecovery();
  ReopenAtStart();
  for (const QString& path : arguments) {
    if (TTvlPage* recovered = RecoveredPageOf(path))
      PageControl()->setCurrentWidget(recovered);
    else
      OpenFile(path, false);
  }
  recoveredPages_.clear();
  dockManager_->LoadComponents(*configuration_);
  ApplyConfiguration();
  // Commands follow the pages' state changes; this sets them for the pages the start opened
  // (or for none).
  UpdateActions();
}

void TTervilMain::CreateDockAreas() {
  dockManager_ = new TDockManager(this);
}

void TTervilMain::CreateEditorPanel() {
  editorPanel_ = new TEditorPanel(this);
  for (TTvlPageControl* control : {PageControl(), SplitPageControl()}) {
    control->addTab(new TDiskExplorer, "Start");
    control->Lists = std::make_shared<TCompletionLists>();
    connect(control, &QTabWidget::currentChanged, this,
            [this, control] { PageControlChange(control); });
  }
  setCentralWidget(editorPanel_);
}

TTvlPageControl* TTervilMain::PageControl() const {
  return editorPanel_->PageControl();
}
TTvlPageControl* TTervilMain::SplitPageControl() const {
  return editorPanel_->SplitPageControl();
}

void TTervilMain::ReadReferenceData() {
  std::vector<std::string> errors;
  const std::string dir = dataDir_.toStdString();
  entityItems_ = LoadEntityItems(dir, errors);
  try {
    tags_.LoadText(ReadRequiredFile(dir + "/html.tvd"));
  } catch (const TTagsFileError& e) {
    errors.push_back(e.what());
  }
  // Each page control keeps its own copy of the completion lists for its pages.
  TCompletionLists lists = LoadCompletionLists(dir, errors);
  *PageControl()->Lists = lists;
  *SplitPageControl()->Lists = lists;
  for (const auto& e : errors) startupErrors_ << QString::fromStdString(e);
}

// The text of a data file the program needs; its absence is reported at start-up.
std::string TTervilMain::ReadRequiredFile(const std::string& path) {
  std::string bytes, error;
  if (!ReadFileBytes(path, bytes, &error)) throw TTagsFileError(error);
  return bytes;
}

void TTervilMain::ShowAtStart() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect work = screen->availableGeometry();
    setGeometry(QRect(0, 0, work.width(), work.height()));
  }
  showMaximized();
  QTimer::singleShot(0, this, [this] {
    if (currentPage_) currentPage_->FocusEditor();
    ReportStartupErrors();
    ReportRecoveryNotes();
    startupDone_ = true;
    OpenHandedOver();
    StartUpdateCheck();
  });
}

void TTervilMain::ReportStartupErrors() {
  if (startupErrors_.isEmpty()) return;
  // Also on the terminal, for a start from a shell or the desktop session's log.
  for (const QString& error : startupErrors_)
    std::fprintf(stderr, "tervil: %s\n", error.toLocal8Bit().constData());
  TMessageBox::Error(this, startupErrors_.join("\n"));
}

void TTervilMain::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  try {
    dockManager_->SaveComponents(*configuration_);
    configuration_->SaveAtExit();
  } catch (const TSettingsError& e) {
    TMessageBox::Error(this, QString::fromUtf8(e.what()));
  }
  StopConsoleProgram();
  if (preview_) preview_->Server()->Stop();
  DeleteFilesIn(TempDirectory());
}

}  // namespace tervil
