#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "core/search/SearchDriver.h"

class QAction;
class QLineEdit;
class QTimer;
class QToolBar;

namespace tervil {

class TTervilMain;
class TTextSearchDialog;

// Search and replace in the main window: the commands of the Edit and Tools menus, the search
// toolbar with its find box, the dialogs and the replace question. The decisions are the
// search driver's; this class shows them.
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

 private:
  void CreateActions();
  void CreateToolbar();
  std::unique_ptr<TTextSearchDialog> NewDialog(TSearchKind kind);
  void FindTextChange(const QString& text);
  void FindTextKeyDown();
  void ContinueFindText();
  void ShowFindResult(TIncrementalFind::TState state);
  void SetFindTextFailed(bool failed);
  void FocusFindText();

  TTervilMain& window_;
  QString programFolder_;
  std::unique_ptr<TSearchDriver> driver_;
  QToolBar* searchToolbar_ = nullptr;
  QLineEdit* findText_ = nullptr;
  QTimer* findTimer_ = nullptr;  // continues a search-as-you-type that gave way
};

}  // namespace tervil
