#include "ui/process/Console.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHeaderView>
#include <QMenu>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextDocumentFragment>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/process/ConsoleOutput.h"
#include "ui/process/HtmlOutputView.h"

namespace tervil {

namespace {

constexpr int kMinHeight = 100;
constexpr int kMaxHeight = 400;
constexpr int kMinWidth = 100;
constexpr int kDeleteWaitMs = 10000;
// Where an error line leads, kept with its item.
// "Show Full Output" converts and adds this much at a time.
constexpr std::size_t kFirstSliceBytes = 64 * 1024;
constexpr std::size_t kSliceBytes = 64 * 1024;
constexpr int kTargetFileRole = ::Qt::UserRole;
constexpr int kTargetLineRole = ::Qt::UserRole + 1;
constexpr int kTargetRunPageRole = ::Qt::UserRole + 2;

QString Qt(const std::string& text) {
  return QString::fromStdString(text);
}

// The memo shows lines with LF; the converted text's CR LF pairs are its line ends.
QString MemoDisplay(const std::string& converted) {
  QString text = Qt(converted);
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return text;
}

// A tab page named `name` that `content` fills.
QWidget* NewPage(const char* name, QWidget* content, const char* contentName) {
  auto* page = new QWidget;
  page->setObjectName(name);
  content->setObjectName(contentName);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(content);
  return page;
}

QString Trimmed(const QString& text) {
  return Qt(JoinForCopy({text.toStdString()}));
}

}  // namespace

TConsole::TConsole(QWidget* parent) : QWidget(parent), ResourceStrings1(ConsoleWindowMessages()) {
  setObjectName("Console");
  setWindowTitle(tr("Console"));
  setToolTip(tr("Console"));
  setMinimumSize(kMinWidth, kMinHeight);
  setMaximumHeight(kMaxHeight);

  ConsoleApp = std::make_unique<TConsoleApp>([this](std::function<void()> work) {
    QMetaObject::invokeMethod(this, std::move(work), ::Qt::QueuedConnection);
  });
  ConsoleApp->TimeOut = 0;
  ConsoleApp->SetOutputInterval(0);
  ConsoleApp->ReadBufferSize = kReadBufferSize;
  ConsoleApp->WriteBufferSize = 1024;
  ConsoleApp->OnOutput = [this](TConsoleApp&, const std::string& chunk) {
    ConsoleAppOutput(chunk);
  };
  ConsoleApp->OnEOutput = [this](TConsoleApp&, const std::string& chunk) {
    ConsoleAppEOutput(chunk);
  };
  ConsoleApp->OnBeforeExecute = [this](TConsoleApp&, std::string&, TStartInfo&) {
    ConsoleAppBeforeExecute();
  };
  ConsoleApp->OnError = [this](TConsoleApp&, std::uint32_t code, const std::string& message) {
    ConsoleAppError(code, message);
  };
  ConsoleApp->OnDone = [this](TConsoleApp&, std::uint32_t) { ConsoleAppDone(); };

  memoTimer_ = new QTimer(this);
  memoTimer_->setSingleShot(true);
  memoTimer_->setInterval(kMemoRefreshMs);
  connect(memoTimer_, &QTimer::timeout, this, &TConsole::RefreshMemo);
  fullTimer_ = new QTimer(this);
  fullTimer_->setInterval(0);
  connect(fullTimer_, &QTimer::timeout, this, &TConsole::FillFullOutput);

  CreatePages();
  CreateMenus();
}

TConsole::~TConsole() {
  // The runner stops its program; nothing it still posts reaches this window.
  ConsoleApp.reset();
  DeleteHtmlCopy();
}

QString TConsole::Text(const char* key) const {
  return Qt(ResourceStrings1.Lookup(key));
}

void TConsole::CreatePages() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName("PageControl1");
  PageControl1->setTabPosition(QTabWidget::South);
  layout->addWidget(PageControl1);

  ErrorList = new QTreeWidget;
  Errors = NewPage("Errors", ErrorList, "ErrorList");
  ErrorList->setHeaderHidden(true);
  ErrorList->setColumnCount(1);
  ErrorList->setRootIsDecorated(false);
  ErrorList->setUniformRowHeights(true);
  ErrorList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ErrorList->setSelectionBehavior(QAbstractItemView::SelectRows);
  ErrorList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ErrorList->setStyleSheet("QTreeWidget::item { border-bottom: 1px solid palette(midlight); }");
  connect(ErrorList, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { ErrorListDoubleClick(item); });

