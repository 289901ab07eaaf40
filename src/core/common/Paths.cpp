#include "core/common/Paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace tervil {

namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  // Only absolute values count, as the XDG base directory rules say.
  if (value && value[0] == '/') return value;
  return fallback;
}

}  // namespace

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home && home[0]) return home;
  if (const passwd* pw = ::getpwuid(::getuid())) return pw->pw_dir;
  return "/";
}

std::string ConfigDirectory() {
  return EnvOr("XDG_CONFIG_HOME", HomeDirectory() + "/.config") + "/tervil-editor";
}

std::string TempDirectory() {
  return EnvOr("XDG_CACHE_HOME", HomeDirectory() + "/.cache") + "/tervil-editor/temp";
}

std::string RuntimeDirectory() {
  std::string dir = EnvOr("XDG_RUNTIME_DIR", "");
  if (!dir.empty()) return dir;
  return "/tmp/tervil-editor-" + std::to_string(::getuid());
}

std::string ResourceDirectory(const std::string& executableDir, const std::string& name) {
  std::string beside = executableDir + "/" + name;
  if (DirectoryExists(beside)) return beside;
  std::string installed = ParentDirectory(executableDir) + "/share/tervil-editor/" + name;
  if (DirectoryExists(installed)) return installed;
  return beside;
}

std::string ParentDirectory(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string MakeAbsolute(const std::string& path, const std::string& base) {
  std::string joined = (!path.empty() && path[0] == '/') ? path : base + "/" + path;
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= joined.size()) {
    size_t end = joined.find('/', start);
    if (end == std::string::npos) end = joined.size();
    std::string part = joined.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string result;
  for (const auto& part : parts) result += "/" + part;
  return result.empty() ? "/" : result;
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool EnsureDirectory(const std::string& path, unsigned mode) {
  if (path.empty() || DirectoryExists(path)) return true;
  std::string parent = ParentDirectory(path);
  if (parent != path && !EnsureDirectory(parent, mode)) return false;
  return ::mkdir(path.c_str(), mode) == 0 || errno == EEXIST;
}

void SyncDirectory(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

int DeleteFilesIn(const std::string& path) {
  DIR* dir = ::opendir(path.c_str());
  if (!dir) return 0;
  int count = 0;
  while (const dirent* entry = ::readdir(dir)) {
    std::string full = path + "/" + entry->d_name;
    struct stat st {};
    if (::lstat(full.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) && ::unlink(full.c_str()) == 0)
      ++count;
  }
  ::closedir(dir);
  return count;
}

}  // namespace tervil
