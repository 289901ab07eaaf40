#include "core/search/IncrementalFind.h"

#include <algorithm>

#include "core/editcomponent/EditorModel.h"
#include "core/editcomponent/SearchEngines.h"
#include "core/editcomponent/TextBuffer.h"

namespace tervil {

namespace {
// A plain-text occurrence is at most this many bytes per character of the search text (a
// folded character may match a longer one), plus a little.
constexpr std::size_t kOverlapPerChar = 12;
constexpr std::size_t kOverlapExtra = 16;
}  // namespace

void TIncrementalFind::Start(TEditorModel& model, TSearchEngine& engine, const std::string& search,
                             TSearchOptions options) {
  model_ = &model;
  engine_ = &engine;
  search_ = search;
  options_ =
      options & (ssoMatchCase | ssoWholeWord | ssoBackwards | ssoEntireScope | ssoSelectedOnly);
  engine.Prepare(search, options_);
  lineSlices_ = dynamic_cast<TRegexSearchEngine*>(&engine) != nullptr;
  overlap_ = std::min(search.size() * kOverlapPerChar + kOverlapExtra, kSliceBytes / 2);
  Restart();
}

void TIncrementalFind::Restart() {
  const TTextBuffer& buffer = model_->Buffer();
  byteCount_ = buffer.ByteCount();
  lineCount_ = buffer.LineCount();
  begin_ = 0;
  end_ = byteCount_;
  if ((options_ & ssoSelectedOnly) != 0 && model_->SelAvail()) {
    begin_ = model_->ByteOfPos(model_->BlockBegin());
    end_ = model_->ByteOfPos(model_->BlockEnd());
  } else if ((options_ & ssoEntireScope) == 0) {
    (Backward() ? end_ : begin_) = model_->ByteOfPos(model_->CaretPos());
  }
  pos_ = Backward() ? end_ : begin_;
  state_ = search_.empty() ? TState::NotFound : TState::Pending;
}

bool TIncrementalFind::DocumentChanged() const {
  const TTextBuffer& buffer = model_->Buffer();
  return buffer.ByteCount() != byteCount_ || buffer.LineCount() != lineCount_;
}

void TIncrementalFind::Cancel() {
  state_ = TState::Idle;
  model_ = nullptr;
  engine_ = nullptr;
}

TIncrementalFind::TState TIncrementalFind::Run(TClock::time_point deadline) {
  while (state_ == TState::Pending) {
    if (DocumentChanged()) Restart();
    if (Step() || TClock::now() >= deadline) break;
  }
  return state_;
}

bool TIncrementalFind::Step() {
  return Backward() ? StepBackward() : StepForward();
}

bool TIncrementalFind::StepForward() {
  const TTextBuffer& buffer = model_->Buffer();
  const std::size_t target = std::min(end_, pos_ + kSliceBytes);
  std::size_t sliceEnd = end_;
  if (target < end_)
    sliceEnd = lineSlices_ ? std::min(end_, buffer.LineEnd(buffer.LineOfByte(target)))
                           : buffer.CharBoundary(target);
  TSearchMatch match;
  if (engine_->Find(buffer, pos_, sliceEnd, false, match)) {
    Found(match.Start, match.End);
    return true;
  }
  if (sliceEnd >= end_) {
    state_ = TState::NotFound;
    return true;
  }
  // Regular expressions never match across a line break; plain text may, so the next slice
  // starts early enough to see an occurrence on the border.
  const std::size_t next =
      lineSlices_ ? sliceEnd + 1 : buffer.CharBoundary(sliceEnd - std::min(sliceEnd, overlap_));
  pos_ = std::max(next, buffer.NextChar(pos_));
  return false;
}

bool TIncrementalFind::StepBackward() {
  const TTextBuffer& buffer = model_->Buffer();
  const std::size_t target = pos_ - std::min(kSliceBytes, pos_ - begin_);
  std::size_t sliceStart = begin_;
  if (target > begin_)
    sliceStart = lineSlices_ ? std::max(begin_, buffer.LineStart(buffer.LineOfByte(target)))
                             : buffer.CharBoundary(target);
  TSearchMatch match;
  if (engine_->Find(buffer, sliceStart, pos_, true, match)) {
    Found(match.Start, match.End);
    return true;
  }
  if (sliceStart <= begin_) {
    state_ = TState::NotFound;
    return true;
  }
  const std::size_t next =
      lineSlices_ ? sliceStart - 1 : buffer.CharBoundary(std::min(end_, sliceStart + overlap_));
  pos_ = std::min(next, buffer.PrevChar(pos_));
  return false;
}

void TIncrementalFind::Found(std::size_t start, std::size_t end) {
  const TBufferPos first = model_->PosOfByte(start);
  const TBufferPos last = model_->PosOfByte(end);
  if (Backward())
    model_->SetCaretAndSelection(first, last, first);
  else
    model_->SetCaretAndSelection(last, first, last);
  state_ = TState::Found;
}

}  // namespace tervil
