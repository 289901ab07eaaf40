#include "core/recovery/JournalWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "core/common/Paths.h"

namespace tervil {

namespace {

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

std::uint64_t JournalClockMs() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

TJournalWriter::TJournalWriter(std::string folder, int maxDelayMs)
    : folder_(std::move(folder)), maxDelayMs_(maxDelayMs), thread_([this] { Run(); }) {}

TJournalWriter::~TJournalWriter() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
  for (auto& [page, file] : files_) {
    if (file.fd >= 0) ::close(file.fd);
  }
}

TJournalWriter::TOp TJournalWriter::MakeOp(TOp::Kind kind, int page, std::uint64_t byte,
                                           std::uint64_t length) {
  TOp op;
  op.kind = kind;
  op.page = page;
  op.time = JournalClockMs();
  op.byte = byte;
  op.length = length;
  return op;
}

std::string TJournalWriter::PathOf(int page) const {
  return folder_ + "/page-" + std::to_string(page) + ".tvj";
}

void TJournalWriter::Snapshot(int page, const TJournalIdentity& identity, std::string text) {
  TOp op = MakeOp(TOp::Snapshot, page);
  op.identity = std::make_shared<const TJournalIdentity>(identity);
  op.text = std::move(text);
  Queue(std::move(op));
}

void TJournalWriter::Insert(int page, std::uint64_t byte, std::string text) {
  TOp op = MakeOp(TOp::Insert, page, byte);
  op.text = std::move(text);
  Queue(std::move(op));
}

void TJournalWriter::Erase(int page, std::uint64_t byte, std::uint64_t length) {
  Queue(MakeOp(TOp::Erase, page, byte, length));
}

void TJournalWriter::Remove(int page) {
  Queue(MakeOp(TOp::Remove, page));
}

void TJournalWriter::Queue(TOp&& op) {
  bool first = false;
  {
    std::lock_guard lock(mutex_);
    first = queue_.empty();
    queue_.push_back(std::move(op));
    ++queued_;
  }
  if (first) wake_.notify_one();
}

void TJournalWriter::Flush() {
  std::unique_lock lock(mutex_);
  const std::uint64_t target = queued_;
  flushTarget_ = target;
  wake_.notify_one();
  done_.wait(lock, [&] { return finished_ >= target; });
}

bool TJournalWriter::Broken(int page) const {
  std::lock_guard lock(mutex_);
  auto it = broken_.find(page);
  return it != broken_.end() && it->second;
}

std::string TJournalWriter::TakeError() {
  std::lock_guard lock(mutex_);
  if (errorReported_ || error_.empty()) return {};
  errorReported_ = true;
  return error_;
}

std::uint64_t TJournalWriter::Written() const {
  std::lock_guard lock(mutex_);
  return written_;
}

// Waits for work, lets the edits of a short burst gather (at most maxDelayMs_ after the first),
// then writes them all with one write and one flush per journal.
void TJournalWriter::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stop_ || !queue_.empty(); });
    if (queue_.empty()) return;  // stopping, and nothing is left to write
    if (!stop_ && flushTarget_ <= finished_) {
      wake_.wait_for(lock, std::chrono::milliseconds(maxDelayMs_),
                     [&] { return stop_ || flushTarget_ > finished_; });
    }
    std::deque<TOp> batch;
    batch.swap(queue_);
    lock.unlock();
    const std::size_t count = batch.size();
    WriteBatch(batch);
    lock.lock();
    finished_ += count;
    done_.notify_all();
  }
}

void TJournalWriter::WriteBatch(std::deque<TOp>& ops) {
  std::string pending;
  int pendingPage = -1;
  std::uint64_t edits = 0;
  std::map<int, bool> touched;
  for (TOp& op : ops) {
    if (op.kind == TOp::Insert || op.kind == TOp::Erase) ++edits;
    if (op.kind != TOp::Remove) touched[op.page] = true;
    Apply(op, pending, pendingPage);
  }
  AppendPending(pending, pendingPage);
  for (const auto& [page, unused] : touched) {
    auto it = files_.find(page);
    if (it != files_.end() && it->second.fd >= 0 && ::fdatasync(it->second.fd) != 0) {
      Fail(page, "cannot flush the journal", errno);
    }
  }
  std::lock_guard lock(mutex_);
  written_ += edits;
}

void TJournalWriter::Apply(TOp& op, std::string& pending, int& pendingPage) {
  if (op.page != pendingPage) {
    AppendPending(pending, pendingPage);
    pendingPage = op.page;
  }
  switch (op.kind) {
    case TOp::Snapshot:
      pending.clear();
      if (WriteSnapshot(op)) {
        std::lock_guard lock(mutex_);
        broken_[op.page] = false;
      }
      break;
    case TOp::Insert:
      pending += EncodeRecord(TJournalRecord::Insert, op.time, EncodeInsert(op.byte, op.text));
      break;
    case TOp::Erase:
      pending += EncodeRecord(TJournalRecord::Erase, op.time, EncodeErase(op.byte, op.length));
      break;
    case TOp::Remove:
      pending.clear();
      ClosePage(op.page);
      ::unlink(PathOf(op.page).c_str());
      {
        std::lock_guard lock(mutex_);
        broken_.erase(op.page);
      }
      break;
  }
}

void TJournalWriter::AppendPending(std::string& pending, int page) {
  if (pending.empty()) return;
  auto it = files_.find(page);
  // Edits of a page without a journal (not yet snapshotted, or broken) cannot be replayed.
  if (it != files_.end() && it->second.fd >= 0 && !it->second.broken &&
      !WriteAll(it->second.fd, pending)) {
    Fail(page, "cannot write the journal", errno);
  }
  pending.clear();
}

// Writes the new journal beside the old one and renames it over it, so that a kill during the
// write leaves the old journal whole.
bool TJournalWriter::WriteSnapshot(TOp& op) {
  ClosePage(op.page);
  const std::string path = PathOf(op.page);
  const std::string temp = path + ".new";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) {
    Fail(op.page, "cannot create the journal", errno);
    return false;
  }
  std::string data = JournalHeader();
  data += EncodeRecord(TJournalRecord::Identity, op.time, EncodeIdentity(*op.identity));
  data += EncodeRecord(TJournalRecord::Snapshot, op.time, op.text);
  op.text = std::string();
  if (!WriteAll(fd, data) || ::fdatasync(fd) != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::close(fd);
    ::unlink(temp.c_str());
    Fail(op.page, "cannot write the journal", error);
    return false;
  }
  SyncDirectory(folder_);
  files_[op.page] = TPageFile{fd, false};
  std::lock_guard lock(mutex_);
  errorReported_ = false;
  error_.clear();
  return true;
}

void TJournalWriter::Fail(int page, const std::string& what, int error) {
  auto it = files_.find(page);
  if (it != files_.end()) it->second.broken = true;
  std::lock_guard lock(mutex_);
  broken_[page] = true;
  if (error_.empty()) error_ = what + " in " + folder_ + ": " + std::strerror(error);
}

void TJournalWriter::ClosePage(int page) {
  auto it = files_.find(page);
  if (it == files_.end()) return;
  if (it->second.fd >= 0) ::close(it->second.fd);
  files_.erase(it);
}

}  // namespace tervil
