#include "core/search/SearchDriver.h"

#include "core/common/TextFile.h"
#include "core/editcomponent/EditorModel.h"
#include "core/editcomponent/SearchEngines.h"

namespace tervil {

const std::vector<std::string>& SearchMessages() {
  static const std::vector<std::string> items = {
      "ReadOnlyReplace=The document is read-only; nothing was replaced.",
      "NoDefinitionFile=Choose a definition file; nothing was replaced.",
      "SearchStopped=The search was stopped.",
      "OutOfMemory=There is not enough memory for this replacement; it was stopped.",
  };
  return items;
}

namespace {

// The caret and selection of an editor as character offsets, which stay meaningful while the
// text before them does not change.
struct TSavedSelection {
  std::int64_t Begin = 0;
  std::int64_t End = 0;
  bool CaretAtBegin = false;

  explicit TSavedSelection(const TEditorModel& model)
      : Begin(model.SelStart()),
        End(model.SelEnd()),
        CaretAtBegin(model.SelAvail() ? model.CaretPos() == model.BlockBegin() : true) {
    if (!model.SelAvail()) Begin = End = model.RowColToCharIndex(model.CaretPos());
  }

  void Restore(TEditorModel& model) const {
    const TBufferPos begin = model.CharIndexToRowCol(Begin);
    const TBufferPos end = model.CharIndexToRowCol(End);
    if (CaretAtBegin)
      model.SetCaretAndSelection(begin, end, begin);
    else
      model.SetCaretAndSelection(end, begin, end);
  }
};

// An engine watching a search control while one piece of work runs.
class TControlScope {
 public:
  TControlScope(TSearchEngine& engine, TSearchControl& control) : engine_(engine) {
    engine.SetControl(&control);
  }
  ~TControlScope() { engine_.SetControl(nullptr); }
  TControlScope(const TControlScope&) = delete;
  TControlScope& operator=(const TControlScope&) = delete;

 private:
  TSearchEngine& engine_;
};

// The engine and the replace question of one pass, handed back when the pass ends, also by an
// error. The engine's scans run through the host, off the window thread; a change of the text
// stops them first.
class TPassHooks {
 public:
  TPassHooks(TEditorModel& model, TSearchEngine& engine, TSearchHost& host,
             TReplaceTextEvent prompt)
      : model_(model), engine_(engine), previous_(std::move(model.OnReplaceText)) {
    model.OnReplaceText = std::move(prompt);
    model.SetSearchEngine(&engine);
    engine.SetRunner([&engine, &host, &model](const std::function<void()>& scan) {
      const std::uint64_t before = model.Buffer().ChangeCount();
      host.RunSearchWork([&](TSearchControl& control) {
        TControlScope scope(engine, control);
        scan();
      });
      // Changed meanwhile (not by the user, whose edits wait): what was found is stale.
      if (model.Buffer().ChangeCount() != before) throw TSearchCancelled();
    });
    model.SetTextChangeGuard([&host](bool) { host.StopSearchWork(); });
  }
  ~TPassHooks() {
    model_.SetTextChangeGuard({});
    engine_.SetRunner({});
    model_.SetSearchEngine(nullptr);
    model_.OnReplaceText = std::move(previous_);
  }
  TPassHooks(const TPassHooks&) = delete;
  TPassHooks& operator=(const TPassHooks&) = delete;

 private:
  TEditorModel& model_;
  TSearchEngine& engine_;
  TReplaceTextEvent previous_;
};

// One undo step around several passes, closed also by an error.
class TUndoStep {
 public:
  explicit TUndoStep(TEditorModel& model) : model_(model) { model.BeginUndoBlock(); }
  ~TUndoStep() { model_.EndUndoBlock(); }
  TUndoStep(const TUndoStep&) = delete;
  TUndoStep& operator=(const TUndoStep&) = delete;

