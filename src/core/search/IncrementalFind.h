#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "core/editcomponent/EditorTypes.h"

namespace tervil {

class TEditorModel;
class TSearchEngine;

// A find pass cut into slices, so that a search through a long document can share the window
// thread with typing: each call of Run scans until its deadline and then gives way. The scope,
// the direction and the selection of the occurrence are those of the editor's find operation.
class TIncrementalFind {
 public:
  enum class TState { Idle, Pending, Found, NotFound };
  using TClock = std::chrono::steady_clock;

  // Bytes scanned between two looks at the clock.
  static constexpr std::size_t kSliceBytes = 1 << 20;

  // Starts a find pass of `search` in `model` with `options` (the find bits only); throws
  // TSearchError for an invalid pattern. Nothing is scanned yet.
  void Start(TEditorModel& model, TSearchEngine& engine, const std::string& search,
             TSearchOptions options);
  // Scans until the occurrence is found (and selected), the scope is exhausted, or `deadline`
  // has passed with the scan still Pending. A document changed since Start starts the scan over.
  TState Run(TClock::time_point deadline);
  void Cancel();

  TState State() const { return state_; }
  TEditorModel* Model() const { return model_; }
  bool Backward() const { return (options_ & ssoBackwards) != 0; }

 private:
  // Scans one slice; returns true when the pass has ended.
  bool Step();
  bool StepForward();
  bool StepBackward();
  void Found(std::size_t start, std::size_t end);
  void Restart();
  bool DocumentChanged() const;

  TEditorModel* model_ = nullptr;
  TSearchEngine* engine_ = nullptr;
  std::string search_;
  TSearchOptions options_ = 0;
  TState state_ = TState::Idle;
  std::size_t begin_ = 0;  // the scope
  std::size_t end_ = 0;
  std::size_t pos_ = 0;      // where the next slice starts (ends, backwards)
  std::size_t overlap_ = 0;  // bytes the next slice goes back over, for matches on a border
  bool lineSlices_ = false;  // slices end at line breaks (regular expressions)
  std::size_t byteCount_ = 0;
  std::size_t lineCount_ = 0;
};

}  // namespace tervil
