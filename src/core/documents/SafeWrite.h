#pragma once

// Writing document files so that they hold either their old or their new content whatever
// happens, and finding what an interrupted write left behind.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tervil {

// What a file on disk is: its identity, size, modification and status change times at full
// resolution. Two stamps differ when another program wrote, replaced or truncated the file.
struct TFileStamp {
  std::int64_t time = 0;  // modification time in nanoseconds since the epoch
  // Status change time in nanoseconds: a write whose modification time was set back afterwards
  // (touch -r) still moves it.
  std::int64_t changed = 0;
  std::int64_t size = 0;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;  // 0 when there is no file
  bool Exists() const { return inode != 0; }
  bool operator==(const TFileStamp&) const = default;
};

// The stamp of the file a path names (a symbolic link is followed); an empty stamp when the path
// has no folder part, names no file, or names a folder.
TFileStamp GetFileStamp(const std::string& path);
// Whether the file changed on disk since `known` was taken. A file that is gone is not reported.
bool IsChangedOutside(const TFileStamp& known, const TFileStamp& now);

// Whether two stamps of one file differ only in the status change time: new links, other
// permissions, or a write whose modification time was set back.
bool OnlyStatusChanged(const TFileStamp& known, const TFileStamp& now);
// A fast hash of a file's bytes, to tell those cases apart.
std::uint64_t ContentHash(std::string_view bytes);

// Writes `bytes` so that the file holds either its old or its new content whatever happens:
// into a temporary file in the same folder, flushed, then renamed over the target, keeping the
// target's permission bits, owner and group. A symbolic link is followed. A file with several
// hard links, or in a folder where no new file can be made, is written in place after a backup
// copy was taken (and restored when the write fails). Returns false with the system's error text.
// `written`, when given, receives the stamp of the file as written; after a failed in-place write
// that put the old content back, the stamp of the file as it is now (its times moved), and
// otherwise after a failure an empty stamp (the file was not touched).
bool SafeWriteFile(const std::string& path, std::string_view bytes, std::string* error,
                   TFileStamp* written = nullptr);

// Copies `path` to `backup`, replacing an older backup.
bool BackupFile(const std::string& path, const std::string& backup, std::string* error);

// Removes the hidden temporary copies that saves of `target` killed midway left in its folder
// (only names of the program's own pattern, and only when no running save holds them). A copy
// younger than `minAgeSeconds` may belong to a save that is only starting and is kept; a start
// that knows the save's run has ended passes 0. Returns how many were removed.
int RemoveStaleTemporaries(const std::string& target, long minAgeSeconds = 10);

// An in-place write that did not end: its process is gone and the backup it took is still there.
struct TInterruptedWrite {
  std::string target;          // the document's file
  std::string backup;          // its content before the write
  std::string note;            // what the write meant to do
  bool finished = false;       // the file holds the whole new content: nothing to restore
  bool targetShorter = false;  // the file is shorter than the backup
};
// The folder in-place writes keep their backups in while they run.
std::string InPlaceBackupDirectory();
std::vector<TInterruptedWrite> FindInterruptedWrites();
// Puts the backup's content back into the file (in place, so hard links stay) and removes the
// backup. Returns false with the system's error text; the backup then stays.
bool RestoreInterruptedWrite(const TInterruptedWrite& write, std::string* error);
void DiscardInterruptedWrite(const TInterruptedWrite& write);

// Replaces the function used for writing file data, so tests can simulate a full disk.
using TWriteFunction = std::function<long(int fd, const void* data, std::size_t size)>;
void SetWriteFunctionForTests(TWriteFunction write);

}  // namespace tervil
