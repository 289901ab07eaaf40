#pragma once

#include <QDialog>
#include <optional>

class QLineEdit;
class QToolButton;

namespace tervil {

class TColorList;

// `TColorPick`, the "Choose Color" dialog: the named colours, the selected colour's text and a
// button that picks a colour from the screen.
class TColorPick : public QDialog {
  Q_OBJECT
 public:
  // `colorListFile` is the path of "colorlist.tvd".
  explicit TColorPick(const QString& colorListFile, QWidget* parent = nullptr);

  TColorList* ColorList() const { return colorList_; }
  QLineEdit* ColorCode() const { return colorCode_; }
  QToolButton* ColorPickSButton() const { return pickButton_; }
  void SelectColor(const QString& text);
  // A lower-case colour name, or "#" and six upper-case hexadecimal digits.
  QString GetSelected() const;

  // Picks a colour from the screen: the list follows the pointer until the button is released;
  // Esc brings the previous choice back.
  void PickFromScreen();

 private:
  void ShowCode();

  TColorList* colorList_;
  QLineEdit* colorCode_;
  QToolButton* pickButton_;
};

// Opens "Choose Color" with `current` preselected (no preselection for an empty text) and
// returns the chosen colour's text, a lower-case name when one matches; nothing when cancelled.
// The "..." buttons of the colour fields and cells use it.
std::optional<QString> ChooseColorText(const QString& colorListFile, const QString& current,
                                       QWidget* parent);

}  // namespace tervil
