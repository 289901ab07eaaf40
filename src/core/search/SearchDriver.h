#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/app/ResourceStrings.h"
#include "core/editcomponent/SearchEngine.h"
#include "core/search/IncrementalFind.h"
#include "core/search/ReplaceDefinitions.h"
#include "core/search/SearchState.h"

namespace tervil {

class TEditorModel;
class TPlainSearchEngine;
class TRegexSearchEngine;
class TSearchEngine;

// What the search needs from the window it works in.
class TSearchHost {
 public:
  virtual ~TSearchHost() = default;
  // The editor of the current page, or nullptr without one.
  virtual TEditorModel* SearchModel() = 0;
  // Sets the first panel of the status bar ("" clears it).
  virtual void SetStatusText(const std::string& text) = 0;
  // The information beep and a message box with `text`.
  virtual void ShowNotFound(const std::string& text) = 0;
  virtual void ShowError(const std::string& text) = 0;
  virtual void FocusEditor() = 0;
  // Puts the text into the toolbar's find box without searching.
  virtual void SetFindBoxText(const std::string& text) = 0;
  // Asks whether to replace the occurrence at (line, column) that the editor shows selected.
  virtual TReplaceAction ConfirmReplace(const std::string& search, int line, int column) = 0;

  // Long searches. The defaults run everything at once on the calling thread.
  using TSearchWork = std::function<void(TSearchControl& control)>;
  // Runs `work` off the window thread and returns when it has ended, the window answering
  // meanwhile but letting no edit through; passes on the exception the work ended with
  // (TSearchCancelled when the user stopped it).
  virtual void RunSearchWork(const TSearchWork& work);
  // Starts `work` off the window thread and returns at once; `done` runs later on the window
  // thread with the exception the work ended with (nullptr when none). Work still running is
  // stopped first; its own `done` still comes.
  virtual void StartSearchWork(TSearchWork work, std::function<void(std::exception_ptr)> done);
  // Stops the work running off the window thread and waits until it has ended.
  virtual void StopSearchWork() {}
  // How far a long multi-replace has come; false when the user asked to stop it.
  virtual bool SearchProgress(std::size_t done, std::size_t total);
  // The result of a search-as-you-type started with StartFindText.
  virtual void FindTextDone(TIncrementalFind::TState state);
};

// What the find, replace and multi-replace dialogs show and return.
struct TSearchDialogValues {
  std::string SearchText;
  std::vector<std::string> SearchHistory;
  std::string ReplaceText;
  std::vector<std::string> ReplaceHistory;
  std::string DefinitionFile;  // multi-replace: the chosen file's name, "" for none
  bool Backward = false;
  bool MatchCase = false;
  bool WholeWords = false;
  bool FromCaret = true;
  bool SelectedOnly = false;
  bool Regex = false;
};

// The messages of searching beyond those of the main window.
const std::vector<std::string>& SearchMessages();

// Runs the searches of the editor on the current page: the passes of the dialogs, Repeat
// Search, the toolbar's next, previous and search-as-you-type, and multi-replace. Owns the two
// search engines of the program and keeps the search state up to date.
class TSearchDriver {
 public:
  // `notFoundText` is the main window's "Text not found"; `definitionFolders` are searched for
  // definition files in order (the user's own folder first).
  TSearchDriver(TSearchState& state, TSearchHost& host, std::string notFoundText,
                std::vector<std::string> definitionFolders);
  ~TSearchDriver();

  TSearchState& State() { return state_; }

  // One pass on the current page; true only when a find pass found its text.
  bool DoSearch(TSearchKind kind, bool backward, bool message);
  // "Repeat Search": the last search again in its direction.
  void RepeatSearch();
  void SearchNext();
  void SearchPrevious();

  // The dialog of a kind, preset from the state.
  TSearchDialogValues DialogPreset(TSearchKind kind) const;
  // A dialog closed with OK: stores its values and runs the search it asks for.
  void AcceptDialog(TSearchKind kind, const TSearchDialogValues& values);
  // Applies the pairs in order, each over the same scope, as one undo step.
  void MultiReplace(const std::vector<TReplacePair>& pairs);
  std::vector<TDefinitionFile> DefinitionFiles() const;
  const std::vector<std::string>& DefinitionFolders() const { return definitionFolders_; }

  // Typing in the find box: searches the whole scope again for `text` without blocking; the
  // result is Found, NotFound, or Pending until ContinueFindText has finished the scan.
  TIncrementalFind::TState FindTextChange(const std::string& text,
                                          TIncrementalFind::TClock::time_point deadline);
  TIncrementalFind::TState ContinueFindText(TIncrementalFind::TClock::time_point deadline);
  // Stops a pending search-as-you-type (other searches do it first themselves).
  void CancelFindText();

  // Typing in the find box, searched off the window thread through the host: Pending while
  // the search runs (its result comes through TSearchHost::FindTextDone), else the result.
  // A change of the text while it runs starts it over.
  TIncrementalFind::TState StartFindText(const std::string& text);
  bool FindTextPending() const { return findPending_; }

 private:
  TSearchEngine& EngineFor(const TSearchState& state);
  // The common start of search-as-you-type: `text` becomes the search text and `options` those
  // of a find; no page or an empty text gives no model (nothing to search).
  TEditorModel* BeginFindText(const std::string& text, TSearchOptions& options);
  bool RefuseReadOnly(TEditorModel& model, TSearchKind kind);
  int RunPass(TEditorModel& model, TSearchKind kind, TSearchOptions options);
  // What every pass does at its end: the no-match report and the caret.
  void FinishPass(TEditorModel& model, int count, bool backward, bool message);
  TIncrementalFind::TState FinishFindText(TIncrementalFind::TState result);
  void FinishFindTextWork(std::uint64_t job, std::optional<TSearchMatch> match,
                          std::exception_ptr error);
  void ReleaseFindTextModel();
  TReplaceAction Prompt(const std::string& search, const std::string& replacement, int line,
                        int column);

  TSearchState& state_;
  TSearchHost& host_;
  std::string notFoundText_;
  std::vector<std::string> definitionFolders_;
  TResourceStrings messages_;
  std::unique_ptr<TPlainSearchEngine> plainEngine_;
  std::unique_ptr<TRegexSearchEngine> regexEngine_;
  TIncrementalFind findText_;
  // The search-as-you-type running off the window thread.
  std::uint64_t findJob_ = 0;
  bool findPending_ = false;
  bool findRestart_ = false;  // the text changed while it ran
  TEditorModel* findModel_ = nullptr;
  bool findBackward_ = false;
  TIncrementalFind::TState findResult_ = TIncrementalFind::TState::Idle;
};

}  // namespace tervil
