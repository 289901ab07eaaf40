#pragma once

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QFont>
#include <QPoint>
#include <QRegion>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/common/Color.h"
#include "core/editcomponent/EditorModel.h"
#include "core/editcomponent/Highlighter.h"
#include "core/editview/HighlightStates.h"
#include "core/editview/ViewLayout.h"

class QMimeData;
class QPainter;

namespace tervil {

class TEditorClipboard;
class TEditorPainter;

// A position on the screen grid: the line (from 1), the row of that line when word wrap splits
// it (from 0), and the display column within that row (from 1), after tab expansion. Without
// word wrap SubRow is always 0 and Column is the line's display column.
struct TDisplayPos {
  int Column = 1;
  int Line = 1;
  int SubRow = 0;
  friend bool operator==(const TDisplayPos&, const TDisplayPos&) = default;
};

// A key as the key handlers see it. A handler that sets Key to 0 swallows the keystroke: the
// editor does not act on it and no character is typed.
struct TKeyInfo {
  int Key = 0;  // Qt::Key
  Qt::KeyboardModifiers Modifiers;
  QString Text;
  bool AutoRepeat = false;
};

// The syntax-highlighting text editing widget. The text, caret, selection, undo and commands
// live in a TEditorModel (Model()); the widget paints it, turns keys, mouse, clipboard, drag and
// drop and input methods into model commands, and keeps the view state: scrolling, word wrap,
// fonts and colours, highlighting.
//
// Painting reads only the rows on screen. Highlighter states are learnt lazily: known states
// are exact; far below the known part a state is guessed from a bounded look-back and the
// known part grows in idle slices, after which the screen is repainted. Long lines are read,
// tokenized and painted only in the window that is shown.
class TTextEditor : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit TTextEditor(QWidget* parent = nullptr);
  ~TTextEditor() override;

  TEditorModel& Model() { return model_; }
  const TEditorModel& Model() const { return model_; }

  // ---- Text (forwarded to the model; see TEditorModel)
  void LoadFromBytes(std::string_view bytes) { model_.LoadFromBytes(bytes); }
  std::string Text() const { return model_.Text(); }
  void SetText(std::string_view text) { model_.SetText(text); }
  int LineCount() const { return model_.LineCount(); }
  std::string Line(int index) const { return model_.Line(index); }
  std::string LineText() const { return model_.LineText(); }
  bool Modified() const { return model_.Modified(); }
  void SetModified(bool modified) { model_.SetModified(modified); }
  bool ReadOnly() const { return model_.ReadOnly(); }
  void SetReadOnly(bool readOnly) { model_.SetReadOnly(readOnly); }
  bool InsertMode() const { return model_.InsertMode(); }
  void SetInsertMode(bool insert) { model_.SetInsertMode(insert); }

  // ---- Caret, selection and visible range
  TBufferPos CaretXY() const { return model_.CaretPos(); }
  void SetCaretXY(TBufferPos pos) { model_.SetCaretPos(pos); }
  int CaretX() const { return model_.CaretX(); }
  int CaretY() const { return model_.CaretY(); }
  void SetCaretX(int column) { model_.SetCaretX(column); }
  void SetCaretY(int line) { model_.SetCaretY(line); }
  int TopLine() const { return top_.line + 1; }
  void SetTopLine(int line);
  int LinesInWindow() const { return visibleRows_; }
  int CharsInWindow() const { return visibleColumns_; }
  bool SelAvail() const { return model_.SelAvail(); }
  std::string SelText() const { return model_.SelText(); }
  void SetSelText(std::string_view text) { model_.SetSelText(text); }
  void SelectAll() { model_.SelectAll(); }
  TSelectionMode SelectionMode() const { return model_.SelectionMode(); }
  void SetSelectionMode(TSelectionMode mode) { model_.SetSelectionMode(mode); }
  void CopyToClipboard() { ExecuteCommand(ecCopy); }
  void CutToClipboard() { ExecuteCommand(ecCut); }
  void PasteFromClipboard() { ExecuteCommand(ecPaste); }
  bool CanPaste() const { return model_.CanPaste(); }
  void Undo() { ExecuteCommand(ecUndo); }
  void Redo() { ExecuteCommand(ecRedo); }
  bool CanUndo() const { return model_.CanUndo(); }
  bool CanRedo() const { return model_.CanRedo(); }
  // Runs an editor command, as the keyboard does.
  void ExecuteCommand(TEditorCommand command, char32_t ch = 0, std::string_view text = {});
  // Binds a key (Qt::Key plus modifiers) to a command; ecNone removes the binding.
  void AddKey(int key, Qt::KeyboardModifiers modifiers, TEditorCommand command);

