#include "core/phpcss/CssColors.h"

#include <cctype>

#include "core/common/TextFile.h"
#include "core/html/ColorNames.h"
#include "core/phpcss/CssText.h"

namespace tervil {

namespace {

constexpr std::size_t kProblemsShown = 5;

bool IsHexColor(std::string_view text) {
  if (!text.starts_with('#') || (text.size() != 4 && text.size() != 7)) return false;
  for (char ch : text.substr(1))
    if (!std::isxdigit(static_cast<unsigned char>(ch))) return false;
  return true;
}

}  // namespace

void TCssColorNames::LoadText(std::string_view text, std::vector<std::string>& problems) {
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
    colors_.try_emplace(AsciiLower(TrimBlanks(line.substr(0, bar))), HtmlToColor(value));
  }
  if (unreadable > kProblemsShown)
    problems.push_back("colorlist.tvd: " + std::to_string(unreadable - kProblemsShown) +
                       " more unreadable lines are skipped.");
}

bool TCssColorNames::LoadFile(const std::string& path, std::vector<std::string>& problems) {
  std::string text;
  std::string error;
  if (!ReadFileBytes(path, text, &error)) {
    colors_.clear();
    problems.push_back(error);
    return false;
  }
  LoadText(text, problems);
  return true;
}

TColor TCssColorNames::ColorOf(std::string_view value) const {
  value = TrimBlanks(value);
  if (IsHexColor(value) || (value.size() > 4 && AsciiLower(value.substr(0, 4)) == "rgb("))
    return HtmlToColor(value);
  const auto found = colors_.find(AsciiLower(value));
  return found == colors_.end() ? clNone : found->second;
}

}  // namespace tervil
