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
#include "ui/browser/BrowserPage.h"

namespace tervil {

namespace {

// The engine shows HTML text handed to it directly up to about 2 MB (as a data address); larger
// pages are shown from a copy.
constexpr qsizetype kDirectHtmlBytes = 1'400'000;

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
  if (qEnvironmentVariableIsSet("TERVIL_NO_BROWSER_ENGINE")) return UseFallback();
  TBrowserPage* view = CreateBrowserPage(this);
  if (!view) return UseFallback();
  view->OnLinkClicked = [this](const QUrl& url) {
    if (OpenExternally) OpenExternally(url);
  };
  view->OnLoaded = [this](bool ok) { Loaded(ok); };
  view->OnRendererFailed = [this] { UseFallback(); };
  stack_->addWidget(view);
  engine_ = view;
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
  if (engine_) {
    // Only a page that has been shown has a position worth keeping.
    if (stack_->currentWidget() == engine_ && !restoreScroll_) scroll_ = engine_->ScrollPosition();
    restoreScroll_ = true;
  }
}

void TPreviewBrowser::ShowHtml(const QString& html, const QUrl& base, bool keepScroll) {
  CreateEngine();
  html_ = html;
  base_ = base;
  url_.clear();
  if (TBrowserPage* view = engine_) {
    RememberScroll(keepScroll);
    stack_->setCurrentWidget(view);
    const QByteArray bytes = html.toUtf8();
    if (bytes.size() <= kDirectHtmlBytes) {
      view->SetHtml(html, base);
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
      view->Load(QUrl::fromLocalFile(tempCopy_));
    } else {
      ShowNote(tr("The preview cannot write its copy of the page: %1").arg(copy.errorString()));
    }
    return;
  }
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
  if (TBrowserPage* view = engine_) {
    RememberScroll(keepScroll);
    stack_->setCurrentWidget(view);
    // The same address again is a new run of the script: nothing may come from a cache.
    if (view->Url() == url)
      view->ReloadFresh();
    else
      view->Load(url);
    return;
  }
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
  if (engine_) {
    if (restoreScroll_ && !scroll_.isNull())
      engine_->RunScript(
          QStringLiteral("window.scrollTo(%1, %2);").arg(scroll_.x()).arg(scroll_.y()),
          [](const QString&) {});
    restoreScroll_ = false;
  }
  emit PageLoaded(ok);
}

void TPreviewBrowser::PageText(std::function<void(const QString&)> done) const {
  if (ShowsNote()) return done(note_->text());
  if (engine_) return engine_->PlainText(std::move(done));
  done(fallback_ ? fallback_->toPlainText() : QString());
}

void TPreviewBrowser::RunScript(const QString& script,
                                std::function<void(const QString&)> done) const {
  if (engine_) return engine_->RunScript(script, std::move(done));
  done(QString());
}

}  // namespace tervil
