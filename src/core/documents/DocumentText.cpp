#include "core/documents/DocumentText.h"

#include <algorithm>
#include <array>
#include <functional>

#include "core/common/Paths.h"

namespace tervil {

namespace {

std::uint64_t HashLine(std::string_view line) {
  return std::hash<std::string_view>{}(line);
}

// Calls `visit(line)` for every line of a text split at CR LF, LF and CR.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) break;
    visit(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  visit(text.substr(start));
}

}  // namespace

std::string TLineBreaks::OnlyBreak() const {
  if (Kinds() != 1) return {};
  return lf ? "\n" : crlf ? "\r\n" : "\r";
}

TLineBreaks CountLineBreaks(std::string_view text) {
  TLineBreaks breaks;
  for (std::size_t i = text.find_first_of("\r\n"); i != std::string_view::npos;
       i = text.find_first_of("\r\n", i + 1)) {
    if (breaks.firstStyle == 0) breaks.firstStyle = text[i] == '\n' ? 1 : 2;
    if (text[i] == '\n') {
      ++breaks.lf;
    } else if (i + 1 < text.size() && text[i + 1] == '\n') {
      ++breaks.crlf;
      ++i;
    } else {
      ++breaks.cr;
    }
  }
  return breaks;
}

std::string LineBreakName(std::string_view terminator) {
  if (terminator == "\r\n") return "CR LF";
  return terminator == "\r" ? "CR" : "LF";
}

bool NeedsTabs(const std::string& fileName) {
  static const std::array<std::string_view, 3> kNames = {"Makefile", "makefile", "GNUmakefile"};
  static const std::array<std::string_view, 5> kExtensions = {".mk", ".mak", ".make", ".tsv",
                                                              ".go"};
  const std::string name = FileNameOf(fileName);
  if (std::find(kNames.begin(), kNames.end(), name) != kNames.end()) return true;
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return false;
  const std::string_view ext = std::string_view(name).substr(dot);
  return std::find(kExtensions.begin(), kExtensions.end(), ext) != kExtensions.end();
}

void TOriginalLines::Assign(std::string_view text) {
  hashes_.clear();
  ForEachLine(text, [this](std::string_view line) {
    if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) hashes_.push_back(HashLine(line));
  });
  std::sort(hashes_.begin(), hashes_.end());
  hashes_.erase(std::unique(hashes_.begin(), hashes_.end()), hashes_.end());
  hashes_.shrink_to_fit();
}

bool TOriginalLines::Contains(std::string_view line) const {
  return std::binary_search(hashes_.begin(), hashes_.end(), HashLine(line));
}

}  // namespace tervil
