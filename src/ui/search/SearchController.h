#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

#include "core/search/SearchDriver.h"

class QAction;
class QDialog;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTimer;
class QToolBar;

namespace tervil {

class TSearchWorker;
class TTervilMain;
class TTextSearchDialog;

// Search and replace in the main window: the commands of the Edit and Tools menus, the search
// toolbar with its find box, the dialogs and the replace question. The decisions are the
// search driver's; this class shows them. Searches run on the search worker's thread: while a
// command's search runs the window keeps painting and answering, but lets no edit through; Esc
// or the Cancel button of the box that a long search shows stops it. Search-as-you-type runs
// there too, without holding up the typing.
class TSearchController : public QObject, public TSearchHost {
  Q_OBJECT
 public:
  // `programFolder` holds the definition files that ship with the program.
  TSearchController(TTervilMain& window, const QString& programFolder);
  ~TSearchController() override;

  // Find, replace or multi-replace through its dialog on the current page.
  void ShowSearchDialog(TSearchKind kind);
  // Enables and checks the commands.
  void UpdateActions();
  TSearchDriver& Driver();
  QToolBar* SearchToolbar() const { return searchToolbar_; }
  QLineEdit* FindText() const { return findText_; }
  // Whether the find box shows that search-as-you-type found nothing.
  bool FindTextFailed() const;
  // Whether a search command is running (its search off the window thread).
  bool Searching() const { return busyDepth_ > 0; }
  // The box that a search running longer than kBusyBoxDelay shows, or nullptr.
  QDialog* BusyBox() const;
  static constexpr int kBusyBoxDelay = 300;  // milliseconds

  QAction* actFind = nullptr;
  QAction* actReplace = nullptr;
  QAction* actMultiReplace = nullptr;
  QAction* actRepeatSearch = nullptr;
  QAction* actSearchNext = nullptr;
  QAction* actSearchPrev = nullptr;
  QAction* actSearchToolbar = nullptr;

  // TSearchHost
  TEditorModel* SearchModel() override;
  void SetStatusText(const std::string& text) override;
  void ShowNotFound(const std::string& text) override;
  void ShowError(const std::string& text) override;
  void FocusEditor() override;
  void SetFindBoxText(const std::string& text) override;
  TReplaceAction ConfirmReplace(const std::string& search, int line, int column) override;
  void RunSearchWork(const TSearchWork& work) override;
  void StartSearchWork(TSearchWork work, std::function<void(std::exception_ptr)> done) override;
  void StopSearchWork() override;
  bool SearchProgress(std::size_t done, std::size_t total) override;
  void FindTextDone(TIncrementalFind::TState state) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateActions();
  void CreateToolbar();
  std::unique_ptr<TTextSearchDialog> NewDialog(TSearchKind kind);
  void FindTextChange(const QString& text);
  void FindTextKeyDown();
  void ShowFindResult(TIncrementalFind::TState state);
  // Runs a search command: input to the main window is held back (Esc stops the search) until
  // it ends.
  void RunCommand(const std::function<void()>& command);
  void BeginBusy();
  void EndBusy();
  void StopRequested();
  void ShowBusyBoxWhenLong();
  void HideBusyBox();
  // Whether `event` to `watched` is input to the main window, held back while a search runs.
  bool IsWindowInput(QObject* watched, QEvent* event) const;
  void SetFindTextFailed(bool failed);
  void FocusFindText();

  TTervilMain& window_;
  QString programFolder_;
  std::unique_ptr<TSearchDriver> driver_;
  QToolBar* searchToolbar_ = nullptr;
  QLineEdit* findText_ = nullptr;
  std::unique_ptr<TSearchWorker> worker_;
  int busyDepth_ = 0;
  bool waiting_ = false;        // a search runs off the window thread
  bool stopRequested_ = false;  // Esc or Cancel during the command
  QElapsedTimer busyClock_;
  QElapsedTimer progressClock_;
  QTimer* busyTimer_ = nullptr;
  QPointer<QDialog> busyBox_;
  QLabel* busyText_ = nullptr;
  QProgressBar* busyBar_ = nullptr;
};

}  // namespace tervil
