// The browser engine's module: the only code of the program that links Qt WebEngine. The program
// loads it when the first browser view is made (see BrowserPage.h).

#include <unistd.h>

#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "ui/browser/BrowserPage.h"

namespace tervil {

namespace {

// The engine's page: with a link handler set by the owner, it goes only where the program sends
// it; a link the user clicks, or one that would open a window, goes to the handler instead.
class TKeptPage : public QWebEnginePage {
 public:
  TKeptPage(TBrowserPage& owner, QObject* parent) : QWebEnginePage(parent), owner_(owner) {}

  bool loading = false;  // a load the program started is under way

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
    if (!owner_.OnLinkClicked || !isMainFrame || loading || type == NavigationTypeReload)
      return true;
    // A jump to an anchor of the page itself stays in the page.
    if (url.hasFragment() &&
        url.adjusted(QUrl::RemoveFragment) == this->url().adjusted(QUrl::RemoveFragment))
      return true;
    if (type == NavigationTypeLinkClicked) owner_.OnLinkClicked(url);
    return false;
  }

  QWebEnginePage* createWindow(WebWindowType) override {
    if (!owner_.OnLinkClicked) return nullptr;
    // The new window's first address goes to the handler instead.
    auto* popup = new QWebEnginePage(this);
    connect(popup, &QWebEnginePage::urlChanged, popup, [this, popup](const QUrl& url) {
      if (url.isEmpty()) return;
      if (owner_.OnLinkClicked) owner_.OnLinkClicked(url);
      popup->deleteLater();
    });
    return popup;
  }

 private:
  TBrowserPage& owner_;
};

class TWebEngineBrowserPage final : public TBrowserPage {
 public:
  explicit TWebEngineBrowserPage(QWidget* parent) : TBrowserPage(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new QWebEngineView(this);
    page_ = new TKeptPage(*this, view_);
    view_->setPage(page_);
    layout->addWidget(view_);
    QObject::connect(view_, &QWebEngineView::loadFinished, this, [this](bool ok) {
      page_->loading = false;
      if (OnLoaded) OnLoaded(ok);
    });
    QObject::connect(view_->page(), &QWebEnginePage::renderProcessTerminated, this,
                     [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                       if (status != QWebEnginePage::NormalTerminationStatus && OnRendererFailed)
                         OnRendererFailed();
                     });
  }

  void Load(const QUrl& url) override {
    page_->loading = true;
    view_->load(url);
  }
  void SetHtml(const QString& html, const QUrl& base) override {
    page_->loading = true;
    view_->setHtml(html, base);
  }
  void PlainText(std::function<void(const QString&)> done) override {
    page_->toPlainText([done = std::move(done)](const QString& text) { done(text); });
  }
  void ReloadFresh() override {
    page_->loading = true;
    page_->triggerAction(QWebEnginePage::ReloadAndBypassCache);
  }
  QUrl Url() const override { return view_->url(); }
  QPointF ScrollPosition() const override { return page_->scrollPosition(); }
  void RunScript(const QString& script, std::function<void(const QString&)> done) override {
    page_->runJavaScript(
        script, [done = std::move(done)](const QVariant& result) { done(result.toString()); });
  }

 private:
  QWebEngineView* view_ = nullptr;
  TKeptPage* page_ = nullptr;
};

}  // namespace

}  // namespace tervil

extern "C" __attribute__((visibility("default"))) tervil::TBrowserPage* tervil_create_browser_page(
    QWidget* parent) {
  // The engine's sandbox refuses to start for the superuser; run without it there.
  if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  return new tervil::TWebEngineBrowserPage(parent);
}
