#pragma once

#include <QPointer>
#include <QString>

#include "ui/docking/ToolForm.h"

class QAction;
class QTimer;

namespace tervil {

class TPhpServer;
class TPreviewBrowser;
class TTervilMain;
class TTvlPage;

// The "Preview" tool window: the current page rendered beside the editor. An HTML, XML or SVG
// page is rendered from the editor's text (its folder is the base of relative addresses) a short
// pause after the last key; a stylesheet or script page being edited refreshes the HTML page
// shown when that page uses it; a PHP page is run through PHP's built-in server only while
// "Run PHP" is on, and again at each save. The browser engine is created only when the window
// first shows a page; the server stops when the window closes.
class TPreview : public TToolForm {
  Q_OBJECT
 public:
  explicit TPreview(TTervilMain& main);
  ~TPreview() override;

  TPreviewBrowser* Browser() const { return browser_; }
  TPhpServer* Server() const { return server_; }
  // The "Run PHP" switch (off at start).
  QAction* RunPhpAction() const { return actRunPhp_; }
  // The page whose rendering is shown (an HTML or PHP page), or nullptr.
  TTvlPage* ShownPage() const { return shown_; }

  // The current page changed or its status did (the main window's StatusRefreshed).
  void PageChanged(TTvlPage* page);
  // A page's text changed.
  void TextChanged(TTvlPage* page);
  // A page was written to its file.
  void PageSaved(TTvlPage* page);

  // The longest a PHP page may take to load before the server is stopped.
  int LoadLimitMs = 15000;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Follow(TTvlPage* page);
  void Refresh(bool keepScroll);
  void RefreshMarkup(bool keepScroll);
  void RefreshPhp(bool keepScroll);
  void RunPhpToggled(bool on);
  void LoadTimedOut();

  TTervilMain& main_;
  TPreviewBrowser* browser_;
  TPhpServer* server_;
  QAction* actRunPhp_;
  QTimer* pause_;      // the pause after typing
  QTimer* follow_;     // follows the current page once the window is idle
  QTimer* loadLimit_;  // the time a PHP page may take
  QPointer<TTvlPage> current_;
  QPointer<TTvlPage> shown_;
  QPointer<TTvlPage> pendingAsset_;  // a stylesheet or script changed: refresh if it is used
  QString currentName_;              // the file name the current page had when it was followed
  QString shownName_;                // the file name the shown page had when it was shown
  bool stale_ = true;        // the shown rendering does not follow the text (hidden meanwhile)
  bool phpPending_ = false;  // the PHP page is loaded once the server is ready
};

}  // namespace tervil
