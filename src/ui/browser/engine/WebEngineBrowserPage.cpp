// The browser engine's module: the only code of the program that links Qt WebEngine. The program
// loads it when the first browser view is made (see BrowserPage.h).

#include <unistd.h>

#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "ui/browser/BrowserPage.h"

namespace tervil {

namespace {

class TWebEngineBrowserPage final : public TBrowserPage {
 public:
  explicit TWebEngineBrowserPage(QWidget* parent) : TBrowserPage(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new QWebEngineView(this);
    layout->addWidget(view_);
    QObject::connect(view_, &QWebEngineView::loadFinished, this, [this](bool ok) {
      if (OnLoaded) OnLoaded(ok);
    });
    QObject::connect(view_->page(), &QWebEnginePage::renderProcessTerminated, this,
                     [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                       if (status != QWebEnginePage::NormalTerminationStatus && OnRendererFailed)
                         OnRendererFailed();
                     });
  }

  void Load(const QUrl& url) override { view_->load(url); }
  void SetHtml(const QString& html, const QUrl& base) override { view_->setHtml(html, base); }
  void PlainText(std::function<void(const QString&)> done) override {
    view_->page()->toPlainText([done = std::move(done)](const QString& text) { done(text); });
  }

 private:
  QWebEngineView* view_ = nullptr;
};

}  // namespace

}  // namespace tervil

extern "C" __attribute__((visibility("default"))) tervil::TBrowserPage* tervil_create_browser_page(
    QWidget* parent) {
  // The engine's sandbox refuses to start for the superuser; run without it there.
  if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  return new tervil::TWebEngineBrowserPage(parent);
}
