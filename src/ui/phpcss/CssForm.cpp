#include "ui/phpcss/CssForm.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/phpcss/CssStyle.h"
#include "ui/generators/ColorPickForm.h"

namespace tervil {

namespace {

constexpr int kAddResult = 2;  // the font chooser's "Add"
const char* const kFreeText = "freeText";
const char* const kRedText = "QComboBox { color: red; }";

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The font chooser "Select Font": the generic families, an empty entry, and every installed
// font, each name drawn in its own typeface. "OK" or "Add" answer with the chosen name.
std::optional<TCSS::FontChoice> ChooseFontDialog(QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QObject::tr("Select Font"));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel("font-family"));
  auto* list = new QListWidget;
  list->setObjectName("FontList");
  list->addItems({"serif", "sans-serif", "cursive", "fantasy", "monospace", ""});
  for (const QString& family : QFontDatabase::families()) {
    auto* item = new QListWidgetItem(family, list);
    item->setFont(QFont(family));
  }
  layout->addWidget(list);
  auto* buttons = new QDialogButtonBox;
  QPushButton* ok = buttons->addButton(QObject::tr("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QObject::tr("Cancel"), QDialogButtonBox::RejectRole);
  QPushButton* add = buttons->addButton(QObject::tr("Add"), QDialogButtonBox::ActionRole);
  ok->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(add, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(kAddResult); });
  layout->addWidget(buttons);
  const int result = dialog.exec();
  if (result == QDialog::Rejected || !list->currentItem()) return std::nullopt;
  return TCSS::FontChoice{list->currentItem()->text(), result == kAddResult};
}

}  // namespace

TCSS::TCSS(QWidget* parent, const QString& colorListFile)
    : QDialog(parent),
      tabs_(new QTabWidget),
      preview_(new QPlainTextEdit),
      ok_(new QPushButton(tr("Ok"))),
      colorListFile_(colorListFile) {
  setObjectName("CSS");
  setWindowTitle(tr("CSS Editor"));
  resize(720, 520);
  ChooseFont = [this](const QString&) { return ChooseFontDialog(this); };

  for (std::string_view page : CssDialogPages())
    tabs_->addTab(page == "Position" ? MakePositionPage() : MakePage(page), tr(page.data()));
  preview_->setObjectName("PreviewMemo");
  previewIndex_ = tabs_->addTab(preview_, tr("Preview"));
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (index == previewIndex_) ComposePreview();
  });

  auto* cancel = new QPushButton(tr("Cancel"));
  auto* resetPage = new QPushButton(tr("Reset Page"));
  auto* resetAll = new QPushButton(tr("Reset All"));
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &TCSS::Accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(resetPage, &QPushButton::clicked, this, &TCSS::ResetPage);
  connect(resetAll, &QPushButton::clicked, this, &TCSS::ResetAll);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(resetPage);
  buttons->addWidget(resetAll);
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_, 1);
  layout->addLayout(buttons);
}

QWidget* TCSS::MakePage(std::string_view page) {
  auto* inner = new QWidget;
  auto* form = new QFormLayout(inner);
  for (const TCssField& field : CssDialogFields())
    if (field.page == page) {
      QWidget* editor = MakeField(field);
      auto* label = new QLabel(Q(field.name));
      label->setBuddy(fields_.value(Q(field.name)));
      form->addRow(label, editor);
    }
  auto* scroll = new QScrollArea;
  scroll->setWidget(inner);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  return scroll;
}

QWidget* TCSS::MakePositionPage() {
  const auto& rows = CssGridRows();
  grid_ = new QTableWidget(static_cast<int>(rows.size()), 2);
  grid_->setObjectName("BoxGrid");
  grid_->setHorizontalHeaderLabels({tr("Element"), tr("Value")});
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setStretchLastSection(true);
  for (int row = 0; row < grid_->rowCount(); ++row) {
    auto* name = new QTableWidgetItem(Q(rows[static_cast<std::size_t>(row)]));
    name->setFlags(Qt::ItemIsEnabled);
    grid_->setItem(row, 0, name);
    grid_->setItem(row, 1, new QTableWidgetItem);
  }
  auto* page = new QWidget;
  auto* layout = new QHBoxLayout(page);
  layout->addWidget(grid_, 1);
  layout->addWidget(MakePage("Position"), 1);
  return page;
}

QWidget* TCSS::MakeField(const TCssField& field) {
  const QString name = Q(field.name);
  if (field.kind == TCssFieldKind::kFixedList || field.kind == TCssFieldKind::kEditableList) {
    auto* combo = new QComboBox;
    combo->setObjectName(name);
    for (std::string_view value : field.values) combo->addItem(Q(value));
    combo->setEditable(field.kind == TCssFieldKind::kEditableList);
    combo->setCurrentIndex(-1);
    if (field.kind == TCssFieldKind::kFixedList)
      connect(combo, &QComboBox::editTextChanged, combo, [combo](const QString& text) {
        if (!combo->property(kFreeText).toBool()) return;
        const int index = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index < 0) return;
        // A listed value again: back to a plain list (after the line editor's signal is over).
        QTimer::singleShot(0, combo, [combo, index] {
          combo->setProperty(kFreeText, false);
          combo->setEditable(false);
          combo->setStyleSheet(QString());
          combo->setCurrentIndex(index);
        });
      });
    fields_.insert(name, combo);
    return combo;
  }
  auto* line = new QLineEdit;
  line->setObjectName(name);
  if (!field.hint.empty()) {
    line->setToolTip(Q(field.hint));
    line->setPlaceholderText(Q(field.hint).section('\n', 0, 0));
  }
  fields_.insert(name, line);
  if (field.kind == TCssFieldKind::kText) return line;
  auto* box = new QWidget;
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(line, 1);
  auto* button = new QToolButton;
  if (field.kind == TCssFieldKind::kColorText) {
    button->setText("...");
    button->setToolTip(tr("Choose color"));
    button->setObjectName(name + "Button");
    connect(button, &QToolButton::clicked, this, [this, line] { ChooseColor(line); });
  } else {
    button->setText(tr("Aa"));
    button->setToolTip(tr("Choose font"));
    button->setObjectName("FontButton");
    connect(button, &QToolButton::clicked, this, [this, line] { ChooseFontClick(line); });
  }
  row->addWidget(button);
  return box;
}

