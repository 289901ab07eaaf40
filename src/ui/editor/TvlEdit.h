#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/common/Color.h"
#include "ui/editcomponent/TextEditor.h"

namespace tervil {

class THtmlTagsEditor;

// The editor control of every editor page: the text editor widget with the program's editing
// behaviours on top. Keys: closing tags after ">", closing and continuing HTML list items on
// Enter, continuing block comments, indenting after "{" and un-indenting "}", Ctrl+Space for
// completion or "&nbsp;", Tab on a selection, bookmarks by gutter click, moving text dragged
// from another editor control. Painting: frames around the variable at the caret, the matched
// bracket's background, frames around the matched tag names and the closing tag just inserted
// in the selection colours. The text rules themselves live in core/editor.
class TTvlEdit : public TTextEditor {
  Q_OBJECT
 public:
  explicit TTvlEdit(QWidget* parent = nullptr);

  bool AutoIndent() const { return autoIndent_; }
  void SetAutoIndent(bool on) { autoIndent_ = on; }
  bool AutoClose() const { return autoClose_; }
  void SetAutoClose(bool on) { autoClose_ = on; }
  bool ContinueLists() const { return continueLists_; }
  void SetContinueLists(bool on) { continueLists_ = on; }
  // Background of matched brackets; clNone switches the marking off. Setting it repaints.
  TColor BracketColor() const { return bracketColor_; }
  void SetBracketColor(TColor color);
  // Frames around the variable under the caret; clNone switches them off. Setting it repaints.
  TColor VariableColor() const { return variableColor_; }
  void SetVariableColor(TColor color);
  // The tag database used to decide which typed tags get a closing tag (not owned).
  void SetTagsEditor(const THtmlTagsEditor* tags) { tags_ = tags; }
  // Opened by Ctrl+Space on an identifier or blank (the page's function list); the JavaScript
  // helper takes its place with the JavaScript highlighter.
  std::function<void()> CompletionProposal;
  std::function<void()> JSHelper;

  // The expression that ends at the caret ($obj->items[2], document.forms, f(x, y)); empty
  // when there is none or the highlighter does not take identifiers.
  std::string IdentifierAtCaret(bool extendRight);
  // The same with the simpler variable rules ($a->b, x.y).
  std::string VariableAtCaret(bool extendRight);
  // The start of the name of the tag matching the one at the caret, or (0, 0).
  TBufferPos FindMatchingTag();
  // Whether the closing tag inserted last is still shown as linked.
  bool LinkedTagActive() const { return linked_.active; }

 protected:
  void KeyDown(TKeyInfo& key) override;
  void KeyPress(char32_t& ch) override;
  void KeyUp(TKeyInfo& key) override;
  void StatusChanged(TStatusChanges changes) override;
  void GutterClicked(Qt::MouseButton button, QPoint point, int line) override;
  void TextDropped(TTextEditor* source, bool move) override;
  void CommandProcessed(TCommandEvent& event) override;
  void PaintOverlay(QPainter& painter) override;
  QRegion OverlayRegion() override;

 private:
  // The closing tag inserted last, drawn in the selection colours until it ends.
  struct TLinkedTag {
    bool active = false;
    TBufferPos insertedAt;  // where the closing tag starts
    TBufferPos caret;       // the caret after the insertion
    std::string text;
    std::int64_t start = 0;
    std::int64_t end = 0;
  };

  // Replaces the selection by its own text followed by `text` (the caret ends after it).
  void Insert(const std::string& text);
  bool IsAttribute(TBufferPos pos, THighlighterDefault kind);
  bool InStringOrComment(TBufferPos pos);
  bool BeforeCaretInCode();
  void EndLinkedTag();
  bool ContinueComment(const TKeyInfo& key);
  void CtrlSpace(TKeyInfo& key);
  void ListItemOnEnter();
  void BraceOnClose();
  void BraceIndentAfterEnter();
  void ContinueListAfterEnter();
  void CloseTypedTag();
  void GoToMatchingBracket();
  bool TakesIdentifiers(bool variable) const;
  // The caret's line from kCaretScanLimit characters before the caret to as many after it (no
  // rule at the caret looks further, so a long line is not read whole), and the column of its
  // first character.
  std::string TextAroundCaret(int& firstColumn);
  int CaretLineLength() const;
  // A mark painted over the text.
  struct TMark {
    enum class TKind { Frame, Cell, LinkedTag };
    TKind kind = TKind::Frame;
    QRect rect;
    QColor color;
    TBufferPos pos;  // Cell: the character shown in it
  };
  // Painting (TvlEditPaint.cpp). The marks are found when the editor asks for their region and
  // painted from what was found.
  void FindMarks();
  void AddVariableFrames();
  void AddBracketMarks();
  void AddFrame(TBufferPos start, int length, const QColor& color);
  QRect LinkedTagRect();
  void PaintLinkedTag(QPainter& painter, const QRect& box);

  bool autoIndent_ = false;
  bool autoClose_ = false;
  bool continueLists_ = false;
  TColor bracketColor_ = clMoneyGreen;
  TColor variableColor_ = clSkyBlue;
  const THtmlTagsEditor* tags_ = nullptr;
  int lastListColumn_ = 0;
  TLinkedTag linked_;
  std::vector<TMark> marks_;
};

}  // namespace tervil
