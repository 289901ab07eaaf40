#include "ui/search/SearchDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace tervil {

namespace {

QComboBox* NewHistoryBox(QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setMinimumContentsLength(30);
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  return box;
}

void FillHistory(QComboBox* box, const std::vector<std::string>& history, const std::string& text) {
  box->clear();
  for (const std::string& entry : history) box->addItem(QString::fromStdString(entry));
  box->setEditText(QString::fromStdString(text));
}

std::vector<std::string> HistoryOf(const QComboBox* box) {
  std::vector<std::string> history;
  for (int i = 0; i < box->count(); ++i) history.push_back(box->itemText(i).toStdString());
  return history;
}

}  // namespace

TTextSearchDialog::TTextSearchDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Search Text"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  fields_ = new QGridLayout;
  fields_->setColumnStretch(1, 1);
  searchLabel_ = new QLabel(tr("&Search for:"), this);
  cbSearchText = NewHistoryBox(this);
  cbSearchText->setObjectName("cbSearchText");
  searchLabel_->setBuddy(cbSearchText);
  fields_->addWidget(searchLabel_, 0, 0);
  fields_->addWidget(cbSearchText, 0, 1);
  layout->addLayout(fields_);

  auto* groups = new QHBoxLayout;
  auto* options = new QGroupBox(tr("Options"), this);
  auto* optionsLayout = new QVBoxLayout(options);
  auto addOption = [&](const QString& caption, const char* name) {
    auto* box = new QCheckBox(caption, options);
    box->setObjectName(name);
    optionsLayout->addWidget(box);
    return box;
  };
  cbSearchCaseSensitive = addOption(tr("C&ase sensitivity"), "cbSearchCaseSensitive");
  cbSearchWholeWords = addOption(tr("&Whole words only"), "cbSearchWholeWords");
  cbSearchFromCursor = addOption(tr("Search from &caret"), "cbSearchFromCursor");
  cbSearchSelectedOnly = addOption(tr("&Selected text only"), "cbSearchSelectedOnly");
  cbRegularExpression = addOption(tr("&Regular expression"), "cbRegularExpression");
  groups->addWidget(options);

  auto* direction = new QGroupBox(tr("Direction"), this);
  direction->setObjectName("rgSearchDirection");
  auto* directionLayout = new QVBoxLayout(direction);
  rbForward = new QRadioButton(tr("&Forward"), direction);
  rbBackward = new QRadioButton(tr("&Backward"), direction);
  rbForward->setChecked(true);
  directionLayout->addWidget(rbForward);
  directionLayout->addWidget(rbBackward);
  directionLayout->addStretch();
  groups->addWidget(direction, 0);
  layout->addLayout(groups);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  cbSearchText->setFocus();
}

void TTextSearchDialog::SetValues(const TSearchDialogValues& values) {
  FillHistory(cbSearchText, values.SearchHistory, values.SearchText);
  cbSearchText->lineEdit()->selectAll();
  cbSearchCaseSensitive->setChecked(values.MatchCase);
  cbSearchWholeWords->setChecked(values.WholeWords);
  cbSearchFromCursor->setChecked(values.FromCaret);
  cbSearchSelectedOnly->setChecked(values.SelectedOnly);
  cbRegularExpression->setChecked(values.Regex);
  (values.Backward ? rbBackward : rbForward)->setChecked(true);
}

TSearchDialogValues TTextSearchDialog::Values() const {
  TSearchDialogValues values;
  values.SearchText = cbSearchText->currentText().toStdString();
  values.SearchHistory = HistoryOf(cbSearchText);
  values.MatchCase = cbSearchCaseSensitive->isChecked();
  values.WholeWords = cbSearchWholeWords->isChecked();
  values.FromCaret = cbSearchFromCursor->isChecked();
  values.SelectedOnly = cbSearchSelectedOnly->isChecked();
  values.Regex = cbRegularExpression->isChecked();
  values.Backward = rbBackward->isChecked();
  return values;
}

