#pragma once

#include <string>
#include <vector>

#include "core/recovery/Journal.h"

namespace tervil {

// $XDG_STATE_HOME/tervil-editor/recovery (default ~/.local/state/tervil-editor/recovery).
std::string RecoveryDirectory();

// A folder of the recovery directory held by one run of the program. The run keeps its lock
// file locked (flock) while it lives, so the lock is free only when the run has ended: a killed
// run's folder is recognised by any later start, and editors running side by side each have a
// folder of their own.
class TRunFolder {
 public:
  TRunFolder() = default;
  ~TRunFolder();
  TRunFolder(TRunFolder&& other) noexcept;
  TRunFolder& operator=(TRunFolder&& other) noexcept;
  TRunFolder(const TRunFolder&) = delete;
  TRunFolder& operator=(const TRunFolder&) = delete;

  // Creates and locks a new folder for this run under `root` (0700). Empty on failure, with
  // the reason in `error`.
  static TRunFolder Create(const std::string& root, std::string* error);
  // Locks the folder of a run that has ended. Fails while its run lives or while another start
  // already holds it (two starts after a crash: only one gets the folder).
  static TRunFolder Claim(const std::string& folder);

  bool Valid() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }
  // The journal files in the folder, sorted.
  std::vector<std::string> Journals() const;
  // Deletes the folder with its lock and every journal in it, keeping journals of unknown
  // format (the folder stays then). Releases the lock.
  void Remove(const std::vector<std::string>& keep = {});
  // Releases the lock and leaves the folder as it is (recovery offered again at the next start).
  void Release();

 private:
  std::string path_;
  int fd_ = -1;
};

// The run folders under `root` whose runs have ended, claimed for this start.
std::vector<TRunFolder> ClaimEndedRuns(const std::string& root);

// One page found in an ended run's folder.
struct TRecoverablePage {
  std::string journal;  // the journal file
  TJournalContents contents;
  // The page's file changed on disk (or went away) since the page read it.
  bool fileChanged = false;
};

// Reads every journal of the claimed folders.
std::vector<TRecoverablePage> ReadRecoverablePages(const std::vector<TRunFolder>& runs);

}  // namespace tervil