  OutputMemo = new QPlainTextEdit;
  OutputPage = NewPage("Output", OutputMemo, "OutputMemo");
  OutputMemo->setReadOnly(true);
  OutputMemo->document()->setUndoRedoEnabled(false);  // read-only: no copy of what it shows
  OutputMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(8);
  OutputMemo->setFont(font);

  WebBrowser = new THtmlOutputView;
  OutputHTML = NewPage("OutputHTML", WebBrowser, "WebBrowser");

  PageControl1->addTab(Errors, Text("Errors"));
  PageControl1->addTab(OutputPage, Text("Output"));
  PageControl1->addTab(OutputHTML, tr("HTML Output"));
  PageControl1->setCurrentWidget(Errors);
  connect(PageControl1, &QTabWidget::currentChanged, this, [this] { PageControl1Change(); });
}

// Adds an action that works while `widget` (or a child) has the focus.
static QAction* AddLocalAction(QWidget* widget, const QString& caption, const QString& keys) {
  auto* action = new QAction(caption, widget);
  if (!keys.isEmpty()) action->setShortcut(QKeySequence(keys));
  action->setShortcutContext(::Qt::WidgetWithChildrenShortcut);
  widget->addAction(action);
  return action;
}

void TConsole::CreateMenus() {
  // The error list.
  QAction* copyAction = AddLocalAction(ErrorList, tr("Copy"), "Ctrl+C");
  QAction* selectAll = AddLocalAction(ErrorList, tr("Select All"), "Ctrl+A");
  connect(copyAction, &QAction::triggered, this, [this] {
    std::vector<std::string> lines;
    for (int i = 0; i < ErrorList->topLevelItemCount(); ++i)
      if (ErrorList->topLevelItem(i)->isSelected())
        lines.push_back(ErrorList->topLevelItem(i)->text(0).toStdString());
    if (!lines.empty()) QApplication::clipboard()->setText(Qt(JoinForCopy(lines)));
  });
  connect(selectAll, &QAction::triggered, ErrorList, &QTreeWidget::selectAll);
  ErrorList->setContextMenuPolicy(::Qt::CustomContextMenu);
  connect(ErrorList, &QWidget::customContextMenuRequested, this,
          [this, copyAction, selectAll](const QPoint& at) {
            copyAction->setEnabled(!ErrorList->selectedItems().isEmpty());
            selectAll->setEnabled(ErrorList->topLevelItemCount() > 0);
            QMenu menu;
            menu.addActions({copyAction, selectAll});
            menu.exec(ErrorList->viewport()->mapToGlobal(at));
          });

  // The output text.
  QAction* editCopy = AddLocalAction(OutputMemo, tr("&Copy"), "Ctrl+C");
  QAction* editSelectAll = AddLocalAction(OutputMemo, tr("Select &All"), "Ctrl+A");
  actShowFull = AddLocalAction(OutputMemo, tr("Show Full Output"), "");
  connect(editCopy, &QAction::triggered, this,
          [this] { QApplication::clipboard()->setText(MemoCopyText()); });
  connect(editSelectAll, &QAction::triggered, OutputMemo, &QPlainTextEdit::selectAll);
  connect(actShowFull, &QAction::triggered, this, &TConsole::ShowFull);
  OutputMemo->setContextMenuPolicy(::Qt::CustomContextMenu);
  connect(OutputMemo, &QWidget::customContextMenuRequested, this,
          [this, editCopy, editSelectAll](const QPoint& at) {
            const bool hasText = !OutputMemo->document()->isEmpty();
            editCopy->setEnabled(hasText);
            editSelectAll->setEnabled(hasText);
            actShowFull->setEnabled(!Running() && !output_.Empty());
            QMenu menu;
            menu.addActions({editCopy, editSelectAll, actShowFull});
            menu.exec(OutputMemo->viewport()->mapToGlobal(at));
          });

  // The HTML page: Refresh is the page control's menu while that page is active.
  actRefresh = AddLocalAction(this, tr("Refresh"), "F5");
  connect(actRefresh, &QAction::triggered, this, [this] {
    if (PageControl1->currentWidget() == OutputHTML) PageControl1Change();
  });
  PageControl1->setContextMenuPolicy(::Qt::CustomContextMenu);
  connect(PageControl1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    if (PageControl1->currentWidget() != OutputHTML) return;
    QMenu menu;
    menu.addAction(actRefresh);
    menu.exec(PageControl1->mapToGlobal(at));
  });
}

// ---------------------------------------------------------------- running

void TConsole::SetRunPage(const QString& pageName) {
  copyNames_.PageName = pageName.toStdString();
}

