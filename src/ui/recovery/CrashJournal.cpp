#include "ui/recovery/CrashJournal.h"

#include <QFileInfo>

#include "core/recovery/JournalWriter.h"
#include "ui/app/FilePaths.h"
#include "ui/documents/TvlPage.h"

namespace tervil {

namespace {
constexpr int kTickMs = 300;  // with the writer's quarter second, edits reach disk within 1 s
}  // namespace

TCrashJournal::TCrashJournal(QObject* parent) : QObject(parent) {
  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, &TCrashJournal::Tick);
}

TCrashJournal::~TCrashJournal() {
  recorders_.clear();
  writer_.reset();
  run_.Remove();
}

void TCrashJournal::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (!enabled_) {
    Stop();
    return;
  }
  if (!Start()) return;
  for (const auto& [key, page] : pages_) {
    if (page) Follow(page);
  }
}

bool TCrashJournal::Start() {
  if (writer_) return true;
  if (kept_) return false;
  std::string error;
  run_ = TRunFolder::Create(RecoveryDirectory(), &error);
  if (!run_.Valid()) {
    if (!startFailed_)
      emit WriteFailed(tr("Crash recovery is off: %1").arg(QString::fromStdString(error)));
    startFailed_ = true;
    return false;
  }
  writer_ = std::make_unique<TJournalWriter>(run_.Path());
  timer_.start();
  return true;
}

void TCrashJournal::Stop() {
  timer_.stop();
  recorders_.clear();
  writer_.reset();
  run_.Remove();
}

void TCrashJournal::Attach(TTvlPage* page) {
  if (!page || pages_.count(page)) return;
  pages_[page] = page;
  connect(page, &QObject::destroyed, this, [this, page] {
    // The page's editor is gone already: the recorder must not touch its model.
    auto it = recorders_.find(page);
    if (it != recorders_.end()) {
      it->second->Detach();
      recorders_.erase(it);
    }
    pages_.erase(page);
  });
  if (enabled_ && Start()) Follow(page);
}

void TCrashJournal::Follow(TTvlPage* page) {
  if (!writer_ || recorders_.count(page)) return;
  recorders_[page] = std::make_unique<TJournalRecorder>(
      page->Model(), *writer_, nextId_++, [page] { return IdentityOf(page); }, policy_);
}

TJournalIdentity TCrashJournal::IdentityOf(const TTvlPage* page) {
  TJournalIdentity id;
  id.name = PathBytes(page->Filename());
  id.named = QFileInfo(page->Filename()).isAbsolute();
  id.encoding = page->Encoding.toStdString();
  id.lineBreakStyle = page->LineBreakStyle;
  id.lf = page->LineBreaks.lf;
  id.crlf = page->LineBreaks.crlf;
  id.cr = page->LineBreaks.cr;
  if (page->Filedate.Exists()) {
    id.fileTime = page->Filedate.time;
    id.fileSize = page->Filedate.size;
    id.fileInode = page->Filedate.inode;
  }
  return id;
}

QString TCrashJournal::Folder() const {
  return writer_ ? QString::fromStdString(run_.Path()) : QString();
}

void TCrashJournal::Flush() {
  Tick();
  if (writer_) writer_->Flush();
}

void TCrashJournal::KeepForNextStart() {
  if (kept_) return;
  // Even with the journal switched off, unsaved text must outlive the program.
  if (!writer_ && Start()) {
    for (const auto& [key, page] : pages_) {
      if (page) Follow(page);
    }
  }
  kept_ = true;
  if (!writer_) return;
  timer_.stop();
  Tick();  // pages edited since the last tick get their snapshot
  for (auto& [page, recorder] : recorders_) recorder->Keep();
  recorders_.clear();
  writer_.reset();  // writes everything queued
  if (run_.Journals().empty())
    run_.Remove();
  else
    run_.Release();  // the lock goes with the program: the next start sees an ended run
}

void TCrashJournal::Tick() {
  if (!writer_) return;
  const std::uint64_t now = JournalClockMs();
  for (auto& [page, recorder] : recorders_) recorder->Tick(now);
  const std::string error = writer_->TakeError();
  if (!error.empty())
    emit WriteFailed(tr("Crash recovery journal: %1").arg(QString::fromStdString(error)));
}

}  // namespace tervil
