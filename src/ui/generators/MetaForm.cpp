#include "ui/generators/MetaForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervil {

namespace {

QComboBox* ChoiceList(const std::vector<std::string>& items, QWidget* parent) {
  auto* list = new QComboBox(parent);
  for (const std::string& item : items) list->addItem(QString::fromStdString(item));
  list->setCurrentIndex(-1);
  return list;
}

bool Checked(const QDialog* dialog, const char* name) {
  const auto* box = dialog->findChild<QCheckBox*>(name);
  return box && box->isChecked();
}

std::string Text(const QLineEdit* edit) {
  return edit->text().toStdString();
}

}  // namespace

TMeta::TMeta(QWidget* parent) : QDialog(parent) {
  setObjectName("Meta");
  setWindowTitle(tr("Head Generator"));
  DocType = ChoiceList(DocTypeDeclarations(), this);
  DocType->setObjectName("DocType");
  DocType->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  DocType->setMinimumContentsLength(40);
  encoding_ = ChoiceList(HeadCharsetNames(), this);
  encoding_->setObjectName("EncodingList");
  shortCharset_ = new QCheckBox(tr("Short form (HTML5)"), this);
  shortCharset_->setObjectName("ShortCharsetCheck");
  email_ = new QLineEdit(this);
  keywords_ = new QLineEdit(this);
  description_ = new QLineEdit(this);
  author_ = new QLineEdit(this);
  title_ = new QLineEdit(this);
  robots_ = new QListWidget(this);
  robots_->setObjectName("RobotsList");
  for (std::string_view caption : RobotsCaptions) {
    auto* item = new QListWidgetItem(QString::fromUtf8(caption.data(), caption.size()), robots_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  robots_->setMaximumHeight(robots_->sizeHintForRow(0) * 5 + 2 * robots_->frameWidth() + 4);

  auto* encodingRow = new QWidget(this);
  auto* encodingLayout = new QHBoxLayout(encodingRow);
  encodingLayout->setContentsMargins(0, 0, 0, 0);
  encodingLayout->addWidget(encoding_, 1);
  encodingLayout->addWidget(shortCharset_);

  auto* grid = new QGridLayout;
  setLayout(new QVBoxLayout);
  layout()->addItem(grid);
  struct TRow {
    const char* name;
    QString caption;
    QWidget* input;
  };
  const TRow rows[] = {
      {"DocTypeCheck", tr("DOCTYPE"), DocType},
      {"EncodingCheck", tr("Encoding"), encodingRow},
      {"ViewportCheck", tr("Viewport (small screens)"), nullptr},
      {"EmailCheck", tr("E-mail"), email_},
      {"NoCacheCheck", tr("Do not cache"), nullptr},
      {"KeywordsCheck", tr("Keywords"), keywords_},
      {"DescriptionCheck", tr("Description"), description_},
      {"AuthorCheck", tr("Author"), author_},
      {"GeneratorCheck", tr("Tervil Editor Information"), nullptr},
      {"RobotsCheck", tr("Robots"), robots_},
      {"TitleCheck", tr("Title"), title_},
  };
  int row = 0;
  for (const TRow& r : rows) {
    QCheckBox* check = AddOption(r.name, r.caption, r.input);
    grid->addWidget(check, row, 0, Qt::AlignTop);
    if (r.input) grid->addWidget(r.input, row, 1);
    ++row;
  }

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* insert = buttons->addButton(tr("Insert"), QDialogButtonBox::AcceptRole);
  buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
  insert->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &TMeta::WstawExecute);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout()->addWidget(buttons);
}

// Every option starts unchecked with its input disabled; checking it enables the input.
QCheckBox* TMeta::AddOption(const char* name, const QString& caption, QWidget* input) {
  auto* check = new QCheckBox(caption, this);
  check->setObjectName(name);
  if (input) {
    input->setEnabled(false);
    connect(check, &QCheckBox::toggled, input, &QWidget::setEnabled);
  }
  return check;
}

THeadOptions TMeta::Options() const {
  THeadOptions o;
  o.DocType = Checked(this, "DocTypeCheck");
  o.Declaration = DocType->currentIndex() >= 0 ? DocType->currentText().toStdString() : "";
  o.Encoding = Checked(this, "EncodingCheck");
  o.Charset = encoding_->currentIndex() >= 0 ? encoding_->currentText().toStdString() : "";
  o.ShortCharset = shortCharset_->isChecked();
  o.Viewport = Checked(this, "ViewportCheck");
  o.Email = Checked(this, "EmailCheck");
  o.EmailText = Text(email_);
  o.NoCache = Checked(this, "NoCacheCheck");
  o.Keywords = Checked(this, "KeywordsCheck");
  o.KeywordsText = Text(keywords_);
  o.Description = Checked(this, "DescriptionCheck");
  o.DescriptionText = Text(description_);
  o.Author = Checked(this, "AuthorCheck");
  o.AuthorText = Text(author_);
  o.Generator = Checked(this, "GeneratorCheck");
  o.Robots = Checked(this, "RobotsCheck");
  for (int i = 0; i < robots_->count(); ++i)
    o.RobotsChecked[static_cast<std::size_t>(i)] = robots_->item(i)->checkState() == Qt::Checked;
  o.Title = Checked(this, "TitleCheck");
  o.TitleText = Text(title_);
  return o;
}

void TMeta::WstawExecute() {
  result_ = QString::fromStdString(BuildHeadText(Options()));
  accept();
}

}  // namespace tervil
