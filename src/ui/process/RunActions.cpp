#include "ui/process/RunActions.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHash>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstring>
#include <system_error>

#include "core/common/Abort.h"
#include "core/common/Paths.h"
#include "core/process/CommandLine.h"
#include "core/process/Spawn.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/docking/DockManager.h"
#include "ui/docking/ToolForm.h"
#include "ui/documents/TvlPage.h"
#include "ui/process/Console.h"

namespace tervil {

namespace {

constexpr int kStartSettleMs = 1000;
constexpr int kConsoleStartHeight = 200;  // pixels, the first time the console shows

QString Qt(const std::string& text) {
  return QString::fromStdString(text);
}

// Icons are looked up once: the actions' state is refreshed on every keystroke, and a theme or
// style icon made anew each time means reading and decoding image files each time.
QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback) {
  static QHash<QString, QIcon> cache;
  const QString key = QString::fromLatin1(name) + '/' + QString::number(fallback);
  auto found = cache.constFind(key);
  if (found == cache.constEnd())
    found =
        cache.insert(key, QIcon::fromTheme(name, QApplication::style()->standardIcon(fallback)));
  return *found;
}

// Setting an action's icon notifies every button that shows it; only a different icon is set.
void SetIcon(QAction* action, const QIcon& icon) {
  if (action->icon().cacheKey() != icon.cacheKey()) action->setIcon(icon);
}

// Menu captions are shown exactly as stored: an "&" is not an accelerator.
QString LiteralCaption(const QString& text) {
  QString caption = text;
  return caption.replace('&', "&&");
}

// Makes the page current in the page control that holds it.
void ActivatePage(TTvlPage* page) {
  for (QWidget* w = page->parentWidget(); w; w = w->parentWidget()) {
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
      tabs->setCurrentWidget(page);
      return;
    }
  }
}

}  // namespace

TRunActions::TRunActions(TTervilMain& main, QMenu* viewMenu, QMenu* beforeMenu)
    : QObject(&main), main_(main) {
  CreateConsole();
  CreateActions();
  CreateMenus(viewMenu, beforeMenu);
}

void TRunActions::CreateConsole() {
  ConsoleDock = new TToolForm(tr("Console"), "Console", &main_);
  Console = new TConsole(ConsoleDock);
  ConsoleDock->setWidget(Console);
  ConsoleDock->SetStartSize(QSize(kConsoleStartHeight * 3, kConsoleStartHeight));
  main_.DockManager()->AddToolWindow(ConsoleDock, "DockPanelBottom");
  connect(Console, &TConsole::ShowRequested, this, &TRunActions::ShowConsole);
  connect(Console, &TConsole::RunFinished, this, &TRunActions::RefreshRunState);
  connect(Console, &TConsole::ErrorLineActivated, this, &TRunActions::GoToError);
}

void TRunActions::CreateActions() {
  auto make = [this](const QString& caption, const QString& hint, auto run) {
    auto* action = new QAction(caption, &main_);
    action->setStatusTip(hint);
    action->setToolTip(hint);
    connect(action, &QAction::triggered, this, run);
    return action;
  };
  actRun = make(main_.Message("Run"), tr("Run using current application"), [this] {
    TTvlPage* page = main_.CurrentPage();
    if (Running() || main_.RunInProgress)
      RunInConsole(QString());  // the same command stops the run
    else if (page && !page->RunWith.trimmed().isEmpty())
      RunInConsole(page->RunWith);
    RefreshRunState();
  });
  actRun->setShortcut(QKeySequence("F9"));
  actRunExternal = make(tr("Execute"), tr("Execute using current application"), [this] {
    TTvlPage* page = main_.CurrentPage();
    if (page && !page->RunWith.trimmed().isEmpty()) ExecuteExternally(page->RunWith);
  });
  actRunExternal->setShortcut(QKeySequence("Ctrl+F9"));
  actRunExternal->setIcon(ThemeIcon("system-run", QStyle::SP_CommandLink));
  actParameters = make(tr("Parameters..."), tr("Set Run Parameters"), [this] { EditParameters(); });
  actParameters->setIcon(QIcon::fromTheme("configure"));
  actRunToolButton = make(main_.Message("Run"), tr("Run using selected application"),
                          [this] { RunToolButtonClick(); });
  actRunToolButtonExternal = make(tr("Execute"), tr("Execute using selected application"),
                                  [this] { ExecuteToolButtonClick(); });
  actConsole = main_.DockManager()->CreateShowAction(
      ConsoleDock, tr("Console"), QString(), tr("Console"),
      ThemeIcon("utilities-terminal", QStyle::SP_ComputerIcon));
  actRunToolbar = make(tr("Run"), tr("Show or hide the Run toolbar"),
                       [this] { RunToolbar->setVisible(!RunToolbar->isVisible()); });
  actRunToolbar->setCheckable(true);
  main_.addActions({actRun, actRunExternal});
}

