#pragma once

#include <compare>
#include <cstdint>

namespace tervil {

// A buffer position: column and line, both counted from 1. The column counts characters (code
// points), a tab counting one.
struct TBufferPos {
  int Column = 1;
  int Line = 1;

  friend bool operator==(const TBufferPos&, const TBufferPos&) = default;
  friend std::strong_ordering operator<=>(const TBufferPos& a, const TBufferPos& b) {
    if (auto c = a.Line <=> b.Line; c != 0) return c;
    return a.Column <=> b.Column;
  }
};

// Editor option flags.
enum TEditorOption : std::uint32_t {
  eoAutoIndent = 1u << 0,              // a new line gets the indentation of the line above
  eoAutoSizeMaxScrollWidth = 1u << 1,  // the view widens its scroll range to the longest line
  eoDragDropEditing = 1u << 2,         // the view lets the selection be dragged
  eoEnhanceEndKey = 1u << 3,           // End goes to the last non-blank character first
  eoEnhanceHomeKey = 1u << 4,          // Home goes to the first non-blank character first
  eoGroupUndo = 1u << 5,               // consecutive changes of one kind undo together
  eoScrollPastEol = 1u << 6,           // the caret may go past the end of a line
  eoShowScrollHint = 1u << 7,          // the view shows the top line while scrolling
  eoShowSpecialChars = 1u << 8,        // the view shows blanks, tabs and line ends
  eoSmartTabDelete = 1u << 9,          // Backspace in indentation goes to the previous level
  eoSmartTabs = 1u << 10,              // Tab goes under the next word of the line above
  eoSpecialLineDefaultFg = 1u << 11,   // the view keeps the text colour on special lines
  eoTabsToSpaces = 1u << 12,           // Tab inserts blanks
  eoTrimTrailingSpaces = 1u << 13,     // blanks at the end of a line are removed on line break
};
using TEditorOptions = std::uint32_t;

// Search option bits.
enum TSearchOption : std::uint32_t {
  ssoMatchCase = 1,
  ssoWholeWord = 2,
  ssoBackwards = 4,
  ssoEntireScope = 8,
  ssoSelectedOnly = 16,
  ssoReplace = 32,
  ssoReplaceAll = 64,
  ssoPrompt = 128,
};
using TSearchOptions = std::uint32_t;

// The answer of the replace prompt.
enum class TReplaceAction { raCancel, raSkip, raReplace, raReplaceAll };

enum class TSelectionMode { smNormal, smColumn, smLine };

// Kinds of undo records.
enum class TChangeReason { crInsert, crDelete };

// What a status-change notification reports.
enum TStatusChange : std::uint32_t {
  scCaret = 1,
  scSelection = 2,
  scText = 4,
  scModified = 8,
  scInsertMode = 16,
  scTopLine = 32,
  scOptions = 64,
  scReadOnly = 128,
  scHighlighter = 256,
};
using TStatusChanges = std::uint32_t;

// Editor command codes. Selection-extending variants of the caret moves add ecSelection.
enum TEditorCommand : int {
  ecNone = 0,
  ecLeft = 1,
  ecRight = 2,
  ecUp = 3,
  ecDown = 4,
  ecWordLeft = 5,
  ecWordRight = 6,
  ecLineStart = 7,
  ecLineEnd = 8,
  ecPageUp = 9,
  ecPageDown = 10,
  ecPageTop = 13,
  ecPageBottom = 14,
  ecEditorTop = 15,
  ecEditorBottom = 16,

  ecSelection = 100,
  ecSelLeft = ecSelection + ecLeft,
  ecSelRight = ecSelection + ecRight,
  ecSelUp = ecSelection + ecUp,
  ecSelDown = ecSelection + ecDown,
  ecSelWordLeft = ecSelection + ecWordLeft,
  ecSelWordRight = ecSelection + ecWordRight,
  ecSelLineStart = ecSelection + ecLineStart,
  ecSelLineEnd = ecSelection + ecLineEnd,
  ecSelPageUp = ecSelection + ecPageUp,
  ecSelPageDown = ecSelection + ecPageDown,
  ecSelPageTop = ecSelection + ecPageTop,
  ecSelPageBottom = ecSelection + ecPageBottom,
  ecSelEditorTop = ecSelection + ecEditorTop,
  ecSelEditorBottom = ecSelection + ecEditorBottom,

  ecSelectAll = 199,
  ecCopy = 201,
  ecScrollUp = 211,
  ecScrollDown = 212,
  ecInsertMode = 221,
  ecOverwriteMode = 222,
  ecToggleMode = 223,
  ecNormalSelect = 231,
  ecColumnSelect = 232,
  ecLineSelect = 233,
  ecMatchBracket = 250,

  ecDeleteLastChar = 501,
  ecDeleteChar = 502,
  ecDeleteWord = 503,
  ecDeleteLastWord = 504,
  ecDeleteBOL = 505,
  ecDeleteEOL = 506,
  ecDeleteLine = 507,
  ecClearAll = 508,
  ecLineBreak = 509,
  ecInsertLine = 510,
  ecChar = 511,    // data: the character
  ecString = 512,  // data: the text

  ecUndo = 601,
  ecRedo = 602,
  ecCut = 603,
  ecPaste = 604,
  ecBlockIndent = 610,
  ecBlockUnindent = 611,
  ecTab = 612,
  ecShiftTab = 613,
  ecAutoCompletion = 650,  // expands the template before the caret

  ecUserFirst = 1001,  // commands of derived editors start here
};

}  // namespace tervil
