#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace tervil::explorer {

// One entry of a folder listing: a file, a folder, or ".." (the way up).
struct TFileEntry {
  std::string Name;  // bytes as the file system holds them (may be invalid UTF-8)
  bool IsDir = false;
  bool IsLink = false;
  bool Hidden = false;    // name begins with a dot
  bool ReadOnly = false;  // the owner may not write it
  std::uint64_t Size = 0;
  std::time_t Modified = 0;

  bool IsUp() const { return Name == ".."; }
};

// Result of reading a folder: the entries, or the reason the folder could not be read.
struct TListing {
  std::vector<TFileEntry> Entries;
  std::string Error;  // empty on success
};

// Reads `folder` (an absolute path). "." is never listed; ".." is listed except at the root.
// Hidden entries (names beginning with a dot) only when `showHidden`.
TListing ListFolder(const std::string& folder, bool showHidden);

// Size column text: "1 KB" below 1024 bytes, then whole KB up to 1 MB, then whole MB, rounded
// to nearest, with `thousands` between groups of three digits. Folders have an empty text.
std::string FileSizeText(std::uint64_t size, const std::string& thousands = ",");

// The number of bytes a size text stands for (thousands separators and blanks ignored; an empty
// or unreadable text is 0). Sorting by size works at the precision of the shown text.
std::uint64_t SizeFromText(const std::string& text);

// Date column text: local time as "yyyy-mm-dd hh:nn:ss".
std::string FileDateText(std::time_t modified);

enum class TSortColumn { Name = 0, Size = 1, Date = 2 };

// True when `a` is listed before `b`. ".." leads whatever the direction; with Name and Date,
// folders come before files whatever the direction. `direction` is 1 ascending, -1 descending.
bool EntryBefore(const TFileEntry& a, const TFileEntry& b, TSortColumn column, int direction);

// Sorts `entries` in place (stable) by `column` and `direction`.
void SortEntries(std::vector<TFileEntry>& entries, TSortColumn column, int direction);

// The file system's wildcard match of `name` against `mask` ("*", "?", case-sensitive).
bool MatchesMask(const std::string& name, const std::string& mask);

// Names shown in italic grey: backups (".bak"), editor leftovers (".~...", ".tvl...").
bool IsLeftoverName(const std::string& name);

}  // namespace tervil::explorer
