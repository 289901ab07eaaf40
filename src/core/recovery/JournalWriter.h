#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/recovery/Journal.h"

namespace tervil {

// Writes the journals of one run's pages on a thread of its own. The editor only queues the
// edits (a copy of the inserted text, the range of a deletion); the thread appends them and
// flushes them to disk within `maxDelayMs` of the first queued edit, so typing never waits for
// the disk.
class TJournalWriter {
 public:
  explicit TJournalWriter(std::string folder, int maxDelayMs = 250);
  ~TJournalWriter();  // writes what is queued, then stops
  TJournalWriter(const TJournalWriter&) = delete;
  TJournalWriter& operator=(const TJournalWriter&) = delete;

  const std::string& Folder() const { return folder_; }
  std::string PathOf(int page) const;

  // Replaces the page's journal with its identity and the whole text (UTF-8, LF breaks).
  void Snapshot(int page, const TJournalIdentity& identity, std::string text);
  void Insert(int page, std::uint64_t byte, std::string text);
  void Erase(int page, std::uint64_t byte, std::uint64_t length);
  // Deletes the page's journal (saved, or closed without saving).
  void Remove(int page);

  // Waits until everything queued so far is on disk (for tests and a clean exit).
  void Flush();
  // A page whose journal could not be written: its later edits are dropped until a snapshot
  // writes the journal afresh.
  bool Broken(int page) const;
  // The first write error not yet reported; empty when there is none.
  std::string TakeError();
  // Edits written since the thread started (for tests and benchmarks).
  std::uint64_t Written() const;

 private:
  struct TOp {
    enum Kind { Snapshot, Insert, Erase, Remove } kind = Snapshot;
    int page = 0;
    std::uint64_t time = 0;
    std::uint64_t byte = 0;
    std::uint64_t length = 0;
    std::string text;
    std::shared_ptr<const TJournalIdentity> identity;  // snapshots only
  };
  struct TPageFile {
    int fd = -1;
    bool broken = false;
  };
  static TOp MakeOp(TOp::Kind kind, int page, std::uint64_t byte = 0, std::uint64_t length = 0);
  void Queue(TOp&& op);
  void Run();
  void WriteBatch(std::deque<TOp>& ops);
  void Apply(TOp& op, std::string& pending, int& pendingPage);
  void AppendPending(std::string& pending, int page);
  bool WriteSnapshot(TOp& op);
  void Fail(int page, const std::string& what, int error);
  void ClosePage(int page);

  std::string folder_;
  int maxDelayMs_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  std::deque<TOp> queue_;
  std::uint64_t queued_ = 0;
  std::uint64_t finished_ = 0;
  std::uint64_t flushTarget_ = 0;
  bool stop_ = false;
  std::map<int, TPageFile> files_;  // owned by the thread, except `broken` (under mutex_)
  std::map<int, bool> broken_;
  std::string error_;
  bool errorReported_ = false;
  std::uint64_t written_ = 0;
  std::thread thread_;
};

std::uint64_t JournalClockMs();

}  // namespace tervil
