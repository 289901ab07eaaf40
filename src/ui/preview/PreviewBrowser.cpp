#include "ui/preview/PreviewBrowser.h"

#include <unistd.h>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScrollBar>
#include <QStackedLayout>
#include <QTextBrowser>

#include "core/common/Paths.h"
#include "core/preview/PreviewRules.h"

#ifdef TERVIL_HAVE_WEBENGINE
#include <QWebEnginePage>
#include <QWebEngineView>
#endif

namespace tervil {

namespace {

// The engine shows HTML text handed to it directly up to about 2 MB (as a data address); larger
// pages are shown from a copy.
constexpr qsizetype kDirectHtmlBytes = 1'400'000;

#ifdef TERVIL_HAVE_WEBENGINE
// The page of the preview: it goes only where the program sends it; a link the user clicks, or
// one that would open a window, opens in the system's browser.
class TPreviewPage : public QWebEnginePage {
 public:
  TPreviewPage(TPreviewBrowser& browser, QObject* parent)
      : QWebEnginePage(parent), browser_(browser) {}

  bool loading = false;  // a load the program started is under way

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
    if (!isMainFrame || loading || type == NavigationTypeReload) return true;
    // A jump to an anchor of the page itself stays in the page.
    if (url.hasFragment() &&
        url.adjusted(QUrl::RemoveFragment) == this->url().adjusted(QUrl::RemoveFragment))
      return true;
    if (type == NavigationTypeLinkClicked && browser_.OpenExternally) browser_.OpenExternally(url);
    return false;
  }

  QWebEnginePage* createWindow(WebWindowType) override {
    // The new window's first address goes to the system's browser instead.
    auto* popup = new QWebEnginePage(this);
    connect(popup, &QWebEnginePage::urlChanged, popup, [this, popup](const QUrl& url) {
      if (url.isEmpty()) return;
      if (browser_.OpenExternally) browser_.OpenExternally(url);
      popup->deleteLater();
    });
    return popup;
  }

 private:
  TPreviewBrowser& browser_;
};
#endif

}  // namespace

TPreviewBrowser::TPreviewBrowser(QWidget* parent) : QWidget(parent) {
  OpenExternally = [](const QUrl& url) { QDesktopServices::openUrl(url); };
  stack_ = new QStackedLayout(this);
  stack_->setContentsMargins(0, 0, 0, 0);
  note_ = new QLabel(this);
  note_->setAlignment(Qt::AlignCenter);
  note_->setWordWrap(true);
  note_->setObjectName("PreviewNote");
  note_->setAutoFillBackground(true);
  note_->setBackgroundRole(QPalette::Base);
  stack_->addWidget(note_);
}

void TPreviewBrowser::CreateEngine() {
  if (triedEngine_) return;
  triedEngine_ = true;
#ifdef TERVIL_HAVE_WEBENGINE
  if (qEnvironmentVariableIsSet("TERVIL_NO_BROWSER_ENGINE")) return UseFallback();
  // The engine's sandbox refuses to start for the superuser; run without it there.
  if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  auto* view = new QWebEngineView(this);
  auto* page = new TPreviewPage(*this, view);
  view->setPage(page);
  connect(view, &QWebEngineView::loadFinished, this, &TPreviewBrowser::Loaded);
  connect(page, &QWebEnginePage::renderProcessTerminated, this,
          [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
            if (status != QWebEnginePage::NormalTerminationStatus) UseFallback();
          });
  stack_->addWidget(view);
  engine_ = view;
#else
  UseFallback();
#endif
}

void TPreviewBrowser::UseFallback() {
  if (!fallback_) {
    fallback_ = new QTextBrowser(this);
    fallback_->setOpenLinks(false);
    connect(fallback_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
      if (url.hasFragment() && url.path().isEmpty())
        fallback_->scrollToAnchor(url.fragment());
      else if (OpenExternally)
        OpenExternally(url);
    });
    stack_->addWidget(fallback_);
  }
  if (engine_) {
    engine_->deleteLater();
    engine_ = nullptr;
    ShowLast();
  }
}

void TPreviewBrowser::ShowLast() {
  if (!url_.isEmpty())
    ShowUrl(url_);
  else if (!html_.isNull())
    ShowHtml(html_, base_);
}

void TPreviewBrowser::RememberScroll(bool keep) {
  if (!keep) {
    scroll_ = QPointF();
    restoreScroll_ = false;
    return;
  }
#ifdef TERVIL_HAVE_WEBENGINE
  if (auto* view = qobject_cast<QWebEngineView*>(engine_)) {
    // Only a page that has been shown has a position worth keeping.
    if (stack_->currentWidget() == view && !restoreScroll_)
      scroll_ = view->page()->scrollPosition();
    restoreScroll_ = true;
  }
#endif
}

