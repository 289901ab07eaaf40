#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/editcomponent/EditorListener.h"
#include "core/recovery/Journal.h"

namespace tervil {

class TEditorModel;
class TJournalWriter;

// When a journal is rewritten as a snapshot. The log of edits after the snapshot is replayed at
// recovery; it is cut back to a snapshot once it outgrows the text (at least 64 KiB of log).
// Above `snapshotCap` bytes of text, a snapshot (a copy of the whole text) is taken only when
// the log reaches four times the text, so big pages are copied less often.
struct TJournalPolicy {
  static constexpr std::size_t kMinLog = 64 * 1024;
  static constexpr std::size_t kDefaultCap = 16 * 1024 * 1024;
  static constexpr std::uint64_t kRetryMs = 10000;  // a journal that failed is retried this late
  std::size_t snapshotCap = kDefaultCap;
  // Log bytes after which a text of `textBytes` is snapshotted afresh.
  std::size_t LogLimit(std::size_t textBytes) const;
};

// Follows one editor model and journals its unsaved changes through a writer. The edits are
// queued as they happen (no disk access on the typing path); the first edit after a save, a
// reload or a reset only marks the page, and the next Tick writes the snapshot it needs.
// Saving (the modified flag cleared) deletes the journal.
class TJournalRecorder : public TEditorListener {
 public:
  using IdentityOf = std::function<TJournalIdentity()>;

  TJournalRecorder(TEditorModel& model, TJournalWriter& writer, int page, IdentityOf identity,
                   TJournalPolicy policy = {});
  ~TJournalRecorder() override;
  TJournalRecorder(const TJournalRecorder&) = delete;
  TJournalRecorder& operator=(const TJournalRecorder&) = delete;

  // The model is going away: the recorder no longer touches it, and deletes the journal.
  void Detach();
  // Writes the snapshot the journal needs, if any. Called from a timer (a few times a second).
  void Tick(std::uint64_t nowMs);
  // Deletes the journal; the next edit starts a new one. Returns once the file is gone, so a
  // page saved or closed a moment before a crash is not offered again.
  void Discard();
  // Stops following the model and leaves its journal on disk for the next start (the program
  // ends with the page unsaved).
  void Keep();
  bool Journalling() const { return state_ == State::Active; }
  int Page() const { return page_; }

  void TextEdited(std::size_t byte, std::size_t removed, std::string_view inserted) override;
  void TextReset() override;
  void StatusChanged(TStatusChanges changes) override;

 private:
  enum class State { Idle, NeedsSnapshot, Active };
  void Snapshot(std::uint64_t nowMs);

  TEditorModel* model_;
  TJournalWriter& writer_;
  int page_;
  IdentityOf identity_;
  TJournalPolicy policy_;
  State state_ = State::Idle;
  bool hasJournal_ = false;
  std::size_t logBytes_ = 0;
  std::uint64_t lastSnapshotMs_ = 0;
};

}  // namespace tervil
