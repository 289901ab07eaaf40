#include "core/recovery/RecoveryStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "core/common/Paths.h"
#include "core/documents/SafeWrite.h"

namespace tervil {

namespace {

constexpr const char* kLockName = "/run.lock";
constexpr const char* kRunPrefix = "run-";

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool EndsWith(const std::string& s, std::string_view suffix) {
  return s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

int LockFile(const std::string& folder, bool create) {
  const std::string path = folder + kLockName;
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::string RecoveryDirectory() {
  const char* state = std::getenv("XDG_STATE_HOME");
  const std::string base = state && *state ? std::string(state) : HomeDirectory() + "/.local/state";
  return base + "/tervil-editor/recovery";
}

TRunFolder::~TRunFolder() {
  Release();
}

TRunFolder::TRunFolder(TRunFolder&& other) noexcept
    : path_(std::move(other.path_)), fd_(other.fd_) {
  other.fd_ = -1;
}

TRunFolder& TRunFolder::operator=(TRunFolder&& other) noexcept {
  if (this != &other) {
    Release();
    path_ = std::move(other.path_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

TRunFolder TRunFolder::Create(const std::string& root, std::string* error) {
  TRunFolder run;
  if (!EnsureDirectory(root, 0700)) {
    if (error) *error = "cannot create the folder " + root + ": " + std::strerror(errno);
    return run;
  }
  ::chmod(root.c_str(), 0700);
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path =
        root + "/" + kRunPrefix + std::to_string(::getpid()) + "-" + std::to_string(now + attempt);
    if (::mkdir(path.c_str(), 0700) != 0) {
      if (errno == EEXIST) continue;
      break;
    }
    run.fd_ = LockFile(path, true);
    if (run.fd_ < 0) {
      ::rmdir(path.c_str());
      break;
    }
    run.path_ = path;
    return run;
  }
  if (error) *error = "cannot create a folder in " + root + ": " + std::strerror(errno);
  return run;
}

TRunFolder TRunFolder::Claim(const std::string& folder) {
  TRunFolder run;
  // A run killed between creating its folder and its lock file left no lock: create one.
  run.fd_ = LockFile(folder, true);
  if (run.fd_ >= 0) run.path_ = folder;
  return run;
}

std::vector<std::string> TRunFolder::Journals() const {
  std::vector<std::string> journals;
  for (const std::string& name : Entries(path_)) {
    if (EndsWith(name, ".tvj")) journals.push_back(path_ + "/" + name);
  }
  return journals;
}

void TRunFolder::Remove(const std::vector<std::string>& keep) {
  if (!Valid()) return;
  bool kept = false;
  for (const std::string& name : Entries(path_)) {
    const std::string path = path_ + "/" + name;
    if (std::find(keep.begin(), keep.end(), path) != keep.end()) {
      kept = true;
    } else if (path != path_ + kLockName) {
      ::unlink(path.c_str());
    }
  }
  if (!kept) {
    ::unlink((path_ + kLockName).c_str());
    ::rmdir(path_.c_str());
  }
  Release();
}

void TRunFolder::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::vector<TRunFolder> ClaimEndedRuns(const std::string& root) {
  std::vector<TRunFolder> runs;
  for (const std::string& name : Entries(root)) {
    if (name.rfind(kRunPrefix, 0) != 0) continue;
    TRunFolder run = TRunFolder::Claim(root + "/" + name);
    if (!run.Valid()) continue;
    if (run.Journals().empty()) {
      run.Remove();  // an ended run with nothing to recover
      continue;
    }
    runs.push_back(std::move(run));
  }
  return runs;
}

std::vector<TRecoverablePage> ReadRecoverablePages(const std::vector<TRunFolder>& runs) {
  std::vector<TRecoverablePage> pages;
  for (const TRunFolder& run : runs) {
    for (const std::string& journal : run.Journals()) {
      TRecoverablePage page{journal, ReadJournal(journal)};
      const TJournalIdentity& id = page.contents.identity;
      if (id.named && id.fileSize >= 0) {
        const TFileStamp now = GetFileStamp(id.name);
        page.fileChanged = !now.Exists() || now.time != id.fileTime || now.size != id.fileSize;
      }
      pages.push_back(std::move(page));
    }
  }
  return pages;
}

}  // namespace tervil
