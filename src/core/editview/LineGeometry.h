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
  // A line's text changed. What is known of a long line is kept until TextEdited tells what the
  // edit was (and is rebuilt when asked about without that notice).
  void LineChanged(int line);
  // One edit of the buffer within one line: `removed` bytes at `byte` were replaced by `inserted`
  // (no line break). The long line's checkpoints are updated from the edit: the stretch holding
  // it is read again, the later ones shift, without reading the rest of the line.
  void TextEdited(std::size_t byte, std::size_t removed, std::string_view inserted);

 private:
  // What is remembered of a long line: checkpoints at the start of stretches of at most
  // kCheckpointChars characters, each with its display column and where its first tab is, so
  // that a column question reads at most one stretch (the caret's blink and every paint ask
  // them), and an edit reads only the stretch it falls in.
  static constexpr int kCheckpointChars = 4096;
  struct Checkpoint {
    int charIndex = 0;  // the stretch's first character
    int column = 0;     // its display column
    int firstTab = -1;  // characters from charIndex to the stretch's first tab, -1 for none
  };
  struct LongLineInfo {
    std::vector<Checkpoint> checkpoints;
    int firstTab = -1;  // character index of the line's first tab, -1 for none
    int chars = 0;
    std::size_t bytes = 0;
    bool stale = false;  // changed, waiting for the edit's notice
  };
  LongLineInfo& Info(int line);
  // Appends the checkpoints of characters [from, to) of a line, read from byte `byte` (character
  // `from`, display column `column`); returns the display column of character `to`.
  int AddCheckpoints(std::size_t byte, int from, int to, int column,
                     std::vector<Checkpoint>& out) const;
  // The stretch holding character `charIndex` / display column `column`.
  static std::size_t StretchOfChar(const LongLineInfo& info, int charIndex);
  static std::size_t StretchOfColumn(const LongLineInfo& info, int column);
  static void FindFirstTab(LongLineInfo& info);
  // Brings the checkpoints up to date with an edit at character `at` of the line that removed
  // `removedChars` characters and inserted `insertedChars`; false when that cannot be.
  bool ApplyEdit(int line, LongLineInfo& info, int at, int removedChars, int insertedChars);
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
