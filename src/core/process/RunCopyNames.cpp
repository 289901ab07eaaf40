#include "core/process/RunCopyNames.h"

#include <algorithm>

#include "core/process/ConsoleOutput.h"

namespace tervil {

namespace {

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsNameChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
         c == '-' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

// Replaces every mention of `name` in `text` that stands on its own (not part of a longer name
// or, for a bare file name, of a path) by `by`.
void ReplaceName(std::string& text, const std::string& name, const std::string& by, bool bare) {
  if (name.empty()) return;
  std::size_t at = 0;
  while ((at = text.find(name, at)) != std::string::npos) {
    const std::size_t end = at + name.size();
    const bool startsAlone =
        at == 0 || (bare ? !IsNameChar(text[at - 1]) && text[at - 1] != '/' : true);
    const bool endsAlone = end == text.size() || !IsNameChar(text[end]);
    if (startsAlone && endsAlone) {
      text.replace(at, name.size(), by);
      at += by.size();
    } else {
      at = end;
    }
  }
}

// The copy's names, longest first, so that a path is replaced before a shorter one inside it.
std::vector<std::string> CopyPathsLongestFirst(const TRunCopyNames& names) {
  std::vector<std::string> paths;
  for (const auto& path : names.CopyPaths)
    if (!path.empty() && std::find(paths.begin(), paths.end(), path) == paths.end())
      paths.push_back(path);
  std::sort(paths.begin(), paths.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  return paths;
}

}  // namespace

std::string WithPageName(const std::string& message, const TRunCopyNames& names) {
  if (names.PageName.empty()) return message;
  std::string text = message;
  const auto paths = CopyPathsLongestFirst(names);
  for (const auto& path : paths) ReplaceName(text, path, names.PageName, false);
  const std::string pageBase = BaseName(names.PageName);
  for (const auto& path : paths) ReplaceName(text, BaseName(path), pageBase, true);
  return text;
}

std::optional<TErrorTarget> ErrorTarget(const std::string& message, const TRunCopyNames& names) {
  // The copy's own name is found as it is, whatever it holds (blanks, " in "): the page's name
  // in its place cannot be mistaken either.
  const std::string marker = "\xEF\xBF\xBE";  // U+FFFE, never in text
  TRunCopyNames toMarker{names.CopyPaths, marker};
  const auto location = ErrorLocation(WithPageName(message, toMarker));
  if (!location) return std::nullopt;
  if (location->file == marker) return TErrorTarget{true, names.PageName, location->line};
  if (location->file.find(marker) != std::string::npos) return std::nullopt;
  return TErrorTarget{false, location->file, location->line};
}

}  // namespace tervil