void TConsole::RunCommand(const QString& cmdLine, const QString& copyPath) {
  DeleteHtmlCopy();
  StopFullOutput();
  copyPath_ = copyPath;
  // The program may name the copy by its path with links resolved.
  copyNames_.CopyPaths.clear();
  if (!copyPath.isEmpty()) {
    copyNames_.CopyPaths.push_back(QFileInfo(copyPath).absoluteFilePath().toStdString());
    const QString canonical = QFileInfo(copyPath).canonicalFilePath();
    if (!canonical.isEmpty()) copyNames_.CopyPaths.push_back(canonical.toStdString());
  }
  command_ = cmdLine;
  OutputMemo->clear();
  output_.Clear();
  memoStale_ = false;
  ErrorList->clear();
  Highlight(OutputPage, false);
  Highlight(Errors, false);
  PageControl1->setTabText(0, Text("Errors"));
  PageControl1->setTabText(1, Text("Output"));
  PageControl1->setTabToolTip(1, QString());
  if (!isVisible()) {
    emit ShowRequested();
    if (!parentWidget()) show();
  }
  ConsoleApp->Command = cmdLine.toStdString();
  ConsoleApp->Execute();
  SendLine(cmdLine);
}

void TConsole::SendLine(const QString& text) {
  if (!Running()) throw TConsoleError("Application is not running");
  ConsoleApp->WriteLn(text.toStdString());
}

void TConsole::SetWorkDir(const QString& dir) {
  workDir_ = dir;
  ConsoleApp->WorkDir = dir.toStdString();
}

void TConsole::KillProcess(std::uint32_t exitCode) {
  ConsoleApp->Kill(exitCode);
}

void TConsole::ConsoleAppBeforeExecute() {
  SetOutputCaption("Executing");
}

void TConsole::ConsoleAppOutput(const std::string& chunk) {
  if (chunk.empty()) return;
  output_.Add(chunk);
  if (PageControl1->currentWidget() != OutputPage) Highlight(OutputPage, true);
  // The text is shown at most every kMemoRefreshMs, so a fast program does not hold up the
  // window; the last run's text is shown at its end in any case.
  memoStale_ = true;
  if (!memoTimer_->isActive()) memoTimer_->start();
}

void TConsole::RefreshMemo() {
  if (!memoStale_) return;
  memoStale_ = false;
  StopFullOutput();
  OutputMemo->setPlainText(MemoDisplay(output_.MemoText()));
  if (PageControl1->currentWidget() == OutputPage) ShowMemoEnd();
}

void TConsole::ShowMemoEnd() {
  OutputMemo->moveCursor(QTextCursor::End);
  OutputMemo->ensureCursorVisible();
}

void TConsole::ConsoleAppEOutput(const std::string& chunk) {
  if (chunk.empty()) return;
  auto lines = ErrorLines(chunk);
  ErrorList->setUpdatesEnabled(false);
  for (auto& line : lines) {
    // The line names the page, not its temporary copy; where it leads is kept with it.
    auto* item = new QTreeWidgetItem(ErrorList);
    if (const auto target = ErrorTarget(line, copyNames_)) {
      item->setData(0, kTargetFileRole, Qt(target->File));
      item->setData(0, kTargetLineRole, target->Line);
      item->setData(0, kTargetRunPageRole, target->RunPage);
    }
    line = WithPageName(line, copyNames_);
    item->setText(0, Qt(line));
  }
  ErrorList->setUpdatesEnabled(true);
  // A chunk of blank lines still refreshes the caption and the highlight.
  SetErrorsCaption();
  if (PageControl1->currentWidget() != Errors) Highlight(Errors, true);
  int width = ErrorList->viewport()->width() - 10;
  const QFontMetrics metrics(ErrorList->font());
  for (const auto& line : lines) width = std::max(width, metrics.horizontalAdvance(Qt(line)));
  ErrorList->setColumnWidth(0, width + 10);
}

void TConsole::SetErrorsCaption() {
  const int count = ErrorList->topLevelItemCount();
  PageControl1->setTabText(0, Text("Errors") + " (" + QString::number(count) + ")");
}

void TConsole::SetOutputCaption(const char* stateKey) {
  PageControl1->setTabText(1, Text("Output") + " (" + Text(stateKey) + ")");
}

// A program that cannot be started says why in the error list instead of seeming to run.
void TConsole::ConsoleAppError(std::uint32_t code, const std::string& message) {
  const QString program = Qt(ConsoleApp->Command);
  new QTreeWidgetItem(
      ErrorList,
      {tr("Cannot run %1: %2 (error %3)").arg(program.trimmed(), Qt(message)).arg(code)});
  SetErrorsCaption();
  PageControl1->setTabText(1, Text("Output"));
  PageControl1->setCurrentWidget(Errors);
  DeleteCopy();
  emit RunFinished();
}

