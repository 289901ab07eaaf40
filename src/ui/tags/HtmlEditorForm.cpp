#include "ui/tags/HtmlEditorForm.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/tags/AttributeWindow.h"
#include "core/tags/TagsEditor.h"
#include "ui/documents/TvlPage.h"
#include "ui/editor/TvlEdit.h"
#include "ui/generators/ColorPickForm.h"
#include "ui/tags/AttributeGrid.h"

namespace tervil {

namespace {
constexpr int kMinWidth = 100;
constexpr int kMaxWidth = 400;
constexpr int kMinHeight = 100;
constexpr int kStartWidth = 200;
const char* const kPictureFilter = "JPEG (*.jpeg *.jpg);;GIF (*.gif);;PNG (*.png);;BMP (*.bmp)";
}  // namespace

THtmlEditor::THtmlEditor(THtmlTagsEditor& tags, QMainWindow* mainWindow,
                         const QString& colorListFile)
    : TToolForm(tr("Html Editor"), "HtmlEditor", mainWindow),
      tags_(tags),
      tagsCombo_(new QComboBox),
      insertTag_(new QToolButton),
      grid_(new TAttributeGridWidget),
      restTimer_(new QTimer(this)),
      colorListFile_(colorListFile) {
  // A missing list is reported where the program reads its reference data; colour cells then
  // know the colour codes only.
  std::vector<std::string> problems;
  if (!colorListFile.isEmpty()) colors_.LoadFile(colorListFile.toStdString(), problems);
  colorNames_ << QString();
  for (const TNamedColor& color : colors_.Entries()) {
    const QString name = QString::fromStdString(color.name);
    if (!colorNames_.contains(name, Qt::CaseInsensitive)) colorNames_ << name;
  }
  grid_->SetColorNames(&colors_);
  SetSizeLimits(kMinWidth, kMaxWidth, kMinHeight, QWIDGETSIZE_MAX);
  SetStartSize(QSize(kStartWidth, 300));

  tagsCombo_->setObjectName("tagscombo");
  QStringList names;
  for (const std::string& name : tags_.KnownTags()) names << QString::fromStdString(name);
  names.sort();
  tagsCombo_->addItems(names);
  tagsCombo_->setCurrentIndex(-1);
  // The window may be as narrow as its smallest size allows.
  tagsCombo_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  tagsCombo_->setMinimumContentsLength(4);
  tagsCombo_->installEventFilter(this);
  insertTag_->setObjectName("InsertTag");
  insertTag_->setAutoRaise(true);
  insertTag_->setIcon(QIcon::fromTheme("list-add"));
  insertTag_->setText("+");
  insertTag_->setToolTip(tr("Insert the chosen tag"));
  connect(insertTag_, &QToolButton::clicked, this, &THtmlEditor::InsertTagClick);

  auto* content = new QWidget;
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(2, 2, 2, 2);
  auto* row = new QHBoxLayout;
  row->addWidget(tagsCombo_, 1);
  row->addWidget(insertTag_);
  layout->addLayout(row);
  layout->addWidget(grid_, 1);
  grid_->setMinimumWidth(kMinWidth - 10);
  setWidget(content);

  grid_->OnValueEdited = [this](int r, const QString& value) { ValueEdited(r, value); };
  grid_->OnEllipsis = [this](int r) { return ChooseValue(r); };

  restTimer_->setSingleShot(true);
  restTimer_->setInterval(kRestMs);
  connect(restTimer_, &QTimer::timeout, this, &THtmlEditor::UpdateView);
  connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    if (visible) UpdateView();
  });
}

void THtmlEditor::PageChanged(TTvlPage* page) {
  page_ = page;
  SetControlsEnabled(page != nullptr);
  if (!isHidden()) restTimer_->start();
}

void THtmlEditor::SetControlsEnabled(bool enabled) {
  widget()->setEnabled(enabled);
}

void THtmlEditor::UpdateView() {
  restTimer_->stop();
  if (!page_ || isHidden()) return;
  const TCaretTag found = TagAtCaret(tags_, page_->Model());
  complete_ = found.complete;
  tags_.ShowTagAttributes(found.tag, found.text, *grid_);
  StyleRows();
  grid_->SetAllReadOnly(page_->Model().ReadOnly() || !complete_);
  const int index = tagsCombo_->findText(QString::fromStdString(found.tag.Name),
                                         Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index >= 0) tagsCombo_->setCurrentIndex(index);
  // Typing goes on in the document.
  if (page_->TvlEdit()->hasFocus()) grid_->CloseEditor();
}

// The rows' colours, descriptions and colour samples, from the tag database.
void THtmlEditor::StyleRows() {
  const HtmlTag& tag = tags_.CurrentTag();
  const bool deprecated = tags_.IsDeprecated(tag.Id - 1);
  for (int row = 0; row < grid_->RowCount(); ++row) {
    const std::string name = grid_->Key(row);
    const std::string info = tags_.AttributeInfo(tag.Name, name);
    const bool color = tags_.AttributeSpecial(tag.Name, name) == "color";
    grid_->SetRowLook(row, AttributeTextColor(deprecated, info, name), QString::fromStdString(info),
                      color);
    // Colours are offered by name, with their samples; the picker writes a name too.
    if (color && colorNames_.size() > 1) grid_->SetPickListText(row, colorNames_);
  }
}

void THtmlEditor::ValueEdited(int row, const QString& value) {
  if (!page_ || !complete_) return;
  grid_->WriteCellEdit(page_->Model(), [this, row, &value] {
    tags_.SetTagAttribute(grid_->Key(row), value.toStdString(), page_->Model());
  });
}

std::optional<QString> THtmlEditor::ChooseValue(int row) {
  if (!page_) return std::nullopt;
  if (grid_->IsColorRow(row)) return ChooseColor(QString::fromStdString(grid_->Value(row)));
  return ChooseFile();
}

// A picture beside the page, written relative to the page's folder.
std::optional<QString> THtmlEditor::ChooseFile() {
  const QString pageFile = page_->Filename();
  const QString folder = QFileInfo(pageFile).isAbsolute() ? QFileInfo(pageFile).path() : QString();
  const QString file = QFileDialog::getOpenFileName(this, tr("Open"), folder, kPictureFilter);
  if (file.isEmpty() || !page_) return std::nullopt;
  return QString::fromStdString(PagePathOf(page_->Filename().toStdString(), file.toStdString()));
}

std::optional<QString> THtmlEditor::ChooseColor(const QString& current) {
  return ChooseColorText(colorListFile_, current, this);
}

void THtmlEditor::InsertTagClick() {
  if (!page_ || tagsCombo_->currentIndex() < 0) return;
  const std::string name = tagsCombo_->currentText().toStdString();
  TEditorModel& model = page_->Model();
  if (model.ReadOnly()) return;
  const TTagInsertion insertion = TagInsertion(name, tags_.HasClosingTag(tags_.IndexOfTag(name)));
  model.SetSelText(model.SelText() + insertion.text);
  if (insertion.caretBack > 0) {
    const TBufferPos caret = model.CaretPos();
    model.SetCaretPos({caret.Column - insertion.caretBack, caret.Line});
  }
  page_->FocusEditor();
}

bool THtmlEditor::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tagsCombo_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      InsertTagClick();
      return true;
    }
  }
  return TToolForm::eventFilter(watched, event);
}

}  // namespace tervil
