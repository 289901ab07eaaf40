#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <map>
#include <memory>

#include "core/recovery/JournalRecorder.h"
#include "core/recovery/RecoveryStore.h"

namespace tervil {

class TJournalWriter;
class TTvlPage;

// The crash journal of this run: a locked folder of the recovery directory, the writer thread,
// and one recorder for every editor page. A timer a few times a second lets the recorders
// write the snapshots they need and reports the first write error. Saving a page or closing it
// deletes its journal, and the folder goes when the program ends normally; a program ended by a
// signal or with the desktop session keeps the journals of its unsaved pages.
class TCrashJournal : public QObject {
  Q_OBJECT
 public:
  explicit TCrashJournal(QObject* parent = nullptr);
  ~TCrashJournal() override;

  // Journalling on or off; switching it off deletes every journal of this run.
  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }
  // Text size above which pages are snapshotted less often.
  void SetSnapshotCap(std::size_t bytes) { policy_.snapshotCap = bytes; }

  // Follows the page until it is destroyed.
  void Attach(TTvlPage* page);
  // The folder of this run ("" while journalling is off or failed).
  QString Folder() const;
  // Writes what is queued (for tests, and before the program ends without its close questions).
  void Flush();
  // The program ends with pages unsaved (a signal, the end of the desktop session): writes the
  // journals of the modified pages and leaves them for the next start, which offers them. The
  // journal stops following the pages.
  void KeepForNextStart();

 signals:
  // A journal could not be written (disk full, folder not writable); sent once per failure.
  void WriteFailed(const QString& message);

 private:
  bool Start();
  void Stop();
  void Tick();
  void Follow(TTvlPage* page);
  static TJournalIdentity IdentityOf(const TTvlPage* page);

  bool enabled_ = false;
  bool startFailed_ = false;
  bool kept_ = false;
  TJournalPolicy policy_;
  TRunFolder run_;
  std::unique_ptr<TJournalWriter> writer_;
  std::map<TTvlPage*, std::unique_ptr<TJournalRecorder>> recorders_;
  std::map<TTvlPage*, QPointer<TTvlPage>> pages_;
  int nextId_ = 1;
  QTimer timer_;
};

}  // namespace tervil
