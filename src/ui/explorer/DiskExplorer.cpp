#include "ui/explorer/DiskExplorer.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSplitter>
#include <QStorageInfo>
#include <QThreadPool>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/common/Paths.h"
#include "core/process/CommandLine.h"
#include "core/process/Spawn.h"
#include "ui/app/FilePaths.h"
#include "ui/app/MessageBox.h"
#include "ui/explorer/FileListview.h"

namespace tervil {

namespace {

constexpr int kDriveScanMs = 10000;

// The mounts a user works in: the root, the home folder, and removable or mounted volumes.
bool IsUserMount(const QStorageInfo& volume) {
  if (!volume.isValid() || !volume.isReady()) return false;
  const QString root = volume.rootPath();
  return root == "/" || root.startsWith("/media/") || root.startsWith("/run/media/") ||
         root.startsWith("/mnt/");
}

QString NoSlash(QString path) {
  while (path.size() > 1 && path.endsWith('/')) path.chop(1);
  return path;
}

}  // namespace

// ---- TDisksToolBar

TDisksToolBar::TDisksToolBar(QWidget* parent) : QWidget(parent), bar_(new QToolBar(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(bar_);
  bar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  bar_->setIconSize(QSize(16, 16));
  Rescan();
  timer_.setInterval(kDriveScanMs);
  connect(&timer_, &QTimer::timeout, this, &TDisksToolBar::Rescan);
  timer_.start();
}

void TDisksToolBar::Rescan() {
  // Reading the mounts asks every file system for its state, which can block on a slow or dead
  // network mount: it happens on a worker thread and the buttons follow when it is done.
  QPointer<TDisksToolBar> self(this);
  QThreadPool::globalInstance()->start([self] {
    QList<QPair<QString, QString>> volumes;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
      if (IsUserMount(volume) && volume.rootPath() != "/")
        volumes.append({volume.rootPath(), volume.displayName()});
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self, volumes] {
          if (self) self->ShowVolumes(volumes);
        },
        Qt::QueuedConnection);
  });
}

void TDisksToolBar::ShowVolumes(const QList<QPair<QString, QString>>& volumes) {
  QStringList roots;
  QStringList captions;
  QList<QIcon> icons;
  auto add = [&](const QString& root, const QString& caption, const char* icon) {
    if (roots.contains(root)) return;
    roots << root;
    captions << caption;
    icons << QIcon::fromTheme(icon);
  };
  add("/", "/", "drive-harddisk");
  add(NoSlash(QDir::homePath()), tr("Home"), "user-home");
  for (const auto& [root, name] : volumes)
    add(root, name.isEmpty() ? root : name, "drive-removable-media");
  if (roots == roots_) return;
  roots_ = roots;
  bar_->clear();
  for (int i = 0; i < roots.size(); ++i) {
    QAction* button = bar_->addAction(icons[i], captions[i]);
    button->setToolTip(roots[i]);
    const QString root = roots[i];
    connect(button, &QAction::triggered, this, [this, root] { emit OnButtonClicked(root); });
  }
}

// ---- TDiskExplorer

