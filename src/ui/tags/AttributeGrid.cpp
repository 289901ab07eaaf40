#include "ui/tags/AttributeGrid.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>

#include "core/common/ColorNames.h"
#include "core/common/NamedColors.h"
#include "core/editcomponent/EditorModel.h"

namespace tervil {

namespace {

constexpr int kColumnWidth = 102;
constexpr int kShownChars = 1000;           // a cell shows no more of a long value
constexpr int kLongestEditedValue = 32767;  // what a line editor holds
enum Role : int {
  kValueRole = Qt::UserRole,  // the whole value
  kStyleRole,
  kReadOnlyRole,
  kPickListRole,
  kColorRole,
};

QColor ToQColor(TColor c) {
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

// A framed colour sample for the entries of a colour row's list.
QIcon SwatchIcon(const QColor& color) {
  QPixmap swatch(12, 12);
  swatch.fill(color);
  QPainter painter(&swatch);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, 11, 11);
  return QIcon(swatch);
}

QString Shown(const QString& value) {
  return value.size() > kShownChars ? value.left(kShownChars) + QChar(0x2026) : value;
}

// The in-place editor of a value cell: a line or a drop-down list, with an ellipsis button for
// files and colours.
class TValueEditor : public QWidget {
 public:
  TValueEditor(QWidget* parent, const QStringList& pickList, bool readOnly, bool ellipsis)
      : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (!pickList.isEmpty()) {
      combo_ = new QComboBox(this);
      combo_->setEditable(!readOnly);
      combo_->setInsertPolicy(QComboBox::NoInsert);
      combo_->addItems(pickList);
      layout->addWidget(combo_, 1);
      setFocusProxy(combo_);
    } else {
      line_ = new QLineEdit(this);
      line_->setReadOnly(readOnly);
      line_->setFrame(false);
      layout->addWidget(line_, 1);
      setFocusProxy(line_);
    }
    if (ellipsis) {
      button_ = new QToolButton(this);
      button_->setText("...");
      button_->setObjectName("Ellipsis");
      layout->addWidget(button_);
    }
    setAutoFillBackground(true);
  }

  QComboBox* Combo() const { return combo_; }
  QLineEdit* Line() const { return combo_ ? combo_->lineEdit() : line_; }
  QToolButton* Button() const { return button_; }

  void SetText(const QString& text) {
    if (combo_) {
      const int index = combo_->findText(text);
      if (combo_->isEditable())
        combo_->setEditText(text);
      else
        combo_->setCurrentIndex(index);
      if (index >= 0 && combo_->isEditable()) combo_->setCurrentIndex(index);
    } else {
      line_->setText(text);
    }
  }

 private:
  QComboBox* combo_ = nullptr;
  QLineEdit* line_ = nullptr;
  QToolButton* button_ = nullptr;
};

}  // namespace

// ---- Grid

TAttributeGridWidget::TAttributeGridWidget(QWidget* parent) : QTableWidget(0, 2, parent) {
  setObjectName("HtmlAttributes");
  setHorizontalHeaderLabels({tr("Attribute"), tr("Value")});
  horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
  horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  horizontalHeader()->setMinimumSectionSize(24);
  nameWidth_ = kColumnWidth;
  setColumnWidth(0, kColumnWidth);
  setColumnWidth(1, kColumnWidth);
  connect(horizontalHeader(), &QHeaderView::sectionResized, this,
          [this](int section, int, int size) {
            if (section == 0 && !fitting_) nameWidth_ = size;
          });
  verticalHeader()->hide();
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::AllEditTriggers);
  setItemDelegateForColumn(1, new TAttributeDelegate(this));
  setMouseTracking(true);
  setWordWrap(false);
}

void TAttributeGridWidget::scrollTo(const QModelIndex& index, ScrollHint hint) {
  QTableWidget::scrollTo(index, hint);
  horizontalScrollBar()->setValue(0);
}

void TAttributeGridWidget::resizeEvent(QResizeEvent* event) {
  QTableWidget::resizeEvent(event);
  FitColumns();
}

