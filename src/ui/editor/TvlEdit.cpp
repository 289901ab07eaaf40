#include "ui/editor/TvlEdit.h"

namespace tervil {

TTvlEdit::TTvlEdit(QWidget* parent) : TTextEditor(parent) {}

void TTvlEdit::SetBracketColor(TColor color) {
  bracketColor_ = color;
  Repaint();
}

void TTvlEdit::SetVariableColor(TColor color) {
  variableColor_ = color;
  Repaint();
}

void TTvlEdit::TextDropped(TTextEditor* source, bool move) {
  TTextEditor::TextDropped(source, move);
  // A drag between two editor controls moves the text (Ctrl held makes it a copy).
  auto* other = dynamic_cast<TTvlEdit*>(source);
  if (other != nullptr && other != this && move && !other->ReadOnly()) {
    other->Model().SetSelText({});
  }
}

}  // namespace tervil
