#pragma once

#include <QPointF>
#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>

class QStackedLayout;
class QTextBrowser;
class QLabel;

namespace tervil {

class TBrowserPage;

// Shows a page as a web page: HTML text with the address its relative links resolve against, or
// an address (the PHP server). It uses a real browser engine (Qt WebEngine) when the build has
// one and it starts; otherwise, or when its renderer dies, a Qt HTML view. The engine is created
// only when the first page is shown, never with the window. A refresh keeps the scroll position;
// links the user clicks open in the system's browser, and the view never leaves its page.
class TPreviewBrowser : public QWidget {
  Q_OBJECT
 public:
  explicit TPreviewBrowser(QWidget* parent = nullptr);

  // Shows HTML text; `base` is the folder address relative links resolve against. With
  // `keepScroll` (a refresh of the page shown) the view stays where it was scrolled to.
  void ShowHtml(const QString& html, const QUrl& base, bool keepScroll = true);
  // Loads an address (a page of the PHP server).
  void ShowUrl(const QUrl& url, bool keepScroll = true);
  // Shows a short note instead of a page (nothing to preview, PHP switched off).
  void ShowNote(const QString& note);
  QString Note() const;
  bool ShowsNote() const;

  // Whether the browser engine shows pages (false: the Qt HTML view does, or none was shown).
  bool UsesBrowserEngine() const { return engine_ != nullptr; }
  // The shown page's text, handed to `done` when known (for tests and the accessibility).
  void PageText(std::function<void(const QString&)> done) const;
  // Runs JavaScript on the shown page and hands its result as text (the engine only; the Qt
  // view answers with an empty text).
  void RunScript(const QString& script, std::function<void(const QString&)> done) const;

  // Opens an address in the system's browser (link clicks); replaceable by tests.
  std::function<void(const QUrl&)> OpenExternally;

 signals:
  void PageLoaded(bool ok);

 private:
  void CreateEngine();
  void UseFallback();
  void Loaded(bool ok);
  void RememberScroll(bool keep);
  void ShowLast();

  QStackedLayout* stack_ = nullptr;
  QLabel* note_ = nullptr;
  TBrowserPage* engine_ = nullptr;
  QTextBrowser* fallback_ = nullptr;
  bool triedEngine_ = false;
  // What was shown last, to show it again after the engine died.
  QString html_;
  QUrl base_;
  QUrl url_;
  QPointF scroll_;
  bool restoreScroll_ = false;
  QString tempCopy_;  // large pages are shown from a copy
};

}  // namespace tervil
