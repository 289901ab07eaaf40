#include "core/config/KeyFile.h"

namespace tervil {

namespace {

bool IsGroupHeader(const std::string& line) {
  return !line.empty() && line.front() == '[';
}

std::string Trimmed(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  const size_t end = text.find_last_not_of(" \t\r");
  return text.substr(begin, end - begin + 1);
}

// The key of a "Key=Value" line (blanks around "=" allowed); empty for other lines.
std::string KeyOf(const std::string& line) {
  if (line.empty() || line.front() == '#' || IsGroupHeader(line)) return {};
  const size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : Trimmed(line.substr(0, eq));
}

}  // namespace

void TKeyFile::Parse(const std::string& text) {
  lines_.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines_.push_back(std::move(line));
    start = end + 1;
  }
}

std::string TKeyFile::Serialize() const {
  std::string text;
  for (const auto& line : lines_) text += line + "\n";
  return text;
}

std::pair<size_t, size_t> TKeyFile::GroupLines(const std::string& group) const {
  const std::string header = "[" + group + "]";
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (Trimmed(lines_[i]) != header) continue;
    size_t end = i + 1;
    while (end < lines_.size() && !IsGroupHeader(lines_[end])) ++end;
    return {i + 1, end};
  }
  return {std::string::npos, std::string::npos};
}

size_t TKeyFile::KeyLine(const std::string& group, const std::string& key) const {
  const auto [begin, end] = GroupLines(group);
  if (begin == std::string::npos) return std::string::npos;
  for (size_t i = begin; i < end; ++i)
    if (KeyOf(lines_[i]) == key) return i;
  return std::string::npos;
}

std::optional<std::string> TKeyFile::Get(const std::string& group, const std::string& key) const {
  const size_t line = KeyLine(group, key);
  if (line == std::string::npos) return std::nullopt;
  return Trimmed(lines_[line].substr(lines_[line].find('=') + 1));
}

void TKeyFile::Set(const std::string& group, const std::string& key, const std::string& value) {
  const std::string line = key + "=" + value;
  if (const size_t at = KeyLine(group, key); at != std::string::npos) {
    lines_[at] = line;
    return;
  }
  auto [begin, end] = GroupLines(group);
  if (begin == std::string::npos) {
    if (!lines_.empty() && !lines_.back().empty()) lines_.push_back("");
    lines_.push_back("[" + group + "]");
    lines_.push_back(line);
    return;
  }
  // After the group's last key, before the blank lines that separate it from the next group.
  while (end > begin && Trimmed(lines_[end - 1]).empty()) --end;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(end), line);
}

bool TKeyFile::Remove(const std::string& group, const std::string& key) {
  const size_t at = KeyLine(group, key);
  if (at == std::string::npos) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
  return true;
}

std::vector<std::string> SplitKeyFileList(const std::string& value) {
  std::vector<std::string> items;
  size_t start = 0;
  while (start <= value.size()) {
    size_t end = value.find(';', start);
    if (end == std::string::npos) end = value.size();
    std::string item = Trimmed(value.substr(start, end - start));
    if (!item.empty()) items.push_back(std::move(item));
    start = end + 1;
  }
  return items;
}

std::string JoinKeyFileList(const std::vector<std::string>& items) {
  std::string value;
  for (const auto& item : items) value += item + ";";
  return value;
}

}  // namespace tervil
