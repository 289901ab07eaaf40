#pragma once

#include <QStyledItemDelegate>
#include <QTableWidget>
#include <functional>
#include <optional>

#include "core/common/Color.h"
#include "core/tags/TagAttributeGrid.h"

namespace tervil {

class TEditorModel;
class TNamedColors;

// The key/value grid of the HTML attribute window (`HtmlAttributes`): one row per attribute, the
// value cell editable in place by typing, from a drop-down list of the attribute's values, or
// with an ellipsis button (a file, or a colour for colour attributes). Value cells of colour
// attributes show a colour sample. Every change the user makes to a value is reported at once
// through OnValueEdited.
class TAttributeGridWidget : public QTableWidget, public TAttributeGrid {
  Q_OBJECT
 public:
  // The button of a row was pressed; the handler returns the new value or an empty optional.
  using EllipsisHandler = std::function<std::optional<QString>(int row)>;

  explicit TAttributeGridWidget(QWidget* parent = nullptr);

  // ---- TAttributeGrid
  void Clear() override;
  int RowCount() const override { return rowCount(); }
  std::string Key(int row) const override;
  std::string Value(int row) const override;
  void SetValue(int row, const std::string& value) override;
  int AppendRow(const std::string& key, const std::string& value) override;
  void SetEditStyle(int row, TAttrEditStyle style) override;
  void SetReadOnly(int row, bool readOnly) override;
  void SetPickList(int row, const std::vector<std::string>& values) override;
  bool ChangeNotification() const override { return notify_; }
  void SetChangeNotification(bool enabled) override { notify_ = enabled; }

  TAttrEditStyle EditStyle(int row) const;
  bool IsReadOnly(int row) const;
  QStringList PickList(int row) const;
  void SetPickListText(int row, const QStringList& values);
  // The text colour of a row (clNone for the normal colour), the row's description (its hint),
  // and whether its value is a colour shown as a sample.
  void SetRowLook(int row, TColor textColor, const QString& description, bool colorValue);
  bool IsColorRow(int row) const;
  // The named colours that colour values may use (for their samples and the swatches of their
  // lists); without them only colour codes and the fixed colour names are known.
  void SetColorNames(const TNamedColors* names) { colorNames_ = names; }
  // The colour a colour row's value stands for; clNone for an empty value or one that names no
  // colour (a var(), a gradient).
  TColor ColorOfValue(const QString& value) const;
  // No value can be changed while the grid is read-only (a read-only page).
  void SetAllReadOnly(bool readOnly);
  bool AllReadOnly() const { return allReadOnly_; }
  // Closes an open in-place editor, so that typing goes on in the document.
  void CloseEditor();

  // Called for every change the user makes to a value (row, new text).
  std::function<void(int row, const QString& value)> OnValueEdited;
  EllipsisHandler OnEllipsis;

  // Reports the user's change of a value: stores it and tells OnValueEdited.
  void UserEdited(int row, const QString& value);
  // An in-place editor opened: the changes made in it from now on are one cell edit.
  void StartCellEdit() { ++cellEdit_; }
  // Runs `write`, which changes `model` for the user's change of a value, as one undo step
  // with the earlier writes of the same cell edit: a value typed key by key undoes at once.
  void WriteCellEdit(TEditorModel& model, const std::function<void()>& write);

  // The grid never scrolls sideways to a value cell: the attribute names stay in view.
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The name column keeps the width the user gave it, but no more than half the grid; the
  // value column takes the rest.
  void FitColumns();
  int nameWidth_;
  bool fitting_ = false;
  QTableWidgetItem* ValueItem(int row) const { return item(row, 1); }
  bool notify_ = true;
  bool allReadOnly_ = false;
  const TNamedColors* colorNames_ = nullptr;
  int cellEdit_ = 0;  // counts the in-place editors opened
  // The cell edit, document and undo step of the last write.
  int writtenCellEdit_ = -1;
  const TEditorModel* writtenModel_ = nullptr;
  std::uint64_t writtenUndoId_ = 0;
};

// Paints the value cells (colour samples) and makes the in-place editors of the grid.
class TAttributeDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit TAttributeDelegate(TAttributeGridWidget* grid);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

 private:
  TAttributeGridWidget* grid_;
};

}  // namespace tervil
