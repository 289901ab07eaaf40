#pragma once

#include <QPointF>
#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>

namespace tervil {

// A view of the browser engine (Qt WebEngine). The engine lives in a module of its own that the
// program loads when the first such view is made: an editor that never shows a web page does not
// map the engine's libraries nor start its processes (they would cost about 80 MB at start).
class TBrowserPage : public QWidget {
 public:
  using QWidget::QWidget;

  // Shows the page at `url`; OnLoaded tells when it is done.
  virtual void Load(const QUrl& url) = 0;
  // Shows `html`, its relative links resolved against `base`.
  virtual void SetHtml(const QString& html, const QUrl& base) = 0;
  // The page's text as the engine understands it, handed to `done` when known.
  virtual void PlainText(std::function<void(const QString&)> done) = 0;
  // Loads the shown address again, nothing taken from a cache (a script's new run).
  virtual void ReloadFresh() = 0;
  // The address shown (empty for text handed by SetHtml).
  virtual QUrl Url() const = 0;
  // How far the page is scrolled, in page pixels.
  virtual QPointF ScrollPosition() const = 0;
  // Runs JavaScript on the page and hands its result, as text, to `done`.
  virtual void RunScript(const QString& script, std::function<void(const QString&)> done) = 0;

  // When set, the view stays on the pages the program loads: a link the user clicks, or one that
  // would open a window, goes here instead (anchors within the page still scroll it).
  std::function<void(const QUrl&)> OnLinkClicked;

  // Called when a page has been loaded (false: it could not be).
  std::function<void(bool ok)> OnLoaded;
  // Called when the engine's renderer ended abnormally; the view then shows nothing.
  std::function<void()> OnRendererFailed;
};

// A new browser view with `parent`, or null when the build or the system has no browser engine
// (the caller then shows the page another way). The first call loads the engine's module.
TBrowserPage* CreateBrowserPage(QWidget* parent);
// Whether the engine's module has been loaded in this process (for tests and measurements).
bool BrowserEngineLoaded();

}  // namespace tervil