 private:
  TEditorModel& model_;
};

}  // namespace

void TSearchHost::RunSearchWork(const TSearchWork& work) {
  TSearchControl control;
  work(control);
}

void TSearchHost::StartSearchWork(TSearchWork work, std::function<void(std::exception_ptr)> done) {
  std::exception_ptr error;
  try {
    RunSearchWork(work);
  } catch (...) {
    error = std::current_exception();
  }
  done(error);
}

bool TSearchHost::SearchProgress(std::size_t, std::size_t) {
  return true;
}

void TSearchHost::FindTextDone(TIncrementalFind::TState) {}

TSearchDriver::TSearchDriver(TSearchState& state, TSearchHost& host, std::string notFoundText,
                             std::vector<std::string> definitionFolders)
    : state_(state),
      host_(host),
      notFoundText_(std::move(notFoundText)),
      definitionFolders_(std::move(definitionFolders)),
      messages_(SearchMessages()),
      plainEngine_(std::make_unique<TPlainSearchEngine>()),
      regexEngine_(std::make_unique<TRegexSearchEngine>()) {}

TSearchDriver::~TSearchDriver() {
  CancelFindText();
}

TSearchEngine& TSearchDriver::EngineFor(const TSearchState& state) {
  if (state.SearchRegex) return *regexEngine_;
  return *plainEngine_;
}

bool TSearchDriver::RefuseReadOnly(TEditorModel& model, TSearchKind kind) {
  if (kind == TSearchKind::skFind || !model.ReadOnly()) return false;
  host_.ShowError(messages_.Lookup("ReadOnlyReplace"));
  return true;
}

bool TSearchDriver::DoSearch(TSearchKind kind, bool backward, bool message) {
  CancelFindText();
  TEditorModel* model = host_.SearchModel();
  if (!model) return false;
  state_.SearchBackward = backward;
  host_.SetStatusText({});
  if (RefuseReadOnly(*model, kind)) return false;
  const TSearchOptions options = BuildSearchOptions(state_, kind, backward, model->SelAvail());
  const int count = RunPass(*model, kind, options);
  if (count < 0) return false;
  FinishPass(*model, count, backward, message);
  host_.FocusEditor();
  return kind == TSearchKind::skFind && count > 0;
}

// Returns the number of occurrences, or -1 when the pattern was refused (already reported).
int TSearchDriver::RunPass(TEditorModel& model, TSearchKind kind, TSearchOptions options) {
  TPassHooks hooks(model, EngineFor(state_), host_,
                   [this](const std::string& search, const std::string& replacement, int line,
                          int column) { return Prompt(search, replacement, line, column); });
  try {
    return model.SearchReplace(state_.SearchText,
                               kind == TSearchKind::skFind ? std::string() : state_.ReplaceText,
                               options);
  } catch (const TSearchError& e) {
    host_.ShowError(e.what());
    return -1;
  } catch (const TSearchCancelled&) {
    host_.SetStatusText(messages_.Lookup("SearchStopped"));
    return -1;
  } catch (const std::bad_alloc&) {
    host_.ShowError(messages_.Lookup("OutOfMemory"));
    return -1;
  }
}

TReplaceAction TSearchDriver::Prompt(const std::string& search, const std::string& replacement,
                                     int line, int column) {
  if (search == replacement) return TReplaceAction::raSkip;
  return host_.ConfirmReplace(search, line, column);
}

void TSearchDriver::FinishPass(TEditorModel& model, int count, bool backward, bool message) {
  if (count == 0) {
    if (message) host_.ShowNotFound(notFoundText_);
    host_.SetStatusText(notFoundText_);
    TBufferPos at = model.CaretPos();
    if (model.SelAvail()) at = backward ? model.BlockBegin() : model.BlockEnd();
    model.SetCaretAndSelection(at, at, at);
  }
  state_.SearchContinue = true;
}

void TSearchDriver::RepeatSearch() {
  if (state_.SearchText.empty()) return;
  DoSearch(TSearchKind::skFind, state_.SearchBackward, true);
}

void TSearchDriver::SearchNext() {
  CancelFindText();
  TEditorModel* model = host_.SearchModel();
  if (state_.SearchText.empty() || !model) return;
  if (state_.SearchBackward) {
    const TBufferPos end = model->SelAvail() ? model->BlockEnd() : model->CaretPos();
    model->SetCaretAndSelection(end, end, end);
  }
  DoSearch(TSearchKind::skFind, false, true);
}

void TSearchDriver::SearchPrevious() {
  CancelFindText();
  TEditorModel* model = host_.SearchModel();
  if (state_.SearchText.empty() || !model) return;
  if (!state_.SearchBackward) {
    const TBufferPos start = model->SelAvail() ? model->BlockBegin() : model->CaretPos();
    model->SetCaretAndSelection(start, start, start);
  }
  DoSearch(TSearchKind::skFind, true, true);
}

TSearchDialogValues TSearchDriver::DialogPreset(TSearchKind kind) const {
  TSearchDialogValues values;
  values.Backward = false;
  values.Regex = false;
  values.MatchCase = state_.SearchMatchCase;
  values.FromCaret = state_.SearchFromCaret;
  values.SelectedOnly = state_.SearchSelectedOnly;
  values.WholeWords = state_.SearchWholeWords;
  values.SearchText = state_.SearchText;
  values.SearchHistory = SplitHistory(state_.SearchHistory);
  if (kind == TSearchKind::skReplace) {
    values.ReplaceText = state_.ReplaceText;
    values.ReplaceHistory = SplitHistory(state_.ReplaceHistory);
  }
  if (kind == TSearchKind::skMultiReplace &&
      FindReplaceDefinition(DefinitionFiles(), state_.MultiReplaceFile))
    values.DefinitionFile = state_.MultiReplaceFile;
  return values;
}

void TSearchDriver::AcceptDialog(TSearchKind kind, const TSearchDialogValues& values) {
  CancelFindText();
  state_.SearchBackward = values.Backward;
  state_.SearchMatchCase = values.MatchCase;
  state_.SearchFromCaret = values.FromCaret;
  state_.SearchSelectedOnly = values.SelectedOnly;
  state_.SearchWholeWords = values.WholeWords;
  state_.SearchRegex = values.Regex;
  state_.SearchText = values.SearchText;
  std::vector<std::string> history = values.SearchHistory;
  PushHistory(history, values.SearchText);
  state_.SearchHistory = JoinHistory(history);
  if (kind == TSearchKind::skReplace) {
    state_.ReplaceText = values.ReplaceText;
    history = values.ReplaceHistory;
    PushHistory(history, values.ReplaceText);
    state_.ReplaceHistory = JoinHistory(history);
  }
  if (kind == TSearchKind::skMultiReplace) state_.MultiReplaceFile = values.DefinitionFile;
  state_.SearchContinue = state_.SearchFromCaret;
  if (state_.SearchText.empty() && kind != TSearchKind::skMultiReplace) return;
  host_.SetFindBoxText(state_.SearchText);
  if (kind != TSearchKind::skMultiReplace) {
    DoSearch(kind, state_.SearchBackward, true);
    state_.SearchContinue = true;
    return;
  }
  if (values.DefinitionFile.empty()) {
    host_.ShowError(messages_.Lookup("NoDefinitionFile"));
    return;
  }
  std::vector<TReplacePair> pairs;
  try {
    const std::vector<TDefinitionFile> files = DefinitionFiles();
    const TDefinitionFile* file = FindReplaceDefinition(files, values.DefinitionFile);
    if (!file) {
      const std::string path = definitionFolders_.empty()
                                   ? values.DefinitionFile
                                   : definitionFolders_.back() + "/" + values.DefinitionFile;
      throw TDefinitionFileError(CannotOpenFileMessage(path, "No such file or directory"));
    }
    const std::string path = file->Path;
    host_.RunSearchWork([&](TSearchControl&) { pairs = ReadReplaceDefinitions(path); });
  } catch (const TDefinitionFileError& e) {
    host_.ShowError(e.what());
    return;
  } catch (const TSearchCancelled&) {
    host_.SetStatusText(messages_.Lookup("SearchStopped"));
    return;
  }
  MultiReplace(pairs);
}

void TSearchDriver::MultiReplace(const std::vector<TReplacePair>& pairs) {
  CancelFindText();
  TEditorModel* model = host_.SearchModel();
  if (!model || RefuseReadOnly(*model, TSearchKind::skMultiReplace)) return;
  const std::string savedSearch = state_.SearchText;
  const std::string savedReplace = state_.ReplaceText;
  // With a selection to work in, every change happens inside it: its end follows them.
  const bool inSelection = state_.SearchSelectedOnly && model->SelAvail();
  TSavedSelection selection(*model);
  TUndoStep undoStep(*model);
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const TReplacePair& pair = pairs[i];
    if (!host_.SearchProgress(i, pairs.size())) {
      host_.SetStatusText(messages_.Lookup("SearchStopped"));
      break;
    }
    if (pair.Search.empty()) continue;
    state_.SearchText = pair.Search;
    state_.ReplaceText = pair.Replacement;
    state_.SearchContinue = state_.SearchFromCaret;
    const std::int64_t lengthBefore = model->TextLength();
    const TSearchOptions options = BuildSearchOptions(state_, TSearchKind::skMultiReplace,
                                                      state_.SearchBackward, model->SelAvail());
    host_.SetStatusText({});
    const int count = RunPass(*model, TSearchKind::skMultiReplace, options);
    if (count < 0) break;
    FinishPass(*model, count, state_.SearchBackward, false);
    if (inSelection) selection.End += model->TextLength() - lengthBefore;
    selection.Restore(*model);
  }
  state_.SearchText = savedSearch;
  state_.ReplaceText = savedReplace;
  host_.FocusEditor();
}