  // ---- Positions and pixels (pixels are viewport coordinates)
  TDisplayPos BufferToDisplayPos(TBufferPos pos);
  TBufferPos DisplayToBufferPos(TDisplayPos pos);
  // Top-left corner of the cell of a display position / buffer position.
  QPoint RowColumnToPixels(TDisplayPos pos);
  QPoint BufferPosToPixels(TBufferPos pos) { return RowColumnToPixels(BufferToDisplayPos(pos)); }
  // The buffer position nearest to a point (between the two characters around it).
  TBufferPos PixelsToBufferPos(QPoint point);
  // The line (from 1) at a vertical pixel position, clamped to the text.
  int LineAtPixel(int y);

  // ---- Highlighting
  THighlighter* Highlighter() const { return states_.Highlighter(); }
  void SetHighlighter(THighlighter* highlighter);
  // Whether every line's highlighting state is known (the idle work after an open is done).
  bool HighlightingComplete() const { return states_.Complete(); }
  // The attribute of the token at a position; false when no token is there (past the end of a
  // line, or no highlighter). `token` receives the token's text.
  bool GetHighlighterAttriAtRowCol(TBufferPos pos, std::string& token,
                                   const THighlighterAttribute*& attribute);
  bool GetHighlighterAttriAtRowCol(TBufferPos pos, const THighlighterAttribute*& attribute) {
    std::string token;
    return GetHighlighterAttriAtRowCol(pos, token, attribute);
  }

  // ---- Line marks: a mark in the gutter and a wavy underline on each marked line; the message
  // is the hint over the mark and over the line's text.
  void SetLineMarks(std::vector<TLineMark> marks);
  const std::vector<TLineMark>& LineMarks() const { return model_.LineMarks(); }

