#include <algorithm>
#include <cstring>

#include "core/common/Utf8.h"
#include "core/editcomponent/SearchEngines.h"

namespace tervil {

namespace {

// Backtracking is bounded so that a pathological pattern reports an error instead of hanging.
constexpr std::uint32_t kMatchLimit = 20'000'000;
constexpr std::size_t kJitStackMax = 4 * 1024 * 1024;

}  // namespace

void CompileSearchRegex(TPcre2Regex& regex, std::string_view pattern, bool caseless, bool literal) {
  TPcre2Regex::TOptions options;
  options.caseless = caseless;
  options.literal = literal;
  options.multiline = !literal;
  options.unicodeClasses = !literal;  // \w, \b and friends know every script
  // One match of a real expression can take ages on a long line (back references,
  // lookaheads): it checks the stop flag and the clock as it goes.
  options.interruptible = !literal;
  if (auto error = regex.Compile(pattern, options, {kMatchLimit, kMatchLimit, kJitStackMax})) {
    throw TSearchError(error->message + " at offset " + std::to_string(error->offset));
  }
}

bool FindSearchRegex(TPcre2Regex& regex, const char* subject, std::size_t size, std::size_t from,
                     std::size_t& start, std::size_t& end) {
  const TPcre2Regex::TOutcome outcome = regex.Match(subject, size, from);
  if (outcome == TPcre2Regex::TOutcome::Stopped) throw TSearchCancelled();
  if (outcome == TPcre2Regex::TOutcome::Failed) throw TSearchError(regex.LastErrorText());
  if (outcome == TPcre2Regex::TOutcome::NoMatch) return false;
  regex.Group(0, start, end);
  if (end < start) end = start;  // \K in a lookahead can report end before start
  return true;
}

void TRegexSearchEngine::Prepare(std::string_view pattern, TSearchOptions options) {
  SetWholeWord((options & ssoWholeWord) != 0);
  std::string normalized;
  utf8::NormalizeAppend(pattern, normalized);
  CompileSearchRegex(pattern_, normalized, (options & ssoMatchCase) == 0, false);
  subject_ = nullptr;
}

bool TRegexSearchEngine::FindInWindow(const char* window, std::size_t size, std::size_t from,
                                      std::size_t& start, std::size_t& end) {
  subject_ = window;
  const TSearchControl& control = Control();
  pattern_.SetInterrupt(&control.Stop,
                        control.MatchBudget + control.MatchBudgetPerByte * static_cast<long>(size));
  while (from <= size) {
    if (!FindSearchRegex(pattern_, window, size, from, start, end)) return false;
    const void* lineBreak = std::memchr(window + start, '\n', end - start);
    if (lineBreak == nullptr) return true;
    // The match crosses a line break: match again within the line where it starts.
    auto lineEnd = static_cast<std::size_t>(static_cast<const char*>(lineBreak) - window);
    if (FindSearchRegex(pattern_, window, lineEnd, start, start, end)) return true;
    from = lineEnd + 1;
  }
  return false;
}

void TRegexSearchEngine::AppendGroup(int group, std::string& out) const {
  std::size_t s = 0, e = 0;
  if (subject_ && pattern_.Group(group, s, e) && e >= s) out.append(subject_ + s, e - s);
}

void TRegexSearchEngine::AppendReplacement(std::string_view r, std::string& out) const {
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  for (std::size_t i = 0; i < r.size(); ++i) {
    char c = r[i];
    if (c == '\\' && i + 1 < r.size()) {
      char n = r[++i];
      if (isDigit(n)) {
        AppendGroup(n - '0', out);
      } else if (n == 'n') {
        out.push_back('\n');
      } else if (n == 't') {
        out.push_back('\t');
      } else {
        out.push_back(n);  // "\\", "\$" and any other escaped character
      }
    } else if (c == '$' && i + 1 < r.size() && r[i + 1] == '$') {
      out.push_back('$');
      ++i;
    } else if (c == '$' && i + 1 < r.size() && isDigit(r[i + 1])) {
      int group = r[++i] - '0';
      // A second digit belongs to the reference when that group exists.
      if (i + 1 < r.size() && isDigit(r[i + 1]) &&
          group * 10 + (r[i + 1] - '0') <= pattern_.GroupCount()) {
        group = group * 10 + (r[++i] - '0');
      }
      AppendGroup(group, out);
    } else if (c == '$' && i + 1 < r.size() && r[i + 1] == '{') {
      std::size_t close = r.find('}', i + 2);
      if (close == std::string_view::npos) {
        out.append(r.substr(i));
        return;
      }
      std::string_view name = r.substr(i + 2, close - i - 2);
      int group = -1;
      if (!name.empty() && name.size() <= 5 && std::all_of(name.begin(), name.end(), isDigit)) {
        group = std::stoi(std::string(name));
      } else {
        group = pattern_.GroupNumber(name);
      }
      if (group >= 0) AppendGroup(group, out);
      i = close;
    } else {
      out.push_back(c);
    }
  }
}

}  // namespace tervil
