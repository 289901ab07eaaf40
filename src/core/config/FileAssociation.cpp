#include "core/config/FileAssociation.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "core/common/Paths.h"
#include "core/common/TextFile.h"
#include "core/config/KeyFile.h"

namespace tervil {

namespace {

constexpr const char* kEntryGroup = "Desktop Entry";
constexpr const char* kDefaultsGroup = "Default Applications";

// An XDG base folder: the variable when it names an absolute path, else the default.
std::string XdgFolder(const char* variable, const std::string& fallback) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return value;
  return HomeDirectory() + fallback;
}

std::runtime_error SystemError(const std::string& what, const std::string& path) {
  return std::runtime_error(what + " \"" + path + "\": " + std::strerror(errno));
}

// Reads a key file; a missing file reads as empty. Returns false (with the system's message)
// when it exists but cannot be read.
bool ReadKeyFile(const std::string& path, TKeyFile& file, std::string* error) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 && errno == ENOENT) {
    file.Parse("");
    return true;
  }
  std::string bytes;
  if (!ReadFileBytes(path, bytes, error)) return false;
  file.Parse(bytes);
  return true;
}

TKeyFile ReadForChange(const std::string& path) {
  TKeyFile file;
  std::string error;
  if (!ReadKeyFile(path, file, &error)) throw std::runtime_error(error);
  return file;
}

// Replaces `path` (the file a symbolic link points to, where it is one) with `content`: a
// temporary file in the same folder, flushed, then renamed over it, keeping its permissions.
void WriteKeyFile(const std::string& path, const TKeyFile& file) {
  std::string target = path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved)) target = resolved;
  const std::string dir = ParentDirectory(target);
  if (!EnsureDirectory(dir, 0755)) throw SystemError("Cannot create folder", dir);

  mode_t mode = 0644;
  struct stat info;
  if (::stat(target.c_str(), &info) == 0) mode = info.st_mode & 07777;

  std::string temporary = target + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) throw SystemError("Cannot write", target);
  const std::string content = file.Serialize();
  size_t written = 0;
  while (written < content.size()) {
    const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const auto error = SystemError("Cannot write", target);
      ::close(fd);
      ::unlink(temporary.c_str());
      throw error;
    }
    written += static_cast<size_t>(n);
  }
  if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0 || ::close(fd) != 0) {
    const auto error = SystemError("Cannot write", target);
    ::unlink(temporary.c_str());
    throw error;
  }
  if (std::rename(temporary.c_str(), target.c_str()) != 0) {
    const auto error = SystemError("Cannot write", target);
    ::unlink(temporary.c_str());
    throw error;
  }
  SyncDirectory(dir);
}

// A desktop entry's string value: backslashes and line breaks escaped.
std::string EscapeValue(const std::string& text) {
  std::string value;
  for (char c : text) {
    if (c == '\\')
      value += "\\\\";
    else if (c == '\n')
      value += "\\n";
    else if (c == '\t')
      value += "\\t";
    else if (c == '\r')
      value += "\\r";
    else
      value += c;
  }
  return value;
}

}  // namespace

TAssociationPlaces TAssociationPlaces::FromEnvironment() {
  return {XdgFolder("XDG_DATA_HOME", "/.local/share") + "/applications",
          XdgFolder("XDG_CONFIG_HOME", "/.config") + "/mimeapps.list"};
}

std::string DesktopExecProgram(const std::string& program) {
  // Reserved characters make the argument quoted; inside the quotes ", `, $ and \ are escaped.
  static const std::string kReserved = " \t\n\"'\\><~|&;$*?#()`";
  std::string exec;
  const bool quote = program.find_first_of(kReserved) != std::string::npos || program.empty();
  if (quote) exec += '"';
  for (char c : program) {
    if (c == '%') {
      exec += "%%";
    } else {
      if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) exec += '\\';
      exec += c;
    }
  }
  if (quote) exec += '"';
  return EscapeValue(exec);
}

TFileAssociation::TFileAssociation(TAssociationPlaces places, TMimeLookup mimeTypeOf)
    : places_(std::move(places)), mimeTypeOf_(std::move(mimeTypeOf)) {}

