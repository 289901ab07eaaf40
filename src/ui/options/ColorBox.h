#pragma once

#include <QComboBox>

#include "core/common/Color.h"

namespace tervil {

// A colour list: the standard, extended and system colours by name with a swatch, an entry for
// no colour, one for the default colour and "Custom..." (the colour dialog). A colour the list
// does not name is shown as an entry of its own in HTML notation.
class TColorBox : public QComboBox {
  Q_OBJECT
 public:
  explicit TColorBox(QWidget* parent = nullptr);

  TColor Color() const;
  void SetColor(TColor color);

 signals:
  // The user chose another colour.
  void ColorChanged(TColor color);

 private:
  int IndexOf(TColor color) const;
  int AddColor(const QString& caption, TColor color);
  void ChooseCustom();

  int customIndex_ = -1;  // the "Custom..." entry
  TColor shown_ = clNone;
};

}  // namespace tervil
