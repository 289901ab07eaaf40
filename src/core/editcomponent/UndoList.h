#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "core/editcomponent/EditorTypes.h"

namespace tervil {

// One primitive change: text inserted at Start (ending at End), or the text of [Start, End)
// deleted. Text is UTF-8 with LF line breaks.
struct TUndoItem {
  TChangeReason Reason = TChangeReason::crInsert;
  TBufferPos Start;
  TBufferPos End;
  std::string Text;
  TSelectionMode Mode = TSelectionMode::smNormal;
};

struct TSelectionState {
  TBufferPos Caret;
  TBufferPos BlockBegin;  // anchor of the selection
  TBufferPos BlockEnd;    // moving end of the selection
  TSelectionMode Mode = TSelectionMode::smNormal;
};

// The changes one undo step reverts, with the caret and selection before and after them.
struct TUndoGroup {
  std::uint64_t Id = 0;
  int Command = 0;  // the editor command that made the changes (ecNone for other edits)
  std::vector<TUndoItem> Items;
  TSelectionState Before;
  TSelectionState After;
};

// The position after `text` inserted at `start`.
TBufferPos PositionAfter(TBufferPos start, std::string_view text);

// Undo and redo stacks of undo groups, and the saved state that decides the modified flag.
class TUndoList {
 public:
  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  std::size_t UndoCount() const { return undo_.size(); }
  std::size_t RedoCount() const { return redo_.size(); }

  std::uint64_t NewId() { return nextId_++; }

  // Adds a new undo step and drops the redo steps. With `merge`, a single-item group that
  // continues the last step (typing on, deleting on) joins it instead.
  void Add(TUndoGroup&& group, bool merge);

  // The id of the last undo step; 0 with none.
  std::uint64_t LastId() const { return undo_.empty() ? 0 : undo_.back().Id; }
  // Appends the changes of `group` to the last undo step when that step is `id` and not the
  // saved state; false (nothing done) otherwise.
  bool JoinLast(std::uint64_t id, TUndoGroup&& group);

  TUndoGroup PopUndo();
  TUndoGroup PopRedo();
  void PushUndo(TUndoGroup&& group) { undo_.push_back(std::move(group)); }
  void PushRedo(TUndoGroup&& group) { redo_.push_back(std::move(group)); }

  void Clear();
  void SetMaxSteps(std::size_t steps);
  std::size_t MaxSteps() const { return maxSteps_; }

  // The modified flag: the current state differs from the one marked as saved.
  bool Modified() const { return CurrentId() != savedId_; }
  void MarkSaved() { savedId_ = CurrentId(); }
  void MarkModified() { savedId_ = kUnreachable; }

  std::size_t MemoryUsage() const;

 private:
  static constexpr std::uint64_t kUnreachable = ~std::uint64_t{0};
  std::uint64_t CurrentId() const { return undo_.empty() ? baseId_ : undo_.back().Id; }
  bool TryMerge(const TUndoGroup& group);
  void Trim();

  std::deque<TUndoGroup> undo_;
  std::deque<TUndoGroup> redo_;
  std::uint64_t nextId_ = 1;
  std::uint64_t baseId_ = 0;  // the state below the oldest kept step
  std::uint64_t savedId_ = 0;
  std::size_t maxSteps_ = 10000;
};

}  // namespace tervil
