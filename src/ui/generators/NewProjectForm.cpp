#include "ui/generators/NewProjectForm.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "core/generators/DocumentTypes.h"
#include "ui/generators/GeneratorIcons.h"

namespace tervil {

namespace {

constexpr int kIconSize = 48;

// The artwork of the type icons: a sheet of paper with a folded corner and a band in the type's
// colour carrying its name.
constexpr const char* kIconTemplate =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="48" height="48">
<path d="M9 3h22l10 10v32H9z" fill="#fdfdfd" stroke="#6b6b6b" stroke-width="1.5"/>
<path d="M31 3v10h10" fill="#e4e4e4" stroke="#6b6b6b" stroke-width="1.5"/>
<rect x="4" y="25" width="40" height="14" rx="2" fill="%1"/>
<text x="24" y="35.5" font-family="sans-serif" font-size="%2" font-weight="bold" fill="#fff" text-anchor="middle">%3</text>
</svg>)";

QString BandColour(const QString& caption) {
  static const QHash<QString, QString> colours = {
      {"CSS", "#2a6db0"},        {"HTML", "#d9531e"}, {"HTML5", "#e44d26"},
      {"JavaScript", "#c9a400"}, {"Perl", "#39457e"}, {"PHP", "#777bb3"},
      {"SQL", "#00758f"},        {"TXT", "#6b6b6b"},  {"XML", "#3f8f3f"}};
  return colours.value(caption, "#6b6b6b");
}

QString IconLabel(const QString& caption) {
  return caption == "JavaScript" ? "JS" : caption;
}

}  // namespace

QIcon DocumentTypeIcon(const QString& caption) {
  const QString label = IconLabel(caption);
  const int fontSize = label.size() <= 3 ? 11 : label.size() == 4 ? 9 : 8;
  const QString svg =
      QString(kIconTemplate).arg(BandColour(caption)).arg(fontSize).arg(label.toHtmlEscaped());
  const QIcon icon = SvgIcon(svg);
  return icon.isNull() ? QIcon::fromTheme("text-x-generic") : icon;
}

TNewProject::TNewProject(QWidget* parent) : QDialog(parent) {
  setObjectName("NewProject");
  setWindowTitle(tr("New project"));
  ListView = new QListWidget(this);
  ListView->setObjectName("ListView");
  ListView->setViewMode(QListView::IconMode);
  ListView->setIconSize({kIconSize, kIconSize});
  ListView->setGridSize({kIconSize + 40, kIconSize + 30});
  ListView->setMovement(QListView::Static);
  ListView->setResizeMode(QListView::Adjust);
  ListView->setWordWrap(true);
  for (const TDocumentType& type : DocumentTypes()) {
    const QString caption = QString::fromStdString(type.Caption);
    new QListWidgetItem(DocumentTypeIcon(caption), caption, ListView);
  }
  // Room for every type in rows of five, with the frame, the spacing around the cells and the
  // scroll bar the layout keeps room for.
  constexpr int kColumns = 5;
  const int rows = (ListView->count() + kColumns - 1) / kColumns;
  const int border = 2 * ListView->frameWidth() + 2 * ListView->spacing() + 8;
  const int scrollBar = ListView->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  ListView->setMinimumSize(kColumns * ListView->gridSize().width() + border + scrollBar,
                           rows * ListView->gridSize().height() + border);
  ListView->setCurrentRow(-1);
  ListView->clearSelection();

  FileNameEdit = new QLineEdit(this);
  FileNameEdit->setObjectName("FileNameEdit");
  auto* form = new QFormLayout;
  form->addRow(tr("Filename:"), FileNameEdit);

  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
  ok_->setDefault(true);
  ok_->setEnabled(false);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (!SelectedType().isEmpty()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(ListView, &QListWidget::itemSelectionChanged, this,
          [this] { ok_->setEnabled(!SelectedType().isEmpty()); });
  // Double-clicking a type acts like OK; double-clicking empty space selects nothing.
  connect(ListView, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    if (item && item->isSelected()) accept();
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ListView);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

QString TNewProject::SelectedType() const {
  const QList<QListWidgetItem*> selected = ListView->selectedItems();
  return selected.isEmpty() ? QString() : selected.first()->text();
}

QString TNewProject::FileName() const {
  return FileNameEdit->text();
}

}  // namespace tervil
