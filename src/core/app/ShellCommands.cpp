#include "core/app/ShellCommands.h"

#include <charconv>
#include <filesystem>
#include <system_error>

#include "core/app/UpdateCheck.h"

namespace tervil {

std::string OnlinePageUrl(const std::string& server) {
  if (!IsOpenableUpdateUrl(server)) return {};
  std::string base = server;
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base + "/qendra.php?id=1";
}

std::string PhpManualPage(const std::string& manualDir, const std::string& word) {
  if (word.empty() || manualDir.empty()) return {};
  std::string name = "function.";
  for (char c : word) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (c == '_')
      name += '-';
    else if (plain)
      name += c;
    else
      return {};  // no page name is made of other characters (nor of "/" or "..")
  }
  const std::filesystem::path page = std::filesystem::path(manualDir) / (name + ".html");
  std::error_code error;
  if (!std::filesystem::is_regular_file(page, error)) return {};
  return page.string();
}

std::optional<int> ParseLineNumber(const std::string& text, std::string& error) {
  size_t begin = text.find_first_not_of(" \t");
  size_t end = text.find_last_not_of(" \t");
  std::string digits = begin == std::string::npos ? "" : text.substr(begin, end - begin + 1);
  if (!digits.empty() && digits.front() == '+') digits.erase(0, 1);
  int value = 0;
  const char* first = digits.data();
  const char* last = first + digits.size();
  const auto [ptr, ec] = std::from_chars(first, last, value);
  if (digits.empty() || digits.front() == '+' || ec != std::errc() || ptr != last) {
    error = "'" + text + "' is not a valid integer value";
    return std::nullopt;
  }
  return value;
}

}  // namespace tervil
