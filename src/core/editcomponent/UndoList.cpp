#include "core/editcomponent/UndoList.h"

#include <string.h>

#include <algorithm>

#include "core/common/Utf8.h"

namespace tervil {

TBufferPos PositionAfter(TBufferPos start, std::string_view text) {
  // memrchr scans a word at a time where string_view::rfind goes byte by byte.
  const auto* lastBreak = static_cast<const char*>(memrchr(text.data(), '\n', text.size()));
  if (lastBreak == nullptr) {
    return {start.Column + static_cast<int>(utf8::CountChars(text)), start.Line};
  }
  auto breaks = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  const auto afterBreak = static_cast<std::size_t>(lastBreak + 1 - text.data());
  return {1 + static_cast<int>(utf8::CountChars(text.substr(afterBreak))), start.Line + breaks};
}

void TUndoList::Add(TUndoGroup&& group, bool merge) {
  if (group.Items.empty()) return;
  redo_.clear();
  if (merge && TryMerge(group)) return;
  if (group.Id == 0) group.Id = NewId();
  undo_.push_back(std::move(group));
  Trim();
}

bool TUndoList::JoinLast(std::uint64_t id, TUndoGroup&& group) {
  if (id == 0 || undo_.empty() || undo_.back().Id != id || id == savedId_) return false;
  TUndoGroup& last = undo_.back();
  for (TUndoItem& item : group.Items) last.Items.push_back(std::move(item));
  last.After = group.After;
  last.Id = NewId();  // a state of its own for the modified flag
  redo_.clear();
  return true;
}

bool TUndoList::TryMerge(const TUndoGroup& group) {
  if (undo_.empty() || group.Items.size() != 1) return false;
  TUndoGroup& top = undo_.back();
  if (top.Id == savedId_ || top.Command != group.Command || top.Items.empty()) return false;
  TUndoItem& last = top.Items.back();
  const TUndoItem& next = group.Items.front();
  if (last.Reason != next.Reason || last.Mode != next.Mode) return false;
  if (next.Reason == TChangeReason::crInsert) {
    if (next.Start != last.End) return false;
    last.Text += next.Text;
    last.End = next.End;
  } else if (next.End == last.Start) {  // deleting backwards
    last.Text = next.Text + last.Text;
    last.Start = next.Start;
  } else if (next.Start == last.Start) {  // deleting forwards
    last.Text += next.Text;
    last.End = PositionAfter(last.Start, last.Text);
  } else {
    return false;
  }
  top.After = group.After;
  return true;
}

TUndoGroup TUndoList::PopUndo() {
  TUndoGroup group = std::move(undo_.back());
  undo_.pop_back();
  return group;
}

TUndoGroup TUndoList::PopRedo() {
  TUndoGroup group = std::move(redo_.back());
  redo_.pop_back();
  return group;
}

void TUndoList::Clear() {
  bool wasModified = Modified();
  undo_.clear();
  redo_.clear();
  baseId_ = NewId();
  savedId_ = wasModified ? kUnreachable : baseId_;
}

void TUndoList::SetMaxSteps(std::size_t steps) {
  maxSteps_ = std::max<std::size_t>(steps, 1);
  Trim();
}

void TUndoList::Trim() {
  while (undo_.size() > maxSteps_) {
    baseId_ = undo_.front().Id;
    undo_.pop_front();
  }
}

std::size_t TUndoList::MemoryUsage() const {
  std::size_t total = 0;
  for (const auto* stack : {&undo_, &redo_}) {
    for (const TUndoGroup& g : *stack) {
      total += sizeof(TUndoGroup) + g.Items.capacity() * sizeof(TUndoItem);
      for (const TUndoItem& item : g.Items) total += item.Text.capacity();
    }
  }
  return total;
}

}  // namespace tervil
