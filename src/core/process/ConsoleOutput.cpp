#include "core/process/ConsoleOutput.h"

#include <algorithm>
#include <cctype>
#include <string_view>

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

std::string TConsoleOutput::FullTextSlice(std::size_t& offset, std::size_t maxBytes) const {
  if (offset >= full_.size()) return {};
  std::size_t end = offset + std::min(full_.size() - offset, std::max<std::size_t>(maxBytes, 1));
  if (end < full_.size()) {
    const std::size_t lineEnd = full_.rfind('\n', end - 1);
    if (lineEnd != std::string::npos && lineEnd >= offset) {
      end = lineEnd + 1;
    } else {
      auto inside = [this](std::size_t at) {
        return at < full_.size() && utf8::IsContinuation(static_cast<unsigned char>(full_[at]));
      };
      while (end > offset && inside(end)) --end;
      if (end == offset) {  // a character longer than the slice: all of it
        ++end;
        while (inside(end)) ++end;
      }
    }
  }
  std::string text = DisplayText(LfToCrLf(full_.substr(offset, end - offset)));
  offset = end;
  if (offset == full_.size() && DroppedBytes() > 0)
    text += "\r\n" + DroppedNote(DroppedBytes()) + "\r\n";
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

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The line number of `text` from `begin`: 1 to 9 digits, the end of the digits in `end`; 0 when
// there is none.
int LineNumberAt(std::string_view text, std::size_t begin, std::size_t& end) {
  end = begin;
  int line = 0;
  while (end < text.size() && IsDigit(text[end]) && end - begin < 9)
    line = line * 10 + (text[end++] - '0');
  if (end < text.size() && IsDigit(text[end])) return 0;  // too long to be a line
  return line;
}

std::string_view TrimmedView(std::string_view text) {
  while (!text.empty() && IsBlankOrControl(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && IsBlankOrControl(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

std::optional<TErrorLocation> Location(std::string_view file, int line) {
  if (file.empty() || line <= 0) return std::nullopt;
  return TErrorLocation{std::string(file), line};
}

// "... in FILE on line N" (PHP's errors and warnings) and "... in FILE:N" (an uncaught exception).
std::optional<TErrorLocation> PhpLocation(std::string_view text) {
  std::size_t fileEnd = std::string_view::npos;
  std::size_t digits = 0;
  if (const std::size_t on = text.rfind(" on line "); on != std::string_view::npos) {
    fileEnd = on;
    digits = on + 9;
  } else if (const std::size_t colon = text.rfind(':'); colon != std::string_view::npos) {
    fileEnd = colon;
    digits = colon + 1;
  }
  if (fileEnd == std::string_view::npos) return std::nullopt;
  std::size_t end = 0;
  const int line = LineNumberAt(text, digits, end);
  if (end != text.size()) return std::nullopt;
  const std::size_t in = text.rfind(" in ", fileEnd);
  if (in == std::string_view::npos || in + 4 > fileEnd) return std::nullopt;
  return Location(text.substr(in + 4, fileEnd - in - 4), line);
}

// "#0 FILE(N): call()", a frame of PHP's stack trace.
std::optional<TErrorLocation> StackFrameLocation(std::string_view text) {
  if (text.size() < 3 || text[0] != '#' || !IsDigit(text[1])) return std::nullopt;
  std::size_t begin = 1;
  while (begin < text.size() && IsDigit(text[begin])) ++begin;
  if (begin >= text.size() || text[begin] != ' ') return std::nullopt;
  ++begin;
  for (std::size_t open = text.find('(', begin); open != std::string_view::npos;
       open = text.find('(', open + 1)) {
    std::size_t end = 0;
    const int line = LineNumberAt(text, open + 1, end);
    if (line > 0 && text.substr(end, 2) == "):")
      return Location(text.substr(begin, open - begin), line);
  }
  return std::nullopt;
}

// "FILE:N:" of compilers and interpreters, and a bare "FILE:N".
std::optional<TErrorLocation> ColonLocation(std::string_view text) {
  std::size_t colon = 0;
  if (!text.empty() && text[0] == '/') {
    colon = text.find(':');
  } else {
    colon = 0;
    while (colon < text.size() && text[colon] != ':' &&
           !IsBlankOrControl(static_cast<unsigned char>(text[colon])))
      ++colon;
    if (colon >= text.size() || text[colon] != ':') return std::nullopt;
  }
  if (colon == std::string_view::npos) return std::nullopt;
  std::size_t end = 0;
  const int line = LineNumberAt(text, colon + 1, end);
  if (end < text.size() && text[end] != ':') return std::nullopt;
  return Location(text.substr(0, colon), line);
}

}  // namespace

std::optional<TErrorLocation> ErrorLocation(const std::string& message) {
  const std::string_view text = TrimmedView(message);
  if (auto location = PhpLocation(text)) return location;
  if (auto location = StackFrameLocation(text)) return location;
  return ColonLocation(text);
}

}  // namespace tervil
