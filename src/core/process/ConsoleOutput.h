#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tervil {

// What the console window keeps of a run's standard output: the full output (up to a limit, so
// memory stays bounded whatever a program prints) and the recent tail the output page shows.
class TConsoleOutput {
 public:
  // The output page shows the last this many characters of the converted output.
  static constexpr std::size_t kMemoChars = 8192;
  // The full output keeps at most this many bytes, ending at the last whole line; later output
  // only reaches the tail.
  static constexpr std::size_t kDefaultLimit = 32u << 20;

  explicit TConsoleOutput(std::size_t limit = kDefaultLimit) : limit_(limit) {}

  void Clear();
  void Add(const std::string& chunk);

  // Every chunk of the run, unchanged and in arrival order (up to the limit).
  const std::string& FullOutput() const { return full_; }
  bool Empty() const { return total_ == 0; }
  // Bytes that arrived after the full output reached its limit.
  std::uint64_t DroppedBytes() const { return total_ - full_.size(); }

  // The last kMemoChars characters of the output with every LF turned into CR LF, as UTF-8.
  std::string MemoText() const;
  // The full output with every LF turned into CR LF, as UTF-8, with a closing note when output
  // was dropped.
  std::string FullText() const;
  // FullText a piece at a time, for showing it without holding up the window: the text of the
  // kept output from byte `offset` on, about `maxBytes` of it, ending after a line end where
  // there is one and never inside a character; `offset` moves past it. The pieces together are
  // FullText (the last one carries the closing note); empty once everything was given.
  std::string FullTextSlice(std::size_t& offset, std::size_t maxBytes) const;

 private:
  std::size_t limit_;
  std::string full_;
  std::string tail_;  // the latest bytes, enough for the memo
  std::uint64_t total_ = 0;
  bool cut_ = false;  // the limit was reached: nothing more is kept
};

// "[N more bytes of output were not kept]": what every view of a cut output ends with.
std::string DroppedNote(std::uint64_t dropped);

// Every LF becomes CR LF (a CR LF already there becomes CR CR LF).
std::string LfToCrLf(const std::string& text);
// The bytes of the console's HTML page: the output with every LF turned into CR LF, led by a
// UTF-8 byte order mark when the output is UTF-8 with other than ASCII characters, so that the
// browser does not read it in a legacy character set. When output was dropped, the page ends with
// DroppedNote, visible whatever the cut left open.
std::string HtmlFileBytes(const std::string& fullOutput, std::uint64_t dropped = 0);
// Text safe to show: invalid UTF-8 bytes are read as the characters of those byte values and a
// zero byte becomes the symbol U+2400, so nothing a program prints is hidden or lost.
std::string DisplayText(const std::string& bytes);

// The items a chunk of standard error adds to the error list: the chunk split at every LF, each
// line without CR and trimmed of blanks and control characters, empty lines left out.
std::vector<std::string> ErrorLines(const std::string& chunk);

// The error list's Copy: every text followed by LF, the whole trimmed at both ends.
std::string JoinForCopy(const std::vector<std::string>& lines);

// The file and line an error message names: PHP's "... in FILE on line N" and the common
// "FILE:N:" form of compilers and interpreters.
struct TErrorLocation {
  std::string file;
  int line = 0;
};
std::optional<TErrorLocation> ErrorLocation(const std::string& message);

}  // namespace tervil