void TRunActions::CreateMenus(QMenu* viewMenu, QMenu* beforeMenu) {
  ProjectMenu = new QMenu(tr("&Project"), &main_);
  ProjectMenu->setObjectName("ProjectMenu");
  ProjectMenu->addAction(actRun);
  RunWithMenu = ProjectMenu->addMenu(QIcon::fromTheme("media-playback-start"), tr("Run With"));
  ProjectMenu->addAction(actRunExternal);
  ExecuteWithMenu = ProjectMenu->addMenu(actRunExternal->icon(), tr("Execute With"));
  ProjectMenu->addSeparator();
  ProjectMenu->addAction(actParameters);
  main_.menuBar()->insertMenu(beforeMenu ? beforeMenu->menuAction() : nullptr, ProjectMenu);
  connect(ProjectMenu, &QMenu::aboutToShow, this, [this] {
    BuildRunMenu(RunWithMenu, false);
    BuildRunMenu(ExecuteWithMenu, true);
    UpdateActions();
  });

  viewMenu->addAction(actConsole);
  QMenu* toolbars = nullptr;
  for (QAction* item : viewMenu->actions())
    if (item->menu() && item->menu()->title().remove('&') == tr("Toolbars"))
      toolbars = item->menu();
  if (!toolbars) toolbars = viewMenu->addMenu(tr("Toolbars"));
  toolbars->addAction(actRunToolbar);
  connect(viewMenu, &QMenu::aboutToShow, this, &TRunActions::UpdateActions);

  RunPopupMenu = new QMenu(&main_);
  ExecutePopupMenu = new QMenu(&main_);
  connect(RunPopupMenu, &QMenu::aboutToShow, this, [this] { BuildRunMenu(RunPopupMenu, false); });
  connect(ExecutePopupMenu, &QMenu::aboutToShow, this,
          [this] { BuildRunMenu(ExecutePopupMenu, true); });

  RunToolbar = main_.addToolBar(tr("Run Toolbar"));
  RunToolbar->setObjectName("RunToolbar");
  RunToolbar->addAction(actRunToolButton);
  RunToolbar->addAction(actRunToolButtonExternal);
  const std::pair<QAction*, QMenu*> dropDowns[] = {{actRunToolButton, RunPopupMenu},
                                                   {actRunToolButtonExternal, ExecutePopupMenu}};
  for (const auto& [action, menu] : dropDowns) {
    if (auto* button = qobject_cast<QToolButton*>(RunToolbar->widgetForAction(action))) {
      button->setMenu(menu);
      button->setPopupMode(QToolButton::MenuButtonPopup);
    }
  }
  RefreshRunState();
}

// ---------------------------------------------------------------- programs

const TRunPrograms& TRunActions::Programs() const {
  constexpr qint64 kKeepMs = 5000;
  const TConfiguration& config = main_.Configuration();
  TProgramsCache& cache = programs_;
  const QByteArray searchPath = qgetenv("PATH");
  if (!cache.Programs || cache.Age.elapsed() > kKeepMs || cache.PhpPath != config.PhpPath ||
      cache.SearchPath != searchPath || cache.Applications != config.Applications) {
    cache.PhpPath = config.PhpPath;
    cache.SearchPath = searchPath;
    cache.Applications = config.Applications;
    cache.Programs.emplace(config.PhpPath, config.Applications);
    cache.Age.start();
  }
  return *cache.Programs;
}

