#include "ui/app/MainForm.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "core/common/Paths.h"
#include "core/common/TextFile.h"
#include "ui/app/MessageBox.h"
#include "ui/app/StatusPanels.h"

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
  FormDestroy();
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

  RunInProgress = false;
  ReadReferenceData();

  configuration_ = std::make_unique<TConfiguration>(store_);

  ReloadAfterChange = true;
  if (!configuration_->RecentList.empty())
    LastOpenedFile = QString::fromStdString(configuration_->RecentList.front().fileName);

  for (const QString& path : arguments) OpenFile(path, false);
}

void TTervilMain::CreateDockAreas() {
  setDockOptions(QMainWindow::AllowTabbedDocks | QMainWindow::AnimatedDocks);
  setCorner(Qt::BottomLeftCorner, Qt::BottomDockWidgetArea);
  setCorner(Qt::BottomRightCorner, Qt::BottomDockWidgetArea);
}

void TTervilMain::CreateEditorPanel() {
  EditorPanel = new QWidget(this);
  EditorPanel->setObjectName("EditorPanel");
  auto* layout = new QVBoxLayout(EditorPanel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);

  PageControl = new QTabWidget(EditorPanel);
  PageControl->setObjectName("PageControl");
  PageControl->addTab(new QWidget(PageControl), "Start");
  layout->addWidget(PageControl);

  SplitPageControl = new QTabWidget(EditorPanel);
  SplitPageControl->setObjectName("SplitPageControl");
  SplitPageControl->setTabPosition(QTabWidget::South);
  SplitPageControl->addTab(new QWidget(SplitPageControl), "Start");
  SplitPageControl->hide();  // the split starts closed
  layout->addWidget(SplitPageControl);

  setCentralWidget(EditorPanel);
}

void TTervilMain::ReadReferenceData() {
  std::vector<std::string> errors;
  const std::string dir = dataDir_.toStdString();
  entityItems_ = LoadEntityItems(dir, errors);
  std::vector<std::string> lines;
  std::string error;
  // The tag database is parsed by its own loader; here it only has to be readable.
  if (!ReadLineList(dir + "/html.tvd", lines, &error)) errors.push_back(error);
  completionLists_ = LoadCompletionLists(dir, errors);
  for (const auto& e : errors) startupErrors_ << QString::fromStdString(e);
}

void TTervilMain::ShowAtStart() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect work = screen->availableGeometry();
    setGeometry(QRect(0, 0, work.width(), work.height()));
  }
  showMaximized();
  QTimer::singleShot(0, this, &TTervilMain::ReportStartupErrors);
}

void TTervilMain::ReportStartupErrors() {
  if (!startupErrors_.isEmpty()) TMessageBox::Error(this, startupErrors_.join("\n"));
}

void TTervilMain::OpenFile(const QString& fileName, bool forceReadOnly) {
  emit OpenFileRequested(fileName, forceReadOnly);
}

void TTervilMain::HandOverPath(const QString& path) {
  // A path that names no file is dropped without a message.
  if (QFileInfo(path).isFile()) OpenFile(path, false);
}

void TTervilMain::BringToFront() {
  if (isMinimized()) showMaximized();
  raise();
  activateWindow();
}

void TTervilMain::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  try {
    configuration_->SaveAtExit();
  } catch (const TSettingsError& e) {
    TMessageBox::Error(this, QString::fromUtf8(e.what()));
  }
  DeleteFilesIn(TempDirectory());
}

}  // namespace tervil