void TAttributeGridWidget::FitColumns() {
  fitting_ = true;
  setColumnWidth(0, std::min(nameWidth_, std::max(viewport()->width() / 2, 24)));
  fitting_ = false;
}

void TAttributeGridWidget::Clear() {
  setRowCount(0);
}

std::string TAttributeGridWidget::Key(int row) const {
  return item(row, 0)->text().toStdString();
}

std::string TAttributeGridWidget::Value(int row) const {
  return ValueItem(row)->data(kValueRole).toString().toStdString();
}

void TAttributeGridWidget::SetValue(int row, const std::string& value) {
  const QString text = QString::fromStdString(value);
  QTableWidgetItem* cell = ValueItem(row);
  cell->setData(kValueRole, text);
  cell->setText(Shown(text));
  cell->setToolTip(Shown(text));
}

int TAttributeGridWidget::AppendRow(const std::string& key, const std::string& value) {
  const int row = rowCount();
  insertRow(row);
  auto* keyItem = new QTableWidgetItem(QString::fromStdString(key));
  keyItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  setItem(row, 0, keyItem);
  auto* valueItem = new QTableWidgetItem;
  valueItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
  setItem(row, 1, valueItem);
  SetValue(row, value);
  return row;
}

void TAttributeGridWidget::SetEditStyle(int row, TAttrEditStyle style) {
  ValueItem(row)->setData(kStyleRole, static_cast<int>(style));
}

TAttrEditStyle TAttributeGridWidget::EditStyle(int row) const {
  return static_cast<TAttrEditStyle>(ValueItem(row)->data(kStyleRole).toInt());
}

void TAttributeGridWidget::SetReadOnly(int row, bool readOnly) {
  ValueItem(row)->setData(kReadOnlyRole, readOnly);
}

bool TAttributeGridWidget::IsReadOnly(int row) const {
  return allReadOnly_ || ValueItem(row)->data(kReadOnlyRole).toBool();
}

void TAttributeGridWidget::SetPickList(int row, const std::vector<std::string>& values) {
  QStringList list;
  for (const std::string& v : values) list << QString::fromStdString(v);
  ValueItem(row)->setData(kPickListRole, list);
}

void TAttributeGridWidget::SetPickListText(int row, const QStringList& values) {
  ValueItem(row)->setData(kPickListRole, values);
}

QStringList TAttributeGridWidget::PickList(int row) const {
  return ValueItem(row)->data(kPickListRole).toStringList();
}

void TAttributeGridWidget::SetRowLook(int row, TColor textColor, const QString& description,
                                      bool colorValue) {
  for (int column : {0, 1}) {
    if (textColor == clNone)
      item(row, column)->setData(Qt::ForegroundRole, QVariant());
    else
      item(row, column)->setForeground(ToQColor(textColor));
  }
  item(row, 0)->setToolTip(description);
  ValueItem(row)->setData(kColorRole, colorValue);
}

bool TAttributeGridWidget::IsColorRow(int row) const {
  return ValueItem(row)->data(kColorRole).toBool();
}

TColor TAttributeGridWidget::ColorOfValue(const QString& value) const {
  const std::string text = value.trimmed().toStdString();
  if (text.empty()) return clNone;
  if (!colorNames_) return HtmlToColor(text);
  const TColor named = colorNames_->ColorOf(text);
  // Old pages write the digits without "#" (bgcolor="ffffff").
  const bool digits = (text.size() == 6 || text.size() == 3) &&
                      text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
  return named == clNone && digits ? HtmlToColor(text) : named;
}

void TAttributeGridWidget::SetAllReadOnly(bool readOnly) {
  if (readOnly == allReadOnly_) return;
  if (readOnly) CloseEditor();
  allReadOnly_ = readOnly;
}