void TRunActions::BuildRunMenu(QMenu* menu, bool execute) {
  menu->clear();
  const TRunPrograms& programs = Programs();
  for (const std::string& item : programs.MenuItems()) {
    QAction* action = menu->addAction(LiteralCaption(Qt(item)));
    connect(action, &QAction::triggered, this, [this, item, execute] {
      const auto prefix = Programs().PrefixOf(item);
      if (!prefix) return;
      if (execute)
        ExecuteExternally(Qt(*prefix));
      else
        RunInConsole(Qt(*prefix));
    });
  }
  if (execute) {
    if (!menu->isEmpty()) menu->addSeparator();
    QAction* browser = menu->addAction(tr(kBrowserItem));
    connect(browser, &QAction::triggered, this, [this] { ExecuteExternally(kBrowserPrefix); });
  }
}

// ---------------------------------------------------------------- running

bool TRunActions::Running() const {
  return Console->Running();
}

QString TRunActions::WriteCopy(TTvlPage* page, bool forBrowser, QString& folder) {
  const std::string path = page->Filename().toStdString();
  folder = Qt(TempCopyFolder(path, TempDirectory()));
  const QFileInfo document(page->Filename());
  std::string suffix;
  if (forBrowser)
    suffix = document.suffix().isEmpty() ? ".html" : "." + document.suffix().toStdString();
  const QString copy =
      Qt(ReserveTempCopy(folder.toStdString(), document.fileName().toStdString(), suffix));
  if (!main_.WriteDocument(page, copy)) {
    QFile::remove(copy);
    return QString();
  }
  return copy;
}

void TRunActions::RunInConsole(const QString& prefix) {
  if (Running()) {
    Console->KillProcess(0);
    main_.RunInProgress = false;
    return;
  }
  TTvlPage* page = main_.CurrentPage();
  if (main_.RunInProgress || !page) return;
  page->RunWith = prefix;
  main_.RunInProgress = true;
  const unsigned generation = ++runGeneration_;
  RefreshRunState();
  bool started = false;
  try {
    QString folder;
    const QString copy = WriteCopy(page, false, folder);
    if (!copy.isEmpty()) {
      runPage_ = page;
      Console->SetWorkDir(folder);
      Console->SetRunPage(page->Filename());
      Console->RunCommand(Qt(RunCommandLine(prefix.toStdString(), copy.toStdString(),
                                            page->RunParams.toStdString())),
                          copy);
      started = true;
    }
  } catch (const TAbort&) {
    // The console shows why the program did not start.
  } catch (const std::exception& e) {
    TMessageBox::Error(&main_, QString::fromUtf8(e.what()));
  }
  if (!started) {
    main_.RunInProgress = false;
    RefreshRunState();
    return;
  }
  // A second Run right after the start does nothing; the start settles for a second.
  QTimer::singleShot(kStartSettleMs, this, [this, generation] {
    if (generation != runGeneration_) return;
    main_.RunInProgress = false;
    RefreshRunState();
  });
}

void TRunActions::ExecuteExternally(const QString& prefix) {
  TTvlPage* page = main_.CurrentPage();
  if (!page) return;
  page->RunWith = prefix;
  const bool browser =
      SplitCommandLine(prefix.toStdString()) == std::vector<std::string>{kBrowserPrefix};
  try {
    QString folder;
    const QString copy = WriteCopy(page, browser, folder);
    if (copy.isEmpty()) return;
    const std::string command =
        RunCommandLine(prefix.toStdString(), copy.toStdString(), page->RunParams.toStdString());
    if (const int error =
            ExecuteDetached(command, folder.toStdString(), copy.toStdString(), 65535, browser)) {
      QFile::remove(copy);
      TMessageBox::Error(&main_,
                         tr("Cannot run %1: %2").arg(prefix.trimmed(), Qt(std::strerror(error))));
    }
  } catch (const std::exception& e) {
    TMessageBox::Error(&main_, QString::fromUtf8(e.what()));
  }
}

void TRunActions::StopConsole() {
  if (Running()) Console->KillProcess(0);
}

void TRunActions::RunToolButtonClick() {
  TTvlPage* page = main_.CurrentPage();
  if (Running() || main_.RunInProgress)
    RunInConsole(QString());
  else if (page && !page->RunWith.trimmed().isEmpty())
    RunInConsole(page->RunWith);
  else if (page)
    PopupUnder(RunPopupMenu, actRunToolButton);
  RefreshRunState();
}

void TRunActions::ExecuteToolButtonClick() {
  TTvlPage* page = main_.CurrentPage();
  if (page && !page->RunWith.trimmed().isEmpty())
    ExecuteExternally(page->RunWith);
  else if (page)
    PopupUnder(ExecutePopupMenu, actRunToolButtonExternal);
}