QString TCSS::FieldText(const QString& name) const {
  QWidget* field = Field(name);
  if (auto* combo = qobject_cast<QComboBox*>(field)) return combo->currentText();
  if (auto* line = qobject_cast<QLineEdit*>(field)) return line->text();
  return {};
}

bool TCSS::ShowsUnknownValue(const QString& name) const {
  QWidget* field = Field(name);
  return field && field->property(kFreeText).toBool();
}

void TCSS::LoadStyle(const TCSSStyle& style) {
  closer_ = style.Closer ? style.Closer : '}';
  declarations_ = style.Declarations;
  for (int page = 0; page < previewIndex_; ++page) LoadFields(page);
}

void TCSS::ClearFields(int pageIndex) {
  const std::string_view page = CssDialogPages()[static_cast<std::size_t>(pageIndex)];
  for (const TCssField& field : CssDialogFields()) {
    if (field.page != page) continue;
    QWidget* widget = Field(Q(field.name));
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      if (combo->property(kFreeText).toBool()) {
        combo->setProperty(kFreeText, false);
        combo->setEditable(false);
        combo->setStyleSheet(QString());
      }
      combo->setCurrentIndex(-1);
      if (combo->isEditable()) combo->setEditText(QString());
    } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
      line->clear();
    }
  }
  if (pageIndex == 0)
    for (int row = 0; row < grid_->rowCount(); ++row) grid_->item(row, 1)->setText(QString());
}

void TCSS::LoadFields(int pageIndex) {
  const std::string_view page = CssDialogPages()[static_cast<std::size_t>(pageIndex)];
  for (const std::string& declaration : declarations_) {
    const auto [key, value] = CssKeyValue(declaration);
    if (pageIndex == 0)
      for (int row = 0; row < grid_->rowCount(); ++row)
        if (grid_->item(row, 0)->text().toStdString() == key)
          grid_->item(row, 1)->setText(QString::fromStdString(value));
    for (const TCssField& field : CssDialogFields())
      if (field.page == page && field.name == key)
        SetFieldValue(field, QString::fromStdString(value));
  }
}

void TCSS::SetFieldValue(const TCssField& field, const QString& value) {
  QWidget* widget = Field(Q(field.name));
  if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    if (field.kind == TCssFieldKind::kEditableList) {
      combo->setEditText(value);
      return;
    }
    const int index = combo->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0 && !combo->property(kFreeText).toBool())
      combo->setCurrentIndex(index);
    else if (index >= 0)
      combo->setEditText(value);
    else
      MakeFixedListFree(combo, value);
  } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
    line->setText(value);
  }
}

// A fixed list loaded with a value it does not offer shows the value as red free text.
void TCSS::MakeFixedListFree(QComboBox* combo, const QString& value) {
  combo->setProperty(kFreeText, true);
  combo->setEditable(true);
  combo->setStyleSheet(kRedText);
  combo->setEditText(value);
}

void TCSS::ComposePreview() {
  std::vector<std::pair<std::string, std::string>> rows;
  for (int row = 0; row < grid_->rowCount(); ++row)
    rows.emplace_back(grid_->item(row, 0)->text().toStdString(),
                      grid_->item(row, 1)->text().trimmed().toStdString());
  std::vector<std::pair<std::string, std::string>> fields;
  for (const TCssField& field : CssDialogFields())
    fields.emplace_back(std::string(field.name), FieldText(Q(field.name)).trimmed().toStdString());
  preview_->setPlainText(QString::fromStdString(ComposeCssPreview(rows, fields, closer_)));
}

void TCSS::ResetPage() {
  const int page = tabs_->currentIndex();
  if (page < previewIndex_) {
    ClearFields(page);
    LoadFields(page);
  }
  ComposePreview();
}

void TCSS::ResetAll() {
  for (int page = 0; page < previewIndex_; ++page) {
    ClearFields(page);
    LoadFields(page);
  }
  ComposePreview();
}

void TCSS::ChooseColor(QLineEdit* line) {
  if (const std::optional<QString> chosen = ChooseColorText(colorListFile_, line->text(), this))
    line->setText(*chosen);
}

void TCSS::ChooseFontClick(QLineEdit* line) {
  const std::optional<FontChoice> choice = ChooseFont(line->text());
  if (!choice) return;
  line->setText(QString::fromStdString(
      ChooseFontFamily(line->text().toStdString(), choice->font.toStdString(), choice->add)));
}

QString TCSS::ResultText() const {
  return preview_->toPlainText();
}

void TCSS::Accept() {
  // From the Preview page the memo is taken as the user left it.
  if (tabs_->currentIndex() != previewIndex_) ComposePreview();
  accept();
}

}  // namespace tervil
