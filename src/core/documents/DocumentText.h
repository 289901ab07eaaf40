#pragma once

// What a document's text was when it was read, so that a save changes the file's bytes only where
// the user changed the text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tervil {

// The line breaks a text holds.
struct TLineBreaks {
  std::size_t lf = 0;         // LF alone
  std::size_t crlf = 0;       // CR LF
  std::size_t cr = 0;         // CR alone
  int firstStyle = 0;         // as DetectLineBreakStyle: 0 none, 1 LF first, 2 CR first
  bool firstCrAlone = false;  // the first break is a CR without LF

  int Kinds() const { return (lf > 0) + (crlf > 0) + (cr > 0); }
  bool Mixed() const { return Kinds() > 1; }
  // The one break the text uses ("\n", "\r\n" or "\r"); empty when it has none or several.
  std::string OnlyBreak() const;
  // The first break of the text; empty when it has none.
  std::string FirstBreak() const;
};
TLineBreaks CountLineBreaks(std::string_view text);
// "LF", "CR LF" or "CR" for a terminator.
std::string LineBreakName(std::string_view terminator);

// Whether files of this name need their tabs (Makefiles, tab-separated values, Go sources): saving
// never turns their tabs into blanks or their blanks into tabs.
bool NeedsTabs(const std::string& fileName);

// The lines of a document as it was read that a whitespace conversion could change (those that
// start with a blank or a tab), kept as hashes. A save converts only lines not found here, so
// lines the user did not touch keep their bytes.
class TOriginalLines {
 public:
  // `text` with any line breaks (CR LF, LF or CR). Returns the breaks it holds, as
  // CountLineBreaks does: one walk over a document's text serves both.
  TLineBreaks Assign(std::string_view text);
  void Clear() { hashes_.clear(); }
  // The first call sorts the hashes: opening a file does not wait for what only a save needs.
  bool Contains(std::string_view line) const;

 private:
  mutable std::vector<std::uint64_t> hashes_;  // sorted and without repeats when sorted_
  mutable bool sorted_ = true;
};

// The line breaks of a file that mixed several kinds, line by line, so that a save gives every
// line the user did not change its own break back. Only files with mixed breaks keep them (a
// hash and a byte a line), and they are used only by a save.
class TOriginalBreaks {
 public:
  // `text` with its breaks (CR LF, LF or CR), as read.
  void Assign(std::string_view text);
  void Clear();
  bool Empty() const { return hashes_.empty(); }
  // The editor's text (`text`, lines joined by LF) with the breaks of the file: a line that is
  // found, in order, among the lines as read (also when lines around it were added, removed or
  // edited) ends with its own break; a line edited in place keeps the break of the line it
  // replaced; every other line ends with `newBreak`. One pass, no cost while typing.
  std::string Apply(std::string_view text, std::string_view newBreak) const;

 private:
  std::vector<std::uint64_t> hashes_;  // of each line as read
  std::vector<std::uint8_t> breaks_;   // after each line: 0 none (the last), 1 LF, 2 CR LF, 3 CR
};

}  // namespace tervil
