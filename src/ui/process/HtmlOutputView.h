#pragma once

#include <QString>
#include <QWidget>
#include <functional>

class QStackedLayout;
class QTextBrowser;

namespace tervil {

class TBrowserPage;

// Shows a local HTML file as a web page and reloads it on request. It uses a real browser
// engine (Qt WebEngine) when the build has one and it starts; otherwise, or when its renderer
// dies, a Qt HTML view of the same file. The engine is loaded only when a page is first shown.
class THtmlOutputView : public QWidget {
  Q_OBJECT
 public:
  explicit THtmlOutputView(QWidget* parent = nullptr);

  void Open(const QString& path);
  void Reload();
  QString Path() const { return path_; }
  // Whether the browser engine shows the page (false: the Qt HTML view does).
  bool UsesBrowserEngine() const { return engine_ != nullptr; }
  // The page's text as the view understands it, handed to `done` when known (for tests).
  void PageText(std::function<void(const QString&)> done) const;

 signals:
  void PageLoaded(bool ok);

 private:
  void UseFallback();
  TBrowserPage* CreateEngine();

  QStackedLayout* stack_ = nullptr;
  TBrowserPage* engine_ = nullptr;
  QTextBrowser* fallback_ = nullptr;
  QString path_;
};

}  // namespace tervil
