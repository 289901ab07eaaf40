#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/editcomponent/EditorListener.h"
#include "core/editcomponent/EditorTypes.h"
#include "core/editcomponent/TextBuffer.h"
#include "core/editcomponent/UndoList.h"

namespace tervil {

class TAutoComplete;
class THighlighter;
class TSearchEngine;
class TPlainSearchEngine;

// Text exchange with the system clipboard; the view installs one backed by the desktop.
class TClipboard {
 public:
  virtual ~TClipboard() = default;
  virtual std::string Text() const = 0;
  virtual void SetText(const std::string& text) = 0;
  virtual bool HasText() const { return !Text().empty(); }
};

// A clipboard in memory, shared by every editor that has no other (tests, headless use).
class TMemoryClipboard : public TClipboard {
 public:
  std::string Text() const override { return text_; }
  void SetText(const std::string& text) override { text_ = text; }
  static TMemoryClipboard& Shared();

 private:
  std::string text_;
};

// Asked before each replacement of a prompting search: the search text, the replacement and the
// occurrence's line and column (from 1).
using TReplaceTextEvent = std::function<TReplaceAction(
    const std::string& search, const std::string& replacement, int line, int column)>;

// The editor component without its window: text, caret and selection, undo, bookmarks, commands,
// search and replace. A view paints it and feeds it commands; listeners hear every change.
//
// Positions (TBufferPos) count columns and lines from 1; line indices of the line functions
// count from 0; character offsets count from 0 with every line break counting two (CR LF).
// The text always has at least one line. Text is UTF-8; whatever is put in is normalised (CR LF,
// LF and CR become line breaks, bytes that are not UTF-8 are read as Latin-1).
// Misuse (a line index out of range) throws std::out_of_range.
// A problem found on a line (from 1), with the message the user reads.
struct TLineMark {
  int Line = 1;
  std::string Message;
  friend bool operator==(const TLineMark&, const TLineMark&) = default;
};

class TEditorModel {
 public:
  TEditorModel();
  ~TEditorModel();
  TEditorModel(const TEditorModel&) = delete;
  TEditorModel& operator=(const TEditorModel&) = delete;

  // ---- Text and lines
  // Lines joined with CR LF. A document that ends with a line break has an empty last line, so
  // the text ends with CR LF exactly when the loaded file ended with a line break.
  std::string Text() const { return buffer_.Text("\r\n"); }
  std::string Text(std::string_view lineBreak) const { return buffer_.Text(lineBreak); }
  // Replaces the whole text; clears undo and bookmarks; the document counts as modified.
  void SetText(std::string_view text);
  // Like SetText for a file's bytes just read: the document counts as unmodified.
  void LoadFromBytes(std::string_view bytes);
  // The same for the decoded text of an open, kept by the buffer without a copy.
  void LoadFromOwnedBytes(std::string&& bytes);
  bool EndsWithLineBreak() const;
  int LineCount() const { return static_cast<int>(buffer_.LineCount()); }
  std::string Line(int index) const;
  int LineLength(int index) const;  // in characters
  void SetLine(int index, std::string_view text);
  // Inserts before line `index` (LineCount() appends). In an empty document the first line
  // inserted or added takes the place of the empty line.
  void InsertLine(int index, std::string_view text);
  void AddLine(std::string_view text) { InsertLine(LineCount(), text); }
  void DeleteLine(int index);
  std::string LineText() const { return Line(caret_.Line - 1); }
  void SetLineText(std::string_view text) { SetLine(caret_.Line - 1, text); }
  const TTextBuffer& Buffer() const { return buffer_; }

  // ---- Positions
  TBufferPos ClampPos(TBufferPos pos) const;  // into the text
  std::int64_t RowColToCharIndex(TBufferPos pos) const;
  TBufferPos CharIndexToRowCol(std::int64_t offset) const;
  std::int64_t TextLength() const { return static_cast<std::int64_t>(buffer_.OffsetCount()); }
  std::size_t ByteOfPos(TBufferPos pos) const;
  TBufferPos PosOfByte(std::size_t byte) const;
  // Column after tab expansion (from 1), and back; columns past the end of a line continue
  // one per column.
  int DisplayColumn(TBufferPos pos) const;
  int BufferColumn(int line, int displayColumn) const;

