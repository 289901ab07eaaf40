#include "ui/search/SearchController.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QLineEdit>
#include <QTimer>
#include <QToolBar>

#include "core/common/Paths.h"
#include "core/search/ConfirmPlacement.h"
#include "ui/app/MainForm.h"
#include "ui/app/MessageBox.h"
#include "ui/app/StatusPanels.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/search/SearchDialogs.h"

namespace tervil {

namespace {
// Search-as-you-type scans this long per turn, so that typing and painting keep going.
constexpr auto kFindSlice = std::chrono::milliseconds(8);
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
    : QObject(&window), window_(window), programFolder_(programFolder) {
  findTimer_ = new QTimer(this);
  findTimer_->setSingleShot(true);
  findTimer_->setInterval(0);
  connect(findTimer_, &QTimer::timeout, this, &TSearchController::ContinueFindText);
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

TSearchController::~TSearchController() = default;

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
  connect(actRepeatSearch, &QAction::triggered, this, [this] { Driver().RepeatSearch(); });
  connect(actSearchNext, &QAction::triggered, this, [this] { Driver().SearchNext(); });
  connect(actSearchPrev, &QAction::triggered, this, [this] { Driver().SearchPrevious(); });
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
  Driver().AcceptDialog(kind, values);
}

// ---- Search toolbar

void TSearchController::FindTextChange(const QString& text) {
  findTimer_->stop();
  SetFindTextFailed(false);
  if (!window_.CurrentPage()) return;
  ShowFindResult(
      Driver().FindTextChange(text.toStdString(), TIncrementalFind::TClock::now() + kFindSlice));
  FocusFindText();
}

void TSearchController::ContinueFindText() {
  ShowFindResult(Driver().ContinueFindText(TIncrementalFind::TClock::now() + kFindSlice));
}

void TSearchController::ShowFindResult(TIncrementalFind::TState state) {
  if (state == TIncrementalFind::TState::Pending) findTimer_->start();
  SetFindTextFailed(state == TIncrementalFind::TState::NotFound);
}

void TSearchController::FindTextKeyDown() {
  findTimer_->stop();
  Driver().RepeatSearch();
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
  QApplication::beep();
  const TTvlPage* page = window_.CurrentPage();
  TMessageBox::Show(&window_, page ? QFileInfo(page->Filename()).fileName() : QString(),
                    QString::fromStdString(text), mbOK, TMsgIcon::Information);
}

void TSearchController::ShowError(const std::string& text) {
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