std::string TFileAssociation::DesktopFilePath() const {
  return places_.applicationsDir + "/" + kDesktopFileName;
}

bool TFileAssociation::IsAssociated(const std::string& extension) const {
  const std::string mime = mimeTypeOf_(extension);
  if (mime.empty()) return false;
  TKeyFile list;
  if (!ReadKeyFile(places_.mimeappsList, list, nullptr)) return false;
  const auto apps = SplitKeyFileList(list.Get(kDefaultsGroup, mime).value_or(""));
  return !apps.empty() && apps.front() == kDesktopFileName;
}

bool TFileAssociation::Associate(const std::string& extension, const std::string& verb,
                                 const std::string& programPath) {
  const std::string mime = mimeTypeOf_(extension);
  if (mime.empty()) return false;
  TKeyFile list = ReadForChange(places_.mimeappsList);

  // The desktop entry: a complete one, since it stands in for the installed entry of the same
  // name.
  TKeyFile entry = ReadForChange(DesktopFilePath());
  const std::string exec = DesktopExecProgram(programPath) + " %f";
  auto setDefault = [&entry](const char* key, const std::string& value) {
    if (!entry.Get(kEntryGroup, key)) entry.Set(kEntryGroup, key, value);
  };
  entry.Set(kEntryGroup, "Type", "Application");
  entry.Set(kEntryGroup, "Name", "Tervil Editor");
  setDefault("GenericName", "Text Editor");
  setDefault("Comment", "Edit HTML, PHP, CSS, JavaScript and other web files");
  setDefault("Icon", "tervil-editor");
  setDefault("Terminal", "false");
  setDefault("Categories", "Development;TextEditor;");
  setDefault("StartupWMClass", "Tervil Editor");
  if (verb.empty() || verb == "open") {
    entry.Set(kEntryGroup, "Exec", exec);
  } else {
    setDefault("Exec", exec);
    auto actions = SplitKeyFileList(entry.Get(kEntryGroup, "Actions").value_or(""));
    if (std::find(actions.begin(), actions.end(), verb) == actions.end()) actions.push_back(verb);
    entry.Set(kEntryGroup, "Actions", JoinKeyFileList(actions));
    const std::string group = "Desktop Action " + verb;
    entry.Set(group, "Name", EscapeValue(verb));
    entry.Set(group, "Exec", exec);
  }
  auto types = SplitKeyFileList(entry.Get(kEntryGroup, "MimeType").value_or(""));
  if (std::find(types.begin(), types.end(), mime) == types.end()) types.push_back(mime);
  entry.Set(kEntryGroup, "MimeType", JoinKeyFileList(types));
  WriteKeyFile(DesktopFilePath(), entry);

  auto apps = SplitKeyFileList(list.Get(kDefaultsGroup, mime).value_or(""));
  std::erase(apps, std::string(kDesktopFileName));
  apps.insert(apps.begin(), kDesktopFileName);
  list.Set(kDefaultsGroup, mime, JoinKeyFileList(apps));
  WriteKeyFile(places_.mimeappsList, list);
  return true;
}

bool TFileAssociation::Unassociate(const std::string& extension) {
  const std::string mime = mimeTypeOf_(extension);
  if (mime.empty()) return false;
  TKeyFile list = ReadForChange(places_.mimeappsList);
  auto apps = SplitKeyFileList(list.Get(kDefaultsGroup, mime).value_or(""));
  if (apps.empty() || apps.front() != kDesktopFileName) return false;
  std::erase(apps, std::string(kDesktopFileName));
  if (apps.empty())
    list.Remove(kDefaultsGroup, mime);
  else
    list.Set(kDefaultsGroup, mime, JoinKeyFileList(apps));
  WriteKeyFile(places_.mimeappsList, list);
  return true;
}

bool TFileAssociation::RegisterIcon(const std::string& iconPath) {
  if (!FileExists(DesktopFilePath())) return false;
  TKeyFile entry = ReadForChange(DesktopFilePath());
  const std::string icon = EscapeValue(iconPath);
  if (entry.Get(kEntryGroup, "Icon") != icon) {
    entry.Set(kEntryGroup, "Icon", icon);
    WriteKeyFile(DesktopFilePath(), entry);
  }
  return true;
}

}  // namespace tervil
