#include "ui/search/SearchController.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "core/common/Paths.h"
#include "core/search/ConfirmPlacement.h"
#include "core/search/SearchWorker.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/app/StatusPanels.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/search/SearchDialogs.h"

namespace tervil {

namespace {
// The multi-replace progress is shown again after this many milliseconds at the earliest.
constexpr int kProgressInterval = 50;
const QColor kFailedFindColor(255, 128, 128);

QAction* NewAction(QObject* owner, const QString& caption, const char* icon,
                   const QString& shortcut, const QString& hint) {
  auto* action = new QAction(QIcon::fromTheme(icon), caption, owner);
  if (!shortcut.isEmpty()) action->setShortcut(QKeySequence(shortcut));
  action->setStatusTip(hint);
  action->setToolTip(hint);
  return action;
}
}  // namespace

TSearchController::TSearchController(TTervilMain& window, const QString& programFolder)
    : QObject(&window),
      window_(window),
      programFolder_(programFolder),
      worker_(std::make_unique<TSearchWorker>()) {
  busyTimer_ = new QTimer(this);
  busyTimer_->setInterval(50);
  connect(busyTimer_, &QTimer::timeout, this, &TSearchController::ShowBusyBoxWhenLong);
  CreateActions();
  CreateToolbar();
  // The commands follow what they depend on as it changes: the current page, the find box and
  // the last search (set by the commands themselves).
  connect(&window_, &TTervilMain::StatusRefreshed, this, &TSearchController::UpdateActions);
  connect(findText_, &QLineEdit::textChanged, this, &TSearchController::UpdateActions);
  for (QAction* action :
       {actFind, actReplace, actMultiReplace, actRepeatSearch, actSearchNext, actSearchPrev})
    connect(action, &QAction::triggered, this, &TSearchController::UpdateActions);
  UpdateActions();
}

TSearchController::~TSearchController() {
  worker_->Stop();
  driver_.reset();  // it hands the text change guards back while the pages still exist
}

TSearchDriver& TSearchController::Driver() {
  // The configuration that holds the search state comes after the menus.
  if (!driver_)
    driver_ = std::make_unique<TSearchDriver>(
        window_.Configuration().SearchState, *this, window_.Message("TextNotFound").toStdString(),
        std::vector<std::string>{UserReplaceDefinitionFolder(),
                                 (programFolder_ + "/format").toStdString()});
  return *driver_;
}

void TSearchController::CreateActions() {
  actFind = NewAction(this, tr("Find..."), "edit-find", "Ctrl+F", tr("Find text"));
  actReplace = NewAction(this, tr("Replace..."), "edit-find-replace", "Ctrl+R", tr("Replace text"));
  actMultiReplace = NewAction(this, tr("Multi-Replace..."), "edit-find-replace", "",
                              tr("Replace text with the pairs of a definition file"));
  actRepeatSearch =
      NewAction(this, tr("Repeat Search"), "edit-find", "F3", tr("Find the text again"));
  actSearchNext = NewAction(this, tr("Search Next"), "go-down", "", tr("Find Next"));
  actSearchPrev = NewAction(this, tr("Search Previous"), "go-up", "", tr("Find Previous"));
  actSearchToolbar = NewAction(this, tr("Search"), "", "", tr("Show or hide the search toolbar"));
  actSearchToolbar->setCheckable(true);
  connect(actFind, &QAction::triggered, this, [this] { ShowSearchDialog(TSearchKind::skFind); });
  connect(actReplace, &QAction::triggered, this,
          [this] { ShowSearchDialog(TSearchKind::skReplace); });
  connect(actMultiReplace, &QAction::triggered, this,
          [this] { ShowSearchDialog(TSearchKind::skMultiReplace); });
  connect(actRepeatSearch, &QAction::triggered, this,
          [this] { RunCommand([this] { Driver().RepeatSearch(); }); });
  connect(actSearchNext, &QAction::triggered, this,
          [this] { RunCommand([this] { Driver().SearchNext(); }); });
  connect(actSearchPrev, &QAction::triggered, this,
          [this] { RunCommand([this] { Driver().SearchPrevious(); }); });
  connect(actSearchToolbar, &QAction::triggered, this,
          [this](bool on) { searchToolbar_->setVisible(on); });
}

void TSearchController::CreateToolbar() {
  searchToolbar_ = new QToolBar(tr("Search Toolbar"), &window_);
  searchToolbar_->setObjectName("SearchToolbar");
  findText_ = new QLineEdit(searchToolbar_);
  findText_->setObjectName("FindText");
  findText_->setFocusPolicy(Qt::ClickFocus);  // Tab passes it by
  findText_->setClearButtonEnabled(true);
  findText_->setMaximumWidth(240);
  findText_->setPlaceholderText(tr("Find"));
  searchToolbar_->addActions({actSearchNext, actSearchPrev, actFind});
  searchToolbar_->addWidget(findText_);
  searchToolbar_->addAction(actReplace);
  connect(findText_, &QLineEdit::textEdited, this, &TSearchController::FindTextChange);
  connect(findText_, &QLineEdit::returnPressed, this, &TSearchController::FindTextKeyDown);
  findText_->installEventFilter(this);  // Esc stops its search
  connect(searchToolbar_, &QToolBar::visibilityChanged, actSearchToolbar, &QAction::setChecked);
}

void TSearchController::UpdateActions() {
  const bool page = window_.CurrentPage() != nullptr;
  actMultiReplace->setEnabled(page);
  actSearchNext->setEnabled(page && !findText_->text().isEmpty());
  actSearchPrev->setEnabled(actSearchNext->isEnabled());
  // The search state comes with the configuration, after the menus; no search before it.
  actRepeatSearch->setEnabled(page && driver_ && !driver_->State().SearchText.empty());
  actSearchToolbar->setChecked(searchToolbar_->isVisible());
}

std::unique_ptr<TTextSearchDialog> TSearchController::NewDialog(TSearchKind kind) {
  if (kind == TSearchKind::skFind) return std::make_unique<TTextSearchDialog>(&window_);
  if (kind == TSearchKind::skReplace) return std::make_unique<TTextReplaceDialog>(&window_);
  // The user's own folder exists, so that the note can send the user there.
  const std::string userFolder = Driver().DefinitionFolders().front();
  EnsureDirectory(userFolder, 0755);
  return std::make_unique<TTextMultiReplaceDialog>(Driver().DefinitionFiles(),
                                                   QString::fromStdString(userFolder), &window_);
}

void TSearchController::ShowSearchDialog(TSearchKind kind) {
  if (!window_.CurrentPage()) return;
  SetStatusText({});
  std::unique_ptr<TTextSearchDialog> dialog = NewDialog(kind);
  dialog->SetValues(Driver().DialogPreset(kind));
  if (dialog->exec() != QDialog::Accepted) return;
  const TSearchDialogValues values = dialog->Values();
  dialog.reset();
  RunCommand([&] { Driver().AcceptDialog(kind, values); });
}

// ---- Searching off the window thread

void TSearchController::RunCommand(const std::function<void()>& command) {
  if (busyDepth_ > 0) return;  // one search command at a time
  BeginBusy();
  struct TEnd {
    TSearchController* self;
    ~TEnd() { self->EndBusy(); }
  } end{this};
  command();
}

void TSearchController::BeginBusy() {
  if (busyDepth_++ > 0) return;
  stopRequested_ = false;
  busyClock_.start();
  progressClock_.invalidate();
  qApp->installEventFilter(this);
  busyTimer_->start();
}

void TSearchController::EndBusy() {
  if (--busyDepth_ > 0) return;
  busyTimer_->stop();
  qApp->removeEventFilter(this);
  HideBusyBox();
}

void TSearchController::RunSearchWork(const TSearchWork& work) {
  BeginBusy();
  struct TEnd {
    TSearchController* self;
    ~TEnd() { self->EndBusy(); }
  } end{this};
  if (stopRequested_) throw TSearchCancelled();
  // The end of the work comes back to this thread as an event, which ends the loop below.
  // The worker's thread may drop the last copy of this state: it holds no Qt object.
  struct TWait {
    bool finished = false;
    std::exception_ptr error;
    QPointer<QEventLoop> loop;
  };
  QEventLoop loop;
  auto wait = std::make_shared<TWait>();
  wait->loop = &loop;
  worker_->Start(work, [this, wait](std::exception_ptr error) {
    QMetaObject::invokeMethod(
        this,
        [wait, error] {
          wait->error = error;
          wait->finished = true;
          if (wait->loop) wait->loop->quit();
        },
        Qt::QueuedConnection);
  });
  waiting_ = true;
  while (!wait->finished) loop.exec();
  waiting_ = false;
  if (wait->error) std::rethrow_exception(wait->error);
}

void TSearchController::StartSearchWork(TSearchWork work,
                                        std::function<void(std::exception_ptr)> done) {
  worker_->Start(std::move(work), [this, done = std::move(done)](std::exception_ptr error) {
    QMetaObject::invokeMethod(
        this, [done, error] { done(error); }, Qt::QueuedConnection);
  });
}

void TSearchController::StopSearchWork() {
  worker_->Stop();
}

bool TSearchController::SearchProgress(std::size_t done, std::size_t total) {
  if (busyBox_ && busyBox_->isVisible() &&
      (!progressClock_.isValid() || progressClock_.elapsed() >= kProgressInterval)) {
    progressClock_.start();
    busyText_->setText(tr("Replacing: line %1 of %2").arg(done + 1).arg(total));
    busyBar_->setRange(0, static_cast<int>(std::min<std::size_t>(total, INT_MAX)));
    busyBar_->setValue(static_cast<int>(std::min<std::size_t>(done, INT_MAX)));
  }
  return !stopRequested_;
}

void TSearchController::StopRequested() {
  stopRequested_ = true;
  worker_->Stop();
  SetStatusText(TResourceStrings(SearchMessages()).Lookup("SearchStopped"));
}

QDialog* TSearchController::BusyBox() const {
  return busyBox_.data();
}

void TSearchController::ShowBusyBoxWhenLong() {
  if (!waiting_ || stopRequested_ || busyClock_.elapsed() < kBusyBoxDelay) return;
  if (busyBox_ && busyBox_->isVisible()) return;
  if (!busyBox_) {
    busyBox_ = new QDialog(&window_);
    busyBox_->setObjectName("SearchBusyBox");
    busyBox_->setWindowTitle(tr("Search"));
    busyBox_->setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(busyBox_);
    busyText_ = new QLabel(busyBox_);
    busyBar_ = new QProgressBar(busyBox_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, busyBox_);
    layout->addWidget(busyText_);
    layout->addWidget(busyBar_);
    layout->addWidget(buttons);
    // Cancel, Esc and closing the box all reject it.
    connect(buttons, &QDialogButtonBox::rejected, busyBox_.data(), &QDialog::reject);
    connect(busyBox_.data(), &QDialog::rejected, this, &TSearchController::StopRequested);
  }
  busyText_->setText(tr("Searching... (Esc stops the search)"));
  busyBar_->setRange(0, 0);
  busyBox_->show();
}

void TSearchController::HideBusyBox() {
  if (busyBox_ && busyBox_->isVisible()) {
    // Hidden by the program, not rejected by the user.
    const QSignalBlocker blocker(busyBox_.data());
    busyBox_->hide();
  }
}

bool TSearchController::IsWindowInput(QObject* watched, QEvent* event) const {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::Drop:
    case QEvent::Close:
      break;
    default:
      return false;
  }
  // Actions of the menus answer shortcuts; widgets of other windows (the replace question, the
  // busy box, message boxes) keep their input.
  if (!watched->isWidgetType()) return event->type() == QEvent::Shortcut;
  return static_cast<QWidget*>(watched)->window() == &window_;
}

