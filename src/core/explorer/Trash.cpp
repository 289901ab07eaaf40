#include "core/explorer/Trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace tervil::explorer {

namespace {

bool Failed(std::string* error, int code) {
  if (error) *error = std::strerror(code);
  return false;
}

std::string PercentEncoded(const std::string& path) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
        (byte >= '0' && byte <= '9') || std::strchr("-._~/", c)) {
      out += c;
    } else {
      out += '%';
      out += digits[byte >> 4];
      out += digits[byte & 15];
    }
  }
  return out;
}

bool WriteAll(int fd, const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t put = write(fd, text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace

bool MoveToTrash(const std::string& pathIn, const std::string& trash, std::string* error) {
  std::string path = pathIn;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::size_t slash = path.rfind('/');
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (path.empty() || path[0] != '/' || base.empty() || base == "." || base == "..")
    return Failed(error, EINVAL);
  const std::string files = trash + "/files";
  const std::string info = trash + "/info";
  for (const std::string& folder : {trash, files, info})
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return Failed(error, errno);

  char date[32];
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
  const std::string record =
      "[Trash Info]\nPath=" + PercentEncoded(path) + "\nDeletionDate=" + date + "\n";

  for (int n = 1; n < 100000; ++n) {
    const std::string name = n == 1 ? base : base + "." + std::to_string(n);
    const std::string infoPath = info + "/" + name + ".trashinfo";
    // The record, made exclusively, reserves the name against other programs trashing at once.
    const int fd = open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return Failed(error, errno);
    const std::string target = files + "/" + name;
    struct stat taken {};
    if (lstat(target.c_str(), &taken) == 0) {
      close(fd);
      unlink(infoPath.c_str());
      continue;
    }
    const bool written = WriteAll(fd, record);
    const int writeError = errno;
    if (close(fd) != 0 || !written) {
      unlink(infoPath.c_str());
      return Failed(error, written ? errno : writeError);
    }
    if (rename(path.c_str(), target.c_str()) != 0) {
      const int code = errno;
      unlink(infoPath.c_str());
      return Failed(error, code);
    }
    return true;
  }
  return Failed(error, EEXIST);
}

}  // namespace tervil::explorer