  // ---- Caret and view state
  TBufferPos CaretPos() const { return caret_; }
  int CaretX() const { return caret_.Column; }
  int CaretY() const { return caret_.Line; }
  // Moves the caret (clamped; past the line end only with eoScrollPastEol), collapses the
  // selection there and scrolls the caret into view.
  void SetCaretPos(TBufferPos pos);
  void SetCaretX(int column) { SetCaretPos({column, caret_.Line}); }
  void SetCaretY(int line) { SetCaretPos({caret_.Column, line}); }
  // Moves the caret; with `extend` the selection runs from its anchor to the new caret.
  void MoveCaret(TBufferPos pos, bool extend);
  int TopLine() const { return topLine_; }
  void SetTopLine(int line);
  int LinesInWindow() const { return linesInWindow_; }
  // Sets the window's height in lines; with `scroll` the caret is then scrolled into view.
  void SetLinesInWindow(int lines, bool scroll = true);
  void EnsureCaretVisible();
  // A jump: moves the caret (collapsing the selection) and shows its line with context: a line
  // already in the window stays where it is, any other is centred.
  void JumpTo(TBufferPos pos);
  // Centres the caret's line when it is outside the window.
  void ShowCaretInContext();

  // ---- Selection
  TBufferPos BlockBegin() const;       // the earlier end of the selection
  TBufferPos BlockEnd() const;         // the later end
  void SetBlockBegin(TBufferPos pos);  // collapses the selection at pos
  void SetBlockEnd(TBufferPos pos);    // selects from the anchor to pos
  void SetCaretAndSelection(TBufferPos caret, TBufferPos anchor, TBufferPos end);
  bool SelAvail() const;
  std::int64_t SelStart() const { return RowColToCharIndex(BlockBegin()); }
  std::int64_t SelEnd() const { return RowColToCharIndex(BlockEnd()); }
  std::int64_t SelLength() const { return SelEnd() - SelStart(); }
  // Collapses the selection at the offset and moves the caret there.
  void SetSelStart(std::int64_t offset);
  // Selects from the selection start to the offset; the caret goes there.
  void SetSelEnd(std::int64_t offset);
  std::string SelText() const;  // line breaks as CR LF
  // Replaces the selection (or inserts at the caret) as one undoable edit; the caret ends after
  // the inserted text.
  void SetSelText(std::string_view text);
  void SelectAll();
  TSelectionMode SelectionMode() const { return selMode_; }
  void SetSelectionMode(TSelectionMode mode);

  // ---- Editing state
  bool Modified() const { return undo_.Modified(); }
  // Clearing marks the current undo state as the saved one.
  void SetModified(bool modified);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);
  bool InsertMode() const { return insertMode_; }
  void SetInsertMode(bool insert);
  TEditorOptions Options() const { return options_; }
  void SetOptions(TEditorOptions options);
  bool HasOption(TEditorOption option) const { return (options_ & option) != 0; }
  int TabWidth() const { return tabWidth_; }
  void SetTabWidth(int width);
  // The farthest column the caret may reach past a line end (eoScrollPastEol).
  int MaxScrollWidth() const { return maxScrollWidth_; }
  void SetMaxScrollWidth(int columns);

  // ---- Undo
  bool CanUndo() const { return !readOnly_ && undo_.CanUndo(); }
  bool CanRedo() const { return !readOnly_ && undo_.CanRedo(); }
  void Undo();
  void Redo();
  // Changes between the outermost begin and end undo as one step (blocks nest).
  void BeginUndoBlock();
  void EndUndoBlock();
  // The id of the last undo step (0 with none).
  std::uint64_t LastUndoId() const { return undo_.LastId(); }
  // The changes of the next outermost undo block join the undo step `id` when it is still the
  // last one (nothing undone, redone, saved or done in between): the edits a tool window makes
  // for one change typed key by key undo as one step.
  void JoinNextUndoBlock(std::uint64_t id) { joinUndoId_ = id; }
  void ClearUndo();
  // Records a change made without the editor's knowledge so that undo can revert it.
  void AddUndoChange(TChangeReason reason, TBufferPos start, TBufferPos end, std::string_view text,
                     TSelectionMode mode);
  int MaxUndo() const { return static_cast<int>(undo_.MaxSteps()); }
  void SetMaxUndo(int steps) { undo_.SetMaxSteps(static_cast<std::size_t>(std::max(steps, 1))); }
  const TUndoList& UndoList() const { return undo_; }

  // ---- Bookmarks 0-9 (they keep to their line when lines are inserted or deleted above)
  void SetBookmark(int number, TBufferPos pos);
  void ClearBookmark(int number);
  bool IsBookmark(int number) const;
  bool GetBookmark(int number, TBufferPos& pos) const;