void TPreviewBrowser::ShowHtml(const QString& html, const QUrl& base, bool keepScroll) {
  CreateEngine();
  html_ = html;
  base_ = base;
  url_.clear();
#ifdef TERVIL_HAVE_WEBENGINE
  if (auto* view = qobject_cast<QWebEngineView*>(engine_)) {
    RememberScroll(keepScroll);
    static_cast<TPreviewPage*>(view->page())->loading = true;
    stack_->setCurrentWidget(view);
    const QByteArray bytes = html.toUtf8();
    if (bytes.size() <= kDirectHtmlBytes) {
      view->setHtml(html, base);
      return;
    }
    if (tempCopy_.isEmpty()) {
      tempCopy_ = QString::fromStdString(TempDirectory()) +
                  QStringLiteral("/preview-%1.html").arg(::getpid());
      QDir().mkpath(QString::fromStdString(TempDirectory()));
    }
    QFile copy(tempCopy_);
    if (copy.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
      copy.write(QByteArray::fromStdString(
          WithBaseElement(bytes.toStdString(), base.toString(QUrl::FullyEncoded).toStdString())));
      copy.close();
      view->load(QUrl::fromLocalFile(tempCopy_));
    } else {
      ShowNote(tr("The preview cannot write its copy of the page: %1").arg(copy.errorString()));
    }
    return;
  }
#endif
  if (!fallback_) return;
  const int scroll = keepScroll && stack_->currentWidget() == fallback_
                         ? fallback_->verticalScrollBar()->value()
                         : 0;
  fallback_->setSearchPaths({base.toLocalFile()});
  fallback_->document()->setBaseUrl(base);
  fallback_->setHtml(html);
  stack_->setCurrentWidget(fallback_);
  fallback_->verticalScrollBar()->setValue(scroll);
  emit PageLoaded(true);
}

void TPreviewBrowser::ShowUrl(const QUrl& url, bool keepScroll) {
  CreateEngine();
  url_ = url;
  html_.clear();
#ifdef TERVIL_HAVE_WEBENGINE
  if (auto* view = qobject_cast<QWebEngineView*>(engine_)) {
    RememberScroll(keepScroll);
    static_cast<TPreviewPage*>(view->page())->loading = true;
    stack_->setCurrentWidget(view);
    // The same address again is a new run of the script: nothing may come from a cache.
    if (view->url() == url)
      view->page()->triggerAction(QWebEnginePage::ReloadAndBypassCache);
    else
      view->load(url);
    return;
  }
#endif
  ShowNote(tr("Pages of the PHP server need the browser engine, which cannot start here."));
  emit PageLoaded(false);
}

void TPreviewBrowser::ShowNote(const QString& note) {
  note_->setText(note);
  stack_->setCurrentWidget(note_);
  restoreScroll_ = false;
  scroll_ = QPointF();
}

QString TPreviewBrowser::Note() const {
  return note_->text();
}

bool TPreviewBrowser::ShowsNote() const {
  return stack_->currentWidget() == note_;
}

void TPreviewBrowser::Loaded(bool ok) {
#ifdef TERVIL_HAVE_WEBENGINE
  if (auto* view = qobject_cast<QWebEngineView*>(engine_)) {
    static_cast<TPreviewPage*>(view->page())->loading = false;
    if (restoreScroll_ && !scroll_.isNull())
      view->page()->runJavaScript(
          QStringLiteral("window.scrollTo(%1, %2);").arg(scroll_.x()).arg(scroll_.y()));
    restoreScroll_ = false;
  }
#endif
  emit PageLoaded(ok);
}

void TPreviewBrowser::PageText(std::function<void(const QString&)> done) const {
  if (ShowsNote()) return done(note_->text());
#ifdef TERVIL_HAVE_WEBENGINE
  if (auto* view = qobject_cast<QWebEngineView*>(engine_)) {
    view->page()->toPlainText([done](const QString& text) { done(text); });
    return;
  }
#endif
  done(fallback_ ? fallback_->toPlainText() : QString());
}

void TPreviewBrowser::RunScript(const QString& script,
                                std::function<void(const QString&)> done) const {
#ifdef TERVIL_HAVE_WEBENGINE
  if (auto* view = qobject_cast<QWebEngineView*>(engine_)) {
    view->page()->runJavaScript(script,
                                [done](const QVariant& result) { done(result.toString()); });
    return;
  }
#endif
  done(QString());
}

}  // namespace tervil