void TConsole::ConsoleAppDone() {
  memoTimer_->stop();
  RefreshMemo();
  emit RunFinished();
  if (ErrorList->topLevelItemCount() == 0) SetErrorsCaption();
  SetOutputCaption("Finished");
  PageControl1->setTabToolTip(1, Qt(DescribeExitStatus(ConsoleApp->ExitStatus())));
  DeleteCopy();
}

// Deletes the run's copy, trying again for a while when it cannot be deleted yet.
void TConsole::DeleteCopy() {
  if (copyPath_.isEmpty()) return;
  QElapsedTimer waited;
  waited.start();
  while (QFile::exists(copyPath_) && waited.elapsed() < kDeleteWaitMs) {
    if (QFile::remove(copyPath_)) break;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(20);
  }
}

// ---------------------------------------------------------------- pages

bool TConsole::TabHighlighted(QWidget* page) const {
  const int index = PageControl1->indexOf(page);
  return index >= 0 && PageControl1->tabBar()->tabTextColor(index).isValid();
}

void TConsole::Highlight(QWidget* page, bool on) {
  const int index = PageControl1->indexOf(page);
  if (index < 0) return;
  PageControl1->tabBar()->setTabTextColor(index,
                                          on ? palette().color(QPalette::Highlight) : QColor());
}

void TConsole::PageControl1Change() {
  QWidget* page = PageControl1->currentWidget();
  Highlight(page, false);
  if (page == OutputPage) {
    RefreshMemo();
    ShowMemoEnd();
  }
  if (page != OutputHTML) DeleteHtmlCopy();
  if (page != OutputHTML || copyPath_.isEmpty()) return;
  htmlPath_ = copyPath_ + ".html";
  QFile file(htmlPath_);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  const std::string bytes = HtmlFileBytes(output_.FullOutput(), output_.DroppedBytes());
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  file.close();
  WebBrowser->Open(htmlPath_);
}

// The HTML page's file beside the document is the console's own: it goes when the page is
// left, at the next run and when the console goes.
void TConsole::DeleteHtmlCopy() {
  if (htmlPath_.isEmpty()) return;
  QFile::remove(htmlPath_);
  htmlPath_.clear();
}

void TConsole::ShowFull() {
  if (Running() || output_.Empty()) return;
  memoStale_ = false;
  memoTimer_->stop();
  fullOffset_ = 0;
  // The start shows at once, with the caret at its beginning; the rest follows.
  OutputMemo->setPlainText(MemoDisplay(output_.FullTextSlice(fullOffset_, kFirstSliceBytes)));
  fullTimer_->start();
}

bool TConsole::FillingFullOutput() const {
  return fullTimer_->isActive();
}

// Adds the next pieces of the full output to the end of the text, for at most kFullSliceMs; the
// caret and the view stay where the user has them.
void TConsole::FillFullOutput() {
  QElapsedTimer clock;
  clock.start();
  QTextCursor end(OutputMemo->document());
  end.movePosition(QTextCursor::End);
  do {
    const std::string slice = output_.FullTextSlice(fullOffset_, kSliceBytes);
    if (slice.empty()) {
      StopFullOutput();
      return;
    }
    end.insertText(MemoDisplay(slice));
  } while (clock.elapsed() < kFullSliceMs);
}

void TConsole::StopFullOutput() {
  fullTimer_->stop();
}

// Copy from the output text: without a selection every line, with one the selected text; line
// ends are LF, the text trimmed at both ends.
QString TConsole::MemoCopyText() const {
  const QTextCursor cursor = OutputMemo->textCursor();
  QString text = cursor.hasSelection() ? cursor.selection().toPlainText()
                                       : OutputMemo->toPlainText() + QLatin1Char('\n');
  return Trimmed(text);
}

void TConsole::ErrorListDoubleClick(QTreeWidgetItem* item) {
  if (!item) return;
  const int line = item->data(0, kTargetLineRole).toInt();
  if (line <= 0) return;
  const bool runPage = item->data(0, kTargetRunPageRole).toBool();
  QString file = item->data(0, kTargetFileRole).toString();
  // A file named relative to the run's folder.
  if (!runPage && !workDir_.isEmpty() && QFileInfo(file).isRelative())
    file = QDir(workDir_).filePath(file);
  emit ErrorLineActivated(file, line, runPage);
}

}  // namespace tervil