TDiskExplorer::TDiskExplorer(QWidget* parent)
    : QWidget(parent),
      splitter_(new QSplitter(Qt::Horizontal, this)),
      labelBottom_(new QLabel(this)),
      commandLine_(new QComboBox(this)) {
  setObjectName("DiskExplorer");
  splitter_->setObjectName("ResizePanel");
  splitter_->setHandleWidth(4);
  splitter_->setChildrenCollapsible(false);
  splitter_->addWidget(BuildPane(0));
  splitter_->addWidget(BuildPane(1));
  splitter_->setSizes({500, 500});
  labelBottom_->setObjectName("LabelBottom");
  commandLine_->setObjectName("CommandLine");
  commandLine_->setEditable(true);
  commandLine_->setInsertPolicy(QComboBox::NoInsert);
  commandLine_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  commandLine_->lineEdit()->setPlaceholderText(tr("Command line"));
  commandLine_->installEventFilter(this);
  commandLine_->lineEdit()->installEventFilter(this);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(labelBottom_);
  bottom->addWidget(commandLine_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(splitter_, 1);
  layout->addLayout(bottom);
  CreateCommands();
  connect(qApp, &QApplication::focusChanged, this, [this] { UpdateCommands(); });
  UpdateCommands();
}

// The focus moves while the child widgets go; the commands must not follow it any more by then.
TDiskExplorer::~TDiskExplorer() {
  disconnect(qApp, nullptr, this, nullptr);
}

QWidget* TDiskExplorer::BuildPane(int side) {
  auto* pane = new QWidget(this);
  TPane& p = panes_[side];
  p.Drives = new TDisksToolBar(pane);
  p.Label = new QLabel(pane);
  p.List = new TFileListview(pane);
  p.Drives->setObjectName(side == 0 ? "DisksToolBarLeft" : "DisksToolBarRight");
  p.Label->setObjectName(side == 0 ? "LabelLeft" : "LabelRight");
  p.List->setObjectName(side == 0 ? "FileListviewLeft" : "FileListviewRight");
  p.Label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  p.List->installEventFilter(this);
  p.List->setContextMenuPolicy(Qt::CustomContextMenu);
  auto* layout = new QVBoxLayout(pane);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(1);
  layout->addWidget(p.Drives);
  layout->addWidget(p.Label);
  layout->addWidget(p.List, 1);
  connect(p.Drives, &TDisksToolBar::OnButtonClicked, this,
          [this, side](const QString& root) { DriveClicked(side, root); });
  connect(p.List, &TFileListview::OnChangePath, this,
          [this, side](const QString& path) { PathChanged(side, path); });
  connect(p.List, &TFileListview::FocusReceived, this, [this, side] {
    active_ = side;
    labelBottom_->setText(panes_[side].List->Path());
  });
  connect(p.List, &TFileListview::NoProgramFor, this, [this](const QString& file) {
    if (TMessageBox::Ask(this, QFileInfo(file).fileName(),
                         tr("No program is set up to open \"%1\". Open it in the editor?")
                             .arg(QFileInfo(file).fileName())))
      emit OpenFileRequested(file, false);
  });
  connect(p.List, &TFileListview::ListingFailed, this,
          [this](const QString& folder, const QString& reason) {
            labelBottom_->setText(tr("Cannot read %1: %2").arg(folder, reason));
          });
  connect(p.List, &QWidget::customContextMenuRequested, this,
          [this, list = p.List](const QPoint& at) {
            ShowContextMenu(list->viewport()->mapToGlobal(at));
          });
  return pane;
}

QAction* TDiskExplorer::Command(const QString& name) const {
  for (QAction* action : commands_)
    if (action->objectName() == name) return action;
  return nullptr;
}

QAction* TDiskExplorer::AddCommand(const QString& name, const QString& caption,
                                   const QKeySequence& key, const char* icon,
                                   void (TDiskExplorer::*slot)()) {
  auto* action = new QAction(QIcon::fromTheme(icon), caption, this);
  action->setObjectName(name);
  action->setShortcut(key);
  // The lists take these keys themselves (see eventFilter), so that the main window's own
  // shortcuts on the same keys do not fire while a list has the focus.
  action->setShortcutContext(Qt::WidgetShortcut);
  connect(action, &QAction::triggered, this, slot);
  commands_ << action;
  return action;
}

void TDiskExplorer::CreateCommands() {
  using E = TDiskExplorer;
  AddCommand("Rename", tr("Rename"), Qt::Key_F2, "edit-rename", &E::Rename);
  AddCommand("View", tr("View File"), Qt::Key_F3, "document-preview", &E::View);
  AddCommand("ViewAll", tr("View Selected Files"), Qt::ALT | Qt::Key_F3, "", &E::ViewAll);
  AddCommand("Edit", tr("Edit File"), Qt::Key_F4, "document-edit", &E::Edit);
  AddCommand("EditAll", tr("Edit Selected Files"), Qt::ALT | Qt::Key_F4, "", &E::EditAll);
  AddCommand("NewFile", tr("New File"), Qt::SHIFT | Qt::Key_F4, "document-new", &E::NewFile);
  AddCommand("CopyFiles", tr("Copy"), Qt::Key_F5, "edit-copy", &E::CopyFiles);
  AddCommand("MoveFiles", tr("Move"), Qt::Key_F6, "go-next", &E::MoveFiles);
  AddCommand("MakeDir", tr("Create Folder"), Qt::Key_F7, "folder-new", &E::MakeDir);
  AddCommand("DeleteFiles", tr("Delete To Recycle Bin"), Qt::Key_F8, "user-trash", &E::DeleteFiles);
  AddCommand("DeleteFilesPermanent", tr("Delete Permanently"), Qt::SHIFT | Qt::Key_F8,
             "edit-delete", &E::DeleteFilesPermanent);
  AddCommand("ctrlenter", tr("File Name To Command Line"), Qt::CTRL | Qt::Key_Return, "",
             &E::FileNameToCommandLine);
  AddCommand("InsertKey", tr("Select/Unselect"), Qt::Key_Insert, "", &E::InsertKey);
  AddCommand("Select", tr("Select Files..."), Qt::KeypadModifier | Qt::Key_Plus, "list-add",
             &E::SelectFiles);
  AddCommand("Unselect", tr("Unselect Files..."), Qt::KeypadModifier | Qt::Key_Minus, "list-remove",
             &E::UnselectFiles);
  AddCommand("RootDir", tr("Go To Root Directory"), Qt::CTRL | Qt::Key_Backslash, "go-top",
             &E::RootDir);
  AddCommand("TabKey", tr("Other Pane"), Qt::Key_Tab, "", &E::OtherPane);
}

bool TDiskExplorer::ListHasFocus() const {
  return panes_[0].List->hasFocus() || panes_[1].List->hasFocus();
}

void TDiskExplorer::UpdateCommands() {
  const bool on = ListHasFocus();
  for (QAction* action : commands_) action->setEnabled(on);
}

bool TDiskExplorer::eventFilter(QObject* watched, QEvent* event) {
  const bool isList = watched == panes_[0].List || watched == panes_[1].List;
  if (isList && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
    auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    for (QAction* action : commands_) {
      const bool enter = action->objectName() == "ctrlenter" && key->key() == Qt::Key_Enter &&
                         key->modifiers() & Qt::ControlModifier;
      if (action->shortcut() != pressed && !enter) continue;
      event->accept();
      if (event->type() == QEvent::KeyPress) {
        UpdateCommands();
        action->trigger();
      }
      return true;
    }
  }
  const bool isCommandLine = watched == commandLine_ || watched == commandLine_->lineEdit();
  if (isCommandLine && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      RunCommandLine();
      return true;
    }
    if (key->key() == Qt::Key_Escape) {
      ActivePane()->setFocus();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// Showing the explorer (its Start tab chosen, or the window opening on it) puts the keyboard into
// the active list, so the function keys work at once.
void TDiskExplorer::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!isAncestorOf(QApplication::focusWidget())) ActivePane()->setFocus();
}

void TDiskExplorer::Start(const QString& left, const QString& right, bool showHidden) {
  SetShowHidden(showHidden);
  panes_[0].List->SetPath(DirectoryExists(PathBytes(left)) ? left : QStringLiteral("/"));
  panes_[1].List->SetPath(DirectoryExists(PathBytes(right)) ? right : QStringLiteral("/"));
}

void TDiskExplorer::SetShowHidden(bool on) {
  for (TPane& pane : panes_) {
    if (pane.List->ShowHidden == on) continue;
    pane.List->ShowHidden = on;
    if (!pane.List->Path().isEmpty()) pane.List->RefreshListing();
  }
}

QString TDiskExplorer::DriveOf(const QString& folder) const {
  QString best = "/";
  const QString path = NoSlash(folder) + "/";
  for (const QString& root : panes_[0].Drives->Roots()) {
    const QString prefix = root == "/" ? root : root + "/";
    if (path.startsWith(prefix) && prefix.size() > best.size() + (best == "/" ? 0 : 1)) best = root;
  }
  return best;
}

QString TDiskExplorer::RememberedFolder(const QString& root) const {
  return drivePaths_.value(root, root);
}

void TDiskExplorer::PathChanged(int side, const QString& path) {
  panes_[side].Label->setText(path);
  if (panes_[side].List->hasFocus() || side == active_) labelBottom_->setText(path);
  drivePaths_.insert(DriveOf(path), path);
  emit FolderChanged(side == 0, path);
}

void TDiskExplorer::DriveClicked(int side, const QString& root) {
  TFileListview* list = panes_[side].List;
  TFileListview* other = panes_[1 - side].List;
  if (DriveOf(list->Path()) != root) list->SetPath(RememberedFolder(root));
  if (active_ != side && DriveOf(other->Path()) == root) list->SetPath(other->Path());
  list->setFocus();
}

void TDiskExplorer::RunCommandLine() {
  const QString text = commandLine_->currentText().trimmed();
  if (text.isEmpty()) return;
  const int known = commandLine_->findText(text);
  if (known >= 0) commandLine_->removeItem(known);
  commandLine_->insertItem(0, text);
  // Started directly, without a shell (a user who wants one writes "sh -c ..."): the words are
  // split as the names put here by Ctrl+Enter are quoted, and keep their bytes.
  const std::string line = PathBytes(text);
  if (ExecuteDetached(line, PathBytes(ActivePane()->Path()), {}) != 0) {
    const std::vector<std::string> words = SplitCommandLine(line);
    labelBottom_->setText(tr("Cannot start %1").arg(PathText(words.empty() ? line : words[0])));
  }
  commandLine_->setCurrentIndex(-1);
  commandLine_->clearEditText();
  ActivePane()->setFocus();
}

}  // namespace tervil