void TAttributeGridWidget::CloseEditor() {
  const QModelIndex current = currentIndex();
  if (QWidget* editor = current.isValid() ? indexWidget(current) : nullptr)
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void TAttributeGridWidget::UserEdited(int row, const QString& value) {
  if (row < 0 || row >= rowCount() || IsReadOnly(row)) return;
  SetValue(row, value.toStdString());
  if (notify_ && OnValueEdited) OnValueEdited(row, value);
}

void TAttributeGridWidget::WriteCellEdit(TEditorModel& model, const std::function<void()>& write) {
  if (writtenCellEdit_ == cellEdit_ && writtenModel_ == &model)
    model.JoinNextUndoBlock(writtenUndoId_);
  model.BeginUndoBlock();
  write();
  model.EndUndoBlock();
  writtenCellEdit_ = cellEdit_;
  writtenModel_ = &model;
  writtenUndoId_ = model.LastUndoId();
}

// ---- Delegate

TAttributeDelegate::TAttributeDelegate(TAttributeGridWidget* grid)
    : QStyledItemDelegate(grid), grid_(grid) {}

void TAttributeDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  if (!grid_->IsColorRow(index.row())) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  // A colour sample, then the text beside it. An empty value has no sample; a value that names
  // no colour (a var(), a gradient) an empty frame.
  const QRect r = option.rect;
  painter->save();
  painter->fillRect(r, option.palette.color(QPalette::Base));
  const QString value = index.data(kValueRole).toString();
  if (!value.trimmed().isEmpty()) {
    painter->setPen(Qt::black);
    painter->drawRect(
        QRect(QPoint(r.left() + 3, r.top() + 1), QPoint(r.left() + 18, r.bottom() - 2)));
    const TColor color = grid_->ColorOfValue(value);
    if (color != clNone)
      painter->fillRect(
          QRect(QPoint(r.left() + 4, r.top() + 2), QPoint(r.left() + 17, r.bottom() - 3)),
          ToQColor(color));
  }
  const QVariant foreground = index.data(Qt::ForegroundRole);
  painter->setPen(foreground.isValid() ? foreground.value<QBrush>().color()
                                       : option.palette.color(QPalette::Text));
  painter->drawText(r.adjusted(23, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                    index.data(Qt::DisplayRole).toString());
  painter->restore();
}

QWidget* TAttributeDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                          const QModelIndex& index) const {
  const int row = index.row();
  // A value longer than a line editor holds is shown but not edited: the editor would cut it.
  const bool readOnly =
      grid_->IsReadOnly(row) || index.data(kValueRole).toString().size() > kLongestEditedValue;
  if (grid_->AllReadOnly()) return nullptr;
  const bool ellipsis = grid_->EditStyle(row) == esEllipsis || grid_->IsColorRow(row);
  grid_->StartCellEdit();
  auto* editor = new TValueEditor(
      parent, grid_->EditStyle(row) == esPickList ? grid_->PickList(row) : QStringList(), readOnly,
      ellipsis && !readOnly);
  if (QComboBox* combo = editor->Combo(); combo && grid_->IsColorRow(row)) {
    // The named colours with their samples.
    for (int i = 0; i < combo->count(); ++i) {
      const TColor color = grid_->ColorOfValue(combo->itemText(i));
      if (color != clNone) combo->setItemIcon(i, SwatchIcon(ToQColor(color)));
    }
  }
  TAttributeGridWidget* grid = grid_;
  const QPersistentModelIndex at(index);
  auto edited = [grid, at](const QString& text) {
    if (at.isValid()) grid->UserEdited(at.row(), text);
  };
  if (editor->Line()) QObject::connect(editor->Line(), &QLineEdit::textEdited, editor, edited);
  if (QComboBox* combo = editor->Combo())
    QObject::connect(combo, &QComboBox::activated, editor,
                     [combo, edited](int i) { edited(combo->itemText(i)); });
  if (QToolButton* button = editor->Button())
    QObject::connect(button, &QToolButton::clicked, editor, [grid, at, editor, edited] {
      if (!at.isValid() || !grid->OnEllipsis) return;
      if (const std::optional<QString> value = grid->OnEllipsis(at.row())) {
        editor->SetText(*value);
        edited(*value);
      }
    });
  return editor;
}

void TAttributeDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  auto* valueEditor = static_cast<TValueEditor*>(editor);
  const QString value = index.data(kValueRole).toString();
  QLineEdit* line = valueEditor->Line();
  if (line && line->text() == value) return;  // keeps the cursor while the user types
  valueEditor->SetText(value);
}

}  // namespace tervil
