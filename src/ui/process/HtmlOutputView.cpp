#include "ui/process/HtmlOutputView.h"

#include <QFile>
#include <QFileInfo>
#include <QStackedLayout>
#include <QTextBrowser>
#include <QUrl>

#include "ui/browser/BrowserPage.h"

namespace tervil {

THtmlOutputView::THtmlOutputView(QWidget* parent) : QWidget(parent) {
  stack_ = new QStackedLayout(this);
  stack_->setContentsMargins(0, 0, 0, 0);
  if (qEnvironmentVariableIsSet("TERVIL_NO_BROWSER_ENGINE")) UseFallback();
}

TBrowserPage* THtmlOutputView::CreateEngine() {
  TBrowserPage* view = CreateBrowserPage(this);
  if (!view) return nullptr;
  view->OnLoaded = [this](bool ok) { emit PageLoaded(ok); };
  // A renderer that dies leaves an empty view: the Qt HTML view takes over.
  view->OnRendererFailed = [this] { UseFallback(); };
  stack_->addWidget(view);
  return view;
}

void THtmlOutputView::UseFallback() {
  if (!fallback_) {
    fallback_ = new QTextBrowser(this);
    fallback_->setOpenLinks(false);
    stack_->addWidget(fallback_);
  }
  if (engine_) {
    engine_->deleteLater();
    engine_ = nullptr;
  }
  stack_->setCurrentWidget(fallback_);
  if (!path_.isEmpty()) Reload();
}

void THtmlOutputView::Open(const QString& path) {
  path_ = path;
  if (!fallback_ && !engine_) {
    engine_ = CreateEngine();
    if (!engine_)
      UseFallback();  // UseFallback shows the page
    else
      Reload();
    return;
  }
  Reload();
}

void THtmlOutputView::Reload() {
  if (path_.isEmpty()) return;
  if (engine_) {
    stack_->setCurrentWidget(engine_);
    // Loading the address again reads the file again, also when it is the same address.
    engine_->Load(QUrl::fromLocalFile(path_));
    return;
  }
  if (!fallback_) return;
  QFile file(path_);
  const bool ok = file.open(QIODevice::ReadOnly);
  fallback_->setSearchPaths({QFileInfo(path_).absolutePath()});
  fallback_->setHtml(ok ? QString::fromUtf8(file.readAll()) : QString());
  emit PageLoaded(ok);
}

void THtmlOutputView::PageText(std::function<void(const QString&)> done) const {
  if (engine_) {
    engine_->PlainText(std::move(done));
    return;
  }
  done(fallback_ ? fallback_->toPlainText() : QString());
}

}  // namespace tervil