bool TSearchController::eventFilter(QObject* watched, QEvent* event) {
  if (watched == findText_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && busyDepth_ == 0) {
    if (Driver().FindTextPending()) {
      Driver().CancelFindText();
      SetStatusText(TResourceStrings(SearchMessages()).Lookup("SearchStopped"));
      return true;
    }
    return false;
  }
  if (busyDepth_ == 0 || !IsWindowInput(watched, event)) return false;
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !stopRequested_)
    StopRequested();
  // Held back: the search reads the text, which must not change under it.
  event->accept();
  if (event->type() == QEvent::Close) event->ignore();
  return true;
}

// ---- Search toolbar

void TSearchController::FindTextChange(const QString& text) {
  SetFindTextFailed(false);
  if (!window_.CurrentPage()) return;
  ShowFindResult(Driver().StartFindText(text.toStdString()));
  FocusFindText();
}

void TSearchController::FindTextDone(TIncrementalFind::TState state) {
  ShowFindResult(state);
}

void TSearchController::ShowFindResult(TIncrementalFind::TState state) {
  SetFindTextFailed(state == TIncrementalFind::TState::NotFound);
}

void TSearchController::FindTextKeyDown() {
  RunCommand([this] { Driver().RepeatSearch(); });
  FocusFindText();
}