// The dialogs are centred on the screen.
void TTextSearchDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (QScreen* screen = this->screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

TTextReplaceDialog::TTextReplaceDialog(QWidget* parent) : TTextSearchDialog(parent) {
  setWindowTitle(tr("Replace text"));
  auto* label = new QLabel(tr("&Replace with:"), this);
  cbReplaceText = NewHistoryBox(this);
  cbReplaceText->setObjectName("cbReplaceText");
  label->setBuddy(cbReplaceText);
  Fields()->addWidget(label, 1, 0);
  Fields()->addWidget(cbReplaceText, 1, 1);
  setTabOrder(cbSearchText, cbReplaceText);
  setTabOrder(cbReplaceText, cbSearchCaseSensitive);
}

void TTextReplaceDialog::SetValues(const TSearchDialogValues& values) {
  TTextSearchDialog::SetValues(values);
  FillHistory(cbReplaceText, values.ReplaceHistory, values.ReplaceText);
}

TSearchDialogValues TTextReplaceDialog::Values() const {
  TSearchDialogValues values = TTextSearchDialog::Values();
  values.ReplaceText = cbReplaceText->currentText().toStdString();
  values.ReplaceHistory = HistoryOf(cbReplaceText);
  return values;
}

TTextMultiReplaceDialog::TTextMultiReplaceDialog(const std::vector<TDefinitionFile>& files,
                                                 const QString& userFolder, QWidget* parent)
    : TTextSearchDialog(parent) {
  setWindowTitle(tr("Replace text"));
  // The search field stays, hidden, and carries the search text through.
  SearchLabel()->hide();
  cbSearchText->hide();
  auto* label = new QLabel(tr("&Definition File:"), this);
  cbDefFile = new QComboBox(this);
  cbDefFile->setObjectName("cbDefFile");
  for (const TDefinitionFile& file : files)
    cbDefFile->addItem(QString::fromStdString(file.Name), QString::fromStdString(file.Path));
  cbDefFile->setCurrentIndex(-1);
  label->setBuddy(cbDefFile);
  Fields()->addWidget(label, 1, 0);
  Fields()->addWidget(cbDefFile, 1, 1);
  auto* note = new QLabel(tr("Definition files contain list of \"|\" separated search-replace "
                             "pairs. \nYou can add your own file by creating new file in %1/  ")
                              .arg(userFolder),
                          this);
  note->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Fields()->addWidget(note, 2, 0, 1, 2);
  setTabOrder(cbDefFile, cbSearchCaseSensitive);
  cbDefFile->setFocus();
}

void TTextMultiReplaceDialog::SetValues(const TSearchDialogValues& values) {
  TTextSearchDialog::SetValues(values);
  cbDefFile->setCurrentIndex(cbDefFile->findText(QString::fromStdString(values.DefinitionFile)));
}

TSearchDialogValues TTextMultiReplaceDialog::Values() const {
  TSearchDialogValues values = TTextSearchDialog::Values();
  values.DefinitionFile = cbDefFile->currentText().toStdString();
  return values;
}

TConfirmReplaceDialog::TConfirmReplaceDialog(const QString& search, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(tr("Confirm replace"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  auto* icon = new QLabel(this);
  const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(size, size));
  row->addWidget(icon, 0, Qt::AlignTop);
  auto* text = new QLabel(tr("Replace this occurence of \"%1\"?").arg(search), this);
  text->setTextFormat(Qt::PlainText);
  text->setWordWrap(true);
  row->addWidget(text, 1);
  layout->addLayout(row);
  auto* buttons = new QDialogButtonBox(this);
  auto addButton = [&](const QString& caption, TReplaceAction answer) {
    QPushButton* button = buttons->addButton(caption, QDialogButtonBox::ActionRole);
    connect(button, &QPushButton::clicked, this, [this, answer] {
      answer_ = answer;
      accept();
    });
    return button;
  };
  QPushButton* yes = addButton(tr("&Yes"), TReplaceAction::raReplace);
  addButton(tr("&No"), TReplaceAction::raSkip);
  addButton(tr("Cancel"), TReplaceAction::raCancel);
  addButton(tr("Yes to &all"), TReplaceAction::raReplaceAll);
  yes->setDefault(true);
  yes->setFocus();
  layout->addWidget(buttons);
}

TReplaceAction TConfirmReplaceDialog::Ask(const QPoint& topLeft) {
  answer_ = TReplaceAction::raCancel;
  move(topLeft);
  return exec() == QDialog::Accepted ? answer_ : TReplaceAction::raCancel;
}

}  // namespace tervil
