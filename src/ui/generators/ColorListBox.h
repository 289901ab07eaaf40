#pragma once

#include <QComboBox>
#include <QString>

#include "core/generators/ColorList.h"

namespace tervil {

// `TColorList`: a drop-down list of named colours from "colorlist.tvd", each drawn as a framed
// swatch and its name, with the custom entry first. Picking the custom entry opens the colour
// dialog; the chosen colour becomes the custom entry.
class TColorList : public QComboBox {
  Q_OBJECT
 public:
  explicit TColorList(QWidget* parent = nullptr);

  // Reads the colour list file; false (and an empty list but for the custom entry) when it
  // cannot be read.
  bool LoadColorsFromFile(const QString& path);
  QString GetSelected() const { return QString::fromStdString(model_.GetSelected()); }
  void SelectColor(const QString& text);
  // The selected entry's colour text ("#RRGGBB").
  QString SelectedColorText() const;
  const TColorListModel& Model() const { return model_; }

  // Opens the colour dialog for the custom entry; replaceable for tests. Returns an invalid
  // colour when cancelled.
  std::function<QColor(const QColor& initial)> ChooseCustomColor;

 signals:
  // The selection changed, by the user or by SelectColor.
  void ColorSelected();

 private:
  void Refill();
  void Picked(int index);

  TColorListModel model_;
  bool filling_ = false;
};

}  // namespace tervil
