#include "ui/generators/ColorPickForm.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QWindow>

#include "core/common/ColorNames.h"
#include "ui/generators/ColorListBox.h"
#include "ui/generators/ScreenForm.h"

namespace tervil {

TColorPick::TColorPick(const QString& colorListFile, QWidget* parent)
    : QDialog(parent),
      colorList_(new TColorList(this)),
      colorCode_(new QLineEdit(this)),
      pickButton_(new QToolButton(this)) {
  setObjectName("ColorPick");
  setWindowTitle(tr("Choose Color"));
  colorList_->LoadColorsFromFile(colorListFile);
  colorList_->setMinimumWidth(220);
  colorCode_->setObjectName("ColorCode");
  colorCode_->setReadOnly(true);
  pickButton_->setObjectName("ColorPickSButton");
  pickButton_->setIcon(QIcon::fromTheme("color-picker"));
  pickButton_->setToolTip(tr("Pick from the screen"));
  pickButton_->setStatusTip(tr("Pick from the screen"));

  auto* row = new QHBoxLayout;
  row->addWidget(colorList_, 1);
  row->addWidget(pickButton_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
  auto* form = new QFormLayout(this);
  form->addRow(row);
  form->addRow(colorCode_);
  form->addRow(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(colorList_, &TColorList::ColorSelected, this, &TColorPick::ShowCode);
  connect(pickButton_, &QToolButton::clicked, this, &TColorPick::PickFromScreen);
  ShowCode();
}

void TColorPick::SelectColor(const QString& text) {
  colorList_->SelectColor(text);
}

QString TColorPick::GetSelected() const {
  return colorList_->GetSelected();
}

void TColorPick::ShowCode() {
  colorCode_->setText(colorList_->SelectedColorText());
}

// The dialog stays on top while picking, and the screen window shows it live over the picture of
// the screen, so that its list and colour code follow the pointer. Its stacking changes through
// its native window: changing the widget's flags would hide it and end a running exec().
void TColorPick::PickFromScreen() {
  QWindow* window = windowHandle();
  const Qt::WindowFlags flags = window ? window->flags() : Qt::WindowFlags();
  if (window) window->setFlags(flags | Qt::WindowStaysOnTopHint);
  const QString previous = GetSelected();
  TScreenForm screen;
  connect(&screen, &TScreenForm::ColorChanged, this,
          [this](TColor color) { SelectColor(QString::fromStdString(ColorToHtml(color))); });
  screen.SetLiveWidget(this);
  if (screen.exec() != QDialog::Accepted) SelectColor(previous);
  if (window) window->setFlags(flags);
}

std::optional<QString> ChooseColorText(const QString& colorListFile, const QString& current,
                                       QWidget* parent) {
  TColorPick picker(colorListFile, parent);
  if (!current.trimmed().isEmpty()) picker.SelectColor(current.trimmed());
  if (picker.exec() != QDialog::Accepted) return std::nullopt;
  return picker.GetSelected();
}

}  // namespace tervil