std::vector<TDefinitionFile> TSearchDriver::DefinitionFiles() const {
  return ListReplaceDefinitions(definitionFolders_);
}

TEditorModel* TSearchDriver::BeginFindText(const std::string& text, TSearchOptions& options) {
  CancelFindText();
  TEditorModel* model = host_.SearchModel();
  if (!model) return nullptr;
  state_.SearchText = text;
  state_.SearchContinue = false;
  if (text.empty()) return nullptr;
  host_.SetStatusText({});
  options =
      BuildSearchOptions(state_, TSearchKind::skFind, state_.SearchBackward, model->SelAvail());
  return model;
}

TIncrementalFind::TState TSearchDriver::FindTextChange(
    const std::string& text, TIncrementalFind::TClock::time_point deadline) {
  TSearchOptions options{};
  TEditorModel* model = BeginFindText(text, options);
  if (!model) return TIncrementalFind::TState::Idle;
  try {
    findText_.Start(*model, EngineFor(state_), text, options);
  } catch (const TSearchError& e) {
    // While typing a pattern is often unfinished: the reason goes to the status bar only.
    host_.SetStatusText(e.what());
    return TIncrementalFind::TState::NotFound;
  }
  return ContinueFindText(deadline);
}

TIncrementalFind::TState TSearchDriver::ContinueFindText(
    TIncrementalFind::TClock::time_point deadline) {
  if (findText_.State() != TIncrementalFind::TState::Pending) return findText_.State();
  if (host_.SearchModel() != findText_.Model()) {
    CancelFindText();
    return TIncrementalFind::TState::Idle;
  }
  try {
    return FinishFindText(findText_.Run(deadline));
  } catch (const TSearchError& e) {
    // A pattern that gives up (too much backtracking) ends the search with its reason.
    findText_.Cancel();
    host_.SetStatusText(e.what());
    return TIncrementalFind::TState::NotFound;
  }
}

