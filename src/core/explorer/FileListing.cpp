#include "core/explorer/FileListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace tervil::explorer {

namespace {

// Fills the entry's kind, size, time and permissions from its name inside the open folder
// (no path to resolve again for every entry); false when the entry vanished meanwhile.
bool StatEntry(int folder, const char* name, TFileEntry& entry) {
  struct stat linkInfo {};
  if (fstatat(folder, name, &linkInfo, AT_SYMLINK_NOFOLLOW) != 0) return false;
  entry.IsLink = S_ISLNK(linkInfo.st_mode);
  struct stat info = linkInfo;
  if (entry.IsLink && fstatat(folder, name, &info, 0) != 0) info = linkInfo;  // dangling link
  entry.IsDir = S_ISDIR(info.st_mode);
  entry.Size = entry.IsDir ? 0 : static_cast<std::uint64_t>(info.st_size);
  entry.Modified = info.st_mtime;
  entry.ReadOnly = (info.st_mode & S_IWUSR) == 0;
  return true;
}

std::string GroupThousands(std::uint64_t value, const std::string& thousands) {
  std::string digits = std::to_string(value);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += thousands;
    out += digits[i];
  }
  return out;
}

std::uint64_t RoundedUnits(std::uint64_t size, std::uint64_t unit) {
  return static_cast<std::uint64_t>(std::llround(static_cast<long double>(size) / unit));
}

// The size as the size column shows it, in bytes (same as SizeFromText(FileSizeText(size))).
std::uint64_t ShownSize(const TFileEntry& entry) {
  if (entry.IsDir) return 0;
  if (entry.Size < 1024) return 1024;
  if (entry.Size < 1048576) return RoundedUnits(entry.Size, 1024) * 1024;
  return RoundedUnits(entry.Size, 1048576) * 1048576;
}

int CompareNames(const TFileEntry& a, const TFileEntry& b) {
  return strcasecmp(a.Name.c_str(), b.Name.c_str());
}

int CompareNumbers(auto a, auto b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

}  // namespace

TListing ListFolder(const std::string& folder, bool showHidden) {
  TListing result;
  DIR* dir = opendir(folder.c_str());
  if (!dir) {
    result.Error = std::strerror(errno);
    return result;
  }
  const bool isRoot = folder == "/";
  while (dirent* item = readdir(dir)) {
    std::string name = item->d_name;
    if (name == ".") continue;
    if (name == "..") {
      if (isRoot) continue;
    } else if (name[0] == '.' && !showHidden) {
      continue;
    }
    TFileEntry entry;
    entry.Name = name;
    entry.Hidden = name[0] == '.' && name != "..";
    if (StatEntry(dirfd(dir), item->d_name, entry)) result.Entries.push_back(std::move(entry));
  }
  closedir(dir);
  return result;
}

std::string FileSizeText(std::uint64_t size, const std::string& thousands) {
  if (size < 1024) return "1 KB";
  if (size < 1048576) return GroupThousands(RoundedUnits(size, 1024), thousands) + " KB";
  return GroupThousands(RoundedUnits(size, 1048576), thousands) + " MB";
}

std::uint64_t SizeFromText(const std::string& text) {
  std::uint64_t number = 0;
  bool fraction = false;
  for (char c : text) {
    if (c == '.') fraction = true;
    if (c >= '0' && c <= '9' && !fraction) number = number * 10 + static_cast<unsigned>(c - '0');
  }
  if (text.find("MB") != std::string::npos) return number * 1048576;
  if (text.find("KB") != std::string::npos) return number * 1024;
  return number;
}

std::string FileDateText(std::time_t modified) {
  std::tm local{};
  localtime_r(&modified, &local);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
  return buffer;
}

bool EntryBefore(const TFileEntry& a, const TFileEntry& b, TSortColumn column, int direction) {
  if (a.IsUp() != b.IsUp()) return a.IsUp();
  if (column != TSortColumn::Size && a.IsDir != b.IsDir) return a.IsDir;
  int order = 0;
  switch (column) {
    case TSortColumn::Name:
      order = CompareNames(a, b);
      break;
    case TSortColumn::Size:
      order = CompareNumbers(ShownSize(a), ShownSize(b));
      break;
    case TSortColumn::Date:
      order = CompareNumbers(a.Modified, b.Modified);
      break;
  }
  return order * direction < 0;
}

void SortEntries(std::vector<TFileEntry>& entries, TSortColumn column, int direction) {
  std::stable_sort(entries.begin(), entries.end(), [&](const TFileEntry& a, const TFileEntry& b) {
    return EntryBefore(a, b, column, direction);
  });
}

bool MatchesMask(const std::string& name, const std::string& mask) {
  return fnmatch(mask.c_str(), name.c_str(), FNM_PERIOD) == 0;
}

bool IsLeftoverName(const std::string& name) {
  const auto dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string extension = name.substr(dot);
  return extension == ".bak" || extension.starts_with(".~") || extension.starts_with(".tvl");
}

}  // namespace tervil::explorer
