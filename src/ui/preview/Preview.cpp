#include "ui/preview/Preview.h"

#include <QAction>
#include <QFileInfo>
#include <QHideEvent>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include "core/preview/PreviewRules.h"
#include "core/process/RunCommands.h"
#include "ui/app/MainForm.h"
#include "ui/documents/TvlPage.h"
#include "ui/generators/GeneratorIcons.h"
#include "ui/preview/PhpServer.h"
#include "ui/preview/PreviewBrowser.h"

namespace tervil {

namespace {

std::string PathOf(const TTvlPage* page) {
  return page ? page->Filename().toStdString() : std::string();
}

TPreviewKind KindOf(const TTvlPage* page) {
  return page ? PreviewKindOf(PathOf(page)) : TPreviewKind::None;
}

// A triangle on a page: run the script.
QIcon RunPhpIcon() {
  if (QIcon::hasThemeIcon("system-run")) return QIcon::fromTheme("system-run");
  return SvgIcon(R"(<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24">
<path d="M7 4l13 8-13 8z" fill="#3a8a3a" stroke="#235223" stroke-width="1.2"/></svg>)");
}

}  // namespace

TPreview::TPreview(TTervilMain& main) : TToolForm(tr("Preview"), "Preview", &main), main_(main) {
  SetSizeLimits(150, QWIDGETSIZE_MAX, 100, QWIDGETSIZE_MAX);
  SetStartSize(QSize(400, 300));

  auto* content = new QWidget(this);
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* bar = new QToolBar(content);
  bar->setObjectName("PreviewToolBar");
  bar->setIconSize(QSize(16, 16));
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  actRunPhp_ = bar->addAction(RunPhpIcon(), tr("Run PHP"));
  actRunPhp_->setObjectName("actRunPhp");
  actRunPhp_->setCheckable(true);
  actRunPhp_->setToolTip(tr("Run PHP pages through PHP's web server, now and at each save"));
  actRunPhp_->setStatusTip(actRunPhp_->toolTip());
  connect(actRunPhp_, &QAction::toggled, this, &TPreview::RunPhpToggled);
  layout->addWidget(bar);
  browser_ = new TPreviewBrowser(content);
  layout->addWidget(browser_, 1);
  setWidget(content);

  server_ = new TPhpServer(this);
  connect(server_, &TPhpServer::Ready, this, [this] {
    if (!phpPending_ || !shown_ || KindOf(shown_) != TPreviewKind::Php) return;
    phpPending_ = false;
    loadLimit_->start(LoadLimitMs);
    browser_->ShowUrl(server_->UrlOf(shown_->Filename()), shownName_ == shown_->Filename());
  });
  connect(server_, &TPhpServer::Ended, this, [this](const QString& why) {
    phpPending_ = false;
    loadLimit_->stop();
    browser_->ShowNote(tr("The PHP server has ended.") + (why.isEmpty() ? "" : "\n\n" + why));
  });
  connect(browser_, &TPreviewBrowser::PageLoaded, this, [this] { loadLimit_->stop(); });

  pause_ = new QTimer(this);
  pause_->setSingleShot(true);
  pause_->setInterval(kPreviewPauseMs);
  connect(pause_, &QTimer::timeout, this, [this] { Refresh(true); });
  follow_ = new QTimer(this);
  follow_->setSingleShot(true);
  follow_->setInterval(0);
  connect(follow_, &QTimer::timeout, this, [this] {
    TTvlPage* page = main_.CurrentPage();
    if (page != current_ || (page && page->Filename() != currentName_)) Follow(page);
  });
  loadLimit_ = new QTimer(this);
  loadLimit_->setSingleShot(true);
  connect(loadLimit_, &QTimer::timeout, this, &TPreview::LoadTimedOut);
}

TPreview::~TPreview() = default;

void TPreview::PageChanged(TTvlPage* page) {
  // Called at every caret move: only a page switch or a new file name matters. A page being
  // opened passes through states (no name yet) that are not followed: the preview follows the
  // current page once the window's work of the moment is over.
  if (page == current_ && (!page || page->Filename() == currentName_)) return;
  if (!follow_->isActive()) follow_->start();
}

// The current page decides what is shown: its own rendering, or (a stylesheet or script) the
// HTML page shown before.
void TPreview::Follow(TTvlPage* page) {
  current_ = page;
  currentName_ = page ? page->Filename() : QString();
  const TPreviewKind kind = KindOf(page);
  if (kind == TPreviewKind::Asset && shown_) return;
  if (page == shown_ && page && page->Filename() == shownName_) return;
  shown_ = (kind == TPreviewKind::Markup || kind == TPreviewKind::Php) ? page : nullptr;
  stale_ = true;
  if (isVisible()) Refresh(false);
}

void TPreview::TextChanged(TTvlPage* page) {
  if (!page) return;
  const TPreviewKind kind = KindOf(page);
  const bool follows =
      (page == shown_ && kind == TPreviewKind::Markup) ||
      (kind == TPreviewKind::Asset && shown_ && KindOf(shown_) == TPreviewKind::Markup);
  if (!follows) return;
  if (!isVisible()) {
    stale_ = true;
    return;
  }
  if (kind == TPreviewKind::Asset) {
    // Only a page that uses the stylesheet or script is refreshed (checked after the pause).
    pendingAsset_ = page;
  }
  pause_->start();
}

void TPreview::PageSaved(TTvlPage* page) {
  if (!page) return;
  if (page == current_ && page->Filename() != shownName_) {
    Follow(page);  // saved under another name or type
    return;
  }
  const TPreviewKind kind = KindOf(page);
  if (!isVisible()) {
    if (page == shown_ || kind == TPreviewKind::Asset) stale_ = true;
    return;
  }
  if (page == shown_ && kind == TPreviewKind::Php) {
    RefreshPhp(true);
  } else if (kind == TPreviewKind::Asset && shown_) {
    pendingAsset_ = page;
    Refresh(true);
  }
}

void TPreview::Refresh(bool keepScroll) {
  pause_->stop();
  stale_ = false;
  if (!shown_) {
    server_->Stop();
    browser_->ShowNote(current_ ? tr("This page has no preview.") : tr("No page is open."));
    shownName_.clear();
    return;
  }
  if (pendingAsset_) {
    // A stylesheet or script changed: refresh only a page that uses it.
    const std::string asset = PathOf(pendingAsset_);
    pendingAsset_ = nullptr;
    if (KindOf(shown_) != TPreviewKind::Markup ||
        !UsesAsset(shown_->Model().Text(), PathOf(shown_), asset))
      return;
  }
  if (KindOf(shown_) == TPreviewKind::Php)
    RefreshPhp(keepScroll);
  else
    RefreshMarkup(keepScroll);
}

void TPreview::RefreshMarkup(bool keepScroll) {
  server_->Stop();
  const bool samePage = shownName_ == shown_->Filename();
  shownName_ = shown_->Filename();
  const std::string path = PathOf(shown_);
  // Stylesheets and scripts open with unsaved changes are shown as they are in the editor.
  std::vector<std::pair<std::string, std::string>> edited;
  for (TTvlPage* page : main_.EditorPages()) {
    if (KindOf(page) == TPreviewKind::Asset && page->Model().Modified())
      edited.emplace_back(PathOf(page), page->Model().Text());
  }
  const std::string html = InlineEditedAssets(shown_->Model().Text(), path, edited);
  const std::string folder = PreviewBaseFolder(path);
  const QUrl base = folder.empty() ? QUrl() : QUrl::fromLocalFile(QString::fromStdString(folder));
  browser_->ShowHtml(QString::fromStdString(html), base, keepScroll && samePage);
}

void TPreview::RefreshPhp(bool keepScroll) {
  Q_UNUSED(keepScroll);
  if (!actRunPhp_->isChecked()) {
    server_->Stop();
    shownName_ = shown_->Filename();
    browser_->ShowNote(
        tr("PHP pages are run only when you ask for it: switch \"Run PHP\" on to "
           "see this page's output (it is run again at each save)."));
    return;
  }
  if (!QFileInfo(shown_->Filename()).isAbsolute() || !QFileInfo::exists(shown_->Filename())) {
    browser_->ShowNote(tr("Save the page to run it."));
    return;
  }
  const TRunPrograms programs(main_.Configuration().PhpPath, {});
  if (programs.PhpInterpreter().empty()) {
    browser_->ShowNote(tr("No PHP interpreter is configured or found on the search path."));
    return;
  }
  QString error;
  phpPending_ = true;
  if (!server_->Serve(programs.PhpInterpreter(), QFileInfo(shown_->Filename()).absolutePath(),
                      error)) {
    phpPending_ = false;
    browser_->ShowNote(error);
  }
  // The page loads when the server is ready (with the scroll kept for the same page).
}

void TPreview::RunPhpToggled(bool on) {
  if (!on) {
    server_->Stop();
    phpPending_ = false;
  }
  if (isVisible() && shown_ && KindOf(shown_) == TPreviewKind::Php) Refresh(false);
}

void TPreview::LoadTimedOut() {
  // A script that hangs or prints without end is cut off: the server and what it started stop.
  server_->Stop();
  phpPending_ = false;
  browser_->ShowNote(tr("The page did not finish within %1 seconds; the PHP server was stopped.")
                         .arg(LoadLimitMs / 1000));
}

void TPreview::showEvent(QShowEvent* event) {
  TToolForm::showEvent(event);
  if (current_ != main_.CurrentPage()) {
    Follow(main_.CurrentPage());
    if (!stale_) return;
  }
  if (stale_) Refresh(false);
}

void TPreview::hideEvent(QHideEvent* event) {
  TToolForm::hideEvent(event);
  if (event->spontaneous()) return;  // the main window was minimized
  // A closed preview runs nothing.
  pause_->stop();
  loadLimit_->stop();
  phpPending_ = false;
  server_->Stop();
  stale_ = true;
}

}  // namespace tervil