TIncrementalFind::TState TSearchDriver::FinishFindText(TIncrementalFind::TState result) {
  if (result == TIncrementalFind::TState::Pending) return result;
  TEditorModel* model = findText_.Model();
  const bool backward = findText_.Backward();
  findText_.Cancel();
  if (model) FinishPass(*model, result == TIncrementalFind::TState::Found ? 1 : 0, backward, false);
  return result;
}

void TSearchDriver::CancelFindText() {
  findText_.Cancel();
  if (!findPending_) return;
  findPending_ = false;
  ++findJob_;  // its result, when it comes, is dropped
  host_.StopSearchWork();
  ReleaseFindTextModel();
}

void TSearchDriver::ReleaseFindTextModel() {
  if (findModel_) findModel_->SetTextChangeGuard({});
  findModel_ = nullptr;
}

TIncrementalFind::TState TSearchDriver::StartFindText(const std::string& text) {
  TSearchOptions options{};
  TEditorModel* model = BeginFindText(text, options);
  if (!model) return TIncrementalFind::TState::Idle;
  TSearchEngine& engine = EngineFor(state_);
  try {
    engine.Prepare(text, options);
  } catch (const TSearchError& e) {
    // While typing a pattern is often unfinished: the reason goes to the status bar only.
    host_.SetStatusText(e.what());
    return TIncrementalFind::TState::NotFound;
  }
  // The scope of a find pass over the whole scope (see TIncrementalFind).
  const TTextBuffer& buffer = model->Buffer();
  std::size_t begin = 0;
  std::size_t end = buffer.ByteCount();
  const bool backward = (options & ssoBackwards) != 0;
  if ((options & ssoSelectedOnly) != 0 && model->SelAvail()) {
    begin = model->ByteOfPos(model->BlockBegin());
    end = model->ByteOfPos(model->BlockEnd());
  } else if ((options & ssoEntireScope) == 0) {
    (backward ? end : begin) = model->ByteOfPos(model->CaretPos());
  }
  const std::uint64_t job = ++findJob_;
  findPending_ = true;
  findRestart_ = false;
  findModel_ = model;
  findBackward_ = backward;
  findResult_ = TIncrementalFind::TState::Pending;
  model->SetTextChangeGuard([this](bool destroyed) {
    host_.StopSearchWork();
    if (destroyed)
      findModel_ = nullptr;
    else
      findRestart_ = true;
  });
  auto match = std::make_shared<std::optional<TSearchMatch>>();
  host_.StartSearchWork(
      [&engine, &buffer, begin, end, backward, match](TSearchControl& control) {
        TControlScope scope(engine, control);
        TSearchMatch m;
        if (engine.Find(buffer, begin, end, backward, m)) *match = m;
      },
      [this, job, match](std::exception_ptr error) { FinishFindTextWork(job, *match, error); });
  return job == findJob_ ? findResult_ : TIncrementalFind::TState::Pending;
}