  // ---- Line marks: problems found on lines (a syntax error) with their messages, shown in the
  // gutter and under the line's text. Like bookmarks they keep to their line when lines are
  // inserted or deleted above; new text clears them.
  void SetLineMarks(std::vector<TLineMark> marks);
  const std::vector<TLineMark>& LineMarks() const { return lineMarks_; }
  // The mark of line `line` (from 1), or nullptr.
  const TLineMark* LineMarkAt(int line) const;

  // ---- Words and brackets (a word is a run of letters, digits and "_")
  // The word at the position, or ending just before it.
  std::string WordAt(TBufferPos pos) const;
  TBufferPos WordStart(TBufferPos pos) const;
  TBufferPos WordEnd(TBufferPos pos) const;
  TBufferPos WordStartAtCaret() const { return WordStart(caret_); }
  std::string WordAtCaret() const { return WordAt(caret_); }
  // The bracket matching the one at (or else just before) the position, or (0, 0). Brackets are
  // ( ) [ ] { } < >; the scan stops after a megabyte of text.
  TBufferPos MatchingBracketAt(TBufferPos pos) const;
  TBufferPos MatchingBracket() const { return MatchingBracketAt(caret_); }

  // ---- Commands
  // Runs a command; listeners hear BeforeCommand first and may handle it themselves.
  void ExecuteCommand(TEditorCommand command, char32_t ch = 0, std::string_view text = {});
  // Clipboard.
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  bool CanPaste() const;
  void SetClipboard(TClipboard* clipboard);
  TClipboard& Clipboard() const { return *clipboard_; }

  // ---- Search and replace
  // Finds (and, with ssoReplace, replaces) `search`; returns the number of occurrences found.
  // The scope is the selection with ssoSelectedOnly (the whole text when nothing is selected),
  // else the whole text with ssoEntireScope, else from the caret to the end (backwards: from
  // the start to the caret).
  // A find selects the occurrence (caret at its end, at its start when backwards). A replace-all
  // is one undo step. Throws TSearchError for an invalid regular expression, a match that gives
  // up, or a replacement that would make the text longer than TextLimit() (the replacements
  // made until then stay), and TSearchCancelled when the engine's search was stopped.
  int SearchReplace(std::string_view search, std::string_view replacement, TSearchOptions options);
  // The engine used by SearchReplace; nullptr selects the built-in plain-text engine. The
  // engine is not owned.
  void SetSearchEngine(TSearchEngine* engine);
  TSearchEngine& SearchEngine() const { return *engine_; }
  TReplaceTextEvent OnReplaceText;
  // The longest text in bytes that replacing may make; the limit is checked before the text
  // that would pass it is built.
  static constexpr std::size_t kDefaultTextLimit = std::size_t{256} << 20;
  std::size_t TextLimit() const { return textLimit_; }
  void SetTextLimit(std::size_t bytes) { textLimit_ = bytes; }
  // See TTextBuffer::SetChangeGuard.
  void SetTextChangeGuard(TTextBuffer::TChangeGuard guard) {
    buffer_.SetChangeGuard(std::move(guard));
  }

  // ---- Highlighter (not owned; nullptr for none). The view and the line-state cache that
  // colour the text take it from here and hear of a change through scHighlighter.
  void SetHighlighter(THighlighter* highlighter) {
    highlighter_ = highlighter;
    Notify(scHighlighter);
  }
  THighlighter* Highlighter() const { return highlighter_; }

  // ---- Templates (ecAutoCompletion); not owned
  void SetAutoComplete(TAutoComplete* autoComplete) { autoComplete_ = autoComplete; }
  TAutoComplete* AutoComplete() const { return autoComplete_; }

  // ---- Listeners
  void AddListener(TEditorListener* listener);
  void RemoveListener(TEditorListener* listener);
  // Suspends status-change notifications; the last EndUpdate sends what happened meanwhile.
  void BeginUpdate() { ++updateDepth_; }
  void EndUpdate();

 private:
  // Collects status changes during an operation and sends them once at its end.
  class UpdateScope {
   public:
    explicit UpdateScope(TEditorModel& model) : model_(model) { model_.BeginUpdate(); }
    ~UpdateScope() { model_.EndUpdate(); }
    UpdateScope(const UpdateScope&) = delete;
    UpdateScope& operator=(const UpdateScope&) = delete;

   private:
    TEditorModel& model_;
  };

