#include "core/config/SettingsStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "core/common/Paths.h"

namespace tervil {

namespace {

constexpr const char* kHeader = "REGEDIT4";
constexpr const char* kAltHeader = "Windows Registry Editor Version 5.00";

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\') {
      if (!part.empty()) parts.push_back(std::move(part));
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(std::move(part));
  return parts;
}

bool NestedTooDeeply(const std::string& path) {
  return SplitPath(path).size() > TSettingsKey::kMaxKeyDepth;
}

std::string DepthError() {
  return "key nested more than " + std::to_string(TSettingsKey::kMaxKeyDepth) + " levels deep";
}

const TSettingsKey* FindKey(const TSettingsKey& root, const std::string& path) {
  const TSettingsKey* key = &root;
  for (const auto& name : SplitPath(path)) {
    auto it = key->subkeys.find(name);
    if (it == key->subkeys.end()) return nullptr;
    key = it->second.get();
  }
  return key;
}

TSettingsKey& MakeKey(TSettingsKey& root, const std::string& path) {
  TSettingsKey* key = &root;
  for (const auto& name : SplitPath(path)) {
    auto& slot = key->subkeys[name];
    if (!slot) slot = std::make_unique<TSettingsKey>();
    key = slot.get();
  }
  return *key;
}

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\0':
        out += "\\0";
        break;
      default:
        out += c;
    }
  }
  return out + "\"";
}

// Reads a quoted string starting at text[pos] == '"'; leaves pos after the closing quote.
bool Unquote(const std::string& text, size_t& pos, std::string& out) {
  if (pos >= text.size() || text[pos] != '"') return false;
  out.clear();
  for (++pos; pos < text.size(); ++pos) {
    char c = text[pos];
    if (c == '"') {
      ++pos;
      return true;
    }
    if (c == '\\') {
      if (++pos >= text.size()) return false;
      switch (text[pos]) {
        case '\\':
          out += '\\';
          break;
        case '"':
          out += '"';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case '0':
          out += '\0';
          break;
        default:
          return false;
      }
    } else {
      out += c;
    }
  }
  return false;
}

bool ParseDword(const std::string& digits, std::uint32_t& value) {
  if (digits.empty() || digits.size() > 8) return false;
  value = 0;
  for (char c : digits) {
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    value = value * 16 + static_cast<std::uint32_t>(d);
  }
  return true;
}

bool ParseValueLine(const std::string& line, TSettingsKey& key) {
  size_t pos = 0;
  std::string name;
  if (!Unquote(line, pos, name) || pos >= line.size() || line[pos] != '=') return false;
  ++pos;
  if (pos < line.size() && line[pos] == '"') {
    std::string value;
    if (!Unquote(line, pos, value) || pos != line.size()) return false;
    key.values[name] = value;
    return true;
  }
  static const std::string kDword = "dword:";
  if (line.compare(pos, kDword.size(), kDword) != 0) return false;
  std::uint32_t value;
  if (!ParseDword(line.substr(pos + kDword.size()), value)) return false;
  key.values[name] = value;
  return true;
}

void SerializeSection(const TSettingsKey& key, const std::string& path, std::ostringstream& out) {
  if (!path.empty() && (!key.values.empty() || key.subkeys.empty())) {
    out << "\n[" << path << "]\n";
    for (const auto& [name, value] : key.values) {
      out << Quote(name) << '=';
      if (const auto* s = std::get_if<std::string>(&value)) {
        out << Quote(*s) << '\n';
      } else {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", std::get<std::uint32_t>(value));
        out << buf << '\n';
      }
    }
  }
}

// Every key in depth-first order, subkeys by name, each after its parent.
void SerializeTree(const TSettingsKey& root, std::ostringstream& out) {
  std::vector<std::pair<const TSettingsKey*, std::string>> pending{{&root, std::string()}};
  while (!pending.empty()) {
    auto [key, path] = std::move(pending.back());
    pending.pop_back();
    SerializeSection(*key, path, out);
    for (auto it = key->subkeys.rbegin(); it != key->subkeys.rend(); ++it)
      pending.emplace_back(it->second.get(), path.empty() ? it->first : path + "\\" + it->first);
  }
}

std::string SystemError(const std::string& what, const std::string& path) {
  return what + " \"" + path + "\": " + std::strerror(errno);
}

// Holds an advisory lock on "<store>.lock" for as long as it lives.
class TFileLock {
 public:
  explicit TFileLock(const std::string& storePath, int operation) {
    std::string lockPath = storePath + ".lock";
    fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0) {
      while (::flock(fd_, operation) != 0 && errno == EINTR) {
      }
    }
  }
  ~TFileLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  TFileLock(const TFileLock&) = delete;
  TFileLock& operator=(const TFileLock&) = delete;

 private:
  int fd_ = -1;
};

// The writer's temporary file: the store's name, this marker and mkstemp's six characters.
constexpr const char* kTemporaryMarker = ".tmp-";

