#include "ui/preview/PhpLintMarks.h"

#include <QTimer>

#include "core/preview/PhpLint.h"
#include "core/preview/PreviewRules.h"
#include "core/process/RunCommands.h"
#include "ui/app/MainForm.h"
#include "ui/app/StatusPanels.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"

namespace tervil {

namespace {
constexpr int kHintPanel = 0;

bool IsPhp(const TTvlPage* page) {
  return page && IsPhpPage(page->Filename().toStdString());
}
}  // namespace

TPhpLintMarks::TPhpLintMarks(TTervilMain& main) : QObject(&main), main_(main) {
  linter_ = std::make_unique<TPhpLinter>([this](std::function<void()> work) {
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
  });
  pause_ = new QTimer(this);
  pause_->setSingleShot(true);
  pause_->setInterval(kLintPauseMs);
  connect(pause_, &QTimer::timeout, this, [this] {
    if (waiting_) Check(waiting_);
  });
}

TPhpLintMarks::~TPhpLintMarks() = default;

void TPhpLintMarks::TextChanged(TTvlPage* page) {
  if (!IsPhp(page)) return;
  // The check under way is about a text that is gone.
  if (waiting_ == page || !pause_->isActive()) linter_->Cancel();
  waiting_ = page;
  pause_->start();
}

void TPhpLintMarks::PageSaved(TTvlPage* page) {
  if (IsPhp(page)) {
    Check(page);
  } else if (page && !page->TvlEdit()->LineMarks().empty()) {
    page->TvlEdit()->SetLineMarks({});  // saved as another type
    ShowInStatusBar(page);
  }
}

void TPhpLintMarks::PageChanged(TTvlPage* page) {
  if (page == current_) return;
  current_ = page;
  ShowInStatusBar(page);
  // A PHP page that comes to the front (opened, say) is checked after the pause.
  if (IsPhp(page) && !pause_->isActive()) {
    waiting_ = page;
    pause_->start();
  }
}

void TPhpLintMarks::Check(TTvlPage* page) {
  if (!IsPhp(page)) return;
  if (waiting_ == page) pause_->stop();
  const TRunPrograms programs(main_.Configuration().PhpPath, {});
  if (programs.PhpInterpreter().empty()) return;  // no PHP: silent
  QPointer<TTvlPage> target(page);
  linter_->Check(programs.PhpInterpreter(), page->Model().Text(),
                 [this, target](const TLintResult& result) {
                   if (target) Done(target, result);
                 });
}

void TPhpLintMarks::Done(TTvlPage* page, const TLintResult& result) {
  if (!result.completed) return;  // PHP did not run or was cut off: the marks stay as they are
  std::vector<TLineMark> marks;
  if (result.error) marks.push_back({result.error->line, result.error->message});
  page->TvlEdit()->SetLineMarks(std::move(marks));
  if (page == main_.CurrentPage()) ShowInStatusBar(page);
  emit Checked(page);
}

void TPhpLintMarks::ShowInStatusBar(TTvlPage* page) {
  TStatusPanels* panels = main_.StatusPanels();
  if (!panels) return;
  QString hint;
  if (page && !page->TvlEdit()->LineMarks().empty()) {
    const TLineMark& mark = page->TvlEdit()->LineMarks().front();
    hint = tr("Line %1: %2").arg(mark.Line).arg(QString::fromStdString(mark.Message));
  }
  // Only the text a mark put there is replaced; other hints stay.
  if (hint.isEmpty() && panels->PanelText(kHintPanel) != shownHint_) return;
  panels->SetPanelText(kHintPanel, hint);
  shownHint_ = hint;
}

}  // namespace tervil
