#pragma once

#include "core/common/Color.h"
#include "ui/editcomponent/TextEditor.h"

namespace tervil {

// The editor control of every editor page: the text editor widget with the program's editing
// behaviours on top. For now it adds the properties the configuration sets and moves text
// dragged from another editor control instead of copying it.
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

 protected:
  void TextDropped(TTextEditor* source, bool move) override;

 private:
  bool autoIndent_ = false;
  bool autoClose_ = false;
  bool continueLists_ = false;
  TColor bracketColor_ = clMoneyGreen;
  TColor variableColor_ = clSkyBlue;
};

}  // namespace tervil