std::string TemporaryTemplate(const std::string& storePath) {
  return storePath + kTemporaryMarker + "XXXXXX";
}

// Removes temporary files that a writer killed in the middle left behind: regular files named
// like the writer's own temporaries, nothing else (a user's "registry.reg.backup" stays). Only
// called under the exclusive lock, when no other writer can be busy with one.
void RemoveStaleTemporaries(const std::string& storePath) {
  const std::string dir = ParentDirectory(storePath);
  const std::string prefix = FileNameOf(storePath) + kTemporaryMarker;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return;
  while (const dirent* entry = ::readdir(d)) {
    const std::string name = entry->d_name;
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string path = dir + "/" + name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
  }
  ::closedir(d);
}

bool ReadWholeFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  text = ss.str();
  return true;
}

}  // namespace

TSettingsKey::~TSettingsKey() {
  // Detach the subtrees and free them one key at a time: a deep tree must not exhaust the stack.
  std::vector<std::unique_ptr<TSettingsKey>> pending;
  for (auto& entry : subkeys) pending.push_back(std::move(entry.second));
  subkeys.clear();
  while (!pending.empty()) {
    std::unique_ptr<TSettingsKey> key = std::move(pending.back());
    pending.pop_back();
    for (auto& entry : key->subkeys) pending.push_back(std::move(entry.second));
    key->subkeys.clear();
  }
}

struct TSettingsStore::Change {
  enum Kind { SetValue, RemoveValue, AddKey, RemoveKey } kind;
  std::string path;
  std::string name;
  TSettingsValue value;
};

TSettingsStore::TSettingsStore(std::string filePath)
    : filePath_(filePath.empty() ? DefaultFilePath() : std::move(filePath)) {}

TSettingsStore::~TSettingsStore() = default;

std::string TSettingsStore::DefaultFilePath() {
  return ConfigDirectory() + "/registry.reg";
}

bool TSettingsStore::Parse(const std::string& text, TSettingsKey& root, std::string* error) {
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  bool headerSeen = false;
  TSettingsKey* current = nullptr;
  auto fail = [&](const std::string& why) {
    if (error) *error = "line " + std::to_string(lineNo) + ": " + why;
    return false;
  };
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (lineNo == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (line.empty() || line[0] == ';') continue;
    if (!headerSeen) {
      if (line != kHeader && line != kAltHeader) return fail("missing REGEDIT4 header");
      headerSeen = true;
      continue;
    }
    if (line[0] == '[') {
      if (line.back() != ']' || line.size() < 3) return fail("malformed key line");
      const std::string path = line.substr(1, line.size() - 2);
      if (NestedTooDeeply(path)) return fail(DepthError());
      current = &MakeKey(root, path);
      continue;
    }
    if (!current) return fail("value outside of a key");
    if (!ParseValueLine(line, *current)) return fail("malformed value line");
  }
  if (!headerSeen && !text.empty()) return fail("missing REGEDIT4 header");
  return true;
}

std::string TSettingsStore::Serialize() const {
  std::ostringstream out;
  out << kHeader << "\n";
  SerializeTree(root_, out);
  return out.str();
}

std::string TSettingsStore::Load() {
  EnsureDirectory(ParentDirectory(filePath_), 0700);
  TFileLock lock(filePath_, LOCK_EX);
  std::string text;
  TSettingsKey fresh;
  std::string message;
  if (ReadWholeFile(filePath_, text)) {
    std::string error;
    if (!Parse(text, fresh, &error)) {
      fresh = TSettingsKey{};
      std::string bad = filePath_ + ".bad";
      if (std::rename(filePath_.c_str(), bad.c_str()) == 0) {
        message = "The settings file \"" + filePath_ + "\" could not be read (" + error +
                  "); it was kept as \"" + bad + "\" and default settings are used.";
      } else {
        message = "The settings file \"" + filePath_ + "\" could not be read (" + error +
                  ") and default settings are used.";
      }
    }
  }
  for (const auto& change : pending_) Apply(change, fresh);
  root_ = std::move(fresh);
  return message;
}

