#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct stat;

namespace tervil::explorer {

// What to do with a name that already exists in the target folder.
enum class TConflictChoice { Overwrite, Skip, Rename, Cancel };

// The answer to a conflict question; `ForAll` applies it to every later conflict.
struct TConflictAnswer {
  TConflictChoice Choice = TConflictChoice::Skip;
  bool ForAll = false;
};

// Progress of a running operation, reported between chunks of data.
struct TProgress {
  std::uint64_t BytesDone = 0;
  std::uint64_t BytesTotal = 0;
  std::string Current;  // path being copied
};

// The outcome: every failure is listed with its path; nothing failed silently.
struct TOperationResult {
  std::vector<std::string> Errors;
  bool Cancelled = false;
  int Done = 0;  // top-level sources copied, moved or deleted
  bool Ok() const { return Errors.empty() && !Cancelled; }
};

// Copies, moves and deletes files and folders for the disk explorer.
// Folders are copied recursively; permissions and modification times are kept; symbolic links
// are copied as links. A file is written under a temporary name and renamed into place only when
// complete, so a failed or cancelled copy leaves no half-written file. A move renames within one
// file system, and across file systems copies then deletes the source only when its copy
// succeeded. A move never removes what it did not carry over: a name skipped at a conflict stays
// in the source, and a source folder goes only when it is empty afterwards. Runs on any thread; the
// callbacks are called on that thread.
class TFileOperation {
 public:
  std::function<TConflictAnswer(const std::string& target, bool targetIsDir)> OnConflict;
  std::function<void(const TProgress&)> OnProgress;

  // Asks the running operation to stop at the next chunk (safe from any thread).
  void Cancel() { cancelled_ = true; }

  TOperationResult Copy(const std::vector<std::string>& sources, const std::string& targetFolder);
  TOperationResult Move(const std::vector<std::string>& sources, const std::string& targetFolder);
  // Deletes for good (no Trash), folders recursively.
  TOperationResult Delete(const std::vector<std::string>& sources);

 private:
  enum class TStep { Done, Skipped, Failed, Cancelled };

  TStep CopyEntry(const std::string& source, const std::string& target, bool topLevel);
  TStep CopyLink(const std::string& source, const std::string& target, const struct stat& info);
  TStep CopyFile(const std::string& source, const std::string& target);
  TStep CopyFolder(const std::string& source, const std::string& target, bool merge);
  TStep ResolveTarget(std::string& target, bool sourceIsDir, bool& merge);
  bool RemoveMoved(const std::vector<std::string>& arrived, const std::string& source);
  bool RemoveAll(const std::string& path);
  void Prepare(const std::vector<std::string>& sources);
  void Fail(const std::string& path, const std::string& reason);
  bool Report();

  std::atomic<bool> cancelled_{false};
  bool haveForAll_ = false;
  TConflictChoice forAll_ = TConflictChoice::Skip;
  TOperationResult result_;
  TProgress progress_;
  std::vector<std::string>* arrived_ = nullptr;  // sources copied completely, while moving
};

// A name not yet used in `folder`, made from `name` as "name (2).ext", "name (3).ext", ...
std::string FreeName(const std::string& folder, const std::string& name);

// True when `inner` is `outer` or lies inside it (after resolving both paths).
bool IsInside(const std::string& inner, const std::string& outer);

}  // namespace tervil::explorer
