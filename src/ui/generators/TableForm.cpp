#include "ui/generators/TableForm.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/generators/TableGridView.h"

namespace tervil {

namespace {
constexpr int kMaxRepeat = 1000;
}

TTableForm::TTableForm(QWidget* parent) : QDialog(parent) {
  setObjectName("TableForm");
  setWindowTitle(tr("Table Generator"));
  StringGrid1 = new TTableGridView(grid_, this);
  TrackBar1 = new QSlider(Qt::Vertical, this);
  TrackBar1->setObjectName("TrackBar1");
  TrackBar1->setRange(1, TTableGrid::kRows);
  TrackBar1->setInvertedAppearance(true);  // more rows further down, as the grid grows
  TrackBar1->setInvertedControls(true);    // Down moves the handle down: more rows
  TrackBar2 = new QSlider(Qt::Horizontal, this);
  TrackBar2->setObjectName("TrackBar2");
  TrackBar2->setRange(1, TTableGrid::kColumns);
  for (QSlider* slider : {TrackBar1, TrackBar2}) {
    slider->setValue(1);
    slider->setPageStep(1);
    slider->setTickPosition(QSlider::TicksBelow);
    connect(slider, &QSlider::valueChanged, this, &TTableForm::SizeChanged);
  }
  sizeLabel_ = new QLabel("1:1", this);
  sizeLabel_->setObjectName("SizeLabel");

  auto* gridLayout = new QGridLayout;
  gridLayout->addWidget(sizeLabel_, 0, 0, Qt::AlignCenter);
  gridLayout->addWidget(TrackBar2, 0, 1);
  gridLayout->addWidget(TrackBar1, 1, 0);
  gridLayout->addWidget(StringGrid1, 1, 1, Qt::AlignLeft | Qt::AlignTop);

  auto* commands = new QVBoxLayout;
  auto addCommand = [&](const QString& caption, void (TTableGrid::*edit)(TCellRect)) {
    auto* button = new QPushButton(caption, this);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, edit] { Edit(edit); });
    commands->addWidget(button);
  };
  addCommand(tr("Join Cells"), &TTableGrid::Join);
  addCommand(tr("Split Horizonally"), &TTableGrid::SplitHorizontally);
  addCommand(tr("Split Vertically"), &TTableGrid::SplitVertically);
  auto* reset = new QPushButton(tr("Reset"), this);
  reset->setAutoDefault(false);
  connect(reset, &QPushButton::clicked, this, [this] {
    grid_.Reset();
    StringGrid1->GridChanged();
  });
  commands->addWidget(reset);
  commands->addStretch();

  repeat_ = new QSpinBox(this);
  repeat_->setObjectName("RepeatEdit");
  repeat_->setRange(1, kMaxRepeat);
  repeat_->setValue(1);
  auto* repeatRow = new QHBoxLayout;
  repeatRow->addWidget(new QLabel(tr("Repeat template"), this));
  repeatRow->addWidget(repeat_);
  repeatRow->addWidget(new QLabel(tr("times"), this));
  repeatRow->addStretch();

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* insert = buttons->addButton(tr("Insert"), QDialogButtonBox::AcceptRole);
  buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
  insert->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &TTableForm::Insert);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* top = new QHBoxLayout;
  top->addLayout(gridLayout);
  top->addLayout(commands);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(repeatRow);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  StringGrid1->setFocus();
}

void TTableForm::SizeChanged() {
  grid_.SetRowCount(TrackBar1->value());
  grid_.SetColCount(TrackBar2->value());
  sizeLabel_->setText(QString("%1:%2").arg(grid_.ColCount()).arg(grid_.RowCount()));
  StringGrid1->GridChanged();
}

void TTableForm::Edit(void (TTableGrid::*edit)(TCellRect)) {
  (grid_.*edit)(StringGrid1->Selection());
  StringGrid1->GridChanged();
}

void TTableForm::Insert() {
  result_ = QString::fromStdString(grid_.Generate(repeat_->value()));
  accept();
}

}  // namespace tervil
