#include "core/app/UpdateCheck.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

#include "core/common/Utf8.h"

namespace tervil {

namespace {

std::string Lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool HasWebScheme(const std::string& address) {
  const std::string lower = Lowered(address.substr(0, 8));
  const size_t start = lower.rfind("https://", 0) == 0 ? 8 : lower.rfind("http://", 0) == 0 ? 7 : 0;
  // A host must follow, and no blanks or control characters anywhere.
  if (start == 0 || address.size() <= start || address[start] == '/') return false;
  return std::none_of(address.begin(), address.end(),
                      [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == 0x7F; });
}

std::string Between(const std::string& answer, const std::string& name) {
  const std::string open = "&lt;" + name + "&gt;";
  const std::string close = "&lt;/" + name + "&gt;";
  const size_t begin = answer.find(open);
  if (begin == std::string::npos) return {};
  const size_t from = begin + open.size();
  const size_t end = answer.find(close, from);
  if (end == std::string::npos) return {};
  return answer.substr(from, end - from);
}

std::string Trimmed(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

// "4.01" as {4, 1}; empty for anything that is not numbers separated by dots.
std::vector<unsigned long> VersionNumbers(const std::string& version) {
  std::vector<unsigned long> numbers;
  const std::string text = Trimmed(version);
  size_t i = 0;
  while (i < text.size()) {
    size_t digits = 0;
    unsigned long value = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
      if (++digits > 9) return {};
      value = value * 10 + static_cast<unsigned long>(text[i++] - '0');
    }
    if (digits == 0) return {};
    numbers.push_back(value);
    if (i == text.size()) break;
    if (text[i++] != '.' || i == text.size()) return {};
  }
  return numbers;
}

std::string QueryEscaped(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out;
}

}  // namespace

std::string UpdateRequestUrl(const std::string& server, const std::string& lastCheck) {
  std::string base = Trimmed(server);
  if (!HasWebScheme(base)) return {};
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base + "/qendra.php?id=6&p=" + QueryEscaped(lastCheck);
}

std::optional<TUpdateNotice> ParseUpdateAnswer(const std::string& answer) {
  if (answer.size() > kMaxUpdateAnswer) return std::nullopt;
  if (answer.find('\0') != std::string::npos || !utf8::IsValid(answer)) return std::nullopt;
  return TUpdateNotice{Between(answer, "title"), Between(answer, "version"),
                       Between(answer, "text"), Between(answer, "url")};
}

bool IsNewerVersion(const std::string& announced, const std::string& own) {
  std::vector<unsigned long> a = VersionNumbers(announced);
  std::vector<unsigned long> b = VersionNumbers(own);
  if (a.empty() || b.empty()) return false;
  const size_t n = std::max(a.size(), b.size());
  a.resize(n, 0);
  b.resize(n, 0);
  return a > b;
}

bool IsOpenableUpdateUrl(const std::string& url) {
  return HasWebScheme(url);
}

std::optional<TUpdateNotice> UpdateNoticeFor(const std::string& answer, const std::string& own) {
  auto notice = ParseUpdateAnswer(answer);
  if (!notice || !IsNewerVersion(notice->version, own)) return std::nullopt;
  return notice;
}

std::string UpdateCheckDate(const std::tm& day) {
  char text[48];
  std::snprintf(text, sizeof text, "%02d%02d%04d", day.tm_mday, day.tm_mon + 1, day.tm_year + 1900);
  return text;
}

}  // namespace tervil