void TSettingsStore::Flush() {
  if (pending_.empty()) return;
  std::string dir = ParentDirectory(filePath_);
  EnsureDirectory(dir, 0700);
  TFileLock lock(filePath_, LOCK_EX);
  RemoveStaleTemporaries(filePath_);

  // Start from what is on disk now, so that changes by another editor process survive.
  std::string text;
  TSettingsKey merged;
  bool fromDisk = ReadWholeFile(filePath_, text) && Parse(text, merged, nullptr);
  if (fromDisk) {
    for (const auto& change : pending_) Apply(change, merged);
    root_ = std::move(merged);
  }
  std::string content = Serialize();

  std::string tmpl = TemporaryTemplate(filePath_);
  int fd = ::mkstemp(tmpl.data());
  if (fd < 0) throw TSettingsError(SystemError("Cannot create", tmpl));
  ::fchmod(fd, 0600);
  size_t written = 0;
  while (written < content.size()) {
    ssize_t n = ::write(fd, content.data() + written, content.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      std::string err = SystemError("Cannot write", filePath_);
      ::close(fd);
      ::unlink(tmpl.c_str());
      throw TSettingsError(err);
    }
    written += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    std::string err = SystemError("Cannot write", filePath_);
    ::unlink(tmpl.c_str());
    throw TSettingsError(err);
  }
  if (std::rename(tmpl.c_str(), filePath_.c_str()) != 0) {
    std::string err = SystemError("Cannot replace", filePath_);
    ::unlink(tmpl.c_str());
    throw TSettingsError(err);
  }
  SyncDirectory(dir);
  pending_.clear();
}

void TSettingsStore::Apply(const Change& change, TSettingsKey& root) const {
  switch (change.kind) {
    case Change::SetValue:
      MakeKey(root, change.path).values[change.name] = change.value;
      break;
    case Change::RemoveValue:
      if (auto* key = const_cast<TSettingsKey*>(FindKey(root, change.path)))
        key->values.erase(change.name);
      break;
    case Change::AddKey:
      MakeKey(root, change.path);
      break;
    case Change::RemoveKey: {
      auto parts = SplitPath(change.path);
      if (parts.empty()) {
        root = TSettingsKey{};
        break;
      }
      std::string leaf = parts.back();
      parts.pop_back();
      TSettingsKey* parent = &root;
      for (const auto& p : parts) {
        auto it = parent->subkeys.find(p);
        if (it == parent->subkeys.end()) return;
        parent = it->second.get();
      }
      parent->subkeys.erase(leaf);
      break;
    }
  }
}

void TSettingsStore::Record(Change change) {
  if (NestedTooDeeply(change.path)) throw TSettingsError("Cannot write a " + DepthError());
  Apply(change, root_);
  pending_.push_back(std::move(change));
}

bool TSettingsStore::KeyExists(const std::string& path) const {
  return FindKey(root_, path);
}

void TSettingsStore::CreateKey(const std::string& path) {
  if (!KeyExists(path)) Record({Change::AddKey, path, {}, {}});
}

void TSettingsStore::DeleteKey(const std::string& path) {
  Record({Change::RemoveKey, path, {}, {}});
}

std::vector<std::string> TSettingsStore::SubkeyNames(const std::string& path) const {
  std::vector<std::string> names;
  if (const auto* key = FindKey(root_, path))
    for (const auto& entry : key->subkeys) names.push_back(entry.first);
  return names;
}

std::vector<std::string> TSettingsStore::ValueNames(const std::string& path) const {
  std::vector<std::string> names;
  if (const auto* key = FindKey(root_, path))
    for (const auto& entry : key->values) names.push_back(entry.first);
  return names;
}

bool TSettingsStore::ValueExists(const std::string& path, const std::string& name) const {
  const auto* key = FindKey(root_, path);
  return key && key->values.count(name) > 0;
}

namespace {
const TSettingsValue& FindValue(const TSettingsKey* key, const std::string& path,
                                const std::string& name) {
  if (!key) throw TSettingsError("Key \"" + path + "\" does not exist");
  auto it = key->values.find(name);
  if (it == key->values.end())
    throw TSettingsError("Value \"" + name + "\" does not exist in \"" + path + "\"");
  return it->second;
}
}  // namespace

std::string TSettingsStore::ReadString(const std::string& path, const std::string& name) const {
  const auto& value = FindValue(FindKey(root_, path), path, name);
  if (const auto* s = std::get_if<std::string>(&value)) return *s;
  throw TSettingsError("Invalid data type for \"" + name + "\"");
}

std::uint32_t TSettingsStore::ReadInteger(const std::string& path, const std::string& name) const {
  const auto& value = FindValue(FindKey(root_, path), path, name);
  if (const auto* i = std::get_if<std::uint32_t>(&value)) return *i;
  throw TSettingsError("Invalid data type for \"" + name + "\"");
}

bool TSettingsStore::ReadBool(const std::string& path, const std::string& name) const {
  return ReadInteger(path, name) != 0;
}

void TSettingsStore::WriteString(const std::string& path, const std::string& name,
                                 const std::string& value) {
  Record({Change::SetValue, path, name, value});
}

void TSettingsStore::WriteInteger(const std::string& path, const std::string& name,
                                  std::uint32_t value) {
  Record({Change::SetValue, path, name, value});
}

void TSettingsStore::WriteBool(const std::string& path, const std::string& name, bool value) {
  WriteInteger(path, name, value ? 1u : 0u);
}

void TSettingsStore::DeleteValue(const std::string& path, const std::string& name) {
  if (ValueExists(path, name)) Record({Change::RemoveValue, path, name, {}});
}

}  // namespace tervil
