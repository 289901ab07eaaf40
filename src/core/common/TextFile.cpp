#include "core/common/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/common/HugePages.h"

namespace tervil {

std::string CannotOpenFileMessage(const std::string& path, const std::string& reason) {
  return "Cannot open file \"" + path + "\". " + reason;
}

namespace {

// Reads from fd until `size` bytes are in `buffer` or the file ends; `filled` tells how many
// came. Returns 0 or the error number.
int ReadInto(int fd, char* buffer, size_t size, size_t& filled) {
  filled = 0;
  while (filled < size) {
    const ssize_t n = ::read(fd, buffer + filled, size - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) break;
    filled += static_cast<size_t>(n);
  }
  return 0;
}

// Makes room for `size` bytes, in huge pages where the system has them.
void ReserveForFile(std::string& bytes, size_t size) {
  bytes.clear();
  bytes.reserve(size);
  AdviseHugePages(bytes.data(), size);
}

}  // namespace

bool ReadFileBytes(const std::string& path, std::string& bytes, std::string* error) {
  auto fail = [&](int err) {
    if (error) *error = CannotOpenFileMessage(path, std::strerror(err));
    return false;
  };
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return fail(errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
    ::close(fd);
    return fail(err);
  }
  // One allocation of the file's size, read into directly. A file that grows meanwhile is read on
  // to its end; one that shrinks gives what is there.
  ReserveForFile(bytes, static_cast<size_t>(st.st_size));
  bytes.resize(static_cast<size_t>(st.st_size));
  size_t filled = 0;
  int err = ReadInto(fd, bytes.data(), bytes.size(), filled);
  bytes.resize(filled);
  while (err == 0 && filled == static_cast<size_t>(st.st_size)) {
    char more[1 << 16];
    size_t got = 0;
    err = ReadInto(fd, more, sizeof more, got);
    if (got == 0) break;
    bytes.append(more, got);
  }
  ::close(fd);
  if (err != 0) {
    bytes.clear();
    return fail(err);
  }
  return true;
}

bool ReadLineList(const std::string& path, std::vector<std::string>& lines, std::string* error) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes, error)) return false;
  lines.clear();
  size_t start = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') continue;
    lines.push_back(bytes.substr(start, i - start));
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return true;
}

}  // namespace tervil