  // ---- Appearance. Colours are TColor: 0xBBGGRR, clNone for none, system colours (top byte
  // 0xFF) from the palette (clWindow is the Base colour).
  QFont EditorFont() const { return font_; }
  void SetEditorFont(const QFont& font);
  int FontSize() const { return font_.pointSize(); }
  void SetFontSize(int points);
  int TextHeight() const { return lineHeight_; }  // line height in pixels
  qreal CharWidth() const { return charWidth_; }
  int TabWidth() const { return model_.TabWidth(); }
  void SetTabWidth(int width);
  TEditorOptions Options() const { return model_.Options(); }
  void SetOptions(TEditorOptions options);
  bool WordWrap() const { return layout_.WordWrap(); }
  void SetWordWrap(bool on);
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool on) { wantTabs_ = on; }
  bool AlwaysShowCaret() const { return alwaysShowCaret_; }
  void SetAlwaysShowCaret(bool on);
  int RightEdge() const { return rightEdge_; }
  void SetRightEdge(int column);  // 0: none
  TColor RightEdgeColor() const { return rightEdgeColor_; }
  void SetRightEdgeColor(TColor color);
  TColor Color() const { return color_; }  // background
  void SetColor(TColor color);
  TColor FontColor() const { return fontColor_; }
  void SetFontColor(TColor color);
  TColor ActiveLineColor() const { return activeLineColor_; }
  void SetActiveLineColor(TColor color);
  TColor SelectedBackground() const { return selectedBackground_; }
  TColor SelectedForeground() const { return selectedForeground_; }
  void SetSelectedColors(TColor background, TColor foreground);
  // Gutter: shown, auto-sized to the line numbers, gradient, line numbers.
  bool GutterVisible() const { return gutterVisible_; }
  void SetGutterVisible(bool on);
  bool GutterAutoSize() const { return gutterAutoSize_; }
  void SetGutterAutoSize(bool on);
  int GutterWidth() const { return gutterWidth_; }
  void SetGutterWidth(int pixels);  // without auto size
  bool GutterGradient() const { return gutterGradient_; }
  void SetGutterGradient(bool on);
  bool ShowLineNumbers() const { return showLineNumbers_; }
  void SetShowLineNumbers(bool on);
  TColor GutterColor() const { return gutterColor_; }
  void SetGutterColor(TColor color);
  TColor GutterGradientEndColor() const { return gutterGradientEnd_; }
  void SetGutterGradientEndColor(TColor color);
  // The colour TColor stands for on this widget.
  QColor ToQColor(TColor color, QColor fallback = QColor()) const;

  // ---- Events and hooks. Each can be detached (set to nullptr) and restored; the status-change
  // and change events are usually detached around bulk changes.
  using TKeyEvent = std::function<void(TTextEditor& editor, TKeyInfo& key)>;
  using TKeyPressEvent = std::function<void(TTextEditor& editor, char32_t& ch)>;
  using TPaintEvent = std::function<void(TTextEditor& editor, QPainter& painter)>;
  using TStatusChangeEvent = std::function<void(TTextEditor& editor, TStatusChanges changes)>;
  using TNotifyEvent = std::function<void(TTextEditor& editor)>;
  using TGutterClickEvent =
      std::function<void(TTextEditor& editor, Qt::MouseButton button, QPoint point, int line)>;
  // Drags of other data than editor text (files from the explorer, say): set `accept`.
  using TDragOverEvent =
      std::function<void(TTextEditor& editor, const QMimeData& data, QPoint point, bool& accept)>;
  // Return true when the drop was handled; otherwise the editor drops text if there is any.
  using TDragDropEvent =
      std::function<bool(TTextEditor& editor, const QMimeData& data, QPoint point)>;
  using TCommandHook = std::function<void(TTextEditor& editor, TCommandEvent& event)>;

  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TPaintEvent OnPaint;
  TStatusChangeEvent OnStatusChange;
  TNotifyEvent OnChange;
  TGutterClickEvent OnGutterClick;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TCommandHook OnCommandProcessed;  // before each command, with its code (copy 201, cut 603)
  // The replace prompt of a prompting search (answered cancel, skip, replace or replace all).
  void SetOnReplaceText(TReplaceTextEvent handler) { model_.OnReplaceText = std::move(handler); }

  // Repaints the text area (and gutter).
  void Repaint();
  // Repaints the lines [first, last] (from 1).
  void InvalidateLines(int first, int last);
  void InvalidateGutter();

  // The live editor behind an editor drag's data, or nullptr.
  static TTextEditor* DragSource(const QMimeData& data);
  static constexpr const char* kDragMimeType = "application/x-tervil-editor-drag";

  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

 protected:
  // Key handlers run before the editor's own handling; the defaults call the hooks.
  virtual void KeyDown(TKeyInfo& key);
  // A typed character: the default runs OnKeyPress, then types the character (unless the hook
  // cleared it). A derived editor may act before and after calling it.
  virtual void KeyPress(char32_t& ch);
  virtual void KeyUp(TKeyInfo& key);
  // After the editor has painted, on the same painter. The default calls OnPaint.
  virtual void PaintOverlay(QPainter& painter);
  // The part of the viewport PaintOverlay paints now. The editor asks after every change of
  // the text, caret or selection and repaints the old and the new region when they differ, so
  // marks that follow the caret leave nothing behind. The default (an OnPaint hook may paint
  // anywhere): the whole viewport when OnPaint is set, else nothing.
  virtual QRegion OverlayRegion();
  // Caret, selection, text, modified flag, insert mode or top line changed.
  virtual void StatusChanged(TStatusChanges changes);
  // The text changed.
  virtual void TextChanged();
  virtual void GutterClicked(Qt::MouseButton button, QPoint point, int line);
  // Text from `source` (nullptr: not an editor) was dropped here.
  virtual void TextDropped(TTextEditor* source, bool move);
  virtual void CommandProcessed(TCommandEvent& event);

  // Qt events.
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  bool focusNextPrevChild(bool next) override;
  bool event(QEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;

 private:
  friend class TEditorPainter;
  class Listener;

  // Model notifications.
  void OnLinesInserted(int first, int count);
  void OnLinesDeleted(int first, int count);
  void OnLinesChanged(int first, int count);
  void OnTextReset();
  void OnStatusChanged(TStatusChanges changes);

  // Geometry.
  void UpdateFontMetrics();
  void UpdateGutterWidth();
  int TextLeft() const { return (gutterVisible_ ? gutterWidth_ : 0) + kTextMargin; }
  void UpdateViewSize();
  void UpdateScrollBars();
  void EnsureCaretVisible();
  void ScrollToRow(TRowPos top);
  // x of the left edge of character `charIndex` on a row, relative to the text area.
  qreal XOfChar(const TRowSpan& row, int charIndex);
  int CharAtX(const TRowSpan& row, qreal x);
  int RowStartColumn(const TRowSpan& row) const;
  TRowSpan RowAtY(int y, bool clampToText);

  // Input.
  TEditorCommand CommandForKey(int key, Qt::KeyboardModifiers modifiers) const;
  bool RunViewCommand(TEditorCommand command);
  void MoveByRows(int rows, bool extend);
  void TypeText(const QString& text);
  void StartDrag();
  bool CanDrop(const QMimeData& data) const;
  void DropText(const QMimeData& data, TBufferPos at, bool move);
  void AutoScrollTick();
  void SelectAt(QPoint point, bool extend);
  void ResetCaretBlink();

  // Repainting only what changed (EditorRepaint.cpp).
  // Repaints the whole viewport.
  void UpdateAll();
  // Repaints what the changes since the last request touched: the rows of changed lines, the
  // rows below when lines moved or the highlighting state after the change differs, the old
  // and the new caret row, the rows of the old and the new selection, the overlay's marks.
  void UpdateChangedArea();
  // The rows of lines [first, last] (from 0) on screen, from `first` to the bottom when last is
  // -1: the text area, and the gutter too when asked (the line numbers change only when lines
  // move).
  QRegion LineRowsRegion(int first, int last, bool withGutter = false);
  QRect CaretRowRect();  // the text area of the caret's row
  void NoteLinesChanged(int first, int count);
  void NoteLinesMoved(int first);
  void ResetChangeTracking();

  // Highlighting in idle time.
  void ScheduleIdleHighlight();
  void IdleHighlight();

  static constexpr int kTextMargin = 2;

  TEditorModel model_;
  std::unique_ptr<Listener> listener_;
  std::unique_ptr<TEditorClipboard> clipboard_;
  TViewLayout layout_;
  THighlightStates states_;
  std::unique_ptr<TEditorPainter> painter_;

  // View state.
  TRowPos top_;
  int leftColumn_ = 0;  // display columns scrolled off to the left (without word wrap)
  int visibleRows_ = 1;
  int visibleColumns_ = 1;
  int longestSeen_ = 0;        // widest line painted so far (display columns)
  int desiredRowColumn_ = -1;  // kept by vertical moves with word wrap
  bool syncingScroll_ = false;
  // Whether the view has been shown: before, its size is not the one it will have, so the
  // caret scrolls nothing (a page opened at start keeps its top line and its left edge).
  bool laidOut_ = false;

  // Appearance.
  QFont font_;
  qreal charWidth_ = 8;
  int lineHeight_ = 16;
  int ascent_ = 12;
  bool fixedPitch_ = true;
  bool wantTabs_ = true;
  bool alwaysShowCaret_ = false;
  int rightEdge_ = 80;
  TColor rightEdgeColor_ = clSilver;
  TColor color_ = clWindow;
  TColor fontColor_ = clWindowText;
  TColor activeLineColor_ = clNone;
  TColor selectedBackground_ = clHighlight;
  TColor selectedForeground_ = clHighlightText;
  bool gutterVisible_ = true;
  bool gutterAutoSize_ = true;
  int gutterWidth_ = 30;
  bool gutterGradient_ = false;
  bool showLineNumbers_ = true;
  TColor gutterColor_ = clBtnFace;
  TColor gutterGradientEnd_ = clWindow;

  // Caret.
  QTimer caretTimer_;
  bool caretOn_ = true;

  // Mouse.
  QTimer autoScrollTimer_;
  QPoint lastMouse_;
  QPoint pressPoint_;
  bool selecting_ = false;
  bool dragPending_ = false;  // a press inside the selection that may start a drag
  bool columnByAlt_ = false;
  QElapsedTimer doubleClickTime_;
  QPoint doubleClickPoint_;
  bool dropCaretShown_ = false;
  TBufferPos dropCaret_;
  bool dropHandledHere_ = false;

  // Input methods.
  QString preedit_;

  // What the screen shows or was asked to show, to repaint only what changes.
  struct TShownState {
    TRowPos top;
    int leftColumn = 0;
    QRect caretRow;     // the row the caret blinks in
    QRegion caretLine;  // every row of the caret's line
    bool selAvail = false;
    TSelectionMode selMode = TSelectionMode::smNormal;
    TBufferPos selBegin;
    TBufferPos selEnd;
    QRegion overlay;
  };
  TShownState ShownStateNow();
  TShownState shown_;
  bool fullUpdatePending_ = false;
  // Lines changed since the last request [changedFirst_, changedLast_] (from 0; -1: none) and
  // the first line of those moved by insertions or deletions (-1: none).
  int changedFirst_ = -1;
  int changedLast_ = -1;
  int movedFrom_ = -1;
  // The highlighting state at the start of the line after the changed lines before the change,
  // to tell whether the lines below need repainting (nextLine_ -1: unknown).
  int nextLine_ = -1;
  THighlighterState nextState_ = 0;

  // Idle highlighting.
  QTimer idleTimer_;
  bool guessedOnScreen_ = false;

  std::map<std::pair<int, int>, TEditorCommand> keys_;
};

}  // namespace tervil
