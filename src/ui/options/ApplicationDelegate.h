#pragma once

#include <QStyledItemDelegate>

class QLineEdit;

namespace tervil {

// The "Path and Parameters" cells of the Options dialog's application list: edited in a text
// box with a browse button beside it.
class TApplicationDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;

 signals:
  // The browse button of a cell being edited: the chosen file goes into `edit`.
  void BrowseRequested(QLineEdit* edit) const;
};

}  // namespace tervil