void TRunActions::PopupUnder(QMenu* menu, QAction* action) {
  QWidget* button = RunToolbar->widgetForAction(action);
  if (button && button->isVisible())
    menu->popup(button->mapToGlobal(QPoint(0, button->height())));
  else
    menu->popup(QCursor::pos());
}

// ---------------------------------------------------------------- parameters

void TRunActions::EditParameters() {
  TTvlPage* page = main_.CurrentPage();
  if (!page) return;
  QDialog dialog(&main_);
  dialog.setObjectName("Parameters");
  dialog.setWindowTitle(tr("Parameters:"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* paramEdit = new QComboBox(&dialog);
  paramEdit->setObjectName("ParamEdit");
  paramEdit->setEditable(true);
  paramEdit->setInsertPolicy(QComboBox::NoInsert);
  paramEdit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  paramEdit->setMinimumWidth(360);
  paramEdit->addItems(ParameterHistory);
  paramEdit->setEditText(page->RunParams);
  layout->addWidget(paramEdit);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted || !page) return;
  const QString text = paramEdit->currentText();
  page->RunParams = text;
  if (!text.isEmpty()) {
    ParameterHistory.removeAll(text);
    ParameterHistory.prepend(text);
  }
}

// ---------------------------------------------------------------- state

void TRunActions::UpdateActions() {
  TTvlPage* page = main_.CurrentPage();
  const bool running = Running();
  const bool hasRunWith = page && !page->RunWith.trimmed().isEmpty();
  const bool programs = !Programs().Empty();

  // A running program can always be stopped, whichever page is shown.
  actRun->setEnabled(hasRunWith || running);
  RunWithMenu->setEnabled(page && !running && programs);
  ExecuteWithMenu->setEnabled(page != nullptr);
  actRunToolButton->setEnabled(running || (page && (hasRunWith || programs)));
  actRunExternal->setEnabled(hasRunWith);
  actRunToolButtonExternal->setEnabled(page != nullptr);
  SetIcon(actRunToolButtonExternal,
          hasRunWith ? ThemeIcon("system-run", QStyle::SP_CommandLink)
                     : ThemeIcon("view-more", QStyle::SP_FileDialogDetailedView));
  actParameters->setEnabled(page != nullptr);
  actRunToolbar->setChecked(RunToolbar->isVisible());
  RefreshRunState();
}

// actRun and actRunToolButton: "Stop" while a program runs or starts, "Run" otherwise.
void TRunActions::RefreshRunState() {
  const bool stopping = Running() || main_.RunInProgress;
  const QIcon runIcon = ThemeIcon("media-playback-start", QStyle::SP_MediaPlay);
  const QIcon stopIcon = ThemeIcon("media-playback-stop", QStyle::SP_MediaStop);
  actRun->setText(main_.Message(stopping ? "Stop" : "Run"));
  SetIcon(actRun, stopping ? stopIcon : runIcon);
  actRun->setShortcut(stopping ? QKeySequence() : QKeySequence("F9"));
  if (stopping) actRun->setEnabled(true);
  TTvlPage* page = main_.CurrentPage();
  if (page && page->RunWith.trimmed().isEmpty() && !stopping) {
    SetIcon(actRunToolButton, ThemeIcon("view-more", QStyle::SP_ArrowDown));
  } else {
    actRunToolButton->setText(actRun->text());
    SetIcon(actRunToolButton, actRun->icon());
  }
  if (stopping) actRunToolButton->setEnabled(true);
}

void TRunActions::ShowConsole() {
  if (!ConsoleDock->isVisible()) main_.DockManager()->ShowToolWindow(ConsoleDock);
}

// Double-clicking an error line shows the line it names: in the page that was run when the
// message names the run's copy, otherwise in the named file.
void TRunActions::GoToError(const QString& file, int line, bool runPage) {
  TTvlPage* target = runPage ? runPage_.data() : nullptr;
  if (!target) {
    for (TTvlPage* page : main_.EditorPages())
      if (page->Filename() == file) target = page;
  }
  if (!target && QFileInfo(file).isFile()) {
    main_.OpenFile(file, false);
    target = main_.CurrentPage();
  }
  if (!target) return;
  main_.activateWindow();
  ActivatePage(target);
  target->Model().JumpTo({1, line});
  target->FocusEditor();
}

}  // namespace tervil