void TSearchController::FocusFindText() {
  findText_->setFocus();
  findText_->end(false);
}

void TSearchController::SetFindTextFailed(bool failed) {
  QPalette palette = findText_->palette();
  palette.setColor(QPalette::Base, failed ? kFailedFindColor
                                          : QApplication::palette(findText_).color(QPalette::Base));
  findText_->setPalette(palette);
}

bool TSearchController::FindTextFailed() const {
  return findText_->palette().color(QPalette::Base) == kFailedFindColor;
}

// ---- TSearchHost

TEditorModel* TSearchController::SearchModel() {
  TTvlPage* page = window_.CurrentPage();
  return page ? &page->Model() : nullptr;
}

void TSearchController::SetStatusText(const std::string& text) {
  window_.StatusPanels()->SetPanelText(0, QString::fromStdString(text));
}

void TSearchController::ShowNotFound(const std::string& text) {
  HideBusyBox();
  QApplication::beep();
  const TTvlPage* page = window_.CurrentPage();
  TMessageBox::Show(&window_, page ? QFileInfo(page->Filename()).fileName() : QString(),
                    QString::fromStdString(text), mbOK, TMsgIcon::Information);
}

void TSearchController::ShowError(const std::string& text) {
  HideBusyBox();
  TMessageBox::Error(&window_, QString::fromStdString(text));
}

void TSearchController::FocusEditor() {
  if (TTvlPage* page = window_.CurrentPage()) page->FocusEditor();
}

void TSearchController::SetFindBoxText(const std::string& text) {
  findText_->setText(QString::fromStdString(text));
}

TReplaceAction TSearchController::ConfirmReplace(const std::string& search, int line, int column) {
  TTvlPage* page = window_.CurrentPage();
  if (!page) return TReplaceAction::raCancel;
  HideBusyBox();
  busyClock_.start();  // the time of the answer is no search time
  TTvlEdit* editor = page->TvlEdit();
  TConfirmReplaceDialog dialog(QString::fromStdString(search), &window_);
  dialog.adjustSize();
  const QPoint at = editor->viewport()->mapToGlobal(editor->BufferPosToPixels({column, line}));
  const QPoint client = window_.mapToGlobal(QPoint(0, 0));
  const TScreenPoint place = ConfirmDialogPlace(
      {client.x(), client.y(), window_.width(), window_.height()},
      {at.x(), at.y(), 0, editor->TextHeight()}, dialog.width(), dialog.height());
  return dialog.Ask(QPoint(place.X, place.Y));
}

}  // namespace tervil
