#include "core/recovery/JournalRecorder.h"

#include "core/editcomponent/EditorModel.h"
#include "core/recovery/JournalWriter.h"

namespace tervil {

namespace {
// Bytes a record adds besides its text: head, position(s) and CRC.
constexpr std::size_t kRecordCost = 4 + 1 + 8 + 16 + 4;
}  // namespace

std::size_t TJournalPolicy::LogLimit(std::size_t textBytes) const {
  if (textBytes > snapshotCap) return 4 * textBytes;
  return std::max(textBytes, kMinLog);
}

TJournalRecorder::TJournalRecorder(TEditorModel& model, TJournalWriter& writer, int page,
                                   IdentityOf identity, TJournalPolicy policy)
    : model_(&model),
      writer_(writer),
      page_(page),
      identity_(std::move(identity)),
      policy_(policy) {
  model_->AddListener(this);
  if (model_->Modified()) state_ = State::NeedsSnapshot;
}

TJournalRecorder::~TJournalRecorder() {
  if (model_) model_->RemoveListener(this);
  Discard();
}

void TJournalRecorder::Detach() {
  model_ = nullptr;
  Discard();
}

void TJournalRecorder::Keep() {
  if (model_) model_->RemoveListener(this);
  model_ = nullptr;
  hasJournal_ = false;
  state_ = State::Idle;
}

void TJournalRecorder::Discard() {
  if (hasJournal_) {
    writer_.Remove(page_);
    writer_.Flush();
  }
  hasJournal_ = false;
  state_ = State::Idle;
  logBytes_ = 0;
}

void TJournalRecorder::TextEdited(std::size_t byte, std::size_t removed,
                                  std::string_view inserted) {
  switch (state_) {
    case State::Idle:
      state_ = State::NeedsSnapshot;  // the snapshot will hold this edit
      break;
    case State::NeedsSnapshot:
      break;
    case State::Active:
      if (removed > 0) writer_.Erase(page_, byte, removed);
      if (!inserted.empty()) writer_.Insert(page_, byte, std::string(inserted));
      logBytes_ += kRecordCost + inserted.size();
      break;
  }
}

void TJournalRecorder::TextReset() {
  if (model_ && model_->Modified()) {
    state_ = State::NeedsSnapshot;
  } else {
    Discard();
  }
}

void TJournalRecorder::StatusChanged(TStatusChanges changes) {
  if ((changes & scModified) && model_ && !model_->Modified()) Discard();
}

void TJournalRecorder::Tick(std::uint64_t nowMs) {
  if (!model_ || state_ == State::Idle) return;
  const bool due = state_ == State::NeedsSnapshot ||
                   logBytes_ > policy_.LogLimit(model_->Buffer().ByteCount()) ||
                   (writer_.Broken(page_) && nowMs - lastSnapshotMs_ >= TJournalPolicy::kRetryMs);
  if (due) Snapshot(nowMs);
}

void TJournalRecorder::Snapshot(std::uint64_t nowMs) {
  writer_.Snapshot(page_, identity_(), model_->Buffer().Text("\n"));
  hasJournal_ = true;
  state_ = State::Active;
  logBytes_ = 0;
  lastSnapshotMs_ = nowMs;
}

}  // namespace tervil