  // Primitive edits: every change of the text goes through these two. When `text` is the whole
  // of `*owned`, the undo list takes that string over instead of copying it.
  TBufferPos InsertText(TBufferPos pos, std::string_view text, std::string* owned = nullptr);
  // While not recording (undo and redo), `removedText` receives the removed text, handed over by
  // the buffer without a copy when it can.
  void DeleteText(TBufferPos start, TBufferPos end, std::string* removedText = nullptr);
  void RecordChange(TUndoItem&& item);
  void AfterInsert(TBufferPos start, TBufferPos end);
  void AfterDelete(TBufferPos start, TBufferPos end);
  void ResetText(std::string&& text, bool modified);
  void Notify(TStatusChanges changes);
  // Sends the status changes held back by an update now, leaving the update open.
  void SendPendingStatus();
  TSelectionState SelectionState() const;
  void RestoreSelection(const TSelectionState& state);
  void ApplyUndoGroup(TUndoGroup& group, bool undo);
  void CheckLineIndex(int index, int limit) const;
  TBufferPos ClampCaret(TBufferPos pos) const;
  TBufferPos EndOfText() const;

  // Selection helpers (EditorSelection.cpp).
  void DeleteSelection();
  std::string ColumnText() const;
  void DeleteColumnBlock();
  TBufferPos InsertColumnText(TBufferPos at, std::string_view text);
  TBufferPos PadToCaret();

  // Commands (EditorCommands.cpp).
  void RunCommand(TCommandEvent& event);
  void MoveCommand(int command, bool extend);
  // Where a caret movement that is not vertical goes; nullopt for other commands.
  std::optional<TBufferPos> HorizontalTarget(int command) const;
  TBufferPos CaretLeft(TBufferPos p) const;
  TBufferPos CaretRight(TBufferPos p) const;
  TBufferPos WordLeft(TBufferPos p) const;
  TBufferPos WordRight(TBufferPos p) const;
  TBufferPos VerticalMove(TBufferPos p, int lines);
  TBufferPos HomePos(TBufferPos p) const;
  TBufferPos EndPos(TBufferPos p) const;
  void TypeChar(char32_t ch);
  void TypeText(std::string_view text);
  void LineBreak(bool moveCaret);
  void DeleteLastChar();
  void DeleteChar();
  void DeleteWord(bool backwards);
  void DeleteToLineEdge(bool toStart);
  void DeleteCaretLine();
  void Tab();
  void ShiftTab();
  void BlockIndent();
  void BlockUnindent();
  std::string LeadingBlanks(int line) const;
  int IndentWidth(std::string_view blanks) const;
  std::string IndentText(int width) const;
  void FindMatchingBracket();

  // Search helpers (EditorSearch.cpp).
  // Replaces every match in [begin, end) as one step; an empty match at `noEmptyAt`, and
  // without `emptyAtEnd` one at `end`, is left.
  int ReplaceAllInScope(std::size_t begin, std::size_t end, std::string_view replacement,
                        std::size_t noEmptyAt = std::string::npos, bool emptyAtEnd = true);
  TBufferPos ReplaceMatch(std::size_t start, std::size_t end, std::string_view replacement,
                          std::string* owned = nullptr);

  TTextBuffer buffer_;
  TUndoList undo_;
  TBufferPos caret_;
  TBufferPos anchor_;
  TBufferPos selEnd_;
  TSelectionMode selMode_ = TSelectionMode::smNormal;
  int desiredDisplayColumn_ = 0;  // kept by vertical caret moves; 0 = take the caret's
  int topLine_ = 1;
  int linesInWindow_ = 0;
  int tabWidth_ = 8;
  int maxScrollWidth_ = 1024;
  TEditorOptions options_ = eoAutoIndent | eoDragDropEditing | eoGroupUndo | eoShowScrollHint;
  bool readOnly_ = false;
  bool insertMode_ = true;
  std::optional<TBufferPos> bookmarks_[10];
  std::vector<TLineMark> lineMarks_;

  std::vector<TEditorListener*> listeners_;
  int updateDepth_ = 0;
  TStatusChanges pending_ = 0;

  int undoBlockDepth_ = 0;
  TUndoGroup openGroup_;
  std::uint64_t joinUndoId_ = 0;  // the step the next undo block joins (JoinNextUndoBlock)
  bool recording_ = true;         // false while undo and redo replay changes
  int command_ = ecNone;          // the command whose changes are being recorded

  TClipboard* clipboard_;
  std::unique_ptr<TPlainSearchEngine> plainEngine_;
  TSearchEngine* engine_ = nullptr;
  std::size_t textLimit_ = kDefaultTextLimit;
  TAutoComplete* autoComplete_ = nullptr;
  THighlighter* highlighter_ = nullptr;
};

}  // namespace tervil
