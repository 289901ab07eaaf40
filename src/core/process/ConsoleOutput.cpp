#include "core/process/ConsoleOutput.h"

#include <algorithm>
#include <cctype>
#include <regex>

#include "core/common/Utf8.h"

namespace tervil {

namespace {

// Enough bytes for kMemoChars characters of up to four bytes, each maybe preceded by a CR.
constexpr std::size_t kTailBytes = TConsoleOutput::kMemoChars * 5;

bool IsBlankOrControl(unsigned char c) {
  return c <= ' ' || c == 0x7F;
}

std::string Trimmed(const std::string& text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsBlankOrControl(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && IsBlankOrControl(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

void TConsoleOutput::Clear() {
  full_.clear();
  tail_.clear();
  total_ = 0;
  cut_ = false;
}

void TConsoleOutput::Add(const std::string& chunk) {
  total_ += chunk.size();
  if (!cut_) {
    // Reserving the whole limit at once spares copying megabytes of kept output each time the
    // string would grow; the pages are only touched as output arrives.
    if (full_.capacity() < limit_ && full_.size() + chunk.size() > full_.capacity())
      full_.reserve(limit_);
    const std::size_t room = limit_ - full_.size();
    if (chunk.size() <= room) {
      full_ += chunk;
    } else {
      // The limit is reached: what is kept ends with a whole line where there is one, and the
      // views say how much follows (DroppedNote).
      full_.append(chunk, 0, room);
      const std::size_t lineEnd = full_.rfind('\n');
      if (lineEnd != std::string::npos) full_.resize(lineEnd + 1);
      cut_ = true;
    }
  }
  tail_ += chunk;
  if (tail_.size() > 2 * kTailBytes) tail_.erase(0, tail_.size() - kTailBytes);
}

std::string TConsoleOutput::MemoText() const {
  const std::string text = DisplayText(LfToCrLf(tail_));
  std::size_t chars = utf8::CountChars(text);
  if (chars <= kMemoChars) return text;
  return text.substr(utf8::AdvanceChars(text.data(), text.size(), chars - kMemoChars));
}

std::string TConsoleOutput::FullText() const {
  std::string text = DisplayText(LfToCrLf(full_));
  if (DroppedBytes() > 0) text += "\r\n" + DroppedNote(DroppedBytes()) + "\r\n";
  return text;
}

std::string DroppedNote(std::uint64_t dropped) {
  return "[" + std::to_string(dropped) + " more bytes of output were not kept]";
}

std::string LfToCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string HtmlFileBytes(const std::string& fullOutput, std::uint64_t dropped) {
  const bool ascii = utf8::AsciiPrefix(fullOutput.data(), fullOutput.size()) == fullOutput.size();
  const bool hasBom = fullOutput.rfind("\xEF\xBB\xBF", 0) == 0;
  std::string bytes = ascii || hasBom || !utf8::IsValid(fullOutput) ? "" : "\xEF\xBB\xBF";
  bytes += LfToCrLf(fullOutput);
  // Closing whatever the cut left open (a comment, a script, a tag) before the note, so that
  // the browser shows it.
  if (dropped > 0)
    bytes += "\r\n--> \"'></script></style></textarea></pre>\r\n<hr><p><b>" + DroppedNote(dropped) +
             "</b></p>\r\n";
  return bytes;
}

std::string DisplayText(const std::string& bytes) {
  const std::size_t valid = utf8::ValidPrefix(bytes.data(), bytes.size());
  if (valid == bytes.size() && bytes.find('\0') == std::string::npos) return bytes;
  std::string out;
  out.reserve(bytes.size() + 16);
  std::size_t i = 0;
  char32_t cp = 0;
  while (i < bytes.size()) {
    utf8::NextChar(bytes, i, cp);
    utf8::Append(out, cp == 0 ? char32_t{0x2400} : cp);
  }
  return out;
}

std::vector<std::string> ErrorLines(const std::string& chunk) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= chunk.size()) {
    std::size_t end = chunk.find('\n', start);
    if (end == std::string::npos) end = chunk.size();
    std::string line = chunk.substr(start, end - start);
    line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
    line = Trimmed(line);
    if (!line.empty()) lines.push_back(DisplayText(line));
    start = end + 1;
  }
  return lines;
}

std::string JoinForCopy(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return Trimmed(text);
}

std::optional<TErrorLocation> ErrorLocation(const std::string& message) {
  static const std::regex php(R"( in (.+?) on line (\d+)\s*$)");
  static const std::regex colon(R"(^(/[^:]+|[^\s:][^:]*?):(\d+)(?::\d+)?:)");
  std::smatch match;
  if (std::regex_search(message, match, php) || std::regex_search(message, match, colon)) {
    try {
      const int line = std::stoi(match[2].str());
      if (line > 0) return TErrorLocation{match[1].str(), line};
    } catch (const std::out_of_range&) {
    }
  }
  return std::nullopt;
}

}  // namespace tervil
