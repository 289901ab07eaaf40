#include "ui/process/HtmlOutputView.h"

#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QStackedLayout>
#include <QTextBrowser>
#include <QUrl>

#ifdef TERVIL_HAVE_WEBENGINE
#include <QWebEnginePage>
#include <QWebEngineView>
#endif

namespace tervil {

THtmlOutputView::THtmlOutputView(QWidget* parent) : QWidget(parent) {
  stack_ = new QStackedLayout(this);
  stack_->setContentsMargins(0, 0, 0, 0);
#ifdef TERVIL_HAVE_WEBENGINE
  if (qEnvironmentVariableIsSet("TERVIL_NO_BROWSER_ENGINE")) UseFallback();
#else
  UseFallback();
#endif
}

QWidget* THtmlOutputView::CreateEngine() {
#ifdef TERVIL_HAVE_WEBENGINE
  // The engine's sandbox refuses to start for the superuser; run without it there.
  if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  auto* view = new QWebEngineView(this);
  connect(view, &QWebEngineView::loadFinished, this, &THtmlOutputView::PageLoaded);
  connect(view->page(), &QWebEnginePage::renderProcessTerminated, this,
          [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
            if (status != QWebEnginePage::NormalTerminationStatus) UseFallback();
          });
  stack_->addWidget(view);
  return view;
#else
  return nullptr;
#endif
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
  if (!fallback_ && !engine_) engine_ = CreateEngine();
  Reload();
}

void THtmlOutputView::Reload() {
  if (path_.isEmpty()) return;
#ifdef TERVIL_HAVE_WEBENGINE
  if (auto* view = qobject_cast<QWebEngineView*>(engine_)) {
    stack_->setCurrentWidget(view);
    // Loading the address again reads the file again, also when it is the same address.
    view->load(QUrl::fromLocalFile(path_));
    return;
  }
#endif
  if (!fallback_) return;
  QFile file(path_);
  const bool ok = file.open(QIODevice::ReadOnly);
  fallback_->setSearchPaths({QFileInfo(path_).absolutePath()});
  fallback_->setHtml(ok ? QString::fromUtf8(file.readAll()) : QString());
  emit PageLoaded(ok);
}

void THtmlOutputView::PageText(std::function<void(const QString&)> done) const {
#ifdef TERVIL_HAVE_WEBENGINE
  if (auto* view = qobject_cast<QWebEngineView*>(engine_)) {
    view->page()->toPlainText([done](const QString& text) { done(text); });
    return;
  }
#endif
  done(fallback_ ? fallback_->toPlainText() : QString());
}

}  // namespace tervil
