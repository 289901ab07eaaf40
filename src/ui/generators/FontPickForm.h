#pragma once

#include <QDialog>

class QListWidget;

namespace tervil {

// `TFontPick`, the "Select Font" dialog: the generic families, an empty entry and every font
// installed on the machine, each drawn in its own typeface. "OK" accepts, "Add" ends the dialog
// with kAddResult, "Cancel" rejects; the caller reads the chosen text.
class TFontPick : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kAddResult = 2;

  explicit TFontPick(QWidget* parent = nullptr);

  QListWidget* List() const { return list_; }
  QString ChosenFont() const;

 private:
  QListWidget* list_;
};

}  // namespace tervil
