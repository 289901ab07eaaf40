#include "ui/generators/FontPickForm.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/generators/ColorList.h"

namespace tervil {

TFontPick::TFontPick(QWidget* parent) : QDialog(parent), list_(new QListWidget(this)) {
  setObjectName("FontPick");
  setWindowTitle(tr("Select Font"));
  list_->setObjectName("FontList");
  std::vector<std::string> installed;
  for (const QString& family : QFontDatabase::families()) installed.push_back(family.toStdString());
  for (const std::string& entry : FontPickEntries(installed)) {
    auto* item = new QListWidgetItem(QString::fromStdString(entry), list_);
    if (entry.empty()) continue;
    QFont font = list_->font();
    font.setFamily(QString::fromStdString(entry));
    item->setFont(font);
  }
  list_->setCurrentRow(0);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
  QPushButton* add = buttons->addButton(tr("Add"), QDialogButtonBox::ActionRole);
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(add, &QPushButton::clicked, this, [this] { done(kAddResult); });
  connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(tr("font-family"), this);
  label->setBuddy(list_);
  layout->addWidget(label);
  layout->addWidget(list_);
  layout->addWidget(buttons);
  resize(320, 420);
}

QString TFontPick::ChosenFont() const {
  const QListWidgetItem* item = list_->currentItem();
  return item ? item->text() : QString();
}

}  // namespace tervil
