#include "core/common/NamedColors.h"

#include <cctype>

#include "core/common/ColorNames.h"
#include "core/common/TextFile.h"

namespace tervil {

namespace {

constexpr std::size_t kProblemsShown = 5;

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& ch : out)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return out;
}

bool IsHexColor(std::string_view text) {
  if (!text.starts_with('#') || (text.size() != 4 && text.size() != 7)) return false;
  for (char ch : text.substr(1))
    if (!std::isxdigit(static_cast<unsigned char>(ch))) return false;
  return true;
}

}  // namespace

void TNamedColors::LoadText(std::string_view text, std::vector<std::string>& problems) {
  entries_.clear();
  colors_.clear();
  std::size_t unreadable = 0;
  std::size_t lineNumber = 0;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = TrimBlanks(text.substr(start, end - start));
    start = end + 1;
    ++lineNumber;
    if (line.empty()) continue;
    const std::size_t bar = line.find('|');
    const std::string_view value =
        bar == std::string_view::npos ? "" : TrimBlanks(line.substr(bar + 1));
    if (bar == 0 || !IsHexColor(value)) {
      if (++unreadable <= kProblemsShown)
        problems.push_back("colorlist.tvd, line " + std::to_string(lineNumber) +
                           ": not a name, \"|\" and a colour; the line is skipped.");
      continue;
    }
    const std::string_view name = TrimBlanks(line.substr(0, bar));
    entries_.push_back({std::string(name), std::string(value), HtmlToColor(value)});
    colors_.try_emplace(AsciiLower(name), entries_.back().color);
  }
  if (unreadable > kProblemsShown)
    problems.push_back("colorlist.tvd: " + std::to_string(unreadable - kProblemsShown) +
                       " more unreadable lines are skipped.");
}

bool TNamedColors::LoadFile(const std::string& path, std::vector<std::string>& problems) {
  std::string text;
  std::string error;
  if (!ReadFileBytes(path, text, &error)) {
    entries_.clear();
    colors_.clear();
    problems.push_back(error);
    return false;
  }
  LoadText(text, problems);
  return true;
}

TColor TNamedColors::ColorOf(std::string_view value) const {
  value = TrimBlanks(value);
  if (IsHexColor(value) || (value.size() > 4 && AsciiLower(value.substr(0, 4)) == "rgb("))
    return HtmlToColor(value);
  const auto found = colors_.find(AsciiLower(value));
  return found == colors_.end() ? clNone : found->second;
}

}  // namespace tervil