void TSearchDriver::FinishFindTextWork(std::uint64_t job, std::optional<TSearchMatch> match,
                                       std::exception_ptr error) {
  if (job != findJob_ || !findPending_) return;
  findPending_ = false;
  TEditorModel* model = findModel_;
  const bool restart = findRestart_;
  ReleaseFindTextModel();
  using S = TIncrementalFind::TState;
  if (!model || host_.SearchModel() != model) {
    findResult_ = S::Idle;
    host_.FindTextDone(findResult_);
    return;
  }
  if (restart) {
    // The text changed under the search: it starts over on the new text.
    const S state = StartFindText(state_.SearchText);
    if (state != S::Pending) host_.FindTextDone(state);
    return;
  }
  if (error) {
    try {
      std::rethrow_exception(error);
    } catch (const TSearchCancelled&) {
      host_.SetStatusText(messages_.Lookup("SearchStopped"));
      findResult_ = S::Idle;
    } catch (const TSearchError& e) {
      // A pattern that gives up (too much work) ends the search with its reason.
      host_.SetStatusText(e.what());
      findResult_ = S::NotFound;
    } catch (const std::exception& e) {
      host_.SetStatusText(e.what());
      findResult_ = S::NotFound;
    }
    host_.FindTextDone(findResult_);
    return;
  }
  if (match) {
    const TBufferPos first = model->PosOfByte(match->Start);
    const TBufferPos last = model->PosOfByte(match->End);
    if (findBackward_)
      model->SetCaretAndSelection(first, last, first);
    else
      model->SetCaretAndSelection(last, first, last);
  }
  FinishPass(*model, match ? 1 : 0, findBackward_, false);
  findResult_ = match ? S::Found : S::NotFound;
  host_.FindTextDone(findResult_);
}

}  // namespace tervil
