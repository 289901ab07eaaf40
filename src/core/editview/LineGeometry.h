#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tervil {

class TTextBuffer;

// Lines at least this long (in bytes) are never read or measured whole: the view reads only the
// window it shows and answers column questions from the buffer's indexes.
constexpr std::size_t kLongLineBytes = 16 * 1024;

// Display columns of a line: characters after tab expansion, counted from 0. A tab reaches the
// next multiple of the tab width; every other character takes one column, and columns past the
// end of a line continue one per column.
int TabAdvance(int displayColumn, int tabWidth);
// Display column after the characters of `text`, starting at `displayColumn`.
int AdvanceColumns(std::string_view text, int displayColumn, int tabWidth);

// A piece of one line's text and where it lies in the line.
struct TLineSlice {
  std::string text;           // UTF-8 bytes
  std::size_t lineByte = 0;   // byte offset of text[0] in the line
  int firstChar = 0;          // character index (from 0) of text[0] in the line
  int firstColumn = 0;        // display column of text[0]
  std::size_t lineBytes = 0;  // length of the whole line in bytes
};

// Character and display-column arithmetic over the lines of a text buffer, without reading more
// of a long line than a question needs. Lines and character indices count from 0.
class TLineGeometry {
 public:
  explicit TLineGeometry(const TTextBuffer& buffer) : buffer_(buffer) {}

  const TTextBuffer& Buffer() const { return buffer_; }
  int TabWidth() const { return tabWidth_; }
  void SetTabWidth(int width);

  int LineCount() const;
  std::size_t LineBytes(int line) const;
  bool IsLong(int line) const { return LineBytes(line) >= kLongLineBytes; }
  int LineChars(int line) const;
  int LineColumns(int line);  // display length of the whole line

  // Display column where character `charIndex` starts.
  int DisplayColumn(int line, int charIndex);
  // The character whose cell holds display column `column` (past the end: one per column).
  // With `nearest`, a column in the right half of a cell gives the next character (for
  // clicks between characters).
  int CharAtColumn(int line, int column, bool nearest = false);

  // The characters [firstChar, firstChar + chars) of a line (clamped to the line).
  TLineSlice SliceChars(int line, int firstChar, int chars);
  // The characters covering display columns [beginColumn, endColumn).
  TLineSlice SliceColumns(int line, int beginColumn, int endColumn);
  // The whole line.
  TLineSlice WholeLine(int line);

  // Forget what is known of changed lines. Line numbers shift on insertion and deletion, so
  // those call InvalidateAll.
  void InvalidateLine(int line);
  void InvalidateAll() { longLines_.clear(); }

 private:
  // What is remembered of a long line: where its first tab is, so that columns before it are
  // character indices, and past it the display column of every kCheckpointChars-th character,
  // so that a column question reads at most that many characters (the caret's blink and every
  // paint ask them).
  static constexpr int kCheckpointChars = 4096;
  struct LongLineInfo {
    int firstTab = -1;                   // character index of the first tab, -1 for none
    std::vector<int> checkpointColumns;  // [k]: display column of character k * kCheckpointChars
  };
  LongLineInfo& Info(int line);
  // The checkpoints of a long line with a tab, found by one walk over the line when first needed.
  const std::vector<int>& Checkpoints(int line);
  std::size_t ByteOfChar(int line, int charIndex) const;
  // Display column and character index reached after scanning a long line from character
  // `charIndex` at display column `column` (both updated) up to `stop` (a predicate on the
  // running column, the character's width and its index).
  template <typename Stop>
  void ScanLong(int line, Stop stop, int& column, int& charIndex);

  const TTextBuffer& buffer_;
  int tabWidth_ = 8;
  std::unordered_map<int, LongLineInfo> longLines_;
};

}  // namespace tervil
