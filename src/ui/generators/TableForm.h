#pragma once

#include <QDialog>

#include "core/generators/TableGrid.h"

class QLabel;
class QSlider;
class QSpinBox;

namespace tervil {

class TTableGridView;

// The "Table Generator" dialog: sliders for the numbers of rows and columns, a grid on which
// cells are joined and split, a repeat count, and "Insert", which generates the table.
class TTableForm : public QDialog {
  Q_OBJECT
 public:
  explicit TTableForm(QWidget* parent = nullptr);

  // The generated markup; empty until "Insert" was clicked.
  QString ResultText() const { return result_; }
  const TTableGrid& Grid() const { return grid_; }

 private:
  void SizeChanged();
  void Edit(void (TTableGrid::*edit)(TCellRect));
  void Insert();

  TTableGrid grid_;
  TTableGridView* StringGrid1;
  QSlider* TrackBar1;  // rows
  QSlider* TrackBar2;  // columns
  QLabel* sizeLabel_;
  QSpinBox* repeat_;
  QString result_;
};

}  // namespace tervil
